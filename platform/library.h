// Loading a dynamic library at run time and resolving its exported names.
#pragma once

struct PlatformLibrary;
using LibraryHandle = PlatformLibrary*;

// A resolved export, to be cast to its real function type by the caller.
using LibrarySymbol = void (*)();

// Loads the library with the given file name (zero-terminated 16-bit text).
// The search starts in the directory of the running executable and never
// includes the current directory. Returns null when it cannot be loaded.
LibraryHandle OpenLibrary(const char16_t* fileName);

// Resolves an exported name; null when the library does not export it.
LibrarySymbol FindSymbol(LibraryHandle library, const char* name);

// Releases a library returned by OpenLibrary.
void CloseLibrary(LibraryHandle library);
