#include "versions/ui/versions_dialog.h"

#include "document/file_access.h"
#include "document/io_wording.h"
#include "versions/comparison.h"
#include "versions/ui/comparison_view.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <set>
#include <utility>

namespace versions {
namespace {

const QString title = QStringLiteral(u"以前の版");

QString number(qint64 n) { return QLocale(QLocale::Japanese).toString(n); }

QString signedNumber(qint64 n) { return n > 0 ? u'+' + number(n) : n < 0 ? QStringLiteral(u"−") + number(-n) : QStringLiteral(u"±0"); }

QString timeOf(const Version &v)
{
    return QDateTime::fromMSecsSinceEpoch(v.time).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString kindOf(const Version &v)
{
    switch (v.kind) {
    case Kind::Saved:
        return QStringLiteral(u"保存");
    case Kind::BeforeOverwrite:
        return QStringLiteral(u"上書き前のファイル");
    case Kind::Named:
        return v.note.isEmpty() ? QStringLiteral(u"名前付き") : QStringLiteral(u"名前: %1").arg(v.note);
    case Kind::BeforeBringBack:
        return QStringLiteral(u"戻す前の文章");
    }
    return {};
}

QLabel *labelFor(const QString &caption, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

// The versions of the file and of the files it was saved from, in turn.
struct VersionsDialog::Found {
    std::vector<Entry> entries;
    std::vector<Problem> problems;
    std::vector<std::pair<QString, IoError>> unreadable;  // a file whose versions' folder could not be read
};

struct VersionsDialog::Compared {
    quint64 serial = 0;
    std::shared_ptr<const Comparison> comparison;  // null: skipped, or failed
    QString error;
};

// The last few texts read, so that going up and down the list does not
// read them again. Used on the worker only.
struct VersionsDialog::TextCache {
    std::vector<std::pair<QByteArray, QString>> texts;

    Text get(const Store &store, const QString &file, const QByteArray &hash)
    {
        for (const auto &[held, text] : texts)
            if (held == hash)
                return {text, {}};
        Text read = store.text(file, hash);
        if (!read.error) {
            texts.insert(texts.begin(), {hash, read.text});
            if (texts.size() > 3)
                texts.pop_back();
        }
        return read;
    }
};

VersionsDialog::VersionsDialog(Keeper &keeper, ScriptEdit &text1, const QString &path, YesNo yesNo, bool keepFirst,
                               QWidget *parent)
    : QDialog(parent)
    , m_keeper(keeper)
    , m_text1(text1)
    , m_path(path)
    , m_yesNo(std::move(yesNo))
    , m_keepFirst(keepFirst)
    , m_list(new QTreeWidget(this))
    , m_problems(new QLabel(this))
    , m_against(new QComboBox(this))
    , m_view(new ComparisonView(this))
    , m_summary(new QLabel(this))
    , m_bringBack(new QPushButton(QStringLiteral(u"この版に戻す(&R)"), this))
    , m_takeOver(new QPushButton(QStringLiteral(u"選んだ行を取り込む(&T)"), this))
    , m_latest(std::make_shared<std::atomic<quint64>>(0))
    , m_texts(std::make_shared<TextCache>())
{
    setObjectName(QStringLiteral("versionsDialog"));
    // The title is the list's own once the versions are in it.
    setWindowTitle(QStringLiteral(u"%1 - %2（読み込んでいます…）").arg(title, disk::shownName(QFileInfo(path).fileName())));
    setAttribute(Qt::WA_DeleteOnClose);
    // Room for the list and the comparison, on any screen.
    resize(QSize(900, 660).boundedTo(screen()->availableGeometry().size() * 0.9));

    m_list->setObjectName(QStringLiteral("versionList"));
    m_list->setAccessibleName(QStringLiteral(u"版の一覧"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({QStringLiteral(u"日時"), QStringLiteral(u"種類・メモ"), QStringLiteral(u"文字数"),
                             QStringLiteral(u"文字の増減"), QStringLiteral(u"行の増減")});
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    m_list->installEventFilter(this);
    followScriptFont(m_list, text1);
    m_problems->setObjectName(QStringLiteral("versionProblems"));
    m_problems->setWordWrap(true);
    m_problems->hide();
    m_against->setObjectName(QStringLiteral("comparedWith"));
    // A long note or file name in a row never widens the dialog.
    m_against->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_against->setMinimumContentsLength(24);
    m_against->setAccessibleName(QStringLiteral(u"比べる相手"));
    m_view->setObjectName(QStringLiteral("comparison"));
    m_view->setAccessibleName(QStringLiteral(u"比較"));
    QFont font = gothicFont();
    font.setPointSize(text1.fontSize());
    m_view->setTextFont(font);
    m_summary->setObjectName(QStringLiteral("comparisonSummary"));
    m_summary->setWordWrap(true);
    m_bringBack->setObjectName(QStringLiteral("bringBack"));
    m_takeOver->setObjectName(QStringLiteral("takeOver"));
    auto *close = new QPushButton(QStringLiteral(u"閉じる"), this);
    close->setObjectName(QStringLiteral("closeVersions"));
    // Return belongs to the list (bring back), never to a button.
    for (QPushButton *button : {m_bringBack, m_takeOver, close})
        button->setAutoDefault(false);

    auto *top = new QWidget(this);
    auto *topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(labelFor(QStringLiteral(u"版(&L):"), m_list, top));
    topLayout->addWidget(m_list);
    topLayout->addWidget(m_problems);
    auto *bottom = new QWidget(this);
    auto *bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    auto *against = new QHBoxLayout;
    against->addWidget(labelFor(QStringLiteral(u"比べる相手(&C):"), m_against, bottom));
    against->addWidget(m_against, 1);
    bottomLayout->addLayout(against);
    bottomLayout->addWidget(labelFor(QStringLiteral(u"比較(&D):"), m_view, bottom));
    bottomLayout->addWidget(m_view, 1);
    bottomLayout->addWidget(m_summary);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(top);
    split->addWidget(bottom);
    split->setStretchFactor(1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_bringBack);
    buttons->addWidget(m_takeOver);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    // Alt+↓ and Alt+↑, as diff tools have them; F8 is the check's in the
    // window behind.
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Down), this), &QShortcut::activated, this,
            &VersionsDialog::nextDifference);
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Up), this), &QShortcut::activated, this,
            &VersionsDialog::previousDifference);
    // The two buttons act on their access keys at once, not after the
    // moment a button's own key shows it pressed: an Escape right after
    // would close the dialog first and lose what the key asked for.
    const auto act = [this](QPushButton *button, void (VersionsDialog::*command)()) {
        connect(button, &QPushButton::clicked, this, command);
        const QKeySequence key = button->shortcut();
        button->setShortcut({});
        auto *shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [button, command, this] {
            if (button->isEnabled())
                (this->*command)();
        });
    };
    act(m_bringBack, &VersionsDialog::bringBack);
    act(m_takeOver, &VersionsDialog::takeOver);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::doubleClicked, this, &VersionsDialog::bringBack);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &VersionsDialog::compare);
    connect(m_against, &QComboBox::currentIndexChanged, this, &VersionsDialog::compare);
    connect(this, &QDialog::finished, &m_text1, [text1 = &m_text1] { text1->setFocus(); });

    summarise(QStringLiteral(u"読み込んでいます…"));
    m_keeper.ask(
        [path](const Store &store) {
            Found found;
            std::set<QString> seen;
            for (QString file = path; !file.isEmpty() && seen.insert(file).second && seen.size() <= 16;) {
                Listing listing = store.list(file);
                if (listing.error)
                    found.unreadable.emplace_back(file, *listing.error);
                for (Version &v : listing.versions)
                    found.entries.push_back({file, std::move(v)});
                found.problems.insert(found.problems.end(), listing.problems.begin(), listing.problems.end());
                file = listing.origin;
            }
            return found;
        },
        [dialog = QPointer(this)](const Found &found) {
            if (dialog)
                dialog->fill(found);
        });
}

