// The search bar under Text1: find as you type, next and previous, replace
// one or all, and jump to a line. It talks to the view through FindTarget
// alone: it reads the script text through a TextReader of the view's
// document, writes only through the view's insertion paths and marks the
// matches on screen in a layer of its own.
#pragma once

#include "document/text_reader.h"
#include "editor/find_target.h"
#include "search/search.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class SearchBar : public QWidget
{
    Q_OBJECT

public:
    // `view` must outlive the bar.
    explicit SearchBar(FindTarget &view, QWidget *parent = nullptr);

    // Ctrl+F and Ctrl+H: shows the bar (with the replacement row for
    // Ctrl+H), the search field focused with its text selected, filled
    // with Text1's selection when that lies within one line.
    void showFind();
    void showReplace();
    // Ctrl+G: shows the line-number field alone.
    void showJump();
    // The search text and options as if typed and ticked: finds as you type.
    void setSearchText(const QString &text, search::Options options = {});
    // F3 and Shift+F3: the next or previous match of the search text, the
    // bar shown without taking the focus; with no search text, as Ctrl+F.
    void findNext();
    void findPrevious();
    // "置換": replaces the selected match and goes on to the next one.
    void replaceOne();
    // "すべて置換": every match in the script, one undo step.
    void replaceAll();
    // Escape: hides the bar; Text1 takes the focus with the match selected.
    void dismiss();

    // What the bar shows after the last step: the count ("3 / 17 件"), and a
    // message (wrapped around, replaced, an invalid expression, a bad line number).
    QString countText() const;
    QString message() const;
    // True once the count of the current pattern is complete.
    bool counted() const { return m_countValid && m_counter.done(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum class Mode { Find, Replace, Jump };
    void showMode(Mode mode);
    void focusFind();
    void patternChanged();
    void incremental();
    // Selects the match after (or before) the current one, wrapping around
    // at the end of the script.
    void step(bool forward);
    // A search from the event loop, a slice at a time, so that a heavy
    // expression over a long script never keeps a keystroke or Escape
    // waiting; a new search, an edit or Escape ends it.
    struct Seek {
        bool active = false;
        bool forward = true;
        bool wrapped = false;
        bool wraps = true;  // goes on from the other end after reaching one
        qsizetype at = 0;   // forward: where to search from; back: before where
    };
    void seek(Seek seek);
    void seekSome(int milliseconds);
    // Ends a search or a replacement under way.
    void cancelSeek();
    void replaceSome(int milliseconds);
    struct Replacing {
        bool active = false;
        QString with;
        qsizetype from = 0;  // the line to go on from
        std::vector<search::Edit> edits;
    };
    static QString tooComplexMessage();
    void findAgain(bool forward);
    void select(search::Match match);
    void jump();
    // The document's raw text, read in full.
    const QString &text();
    void textChanged(qsizetype offset, qsizetype added);
    void remarkLines(qsizetype offset, qsizetype added);
    // The non-empty matches in lines first … last.
    std::vector<FindTarget::Range> marked(int first, int last) const;
    void clearMarks();
    void restartCount();
    void countSome();
    void refreshMarks();
    void showCount();
    void say(const QString &message);
    // The match the bar selected last, while Text1's selection still is it.
    search::Match selectedMatch();

    FindTarget *m_text1;
    QLineEdit *m_find;
    QPushButton *m_previous;
    QPushButton *m_next;
    QCheckBox *m_case;
    QCheckBox *m_regex;
    QLabel *m_count;
    QLabel *m_message;
    QToolButton *m_close;
    QWidget *m_replaceRow;
    QLineEdit *m_replace;
    QPushButton *m_replaceOne;
    QPushButton *m_replaceAll;
    QWidget *m_findRows;
    QWidget *m_jumpRow;
    QLineEdit *m_jump;
    QLabel *m_jumpMessage;
    bool m_jumpComposing = false;  // the input method holds a number not yet committed

    search::Pattern m_pattern;
    Seek m_seek;
    QTimer m_seekTimer;
    Replacing m_replacing;
    QTimer m_replaceTimer;
    search::Match m_current;
    qsizetype m_origin = 0;  // where find-as-you-type starts
    TextReader m_reader;
    FindTarget::MarkLayer m_layer;
    search::Counter m_counter;
    bool m_countValid = false;
    QTimer m_countTimer;
    QTimer m_marksTimer;
    QTimer m_recountTimer;
    QElapsedTimer m_lastEdit;
    int m_markedFirst = -1;
    int m_markedLast = -1;
    int m_markedLineCount = 0;
};
