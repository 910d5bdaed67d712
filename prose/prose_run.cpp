#include "prose/prose_run.h"

#include "document/script_document.h"
#include "prose/list_rules.h"

namespace prose {
namespace {

// Slices the worker may hold at once: one it reads, one waiting.
constexpr int mostInFlight = 2;

} // namespace

// What the worker keeps between its jobs: the tagger, made on its first
// job, and the pass under way.
struct ProseRun::Pass {
    std::unique_ptr<Reader> reader;
    std::unique_ptr<Reader> lemmas;  // made when 表記ゆれ first needs it
    // The writer's list as it was read, and the file's stamp then: read
    // again only when the file changes.
    std::shared_ptr<const ListRules> list;
    std::optional<disk::Stamp> listStamp;
    std::unique_ptr<Check> check;
    std::unique_ptr<Unify> unify;
};

ProseRun::ProseRun(const ScriptDocument &document, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_pass(std::make_unique<Pass>())
    , m_worker(QStringLiteral("prose"))
{
    m_more.setSingleShot(true);
    m_more.setInterval(0);
    connect(&m_more, &QTimer::timeout, this, &ProseRun::feed);
    connect(&document, &ScriptDocument::contentChanged, this, &ProseRun::edited);
}

ProseRun::~ProseRun() = default;

bool ProseRun::checking() const
{
    return (m_running && !m_running->unify) || m_wantCheck;
}

bool ProseRun::stale() const
{
    return m_checked != m_document.revision();
}

void ProseRun::check(Rules rules)
{
    // Only the list's stamp here: the worker reads the file, and only when
    // it changed.
    Job job{false, rules, disk::stampOf(userListPath()), {}, {}};
    if (m_running && !m_running->unify) {
        // The same check of the same text is under way already.
        if (m_running->rules == rules && m_running->listStamp == job.listStamp && m_revision == m_document.revision())
            return;
        abandon();
    }
    m_wantCheck = std::move(job);
    if (!m_running)
        begin();
}

void ProseRun::unify(SpellingGroup group, QString target)
{
    m_wantUnify = Job{true, {}, {}, std::move(group), std::move(target)};
    if (m_running && !m_running->unify) {
        // The check waits for the unify, whose edit calls for a new one.
        m_wantCheck = std::move(m_running);
        abandon();
    }
    if (!m_running)
        begin();
}

void ProseRun::stop()
{
    m_wantCheck.reset();
    if (m_running && !m_running->unify) {
        abandon();
        begin();
    }
}

void ProseRun::abandon()
{
    if (!m_running)
        return;
    if (m_running->unify && !m_wantUnify)
        m_wantUnify = std::move(m_running);
    m_running.reset();
    ++m_generation;
    m_worker.post([this] {
        m_pass->check.reset();
        m_pass->unify.reset();
    });
}

void ProseRun::edited()
{
    if (m_running) {
        abandon();
        begin();
    }
}

void ProseRun::begin()
{
    if (m_running)
        return;
    if (m_wantUnify)
        m_running = std::exchange(m_wantUnify, std::nullopt);
    else if (m_wantCheck)
        m_running = std::exchange(m_wantCheck, std::nullopt);
    else
        return;
    m_revision = m_document.revision();
    m_position = 0;
    m_inFlight = 0;
    ++m_generation;
    m_worker.post([this, job = *m_running] {
        Pass &pass = *m_pass;
        if (!pass.reader)
            pass.reader = std::make_unique<Reader>();
        if (!pass.reader->ok())
            Worker::reply(this, [this, reason = pass.reader->error()] {
                if (!std::exchange(m_told, true))
                    emit unavailable(reason);
            });
        const bool wantsLemmas = job.unify ? !job.group.listed : job.rules[Rule::Spelling];
        if (wantsLemmas && pass.reader->ok() && !pass.lemmas) {
            pass.lemmas = std::make_unique<Reader>(Dictionary::UniDic);
            if (!pass.lemmas->ok())
                Worker::reply(this, [this, reason = pass.lemmas->error()] { emit lemmasUnavailable(reason); });
        }
        if (job.unify) {
            pass.unify = std::make_unique<Unify>(*pass.reader, pass.lemmas.get(), job.group, job.target);
            return;
        }
        if (job.rules[Rule::Spelling] && (!pass.list || pass.listStamp != job.listStamp)) {
            UserListFile file = readUserList();
            pass.list = std::make_shared<const ListRules>(*pass.reader, std::move(file.list));
            pass.listStamp = job.listStamp;
            if (file.refused)
                Worker::reply(this, [this, refused = *file.refused] { emit listRefused(refused); });
        }
        pass.check = std::make_unique<Check>(*pass.reader, pass.lemmas.get(), job.rules,
                                             job.rules[Rule::Spelling] && pass.list
                                                 ? pass.list
                                                 : std::make_shared<const ListRules>(*pass.reader, UserList()));
    });
    feed();
}

void ProseRun::feed()
{
    const qint64 length = m_document.length();
    if (m_running && m_inFlight < mostInFlight && m_position <= length) {
        const int slice = int(std::min<qint64>(sliceLength, length - m_position));
        const bool last = m_position + slice >= length;
        // Slices meet where the script's offsets say: one that would end
        // inside a CR LF ends before it, and the next begins there.
        QString part = m_document.text(m_position, slice);
        // Past the end once the last slice is out.
        m_position += last ? slice + 1 : slice;
        ++m_inFlight;
        m_worker.post([this, generation = m_generation, part = std::move(part), last] {
            Pass &pass = *m_pass;
            if (pass.check)
                pass.check->add(part, last);
            else if (pass.unify)
                pass.unify->add(part, last);
            else
                return;  // given up
            if (!last) {
                Worker::reply(this, [this, generation] { partDone(generation, false); });
            } else if (pass.check && pass.check->again()) {
                Worker::reply(this, [this, generation] { readAgain(generation); });
            } else if (pass.check) {
                auto result = std::exchange(pass.check, nullptr)->finish();
                Worker::reply(this, [this, generation, result = std::move(result)]() mutable {
                    m_result = std::move(result);
                    partDone(generation, true);
                });
            } else {
                auto unified = std::exchange(pass.unify, nullptr)->finish();
                Worker::reply(this, [this, generation, unified = std::move(unified)]() mutable {
                    m_unified = std::move(unified);
                    partDone(generation, true);
                });
            }
        });
    }
    // One slice a turn of the event loop: the next one, if the worker may
    // have it yet, on the next turn.
    if (m_running && m_inFlight < mostInFlight && m_position <= length)
        m_more.start();
}

void ProseRun::partDone(quint64 generation, bool last)
{
    if (generation != m_generation || !m_running) {
        m_result.reset();
        m_unified.reset();
        return;
    }
    --m_inFlight;
    if (last)
        finish();
    else
        feed();
}

void ProseRun::readAgain(quint64 generation)
{
    if (generation != m_generation || !m_running)
        return;
    --m_inFlight;
    m_position = 0;
    feed();
}

void ProseRun::finish()
{
    const Job job = *std::exchange(m_running, std::nullopt);
    // Edits give a run up at once: what comes back is of the text as it is.
    if (job.unify) {
        const Unified done = *std::exchange(m_unified, std::nullopt);
        emit unified(done);
    } else {
        m_checked = m_revision;
        const Result result = *std::exchange(m_result, std::nullopt);
        emit checked(result);
    }
    begin();
}

} // namespace prose
