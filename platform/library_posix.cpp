// Library loading on Linux, through the dynamic loader, by full path only.
//
// The engine is looked for first in the directory of the running executable,
// then in the directories of the loader's own search for this program, in
// its order: the LD_LIBRARY_PATH entries, then the system's default
// directories. Only absolute directories take part. The loader would take an
// empty, "." or relative LD_LIBRARY_PATH entry (as
// `export LD_LIBRARY_PATH=/usr/local/lib:$LD_LIBRARY_PATH` leaves when the
// variable was unset) as the current directory, and load a library of that
// name left wherever the operator stands.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

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
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0) {
      return std::string();
    }
    if (static_cast<size_t>(length) < buffer.size()) {
      std::string path(buffer.data(), static_cast<size_t>(length));
      return path.substr(0, path.rfind('/') + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

// The directories the dynamic loader searches for this program's libraries,
// as the loader itself lists them.
std::vector<std::string> LoaderDirectories() {
  std::vector<std::string> directories;
  void* self = dlopen(nullptr, RTLD_NOW);
  Dl_serinfo size;
  if (self == nullptr || dlinfo(self, RTLD_DI_SERINFOSIZE, &size) != 0) {
    return directories;
  }
  // The list and its strings share one block of the reported size.
  std::vector<std::max_align_t> block(size.dls_size / sizeof(std::max_align_t) + 1);
  Dl_serinfo* info = reinterpret_cast<Dl_serinfo*>(block.data());
  *info = size;
  if (dlinfo(self, RTLD_DI_SERINFOSIZE, info) == 0 && dlinfo(self, RTLD_DI_SERINFO, info) == 0) {
    for (unsigned int i = 0; i < info->dls_cnt; ++i) {
      directories.emplace_back(info->dls_serpath[i].dls_name);  // NOLINT: the loader's array
    }
  }
  return directories;
}

void* OpenByFullPath(std::string directory, const std::string& name) {
  if (directory.empty() || directory[0] != '/') {
    return nullptr;
  }
  if (directory.back() != '/') {
    directory.push_back('/');
  }
  return dlopen((directory + name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

LibraryHandle OpenLibrary(const char16_t* fileName) {
  std::string name = NarrowFileName(fileName);
  if (name.empty() || name.find('/') != std::string::npos) {
    return nullptr;
  }
  void* library = OpenByFullPath(ExecutableDirectory(), name);
  if (library == nullptr) {
    for (const std::string& directory : LoaderDirectories()) {
      library = OpenByFullPath(directory, name);
      if (library != nullptr) {
        break;
      }
    }
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
