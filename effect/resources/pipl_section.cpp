#include "resources/pipl_bytes.h"

namespace boxwander {
namespace {

// Built at compile time and kept in its own section, so a host reads it from the file
// before loading the module. Nothing in the module refers to it.
[[gnu::used, gnu::section(".pipl")]] constexpr std::array<std::uint8_t, PiplSize()> kPipl =
    PiplBytes();

}  // namespace
}  // namespace boxwander
