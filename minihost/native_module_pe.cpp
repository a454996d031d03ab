// Modules as Windows DLLs, read the way the compositing host reads them: the property list
// is the resource "PIPL" 16000 in US English, found with the file mapped as data; then the
// DLL is loaded and its entry looked up by name.
#include <windows.h>

#include <memory>
#include <type_traits>

#include "minihost/file_bytes.h"
#include "minihost/load_error.h"
#include "minihost/native_module.h"
#include "minihost/pe_image.h"

namespace boxwander::minihost {
namespace {

constexpr WORD kPiplId = 16000;

std::wstring WidePath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '/') {
      c = '\\';
    }
  }
  // A bare name would make the loader search the system's folders instead of opening this
  // file.
  if (native.find('\\') == std::string::npos && native.find(':') == std::string::npos) {
    native = ".\\" + native;
  }
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, native.data(), static_cast<int>(native.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, native.data(), static_cast<int>(native.size()), wide.data(), n);
  return wide;
}

// The system's text for an error code, on one line.
std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length != 0 && text != nullptr ? std::string(text, length) : "";
  LocalFree(text);
  for (char& c : message) {
    if (c == '\r' || c == '\n') {
      c = ' ';
    }
  }
  while (!message.empty() && (message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return (message.empty() ? "" : message + " ") + "(Windows error " + std::to_string(code) + ")";
}

// No dialog box for a file the loader cannot use: the failure is reported as an error.
class QuietLoaderErrors {
 public:
  QuietLoaderErrors() {
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_);
  }
  ~QuietLoaderErrors() { SetThreadErrorMode(old_, nullptr); }
  QuietLoaderErrors(const QuietLoaderErrors&) = delete;
  QuietLoaderErrors& operator=(const QuietLoaderErrors&) = delete;

 private:
  DWORD old_ = 0;
};

struct FreeLibraryDeleter {
  void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
using DataModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, FreeLibraryDeleter>;

}  // namespace

std::vector<std::uint8_t> ReadPropertyListBytes(const std::string& path) {
  // Our own look at the headers first, for a clear word on files that are no DLL for
  // this machine.
  CheckPeModule(ReadFileBytes(path));
  const QuietLoaderErrors quiet;
  const DataModule data(LoadLibraryExW(WidePath(path).c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!data) {
    throw LoadError(LoadError::Kind::kNotPe,
                    "cannot be read as a module: " + SystemMessage(GetLastError()));
  }
  HRSRC found = FindResourceExW(data.get(), L"PIPL", MAKEINTRESOURCEW(kPiplId),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (found == nullptr) {
    throw LoadError(LoadError::Kind::kNoPropertyList,
                    "no PIPL resource 16000 in English (United States)");
  }
  const DWORD size = SizeofResource(data.get(), found);
  HGLOBAL loaded = LoadResource(data.get(), found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) {
    throw LoadError(LoadError::Kind::kNoPropertyList,
                    "the PIPL resource cannot be read: " + SystemMessage(GetLastError()));
  }
  const auto* first = static_cast<const std::uint8_t*>(bytes);
  return std::vector<std::uint8_t>(first, first + size);
}

NativeModule OpenNativeModule(const std::string& path) {
  const QuietLoaderErrors quiet;
  // The DLLs the module depends on are looked for beside it first.
  HMODULE module = LoadLibraryExW(WidePath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) {
    throw LoadError(LoadError::Kind::kLoadFailed,
                    "cannot be loaded: " + SystemMessage(GetLastError()));
  }
  return module;
}

void* FindNativeEntry(NativeModule module, const std::string& name) noexcept {
  FARPROC entry = GetProcAddress(static_cast<HMODULE>(module), name.c_str());
  // The address of a function, returned as the loader's generic function pointer.
  return reinterpret_cast<void*>(entry);
}

void CloseNativeModule(NativeModule module) noexcept {
  FreeLibrary(static_cast<HMODULE>(module));
}

}  // namespace boxwander::minihost
