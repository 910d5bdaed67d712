#include "catalogues/catalogue.h"

// PLACEHOLDER: rows not written yet.
namespace catalogues {
namespace events {
constexpr std::array<Row, 67> demoAdult{};
constexpr std::array<Row, 67> demoAllAges{};
}
} // namespace catalogues