VersionsDialog::~VersionsDialog() = default;

void VersionsDialog::fill(const Found &found)
{
    m_entries = found.entries;
    setWindowTitle(QStringLiteral(u"%1 - %2").arg(title, disk::shownName(QFileInfo(m_path).fileName())));
    const QSignalBlocker quiet(m_against);
    m_against->addItem(QStringLiteral(u"今の文章"), -1);
    QList<QTreeWidgetItem *> items;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Version &v = m_entries[i].version;
        const Version *below = i + 1 < m_entries.size() ? &m_entries[i + 1].version : nullptr;
        QString kind = kindOf(v);
        if (m_entries[i].file != m_path)
            kind += QStringLiteral(u"（元のファイル「%1」）").arg(disk::shownName(QFileInfo(m_entries[i].file).fileName()));
        auto *item = new QTreeWidgetItem({timeOf(v), kind, number(v.characters) + u'字',
                                          below ? signedNumber(v.characters - below->characters) : QString(),
                                          below && v.against == below->text
                                              ? QStringLiteral(u"+%1 −%2").arg(number(v.linesAdded), number(v.linesRemoved))
                                              : QString()});
        for (int column : {2, 3, 4})
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
        m_against->addItem(timeOf(v) + u'\u3000' + kind, int(i));
    }
    m_list->addTopLevelItems(items);
    for (int column : {0, 2, 3, 4})
        m_list->resizeColumnToContents(column);
    // A folder that cannot be read is said as such, never as no versions.
    QStringList unreadable;
    for (const auto &[file, error] : found.unreadable)
        unreadable << QStringLiteral(u"「%1」の版を読めませんでした。%2")
                          .arg(disk::shownName(QFileInfo(file).fileName()), shortWording(error));
    QStringList problems;
    for (const Problem &problem : found.problems)
        problems << QStringLiteral(u"「%1」（%2）")
                        .arg(shortenedPath(disk::shownName(problem.path)),
                             problem.error ? shortWording(*problem.error) : problem.reason);
    QStringList lines = m_entries.empty() ? QStringList() : unreadable;
    if (!problems.isEmpty())
        lines << QStringLiteral(u"読めないファイルを飛ばしました: ") + problems.join(u"、");
    m_problems->setText(lines.join(u'\n'));
    m_problems->setVisible(!lines.isEmpty());
    m_bringBack->setEnabled(!m_entries.empty());
    if (m_entries.empty())
        summarise(unreadable.isEmpty() ? QStringLiteral(u"このファイルの版はまだありません。保存すると残ります。")
                                       : unreadable.join(u'\n'));
    emit listed();
    if (!items.isEmpty())
        m_list->setCurrentItem(items.front());
    m_list->setFocus();
}

