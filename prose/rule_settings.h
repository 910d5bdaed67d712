// Which rules of the prose check are on, remembered from one start to the
// next beside the program's other settings
// ($XDG_CONFIG_HOME/scrivlet/scrivlet.conf, group "prose").
#pragma once

#include "prose/prose_check.h"

namespace prose {

Rules loadRules();
void saveRules(const Rules &rules);

} // namespace prose
