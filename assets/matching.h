// Finding assets by a few typed characters, as a writer types them: in
// full-width or half-width, upper or lower case, hiragana or katakana; and
// the assets used last, first.
#pragma once

#include "assets/asset_index.h"
#include "markup/folding.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string_view>
#include <vector>

namespace assets {

using markup::fold;

// How a typed text stands in a name, best first.
enum class Match : std::uint8_t { Prefix, Substring, Subsequence, None };

// Where `query` stands in `text`, both folded: at its start, anywhere in it,
// or its characters in order with others between them. An empty query is a
// prefix of everything.
Match matchOf(QStringView query, QStringView text);

// The rows of `rows` whose name or file stem holds `query` (any text, folded
// here; a path stands for its stem): those it starts, then those holding
// it, then those holding its characters in order; within each, in the
// order given. An empty query keeps every row in order.
std::vector<const Asset *> matching(const std::vector<const Asset *> &rows, QStringView query);

// The assets used since the program started, the latest first. An asset is
// the same in both install types when its picker and its reference are.
class RecentUse
{
public:
    void use(const Asset &asset);
    // `rows`, the ones used first (the latest first), then the others in
    // their order.
    std::vector<const Asset *> order(const std::vector<const Asset *> &rows) const;

private:
    struct Key {
        Kind kind;
        const void *owner;
        QStringView reference;
        friend bool operator==(const Key &, const Key &) = default;
    };
    static Key keyOf(const Asset &asset);
    std::vector<Key> m_used;  // the latest last
};

} // namespace assets
