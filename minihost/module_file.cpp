#include "minihost/module_file.h"

#include "minihost/load_error.h"
#include "minihost/native_module.h"

namespace boxwander::minihost {
namespace {

[[noreturn]] void Fail(LoadError::Kind kind, const std::string& path, const std::string& what) {
  throw LoadError(kind, path + ": " + what);
}

}  // namespace

PropertyList ReadPropertyList(const std::string& path) {
  try {
    return DecodePropertyList(ReadPropertyListBytes(path));
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
    library_ = OpenNativeModule(path);
  } catch (const LoadError& e) {
    Fail(e.kind(), path, e.what());
  }
  entry_ = FindNativeEntry(library_, entryName_);
  if (entry_ == nullptr) {
    CloseNativeModule(library_);
    library_ = nullptr;
    Fail(LoadError::Kind::kEntryNotFound, path,
         "the module exports no " + entryName_ + " named by its property list");
  }
}

ModuleFile::~ModuleFile() {
  if (library_ != nullptr) {
    CloseNativeModule(library_);
  }
}

}  // namespace boxwander::minihost
