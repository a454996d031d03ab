#pragma once

#include <cstdint>
#include <span>

namespace boxwander::minihost {

// Checks that an image held in memory is a 64-bit Windows DLL for x86-64 (PE32+), reading
// only the DOS stub's pointer and the file and optional headers, before the system is
// asked to map it. Throws LoadError kNotPe when it is not a PE file, its headers lie
// outside the image or it is not a DLL, and kWrongMachine when it was built for another
// machine; the message names the machine.
void CheckPeModule(std::span<const std::uint8_t> image);

}  // namespace boxwander::minihost
