// Modules as ELF shared objects: the property list is the ".pipl" section, the module is
// loaded with dlopen.
#include <dlfcn.h>

#include "minihost/elf_section.h"
#include "minihost/file_bytes.h"
#include "minihost/load_error.h"
#include "minihost/native_module.h"

namespace boxwander::minihost {

std::vector<std::uint8_t> ReadPropertyListBytes(const std::string& path) {
  const auto image = ReadFileBytes(path);
  ElfSection section = FindElfSection(image, ".pipl");
  if (!section.found) {
    throw LoadError(LoadError::Kind::kNoPropertyList, "no .pipl section");
  }
  return std::move(section.bytes);
}

NativeModule OpenNativeModule(const std::string& path) {
  // A bare name would make dlopen search the library path instead of opening this file.
  const std::string openName = path.find('/') == std::string::npos ? "./" + path : path;
  void* library = dlopen(openName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    throw LoadError(LoadError::Kind::kLoadFailed, why != nullptr ? why : "cannot be loaded");
  }
  return library;
}

void* FindNativeEntry(NativeModule module, const std::string& name) noexcept {
  dlerror();
  return dlsym(module, name.c_str());
}

void CloseNativeModule(NativeModule module) noexcept {
  dlclose(module);
}

}  // namespace boxwander::minihost
