#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What loading a module asks of the platform: where its property list is kept and how the
// system loads it. One implementation per platform (ELF and dlopen; PE and the Windows
// loader); everything else of the host is the same code everywhere. Messages do not name
// the file: the caller adds it.
namespace boxwander::minihost {

using NativeModule = void*;

// The raw bytes of the property list, read from the file without running any of it.
// Throws LoadError (kFileMissing, kNotElf / kNotPe / kWrongMachine, kNoPropertyList).
std::vector<std::uint8_t> ReadPropertyListBytes(const std::string& path);

// Loads the module for running; throws LoadError kLoadFailed with the system's reason.
NativeModule OpenNativeModule(const std::string& path);

// The address of an exported function, or null when the module exports no such name.
void* FindNativeEntry(NativeModule module, const std::string& name) noexcept;

void CloseNativeModule(NativeModule module) noexcept;

}  // namespace boxwander::minihost