const QString &VersionsDialog::current()
{
    if (m_currentRevision != m_text1.script().revision()) {
        m_current = m_text1.text();
        m_currentRevision = m_text1.script().revision();
    }
    return m_current;
}

void VersionsDialog::compare()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0)
        return;
    const Entry a = m_entries[std::size_t(row)];
    const int other = m_against->currentData().toInt();
    const bool againstNow = other < 0;
    const std::optional<Entry> b = againstNow ? std::nullopt : std::optional(m_entries[std::size_t(other)]);
    const QString now = againstNow ? current() : QString();
    m_takeOver->setEnabled(againstNow);
    summarise(QStringLiteral(u"比べています…"));
    const quint64 serial = ++*m_latest;
    m_keeper.ask(
        [a, b, now, serial, latest = m_latest, texts = m_texts](const Store &store) {
            Compared compared{serial, nullptr, {}};
            if (serial != latest->load())
                return compared;
            const Text older = texts->get(store, a.file, a.version.text);
            const Text newer = b ? texts->get(store, b->file, b->version.text) : Text{now, {}};
            if (older.error || newer.error)
                compared.error = shortWording(*(older.error ? older.error : newer.error));
            else
                compared.comparison = std::make_shared<const Comparison>(versions::compare(older.text, newer.text));
            return compared;
        },
        [dialog = QPointer(this)](const Compared &compared) {
            if (dialog)
                dialog->showComparison(compared);
        });
}

