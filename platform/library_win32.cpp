// Library loading on Windows, by full path only.
//
// The order is LoadLibraryW's standard one: the application's directory, the
// system directory, the 16-bit system directory, the Windows directory, then
// the PATH entries; but each is tried by its full path, and only absolute
// directories take part, so neither the current directory nor a "." or
// relative PATH entry can supply a library of that name.
//
// Why full paths rather than SetDefaultDllDirectories and AddDllDirectory:
// the default directories leave PATH out altogether, and the order among
// added directories is unspecified, while an engine installed in a PATH
// folder must still be found, after the one beside the program.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/library.h"

namespace {

using WideString = std::wstring;

// The directory of the running executable, with a trailing separator, read
// whatever the length of the install path.
WideString ApplicationDirectory() {
  WideString path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) {
      return WideString();
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    // Truncated: the buffer was too small.
    path.resize(path.size() * 2);
  }
  size_t separator = path.find_last_of(L"\\/");
  return separator == WideString::npos ? WideString() : path.substr(0, separator + 1);
}

// Text from one of the system's calls that fill a buffer: asked with no
// buffer, they answer the size they need.
template <typename Call>
WideString Filled(Call call) {
  auto size = call(nullptr, 0);
  if (size == 0) {
    return WideString();
  }
  WideString text(size, L'\0');
  text.resize(call(&text[0], size));
  return text;
}

// "C:\..." or "\\server\share\...": a directory that does not depend on the
// current directory or the current drive.
bool IsAbsolute(const WideString& directory) {
  bool drive =
      directory.size() >= 3 &&
      ((directory[0] >= L'A' && directory[0] <= L'Z') || (directory[0] >= L'a' && directory[0] <= L'z')) &&
      directory[1] == L':' && (directory[2] == L'\\' || directory[2] == L'/');
  bool unc = directory.size() >= 3 && (directory[0] == L'\\' || directory[0] == L'/') &&
             (directory[1] == L'\\' || directory[1] == L'/');
  return drive || unc;
}

HMODULE LoadFrom(WideString directory, const wchar_t* name) {
  if (!directory.empty() && directory.front() == L'"' && directory.back() == L'"' && directory.size() >= 2) {
    directory = directory.substr(1, directory.size() - 2);
  }
  if (!IsAbsolute(directory)) {
    return nullptr;
  }
  if (directory.back() != L'\\' && directory.back() != L'/') {
    directory.push_back(L'\\');
  }
  WideString full = directory + name;
  // A path of MAX_PATH or more loads only in its extended form.
  if (full.size() >= MAX_PATH && full.compare(0, 4, L"\\\\?\\") != 0) {
    full = (full[1] == L':' ? L"\\\\?\\" + full : L"\\\\?\\UNC\\" + full.substr(2));
    std::replace(full.begin(), full.end(), L'/', L'\\');
  }
  // The engine's own dependencies are then looked for beside it first.
  return LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// LoadLibraryW's standard search, in its order.
std::vector<WideString> SearchDirectories() {
  WideString windows = Filled(GetWindowsDirectoryW);
  std::vector<WideString> directories = {ApplicationDirectory(), Filled(GetSystemDirectoryW),
                                         windows.empty() ? windows : windows + L"\\System", windows};
  WideString path =
      Filled([](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(L"PATH", buffer, size); });
  for (size_t start = 0; start < path.size();) {
    size_t end = path.find(L';', start);
    if (end == WideString::npos) {
      end = path.size();
    }
    directories.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return directories;
}

}  // namespace

LibraryHandle OpenLibrary(const char16_t* fileName) {
  // 16-bit text is the platform's wide text.
  const wchar_t* name = reinterpret_cast<const wchar_t*>(fileName);
  HMODULE library = nullptr;
  for (const WideString& directory : SearchDirectories()) {
    library = LoadFrom(directory, name);
    if (library != nullptr) {
      break;
    }
  }
  return reinterpret_cast<LibraryHandle>(library);
}

LibrarySymbol FindSymbol(LibraryHandle library, const char* name) {
  return reinterpret_cast<LibrarySymbol>(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void CloseLibrary(LibraryHandle library) { FreeLibrary(reinterpret_cast<HMODULE>(library)); }
