#pragma once

#include <array>
#include <cstdint>

#include "host/effect_constants.h"
#include "host/pf_entry.h"

// The plug-in property list, described once. pipl_bytes.h turns it into the resource's
// bytes at compile time; the module carries them in its ".pipl" section.
namespace boxwander {

enum class PiplValue {
  Code,          // a four-character code (text)
  PascalString,  // length byte and characters (text)
  CodeEntry,     // zero-terminated entry-point name (text)
  TwoShorts,     // 16-bit first, then 16-bit second
  Long,          // 32-bit number
  Short,         // 16-bit number
};

struct PiplProperty {
  const char* vendor;  // four-character codes
  const char* key;
  PiplValue kind;
  const char* text = nullptr;
  std::uint32_t number = 0;
  std::uint16_t first = 0;
  std::uint16_t second = 0;
};

inline constexpr std::uint16_t kPiplResourceVersion = 1;
inline constexpr std::uint32_t kPiplListVersion = 0;

inline constexpr std::array<PiplProperty, 12> kPiplProperties = {{
    {"8BIM", "kind", PiplValue::Code, "eFKT"},  // an effect
    {"8BIM", "name", PiplValue::PascalString, kEffectName},
    {"8BIM", "catg", PiplValue::PascalString, kEffectCategory},
    {"8BIM", "wx86", PiplValue::CodeEntry, PF_ENTRY_POINT_NAME},
    {"8BIM", "ePVR", PiplValue::TwoShorts, nullptr, 0, kPiplVersionMajor, kPiplVersionMinor},
    {"8BIM", "eSVR", PiplValue::TwoShorts, nullptr, 0, kEffectSpecVersionMajor,
     kEffectSpecVersionMinor},
    {"8BIM", "eVER", PiplValue::Long, nullptr, kEffectVersion},
    {"8BIM", "eINF", PiplValue::Short, nullptr, 0},
    {"8BIM", "eGLO", PiplValue::Long, nullptr, static_cast<std::uint32_t>(kEffectOutFlags)},
    {"8BIM", "eGL2", PiplValue::Long, nullptr, static_cast<std::uint32_t>(kEffectOutFlags2)},
    {"8BIM", "eMNA", PiplValue::PascalString, kEffectMatchName},
    {"8BIM", "aeFL", PiplValue::Long, nullptr, kEffectReservedInfo},
}};

}  // namespace boxwander
