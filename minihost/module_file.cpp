#include "minihost/module_file.h"

#include <dlfcn.h>

#include "minihost/elf_section.h"
#include "minihost/load_error.h"

namespace boxwander::minihost {
namespace {

[[noreturn]] void Fail(LoadError::Kind kind, const std::string& path, const std::string& what) {
  throw LoadError(kind, path + ": " + what);
}

}  // namespace

PropertyList ReadPropertyList(const std::string& path) {
  try {
    const auto image = ReadFileBytes(path);
    const ElfSection section = FindElfSection(image, ".pipl");
    if (!section.found) {
      Fail(LoadError::Kind::kNoPropertyList, path, "no .pipl section");
    }
    return DecodePropertyList(section.bytes);
  } catch (const LoadError& e) {
    // Messages from the readers do not know the file; add it once.
    const std::string message = e.what();
    if (message.rfind(path + ": ", 0) == 0) {
      throw;
    }
    Fail(e.kind(), path, message);
  }
}

ModuleFile::ModuleFile(const std::string& path) : path_(path) {
  properties_ = ReadPropertyList(path);
  try {
    entryName_ = properties_.codeEntry();
  } catch (const LoadError& e) {
    Fail(e.kind(), path, e.what());
  }
  // A bare name would make dlopen search the library path instead of opening this file.
  const std::string openName = path.find('/') == std::string::npos ? "./" + path : path;
  library_ = dlopen(openName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    const char* why = dlerror();
    Fail(LoadError::Kind::kLoadFailed, path, why != nullptr ? why : "cannot be loaded");
  }
  dlerror();
  entry_ = dlsym(library_, entryName_.c_str());
  if (entry_ == nullptr) {
    dlclose(library_);
    library_ = nullptr;
    Fail(LoadError::Kind::kEntryNotFound, path,
         "the module exports no " + entryName_ + " named by its property list");
  }
}

ModuleFile::~ModuleFile() {
  if (library_ != nullptr) {
    dlclose(library_);
  }
}

}  // namespace boxwander::minihost
