#include "editor/panel_heights.h"

#include <algorithm>

namespace panels {

namespace {

constexpr int keptLines = 8;

} // namespace

int text1Least(int frameHeight, int lineHeight, int chrome)
{
    return std::max(frameHeight / 3, keptLines * lineHeight + chrome);
}

Shares share(int space, int text1Least, std::span<const Panel> open)
{
    Shares shares;
    long long wanted = 0;
    long long spare = 0;  // what the panels hold above their least
    for (const Panel &panel : open) {
        const int height = std::max(panel.wanted, panel.least);
        shares.panels.push_back(height);
        wanted += height;
        spare += height - panel.least;
    }
    const long long shortBy = std::min<long long>(text1Least - (space - wanted), spare);
    if (shortBy > 0) {
        // Each gives its part of what is short, rounded down; the pixels
        // the rounding leaves come from the first panels still above their
        // least, one each.
        long long given = 0;
        for (std::size_t i = 0; i < open.size(); ++i) {
            const long long above = shares.panels[i] - open[i].least;
            const long long part = shortBy * above / spare;
            shares.panels[i] -= int(part);
            given += part;
        }
        for (std::size_t i = 0; i < open.size() && given < shortBy; ++i)
            if (shares.panels[i] > open[i].least) {
                --shares.panels[i];
                ++given;
            }
        wanted -= given;
    }
    shares.text1 = int(std::max<long long>(space - wanted, 0));
    return shares;
}

} // namespace panels
