#include "catalogues/catalogue.h"

// PLACEHOLDER: rows not written yet.
namespace catalogues {
constexpr std::array<Row, 19> soundEffects{};
} // namespace catalogues
