#pragma once

#include <cstdint>

#include "host/pf_types.h"

// The effect's identity, version and capability flags. The property list and the setup
// code both take them from here, so the two cannot disagree.
namespace boxwander {

inline constexpr char kEffectName[] = "Boxwander";
inline constexpr char kEffectMatchName[] = "Boxwander by Ludmere";
inline constexpr char kEffectCategory[] = "Ostrel";
inline constexpr char kEffectDescription[] = "Lays a chain of rectangles along a mask path.";
// The name given to the host's plug-in registration at global setup.
inline constexpr char kRegistrationName[] = "Error!";

inline constexpr std::uint32_t kVersionMajor = 1;
inline constexpr std::uint32_t kVersionMinor = 0;
inline constexpr std::uint32_t kVersionFix = 0;
inline constexpr std::uint32_t kVersionStageRelease = 3;
inline constexpr std::uint32_t kVersionBuild = 1;

// The host's version word: build in bits 0-8, stage 9-10, fix 11-14, minor 15-18,
// major 19-21.
constexpr std::uint32_t VersionWord(std::uint32_t major, std::uint32_t minor, std::uint32_t fix,
                                    std::uint32_t stage, std::uint32_t build) {
  return (major << 19) | (minor << 15) | (fix << 11) | (stage << 9) | build;
}
inline constexpr std::uint32_t kEffectVersion =
    VersionWord(kVersionMajor, kVersionMinor, kVersionFix, kVersionStageRelease, kVersionBuild);
static_assert(kEffectVersion == 0x00080601u);

inline constexpr std::int32_t kEffectOutFlags =
    PF_OutFlag_USE_OUTPUT_EXTENT | PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
// Not declared thread-safe: PF_OutFlag2_I_AM_THREADSAFE stays clear.
inline constexpr std::int32_t kEffectOutFlags2 =
    PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_FLOAT_COLOR_AWARE;
static_assert(kEffectOutFlags == 0x06000040 && kEffectOutFlags2 == 0x00001400);

// Property-list versions of the effect interface this module was written against.
inline constexpr std::uint16_t kPiplVersionMajor = 2;
inline constexpr std::uint16_t kPiplVersionMinor = 0;
inline constexpr std::uint16_t kEffectSpecVersionMajor = 12;
inline constexpr std::uint16_t kEffectSpecVersionMinor = 10;
inline constexpr std::uint32_t kEffectReservedInfo = 8;

}  // namespace boxwander
