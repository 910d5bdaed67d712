#include "catalogues/catalogue.h"

// PLACEHOLDER: rows not written yet.
namespace catalogues {
constexpr std::array<Row, 97> places{};
} // namespace catalogues