void VersionsDialog::showComparison(const Compared &result)
{
    if (result.serial != m_latest->load())
        return;
    m_shown = result.serial;
    m_view->setComparison(result.comparison);
    const Comparison *c = result.comparison.get();
    if (!c)
        summarise(QStringLiteral(u"比べられません: %1").arg(result.error));
    else if (c->differences.empty())
        summarise(QStringLiteral(u"違いはありません。"));
    else
        summarise(QStringLiteral(u"違い %1か所: %2行追加、%3行削除（うち%4行は変更）。Alt+↓ 次の違い、Alt+↑ 前の違い")
                               .arg(number(qint64(c->differences.size())), number(c->added), number(c->removed),
                                    number(c->changed)));
    emit compared();
    if (std::exchange(m_takeOverWhenShown, false))
        takeOver();
}

void VersionsDialog::summarise(const QString &summary)
{
    m_summaryText = summary;
    m_summary->setText(summary);
}

void VersionsDialog::say(const QString &note)
{
    m_summary->setText(m_summaryText + u'\u3000' + note);
}

void VersionsDialog::nextDifference()
{
    if (!m_view->nextDifference())
        say(QStringLiteral(u"最初の違いに戻りました。"));
}

void VersionsDialog::previousDifference()
{
    if (!m_view->previousDifference())
        say(QStringLiteral(u"最後の違いに戻りました。"));
}

void VersionsDialog::bringBack()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || m_bringing)
        return;
    const Entry chosen = m_entries[std::size_t(row)];
    if (!m_yesNo(title, QStringLiteral(u"%1 の版に戻しますか?\n今の文章は「元に戻す」(Ctrl+Z)で取り戻せます。")
                            .arg(timeOf(chosen.version))))
        return;
    m_bringing = true;
    // What stands now is kept first, as a version of its own.
    if (m_keepFirst)
        m_keeper.keepText(m_path, current(), Kind::BeforeBringBack);
    m_keeper.ask([chosen, texts = m_texts](const Store &store) { return texts->get(store, chosen.file, chosen.version.text); },
                 [dialog = QPointer(this)](const Text &text) {
                     if (!dialog)
                         return;
                     dialog->m_bringing = false;
                     if (text.error) {
                         dialog->summarise(QStringLiteral(u"戻せませんでした: %1").arg(shortWording(*text.error)));
                         return;
                     }
                     dialog->replaceText(text.text);
                     dialog->accept();
                 });
}

void VersionsDialog::takeOver()
{
    // Asked for while the comparison is being made: it waits for it.
    if (m_shown != m_latest->load()) {
        m_takeOverWhenShown = true;
        return;
    }
    const Comparison *c = m_view->comparison();
    const std::vector<qsizetype> rows = m_view->rowsToTakeOver();
    if (!c || m_against->currentData().toInt() >= 0)
        return;
    // The script changed behind the comparison (a picker wrote into it):
    // compared again, nothing taken.
    if (m_currentRevision != m_text1.script().revision()) {
        compare();
        return;
    }
    const QString wanted = versions::takeOver(*c, rows);
    if (wanted == current()) {
        say(QStringLiteral(u"取り込む違いの行を選んでください（Shift+↑↓）。"));
        return;
    }
    replaceText(wanted);
    compare();
}

void VersionsDialog::replaceText(const QString &wanted)
{
    const Splice change = splice(current(), wanted);
    m_text1.select(change.start, change.length);
    m_text1.insert(change.text);
    m_current = wanted;
    m_currentRevision = m_text1.script().revision();
}

bool VersionsDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            bringBack();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace versions
