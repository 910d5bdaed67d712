#include "catalogues/catalogue.h"

// PLACEHOLDER: rows not written yet.
namespace catalogues {
namespace events {
constexpr std::array<Row, 31> yuraAdult{};
constexpr std::array<Row, 34> yuraAllAges{};
constexpr std::array<Row, 29> chitoseAdult{};
constexpr std::array<Row, 30> chitoseAllAges{};
constexpr std::array<Row, 27> shizukuAdult{};
constexpr std::array<Row, 31> shizukuAllAges{};
constexpr std::array<Row, 28> rinAdult{};
constexpr std::array<Row, 29> rinAllAges{};
constexpr std::array<Row, 19> mashiroAdult{};
constexpr std::array<Row, 23> mashiroAllAges{};
}
} // namespace catalogues
