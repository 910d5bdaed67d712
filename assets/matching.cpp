#include "assets/matching.h"

#include <algorithm>

namespace assets {
namespace {

// The rows by their ranks, the rows of one rank in the order given.
template <typename Rank>
std::vector<const Asset *> byRank(std::vector<std::pair<Rank, const Asset *>> ranked)
{
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<const Asset *> out;
    out.reserve(ranked.size());
    for (const auto &[rank, asset] : ranked)
        out.push_back(asset);
    return out;
}

} // namespace

Match matchOf(QStringView query, QStringView text)
{
    if (text.startsWith(query))
        return Match::Prefix;
    if (text.contains(query))
        return Match::Substring;
    qsizetype at = 0;
    for (QChar c : query) {
        at = text.indexOf(c, at);
        if (at < 0)
            return Match::None;
        ++at;
    }
    return Match::Subsequence;
}

std::vector<const Asset *> matching(const std::vector<const Asset *> &rows, QStringView query)
{
    QString folded = fold(query);
    // A path typed in a tag ("PDT\CGYR1") is looked for among the stems.
    if (folded.contains(u'\\'))
        folded = fileStem(folded).toString();
    if (folded.isEmpty())
        return rows;
    std::vector<std::pair<Match, const Asset *>> found;
    found.reserve(rows.size());
    for (const Asset *asset : rows) {
        Match best = matchOf(folded, asset->foldedName);
        if (best != Match::Prefix && !asset->foldedStem.isEmpty())
            best = std::min(best, matchOf(folded, asset->foldedStem));
        if (best != Match::None)
            found.emplace_back(best, asset);
    }
    return byRank(std::move(found));
}

RecentUse::Key RecentUse::keyOf(const Asset &asset)
{
    const void *owner = asset.pictures ? static_cast<const void *>(asset.pictures) : asset.member;
    return {asset.kind, owner, asset.reference()};
}

void RecentUse::use(const Asset &asset)
{
    const Key key = keyOf(asset);
    m_used.erase(std::remove(m_used.begin(), m_used.end(), key), m_used.end());
    m_used.push_back(key);
}

std::vector<const Asset *> RecentUse::order(const std::vector<const Asset *> &rows) const
{
    std::vector<std::pair<std::size_t, const Asset *>> ranked;
    ranked.reserve(rows.size());
    for (const Asset *asset : rows) {
        const auto used = std::find(m_used.rbegin(), m_used.rend(), keyOf(*asset));
        // 0 for the latest used, then the earlier ones; the rest after them.
        ranked.emplace_back(used == m_used.rend() ? m_used.size() : std::size_t(used - m_used.rbegin()), asset);
    }
    return byRank(std::move(ranked));
}

} // namespace assets
