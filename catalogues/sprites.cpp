#include "catalogues/catalogue.h"

// PLACEHOLDER: rows not written yet.
namespace catalogues {
namespace sprites {
constexpr std::array<Row, 110> yura{};
constexpr std::array<Row, 70> chitose{};
constexpr std::array<Row, 12> harumi{};
constexpr std::array<Row, 31> rin{};
constexpr std::array<Row, 13> sayoko{};
constexpr std::array<Row, 56> mashiro{};
constexpr std::array<Row, 6> sayuki{};
constexpr std::array<Row, 17> chikage{};
constexpr std::array<Row, 68> shizuku{};
constexpr std::array<Row, 2> wataru{};
}
} // namespace catalogues
