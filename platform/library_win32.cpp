// Library loading on Windows.
//
// LoadLibraryW keeps the default search order: the application's directory
// first, then the system folders and PATH. Before the first load the current
// directory is taken out of the search, so that a library of the same name
// left in whatever folder the operator stands in is never loaded.
#include <windows.h>

#include "platform/library.h"

namespace {

bool searchHardened = false;

// SetDllDirectoryW puts its directory in the place of the current one.
// Windows takes L"" as "no directory there"; Wine takes it as "no change"
// and keeps searching the current directory. The application's own
// directory, which is searched first anyway, does it on both.
void TakeCurrentDirectoryOutOfSearch() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    wchar_t* lastSeparator = nullptr;
    for (wchar_t* at = path; *at != 0; ++at) {
      if (*at == L'\\' || *at == L'/') {
        lastSeparator = at;
      }
    }
    if (lastSeparator != nullptr) {
      *lastSeparator = 0;
      if (SetDllDirectoryW(path)) {
        return;
      }
    }
  }
  SetDllDirectoryW(L"");
}

}  // namespace

LibraryHandle OpenLibrary(const char16_t* fileName) {
  if (!searchHardened) {
    TakeCurrentDirectoryOutOfSearch();
    searchHardened = true;
  }
  // 16-bit text is the platform's wide text.
  HMODULE library = LoadLibraryW(reinterpret_cast<const wchar_t*>(fileName));
  return reinterpret_cast<LibraryHandle>(library);
}

LibrarySymbol FindSymbol(LibraryHandle library, const char* name) {
  return reinterpret_cast<LibrarySymbol>(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void CloseLibrary(LibraryHandle library) { FreeLibrary(reinterpret_cast<HMODULE>(library)); }
