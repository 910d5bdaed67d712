#include "search/ui/search_bar.h"

#include "editor/script_edit.h"
#include "search/line_number.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Time the count may take from the event loop at a go: well within a
// frame, so that typing in Text1 never waits on it.
constexpr int countSliceMs = 8;
// A search's slices: the first within the keystroke that asks for it, the
// rest from the event loop, as short as the count's.
constexpr int firstSeekMs = 50;
// Finding every edit of すべて置換 usually takes less than this, which the
// button's press then waits for.
constexpr int firstReplaceMs = 500;
// The marks on screen may take this long, and there are at most so many.
constexpr int marksMs = 30;
constexpr std::size_t maxMarks = 1000;
// Edits come in bursts while the author types: count again after a pause.
constexpr int recountAfterMs = 300;

QTextCharFormat markFormat()
{
    QTextCharFormat format;
    format.setBackground(QColor(255, 226, 120));
    return format;
}

QHBoxLayout *row(QWidget *owner)
{
    auto *layout = new QHBoxLayout(owner);
    layout->setContentsMargins(4, 2, 4, 2);
    return layout;
}

template <typename Widget, typename... Args>
Widget *named(const char *name, Args &&...args)
{
    auto *widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

bool isReturn(const QKeyEvent *key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

} // namespace

SearchBar::SearchBar(FindTarget &text1, QWidget *parent)
    : QWidget(parent)
    , m_text1(&text1)
    , m_reader(text1.script())
    , m_layer(text1.addMarkLayer(markFormat()))
{
    setObjectName(QStringLiteral("search_bar"));
    m_findRows = named<QWidget>("search_find_rows");
    auto *findRow = named<QWidget>("search_find_row");
    m_find = named<QLineEdit>("search_text");
    m_find->setPlaceholderText(QStringLiteral(u"検索する文字列"));
    m_find->setAccessibleName(m_find->placeholderText());
    m_previous = named<QPushButton>("search_previous", QStringLiteral(u"前へ"));
    m_previous->setToolTip(QStringLiteral(u"前を検索 (Shift+F3, Shift+Enter)"));
    m_next = named<QPushButton>("search_next", QStringLiteral(u"次へ"));
    m_next->setToolTip(QStringLiteral(u"次を検索 (F3, Enter)"));
    m_case = named<QCheckBox>("search_case", QStringLiteral(u"大文字と小文字を区別(&C)"));
    m_regex = named<QCheckBox>("search_regex", QStringLiteral(u"正規表現(&X)"));
    m_regex->setToolTip(QStringLiteral(u"Qt の正規表現 (Unicode) で検索します。1 行の中だけで一致します。\n"
                                       u"置換する文字列では \\1 … \\9 が括弧で囲んだ部分、\\0 が一致した全体になります。"));
    m_count = named<QLabel>("search_count");
    m_message = named<QLabel>("search_message");
    m_close = named<QToolButton>("search_close");
    m_close->setText(QStringLiteral(u"×"));
    m_close->setToolTip(QStringLiteral(u"閉じる (Esc)"));
    m_close->setAccessibleName(QStringLiteral(u"閉じる"));
    m_close->setAutoRaise(true);
    // The window is narrow: the options and the bar's messages get a row
    // of their own under the search field.
    auto *find = row(findRow);
    find->addWidget(m_find, 1);
    find->addWidget(m_previous);
    find->addWidget(m_next);
    find->addWidget(m_count);
    find->addWidget(m_close);
    auto *optionsRow = named<QWidget>("search_options_row");
    auto *options = row(optionsRow);
    options->addWidget(m_case);
    options->addWidget(m_regex);
    options->addWidget(m_message, 1);
    // A long message is cut rather than widening the window; its tooltip
    // holds it whole.
    m_message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_replaceRow = named<QWidget>("search_replace_row");
    m_replace = named<QLineEdit>("replace_text");
    m_replace->setPlaceholderText(QStringLiteral(u"置換後の文字列"));
    m_replace->setAccessibleName(m_replace->placeholderText());
    m_replace->setToolTip(m_regex->toolTip());
    m_replaceOne = named<QPushButton>("replace_one", QStringLiteral(u"置換(&R)"));
    m_replaceAll = named<QPushButton>("replace_all", QStringLiteral(u"すべて置換(&A)"));
    auto *replace = row(m_replaceRow);
    replace->addWidget(m_replace, 1);
    replace->addWidget(m_replaceOne);
    replace->addWidget(m_replaceAll);
    replace->addStretch(1);

    auto *rows = new QVBoxLayout(m_findRows);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(findRow);
    rows->addWidget(optionsRow);
    rows->addWidget(m_replaceRow);

    m_jumpRow = named<QWidget>("jump_row");
    m_jump = named<QLineEdit>("jump_line");
    auto *jumpLabel = named<QLabel>("jump_label", QStringLiteral(u"指定行へジャンプ:"));
    auto *jumpClose = named<QToolButton>("jump_close");
    jumpClose->setText(m_close->text());
    jumpClose->setToolTip(m_close->toolTip());
    jumpClose->setAccessibleName(m_close->accessibleName());
    m_jump->setAccessibleName(QStringLiteral(u"行番号"));
    jumpClose->setAutoRaise(true);
    auto *jump = row(m_jumpRow);
    m_jumpMessage = named<QLabel>("jump_message");
    jump->addWidget(jumpLabel);
    jump->addWidget(m_jump, 1);
    jump->addWidget(m_jumpMessage);
    jump->addWidget(jumpClose);
    connect(m_jump, &QLineEdit::textEdited, this, [this] {
        m_jumpMessage->clear();
        m_jump->setAccessibleDescription(QString());
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_findRows);
    layout->addWidget(m_jumpRow);

    setTabOrder(m_find, m_replace);
    setTabOrder(m_replace, m_replaceOne);
    setTabOrder(m_replaceOne, m_replaceAll);
    setTabOrder(m_replaceAll, m_previous);
    setTabOrder(m_previous, m_next);
    setTabOrder(m_next, m_case);
    setTabOrder(m_case, m_regex);
    setTabOrder(m_regex, m_close);
    for (QWidget *button : {static_cast<QWidget *>(m_previous), static_cast<QWidget *>(m_next)})
        button->setFocusPolicy(Qt::TabFocus);

    for (QObject *watched : {static_cast<QObject *>(m_find), static_cast<QObject *>(m_replace),
                             static_cast<QObject *>(m_replaceOne), static_cast<QObject *>(m_replaceAll),
                             static_cast<QObject *>(m_case), static_cast<QObject *>(m_regex),
                             static_cast<QObject *>(m_jump)})
        watched->installEventFilter(this);
    connect(m_find, &QLineEdit::textEdited, this, [this] {
        patternChanged();
        incremental();
    });
    connect(m_case, &QCheckBox::toggled, this, [this] {
        patternChanged();
        incremental();
    });
    connect(m_regex, &QCheckBox::toggled, this, [this] {
        patternChanged();
        incremental();
    });
    connect(m_previous, &QPushButton::clicked, this, &SearchBar::findPrevious);
    connect(m_next, &QPushButton::clicked, this, &SearchBar::findNext);
    connect(m_replaceOne, &QPushButton::clicked, this, &SearchBar::replaceOne);
    connect(m_replaceAll, &QPushButton::clicked, this, &SearchBar::replaceAll);
    connect(m_close, &QToolButton::clicked, this, &SearchBar::dismiss);
    connect(jumpClose, &QToolButton::clicked, this, &SearchBar::dismiss);
    connect(m_jump, &QLineEdit::returnPressed, this, &SearchBar::jump);

    m_countTimer.setInterval(0);
    connect(&m_countTimer, &QTimer::timeout, this, &SearchBar::countSome);
    m_seekTimer.setSingleShot(true);
    m_seekTimer.setInterval(0);
    connect(&m_seekTimer, &QTimer::timeout, this, [this] { seekSome(countSliceMs); });
    m_replaceTimer.setSingleShot(true);
    m_replaceTimer.setInterval(0);
    connect(&m_replaceTimer, &QTimer::timeout, this, [this] { replaceSome(countSliceMs); });
    m_marksTimer.setSingleShot(true);
    m_marksTimer.setInterval(0);
    connect(&m_marksTimer, &QTimer::timeout, this, &SearchBar::refreshMarks);
    m_recountTimer.setSingleShot(true);
    connect(&m_recountTimer, &QTimer::timeout, this, [this] {
        // Typing went on since the timer started: wait for the pause.
        const qint64 quiet = m_lastEdit.elapsed();
        if (quiet < recountAfterMs)
            m_recountTimer.start(int(recountAfterMs - quiet));
        else
            restartCount();
    });

    connect(&text1.script(), &ScriptDocument::edited, this,
            [this](qsizetype offset, qsizetype, qsizetype added) { textChanged(offset, added); });
    connect(&text1.script(), &ScriptDocument::replacedWhole, this,
            [this] { textChanged(0, m_text1->script().length()); });
    // Marks follow the view when it scrolls or is laid out anew.
    text1.whenViewMoves(this, [this] {
        if (isVisible())
            m_marksTimer.start();
    });
}

const QString &SearchBar::text()
{
    return m_reader.whole();
}

void SearchBar::textChanged(qsizetype offset, qsizetype added)
{
    m_current = {};
    cancelSeek();
    // The count shown stays until the new one is ready.
    m_countValid = false;
    if (isVisible()) {
        m_countTimer.stop();
        // Restarting a timer at every keystroke costs more than noting the time.
        m_lastEdit.start();
        if (!m_recountTimer.isActive())
            m_recountTimer.start(recountAfterMs);
        remarkLines(offset, added);
    }
}

void SearchBar::remarkLines(qsizetype offset, qsizetype added)
{
    const ScriptDocument &script = m_text1->script();
    if (m_markedFirst < 0)
        return;  // marked afresh anyway
    if (script.lineCount() != m_markedLineCount) {
        m_markedFirst = -1;
        m_marksTimer.start();
        return;
    }
    // Marks elsewhere moved with the text; only the changed lines in view
    // are looked at again, and the marks are set only if theirs changed.
    const int first = std::max(script.lineAt(offset), m_markedFirst);
    const int last = std::min(script.lineAt(offset + added), m_markedLast);
    if (first > last)
        return;
    const qsizetype from = script.lineStart(first);
    const qsizetype to = script.lineStart(last + 1);
    std::vector<FindTarget::Range> kept;
    std::vector<FindTarget::Range> before;
    for (const FindTarget::Range &range : m_text1->marks(m_layer))
        (range.start >= from && range.start < to ? before : kept).push_back(range);
    std::vector<FindTarget::Range> after = marked(first, last);
    if (after == before)
        return;
    kept.insert(kept.end(), after.begin(), after.end());
    m_text1->setMarks(m_layer, std::move(kept));
}

std::vector<FindTarget::Range> SearchBar::marked(int first, int last) const
{
    std::vector<FindTarget::Range> ranges;
    if (!m_pattern.usable())
        return ranges;
    // A line of thousands of matches is marked only so far: the editor looks
    // at every mark for every line it paints.
    search::Budget budget{QDeadlineTimer(marksMs)};
    const ScriptDocument &script = m_text1->script();
    const auto [shownFrom, shownTo] = m_text1->shownRange();
    // Of a line longer than the screen holds, what is on screen and a
    // screen's worth either side; the character before that is read too,
    // so that ^ and look-behinds see where they stand.
    constexpr qsizetype reach = 4096;
    for (int line = first; line <= last && !budget.tooComplex && !budget.deadline.hasExpired(); ++line) {
        const qsizetype start = script.lineStart(line);
        const qsizetype size = script.lineLength(line);
        const qsizetype from = std::clamp<qsizetype>(shownFrom - start - reach, 0, size);
        const qsizetype to = std::clamp<qsizetype>(shownTo - start + reach, from, size);
        const qsizetype read = std::max<qsizetype>(from - 1, 0);
        const QString text = script.lineText(line, read, to - read);
        for (const search::Match &m : m_pattern.lineMatches(text, start + read, &budget, from - read)) {
            if (ranges.size() == maxMarks)
                return ranges;
            if (m.length > 0)
                ranges.push_back({m.start, m.length});
        }
    }
    return ranges;
}

void SearchBar::showMode(Mode mode)
{
    m_findRows->setVisible(mode != Mode::Jump);
    m_replaceRow->setVisible(mode == Mode::Replace);
    m_jumpRow->setVisible(mode == Mode::Jump);
    const bool wasHidden = isHidden();
    show();
    if (wasHidden && mode != Mode::Jump) {
        restartCount();
        m_marksTimer.start();
    }
}

void SearchBar::showFind()
{
    showMode(Mode::Find);
    focusFind();
}

void SearchBar::showReplace()
{
    showMode(Mode::Replace);
    focusFind();
}

void SearchBar::focusFind()
{
    const QString selected = m_text1->script().text(m_text1->selectionStart(), m_text1->selectionLength());
    const bool withinOneLine = !selected.contains(u'\n');
    // A selection the bar made itself leaves the pattern that found it.
    if (!selected.isEmpty() && withinOneLine && !selectedMatch().found() && selected != m_find->text()) {
        m_find->setText(selected);
        patternChanged();
    }
    m_origin = m_text1->selectionStart();
    m_find->selectAll();
    m_find->setFocus();
}

void SearchBar::showJump()
{
    showMode(Mode::Jump);
    const int lines = m_text1->script().lineCount();
    m_jump->setPlaceholderText(QStringLiteral(u"行番号 (1–%1)").arg(lines));
    m_jumpMessage->clear();
    m_jumpComposing = false;
    m_jump->selectAll();
    m_jump->setFocus();
}

void SearchBar::dismiss()
{
    hide();
    cancelSeek();
    m_countTimer.stop();
    m_recountTimer.stop();
    m_marksTimer.stop();
    clearMarks();
    // The copy of the script is of no use until the next search.
    m_reader.release();
    m_text1->focusText();
}

void SearchBar::patternChanged()
{
    m_pattern = search::Pattern(m_find->text(), {m_case->isChecked(), m_regex->isChecked()});
    say(m_pattern.error() ? QStringLiteral(u"正規表現の誤り (%1 文字目): %2")
                                .arg(m_pattern.error()->offset + 1)
                                .arg(m_pattern.error()->reason)
                          : QString());
    m_markedFirst = m_markedLast = -1;
    restartCount();
    m_marksTimer.start();
}

void SearchBar::incremental()
{
    if (!m_pattern.usable()) {
        cancelSeek();
        showCount();
        return;
    }
    // Every keystroke looks again from where the search started.
    seek({true, true, false, m_origin > 0, m_origin});
}

void SearchBar::setSearchText(const QString &text, search::Options options)
{
    const QSignalBlocker caseBlocker(m_case);
    const QSignalBlocker regexBlocker(m_regex);
    m_case->setChecked(options.caseSensitive);
    m_regex->setChecked(options.regularExpression);
    m_find->setText(text);
    m_origin = m_text1->selectionStart();
    patternChanged();
    incremental();
}

search::Match SearchBar::selectedMatch()
{
    if (m_current.found() && m_text1->selectionStart() == m_current.start &&
        m_text1->selectionLength() == m_current.length)
        return m_current;
    return {};
}

void SearchBar::step(bool forward)
{
    if (!m_pattern.usable())
        return;
    const qsizetype start = m_text1->selectionStart();
    const search::Match current = selectedMatch();
    if (forward)
        seek({true, true, false, true, current.found() ? current.after() : start + m_text1->selectionLength()});
    else
        seek({true, false, false, true, current.found() ? current.start : start});
}

void SearchBar::seek(Seek seek)
{
    m_seek = seek;
    // Most searches end within the first slice, before the keystroke that
    // asked returns.
    seekSome(firstSeekMs);
}

void SearchBar::cancelSeek()
{
    m_seek.active = false;
    m_seekTimer.stop();
    m_replacing = {};
    m_replaceTimer.stop();
}

void SearchBar::seekSome(int milliseconds)
{
    if (!m_seek.active)
        return;
    const QString &script = text();
    search::Budget budget{QDeadlineTimer(milliseconds)};
    for (;;) {
        const search::Match match = m_seek.forward ? m_pattern.next(script, m_seek.at, -1, &budget)
                                                   : m_pattern.previous(script, m_seek.at, &budget);
        if (match.found()) {
            cancelSeek();
            select(match);
            say(!m_seek.wrapped ? QString()
                : m_seek.forward ? QStringLiteral(u"末尾まで検索したので先頭から検索しました")
                                 : QStringLiteral(u"先頭まで検索したので末尾から検索しました"));
            showCount();
            return;
        }
        if (budget.tooComplex) {
            cancelSeek();
            say(tooComplexMessage());
            showCount();
            return;
        }
        if (budget.stoppedAt >= 0) {
            m_seek.at = budget.stoppedAt;
            say(QStringLiteral(u"検索中…"));
            m_seekTimer.start();
            return;
        }
        if (m_seek.wrapped || !m_seek.wraps) {
            cancelSeek();
            say(QString());
            showCount();
            return;
        }
        m_seek.wrapped = true;
        m_seek.at = m_seek.forward ? 0 : script.size() + 1;
    }
}

QString SearchBar::tooComplexMessage()
{
    return QStringLiteral(u"パターンが複雑すぎます。この文書では検索できません");
}

void SearchBar::select(search::Match match)
{
    m_text1->showSelection(match.start, match.length);
    m_current = match;
}

void SearchBar::findNext()
{
    findAgain(true);
}

void SearchBar::findPrevious()
{
    findAgain(false);
}

void SearchBar::findAgain(bool forward)
{
    if (m_find->text().isEmpty()) {
        showFind();
        return;
    }
    if (isHidden())
        showMode(m_replaceRow->isVisible() ? Mode::Replace : Mode::Find);
    step(forward);
}

void SearchBar::replaceOne()
{
    if (!m_pattern.usable())
        return;
    // The selection is replaced only when it is a match; otherwise this
    // first finds one, as the author sees what would be replaced.
    // An empty match (of ^, say) is the one the bar put the caret on.
    const search::Match selected = m_text1->selectionLength() > 0
                                       ? search::Match{m_text1->selectionStart(), m_text1->selectionLength()}
                                       : selectedMatch();
    const QString &script = text();
    if (selected.found() && m_pattern.next(script, selected.start) == selected) {
        m_text1->insert(m_pattern.replacement(script, selected, m_replace->text()));
        m_current = {};
    }
    step(true);
}

void SearchBar::replaceAll()
{
    if (!m_pattern.usable())
        return;
    cancelSeek();
    m_replacing = {true, m_replace->text(), 0, {}};
    replaceSome(firstReplaceMs);
}

void SearchBar::replaceSome(int milliseconds)
{
    if (!m_replacing.active)
        return;
    // The edits are found a slice at a time; the script is changed at once,
    // as one step, when all are known. An edit meanwhile or Escape gives
    // the replacement up.
    const QString &script = text();
    search::Budget budget{QDeadlineTimer(milliseconds)};
    m_pattern.replaceAll(script, m_replacing.with, m_replacing.edits, m_replacing.from, &budget);
    if (budget.tooComplex) {
        m_replacing = {};
        say(tooComplexMessage());
        return;
    }
    if (budget.stoppedAt >= 0) {
        m_replacing.from = budget.stoppedAt;
        say(QStringLiteral(u"置換する箇所を探しています… %1%（Esc で中止）").arg(100 * budget.stoppedAt / std::max<qsizetype>(script.size(), 1)));
        m_replaceTimer.start();
        return;
    }
    const std::vector<search::Edit> edits = std::exchange(m_replacing, {}).edits;
    if (edits.empty()) {
        say(QStringLiteral(u"見つかりません"));
        return;
    }
    // Marks would only be carried along every edit: mark afresh after.
    clearMarks();
    m_text1->replaceEach(edits);
    m_marksTimer.start();
    say(QStringLiteral(u"%1 件置換しました").arg(edits.size()));
}

void SearchBar::jump()
{
    const int lines = m_text1->script().lineCount();
    const QString typed = m_jump->text().trimmed();
    const std::optional<int> line = search::lineNumber(typed, lines);
    if (!line) {
        // Said beside the field, which keeps what was typed, selected, so
        // that the next number replaces it.
        const QString range = QStringLiteral(u"1 から %1 までの行番号を入力してください").arg(lines);
        m_jumpMessage->setText(typed.isEmpty() ? range : QStringLiteral(u"「%1」行はありません。%2").arg(typed, range));
        m_jump->setAccessibleDescription(m_jumpMessage->text());
        m_jump->setPlaceholderText(QStringLiteral(u"行番号 (1–%1)").arg(lines));
        m_jump->selectAll();
        return;
    }
    m_text1->showLine(*line - 1);
    m_jump->clear();
    dismiss();
}

void SearchBar::restartCount()
{
    m_recountTimer.stop();
    m_counter = search::Counter(m_pattern, m_text1->script().length());
    m_countValid = true;
    if (!isVisible() || m_counter.done()) {
        m_countTimer.stop();
        showCount();
        return;
    }
    m_count->setText(QStringLiteral(u"… 件"));
    m_countTimer.start();
}

void SearchBar::countSome()
{
    // After a change the script is read again first, in slices too.
    const QDeadlineTimer deadline(countSliceMs);
    if (!m_reader.read(deadline))
        return;
    if (m_counter.step(m_reader.text(), deadline)) {
        m_countTimer.stop();
        showCount();
    }
}

void SearchBar::showCount()
{
    if (!m_pattern.usable()) {
        m_count->setText(QString());
        return;
    }
    if (m_countValid && m_counter.tooComplex()) {
        m_count->setText(QString());
        say(tooComplexMessage());
        return;
    }
    if (!counted())
        return;
    const qsizetype count = m_counter.count();
    const qsizetype ordinal = m_counter.ordinal(selectedMatch().start);
    m_count->setText(count == 0     ? QStringLiteral(u"見つかりません")
                     : ordinal == 0 ? QStringLiteral(u"%1 件").arg(count)
                                    : QStringLiteral(u"%1 / %2 件").arg(ordinal).arg(count));
}

void SearchBar::refreshMarks()
{
    if (!isVisible() || !m_findRows->isVisible())
        return;
    const auto [first, last] = m_text1->shownLines();
    if (first == m_markedFirst && last == m_markedLast)
        return;
    m_markedFirst = first;
    m_markedLast = last;
    m_markedLineCount = m_text1->script().lineCount();
    m_text1->setMarks(m_layer, marked(m_markedFirst, m_markedLast));
}

void SearchBar::clearMarks()
{
    m_markedFirst = m_markedLast = -1;
    m_text1->setMarks(m_layer, {});
}

void SearchBar::say(const QString &message)
{
    m_message->setText(message);
    m_message->setToolTip(message);
}

QString SearchBar::countText() const
{
    return m_count->text();
}

QString SearchBar::message() const
{
    return (m_findRows->isHidden() ? m_jumpMessage : m_message)->text();
}

bool SearchBar::eventFilter(QObject *watched, QEvent *event)
{
    // Alt+R and Alt+A replace at once, and Alt+C and Alt+X tick or untick
    // their option, all leaving the focus in the field the author types
    // in: keys typed right after them go on into that field.
    if (event->type() == QEvent::Shortcut &&
        (watched == m_replaceOne || watched == m_replaceAll || watched == m_case || watched == m_regex)) {
        static_cast<QAbstractButton *>(watched)->click();
        return true;
    }
    // A line number still being converted is the input method's: Return
    // jumps only once it is committed.
    if (watched == m_jump && event->type() == QEvent::InputMethod)
        m_jumpComposing = !static_cast<QInputMethodEvent *>(event)->preeditString().isEmpty();
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == m_jump && isReturn(key) && m_jumpComposing)
            return true;
        if (watched == m_find && isReturn(key)) {
            step(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        if (watched == m_replace && isReturn(key)) {
            replaceOne();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SearchBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}
