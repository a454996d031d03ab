#pragma once

#include <string>

#include "minihost/property_list.h"

namespace boxwander::minihost {

// A loaded effect module. Construction follows the host's order: read the property list
// from the file without running it (the .pipl section of an ELF module, the "PIPL"
// resource of a DLL), decode it, find the code entry it names, then load the module and
// look the entry up. Every failure throws LoadError with a one-line message that starts
// with the file's path. The module is unloaded when the object goes, so it must outlive
// everything that calls into it.
class ModuleFile {
 public:
  explicit ModuleFile(const std::string& path);
  ~ModuleFile();
  ModuleFile(const ModuleFile&) = delete;
  ModuleFile& operator=(const ModuleFile&) = delete;

  const std::string& path() const noexcept { return path_; }
  const PropertyList& propertyList() const noexcept { return properties_; }
  const std::string& entryName() const noexcept { return entryName_; }
  // The entry's address; the caller casts it to the entry function's type.
  void* entry() const noexcept { return entry_; }

 private:
  std::string path_;
  PropertyList properties_;
  std::string entryName_;
  void* library_ = nullptr;
  void* entry_ = nullptr;
};

// Reads and decodes the property list of a module file without loading it.
PropertyList ReadPropertyList(const std::string& path);

}  // namespace boxwander::minihost
