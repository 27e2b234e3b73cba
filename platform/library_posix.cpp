// Library loading on POSIX systems through the dynamic loader.
//
// The engine is looked for first in the directory of the running executable,
// then by the loader's standard search with the bare file name. The current
// directory is never searched: a bare name without a slash is not resolved
// against it.
#include <dlfcn.h>
#include <unistd.h>

#include <string>

#include "platform/library.h"

namespace {

// Narrow form of a 16-bit file name: each unit up to 0xFF becomes the byte of
// the same value; wider units have no byte form and become '?'.
std::string NarrowFileName(const char16_t* fileName) {
  std::string narrow;
  for (const char16_t* unit = fileName; *unit != 0; ++unit) {
    narrow.push_back(*unit <= 0xFF ? static_cast<char>(*unit) : '?');
  }
  return narrow;
}

std::string ExecutableDirectory() {
  char buffer[4096];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) {
    return std::string();
  }
  std::string path(buffer, static_cast<size_t>(length));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

LibraryHandle OpenLibrary(const char16_t* fileName) {
  std::string name = NarrowFileName(fileName);
  if (name.empty() || name.find('/') != std::string::npos) {
    return nullptr;
  }
  void* library = nullptr;
  std::string directory = ExecutableDirectory();
  if (!directory.empty()) {
    library = dlopen((directory + name).c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  if (library == nullptr) {
    library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  return static_cast<LibraryHandle>(library);
}

LibrarySymbol FindSymbol(LibraryHandle library, const char* name) {
  void* symbol = dlsym(library, name);
  // POSIX guarantees that a data pointer from dlsym converts to a function
  // pointer; C++ leaves it conditionally supported, and this is that case.
  return reinterpret_cast<LibrarySymbol>(symbol);
}

void CloseLibrary(LibraryHandle library) { dlclose(library); }
