#include "prose/ui/prose_findings.h"

#include "document/io_wording.h"
#include "prose/rule_settings.h"
#include "prose/unify_preview.h"
#include "prose/ui/unify_dialog.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace prose {
namespace {

constexpr const char *actionNames[] = {"mnu_prose_spelling", "mnu_prose_voice", "mnu_prose_punctuation"};
constexpr const char16_t *actionCaptions[] = {u"表記ゆれ(&H)", u"声：一人称と呼び方(&K)", u"約物(&Y)"};
static_assert(std::size(actionNames) == rules.size() && std::size(actionCaptions) == rules.size());

// A finding as the panel takes it, among the check's.
dnml::Finding asFinding(const Finding &f)
{
    return {dnml::FindingKind::Other, f.offset, f.length, f.line, f.column, f.message};
}

} // namespace

void replaceInScript(ScriptEdit &edit, const std::vector<Replacement> &replacements)
{
    if (replacements.empty())
        return;
    // The caret stays before, inside or after the same text.
    qsizetype caret = edit.caret();
    const qsizetype was = caret;
    std::vector<ScriptDocument::Edit> edits;
    edits.reserve(replacements.size());
    for (const Replacement &r : replacements) {
        edits.push_back({r.offset, r.length, r.text});
        if (r.offset + r.length <= was)
            caret += r.text.size() - r.length;
    }
    edit.replaceEach(edits);
    edit.setCaret(caret);
}

ProseFindings::ProseFindings(ScriptEdit &edit, QObject *parent)
    : FindingSource(parent)
    , m_edit(edit)
    , m_run(edit.script())
    , m_rules(loadRules())
    , m_tools(new QWidget)
    , m_unify(new QPushButton(QStringLiteral(u"統一(&T)…"), m_tools))
{
    auto *menu = new QMenu(m_tools);
    menu->setObjectName(QStringLiteral("proseRuleMenu"));
    for (std::size_t i = 0; i < rules.size(); ++i) {
        QAction *action = new QAction(QString::fromUtf16(actionCaptions[i]), this);
        action->setObjectName(QLatin1String(actionNames[i]));
        action->setCheckable(true);
        action->setChecked(m_rules.on[i]);
        connect(action, &QAction::toggled, this, &ProseFindings::ruleSwitched);
        menu->addAction(action);
        m_actions[i] = action;
    }
    auto *rulesButton = new QToolButton(m_tools);
    rulesButton->setObjectName(QStringLiteral("proseRules"));
    rulesButton->setText(QStringLiteral(u"文章の点検(&D)"));
    rulesButton->setToolTip(QStringLiteral(u"文章の点検で調べる項目"));
    rulesButton->setMenu(menu);
    rulesButton->setPopupMode(QToolButton::InstantPopup);
    m_unify->setObjectName(QStringLiteral("proseUnify"));
    m_unify->setToolTip(QStringLiteral(u"この指摘の語の書き方を、選んだ一つにそろえます"));
    m_unify->setEnabled(false);
    auto *layout = new QHBoxLayout(m_tools);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rulesButton);
    layout->addWidget(m_unify);
    connect(m_unify, &QPushButton::clicked, this, &ProseFindings::unifyCurrent);

    connect(&m_run, &ProseRun::checked, this, &ProseFindings::checked);
    connect(&m_run, &ProseRun::unified, this, &ProseFindings::unified);
    connect(&m_run, &ProseRun::unavailable, this, [this](const QString &reason) {
        emit notice(QStringLiteral(u"MeCabの辞書を開けないため、表記ゆれと声は調べられません（%1）。").arg(reason.trimmed()));
    });
    connect(&m_run, &ProseRun::listRefused, this, [this](const IoError &error) {
        emit notice(QStringLiteral(u"表記の一覧を読まずに調べました。%1").arg(shortWording(error)));
    });
    connect(&m_run, &ProseRun::lemmasUnavailable, this, [this](const QString &reason) {
        emit notice(QStringLiteral(u"語彙素のわかる辞書 UniDic を開けないため、表記ゆれは表記の一覧の分だけ調べます（%1）。")
                        .arg(reason.trimmed()));
    });
}

// The tools belong to the panel that took them, or to nobody yet.
ProseFindings::~ProseFindings()
{
    if (m_tools && !m_tools->parent())
        delete m_tools.data();
}

void ProseFindings::start()
{
    m_wanted = true;
    if (m_rules.any())
        m_run.check(m_rules);
    else
        checked({});
}

void ProseFindings::stop()
{
    m_wanted = false;
    m_run.stop();
    m_result = {};
    setCurrent(-1);
}

bool ProseFindings::pending() const
{
    return m_wanted && m_rules.any() && (m_run.checking() || m_run.stale());
}

void ProseFindings::setCurrent(int index)
{
    m_current = index;
    m_unify->setEnabled(index >= 0 && std::size_t(index) < m_result.findings.size() &&
                        m_result.findings[std::size_t(index)].group >= 0 && m_unifyDialog.isNull());
}

void ProseFindings::ruleSwitched()
{
    for (std::size_t i = 0; i < rules.size(); ++i)
        m_rules.on[i] = m_actions[i]->isChecked();
    saveRules(m_rules);
    if (m_wanted)
        start();
}

void ProseFindings::checked(const Result &result)
{
    if (!m_wanted)
        return;
    m_result = result;
    m_current = -1;
    std::vector<dnml::Finding> findings;
    findings.reserve(m_result.findings.size());
    for (const Finding &f : m_result.findings)
        findings.push_back(asFinding(f));
    emit finished(findings);
}

void ProseFindings::unifyCurrent()
{
    if (m_current < 0 || std::size_t(m_current) >= m_result.findings.size() || !m_unifyDialog.isNull())
        return;
    const int index = m_result.findings[std::size_t(m_current)].group;
    if (index < 0)
        return;
    const SpellingGroup group = m_result.groups[std::size_t(index)];
    auto *dialog = new UnifyDialog(group, m_edit.window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_unifyDialog = dialog;
    m_unify->setEnabled(false);
    connect(dialog, &UnifyDialog::targetChosen, this, [this, group](const QString &target) { m_run.unify(group, target); });
    connect(dialog, &QDialog::accepted, this, [this, dialog] { write(dialog->ticked(), dialog->chosen()); });
    // On finishing, not on destruction: a half-destroyed dialog is no
    // UnifyDialog any more.
    connect(dialog, &QDialog::finished, this, [this] {
        m_unifyDialog.clear();
        setCurrent(m_current);
    });
    // Shown once its first places are in: what the writer sees first is
    // what would be written.
    m_run.unify(group, dialog->chosen());
}

void ProseFindings::unified(const Unified &unified)
{
    if (!m_unifyDialog)
        return;
    m_unifyDialog->showChanges(unified.target, describeChanges(m_edit.script(), unified.replacements), unified.kept);
    if (!m_unifyDialog->isVisible())
        m_unifyDialog->open();
}

void ProseFindings::write(const std::vector<Replacement> &replacements, const QString &target)
{
    if (replacements.empty())
        return;
    replaceInScript(m_edit, replacements);
    // The writer's next Ctrl+Z takes the step back: the focus is in the
    // script, at the first place written.
    m_edit.setCaret(replacements.front().offset);
    m_edit.setFocus(Qt::OtherFocusReason);
    m_edit.window()->activateWindow();
    emit notice(QStringLiteral(u"%1か所を「%2」にそろえました。").arg(replacements.size()).arg(target));
}

} // namespace prose
