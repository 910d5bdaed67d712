#include "editor/status_line.h"

#include "document/file_access.h"
#include "editor/script_edit.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextBlock>

namespace {

QLabel *part(const char *name, QWidget *owner)
{
    auto *label = new QLabel(owner);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

StatusLine::StatusLine(ScriptEdit &edit, QWidget *parent)
    : QWidget(parent)
    , m_edit(edit)
    , m_file(part("statusFile", this))
    , m_caret(part("statusCaret", this))
    , m_selection(part("statusSelection", this))
    , m_form(part("statusForm", this))
{
    setObjectName(QStringLiteral("statusLine"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 4, 0);
    row->setSpacing(16);
    row->addWidget(m_file);
    row->addWidget(m_caret);
    row->addWidget(m_selection);
    row->addWidget(m_form);
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
