// The prose check's figures (group "prose"): the whole 文章 check by F7 on
// the first 5,000 lines and on the whole script, the longest turn of the
// event loop meanwhile, and 使用箇所 on the whole script.
#pragma once

#include "prose/prose_check.h"

#include <QString>

class MainWindow;

namespace bench {

void proseFigures(const QString &path, const QString &expected, int runs);

// The memory figure's process: F7 with the prose rules on, until every
// finding of both kinds has come.
void proseCheckForPeak(MainWindow &window);

// The prose rules off while it lives (for the figures of the markup check
// alone), and back as they were after.
class ProseRulesOff
{
public:
    ProseRulesOff();
    ~ProseRulesOff();
    ProseRulesOff(const ProseRulesOff &) = delete;
    ProseRulesOff &operator=(const ProseRulesOff &) = delete;

private:
    prose::Rules m_were;
};

} // namespace bench
