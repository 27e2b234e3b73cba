// Loading a dynamic library at run time and resolving its exported names.
#pragma once

struct PlatformLibrary;
using LibraryHandle = PlatformLibrary*;

// A resolved export, to be cast to its real function type by the caller.
using LibrarySymbol = void (*)();

// Loads the library with the given file name (zero-terminated 16-bit text),
// always by a full path: first from the directory of the running executable,
// then from the absolute directories of the system's standard search
// (LD_LIBRARY_PATH and the loader's defaults on Linux; the system folders and
// PATH on Windows). The current directory, and an empty, "." or relative
// entry that would stand for it, never take part. Returns null when it
// cannot be loaded.
LibraryHandle OpenLibrary(const char16_t* fileName);

// Resolves an exported name; null when the library does not export it.
LibrarySymbol FindSymbol(LibraryHandle library, const char* name);

// Releases a library returned by OpenLibrary.
void CloseLibrary(LibraryHandle library);
