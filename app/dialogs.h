// The questions the program puts to the user (the main window, the file
// session), behind one interface so that tests can answer them; the
// program uses Qt's own dialogs.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QTranslator;
class QWidget;

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // The file to open, or an empty string when the user cancels.
    virtual QString openPath(QWidget *parent) = 0;
    // The file to save to, or an empty string when the user cancels. The
    // dialog opens on `current` (the file the text belongs to), if any.
    virtual QString savePath(QWidget *parent, const QString &current = {}) = 0;
    // The CSV file to write the counts to, or an empty string when the
    // user cancels.
    virtual QString csvPath(QWidget *parent) = 0;
    // A modal question with Yes (the default) and No; true for Yes.
    virtual bool yesNo(QWidget *parent, const QString &title, const QString &message) = 0;
    // A modal question with the given buttons (captions with "&" access
    // keys); the index of the one chosen, or of `otherwise` for Escape or
    // the close box. `otherwise` is the default button too.
    virtual int choose(QWidget *parent, const QString &title, const QString &message, const QStringList &buttons,
                       int otherwise) = 0;
    // A modal report of something that went wrong.
    virtual void warn(QWidget *parent, const QString &title, const QString &message) = 0;
    // A file chosen elsewhere than in these dialogs (the command line, a
    // drop), so that the next file dialog opens beside it as it would after
    // choosing it in one.
    virtual void chosenElsewhere(const QString &/*path*/) {}
};

// Qt's file dialog with the one filter "DNML書庫(*.dnml)", and message boxes.
std::unique_ptr<Dialogs> makeQtDialogs();

// The toolkit speaks Japanese, whatever the desktop's language: its own
// buttons and dialogs (through `translator`, which must outlive the
// application's use of it, with Qt's Japanese texts), and in the file
// dialog the names of the file types, which the type database keeps in
// Japanese too, and the dates and sizes. Call once the application exists.
void speakJapanese(QTranslator &translator);
