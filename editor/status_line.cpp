#include "editor/status_line.h"

#include "document/file_access.h"
#include "editor/script_edit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QTextBlock>

namespace {

// A label that gives up width when the bar is short, its text cut with
// "…" where `mode` says; it keeps its whole text.
class ElidedLabel final : public QLabel
{
public:
    ElidedLabel(Qt::TextElideMode mode, int leastCharacters, QWidget *parent)
        : QLabel(parent)
        , m_mode(mode)
        , m_least(leastCharacters)
    {
    }

    QSize minimumSizeHint() const override
    {
        return {fontMetrics().horizontalAdvance(QChar(u'あ')) * m_least, QLabel::minimumSizeHint().height()};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(),
                              fontMetrics().elidedText(text(), m_mode, area.width()), foregroundRole());
    }

private:
    Qt::TextElideMode m_mode;
    int m_least;
};

QLabel *part(const char *name, QWidget *owner, QLabel *label = nullptr)
{
    if (!label)
        label = new QLabel(owner);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

// The notice's place is an alert to a screen reader: told of each new
// notice, it reads it out.
QAccessibleInterface *noticeAccessible(const QString &, QObject *object)
{
    if (object->isWidgetType() && object->objectName() == QLatin1String("statusMessage"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::AlertMessage);
    return nullptr;
}

} // namespace

StatusLine::StatusLine(ScriptEdit &edit, QWidget *parent)
    : QWidget(parent)
    , m_edit(edit)
    , m_message(part("statusMessage", this, new ElidedLabel(Qt::ElideRight, 16, this)))
    , m_file(part("statusFile", this, new ElidedLabel(Qt::ElideMiddle, 4, this)))
    , m_caret(part("statusCaret", this))
    , m_selection(part("statusSelection", this))
    , m_form(part("statusForm", this))
{
    setObjectName(QStringLiteral("statusLine"));
    static const bool accessible = [] {
        QAccessible::installFactory(noticeAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 4, 0);
    row->setSpacing(16);
    row->addWidget(m_message, 1);
    row->addWidget(m_file);
    row->addWidget(m_caret);
    row->addWidget(m_selection);
    row->addWidget(m_form);
    m_message->setAccessibleName(QStringLiteral(u"お知らせ"));
    m_clock.start();
    m_noticeTimer.setSingleShot(true);
    connect(&m_noticeTimer, &QTimer::timeout, this, [this] {
        if (m_notices.advance(m_clock.elapsed()))
            showNotice();
        else
            followNotices();
    });
    connect(&edit, &QPlainTextEdit::cursorPositionChanged, this, &StatusLine::showCaret);
    connect(&edit, &QPlainTextEdit::selectionChanged, this, &StatusLine::showCaret);
    connect(&edit.script(), &ScriptDocument::replacedWhole, this, &StatusLine::showForm);
    connect(&edit.script(), &ScriptDocument::saved, this, &StatusLine::showForm);
    showCaret();
    showForm();
    setFile({}, false);
}

void StatusLine::setFile(const QString &path, bool changed)
{
    const QString name = path.isEmpty() ? QStringLiteral(u"無題") : disk::shownName(QFileInfo(path).fileName());
    m_file->setText(changed ? name + QStringLiteral(u" ●") : name);
    m_file->setToolTip(path.isEmpty() ? QString() : disk::shownName(path));
    m_file->setAccessibleName(changed ? QStringLiteral(u"%1（保存していない変更あり）").arg(name) : name);
}

void StatusLine::showCaret()
{
    const QTextCursor cursor = m_edit.textCursor();
    const ScriptDocument &script = m_edit.script();
    const int line = script.lineOf(cursor.position());
    const int column = script.characters(script.lineBlock(line).position(), cursor.position());
    m_caret->setText(QStringLiteral(u"%1 行、%2 桁").arg(QString::number(line + 1), QString::number(column + 1)));
    const int selected = script.characters(cursor.selectionStart(), cursor.selectionEnd());
    m_selection->setText(selected > 0 ? QStringLiteral(u"%1 文字選択").arg(selected) : QString());
    m_selection->setVisible(selected > 0);
}

void StatusLine::showForm()
{
    const scriptfile::Reading reading = m_edit.script().reading();
    QString form = reading.utf8 ? QStringLiteral(u"UTF-8 から → Shift-JIS") : QStringLiteral(u"Shift-JIS");
    form += reading.lineFeedsBreak ? QStringLiteral(u"・LF から → CR LF") : QStringLiteral(u"・CR LF");
    m_form->setText(form);
    m_form->setToolTip(reading.utf8 || reading.lineFeedsBreak
                           ? QStringLiteral(u"開いたときの形から変えて、Shift-JIS と CR LF で保存します")
                           : QStringLiteral(u"Shift-JIS と CR LF で保存します"));
}

void StatusLine::tell(const QString &notice, int milliseconds, const QString &topic)
{
    const QString before = m_notices.shown();
    m_notices.post(notice, milliseconds, m_clock.elapsed(), topic);
    // Said again while up, it is read out again.
    if (m_notices.shown() != before || notice == before)
        showNotice();
    else
        followNotices();
}

void StatusLine::showNotice()
{
    const QString notice = m_notices.shown();
    m_message->setText(notice);
    m_message->setToolTip(notice);
    m_message->setAccessibleName(notice.isEmpty() ? QStringLiteral(u"お知らせ") : notice);
    if (!notice.isEmpty()) {
        QAccessibleEvent shown(m_message, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
    followNotices();
}

void StatusLine::followNotices()
{
    const qint64 due = m_notices.due();
    if (due < 0)
        m_noticeTimer.stop();
    else
        m_noticeTimer.start(int(std::max<qint64>(due - m_clock.elapsed(), 0)));
}
