#include "prose/rule_settings.h"

#include "document/settings.h"

namespace prose {
namespace {

// The keys, in the order of the rules.
constexpr const char *keys[] = {"prose/spelling", "prose/voice", "prose/punctuation"};
static_assert(std::size(keys) == rules.size());

} // namespace

Rules loadRules()
{
    const settings::Stored stored;
    Rules loaded;
    for (std::size_t i = 0; i < rules.size(); ++i)
        loaded.on[i] = stored.value(QLatin1String(keys[i]), loaded.on[i]).toBool();
    return loaded;
}

void saveRules(const Rules &saved)
{
    settings::Stored stored;
    for (std::size_t i = 0; i < rules.size(); ++i)
        stored.setValue(QLatin1String(keys[i]), saved.on[i]);
}

} // namespace prose
