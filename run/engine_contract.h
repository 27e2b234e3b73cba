// The configuration engine's binary interface, as this program calls it.
//
// The engine is a separate library, "Quennix.dll", loaded at run time. It
// reads the XML file and configures the device; this program only calls its
// two exported entry points, resolved by these plain names.
//
// Calling convention: none is named by the engine, so every function here
// uses the C compiler's default one. On x86-64 there is only one. On 32-bit
// x86 the default is cdecl, and it is the convention the plain export names
// imply: a stdcall export carries a decorated name (_ConfigFromXmlFile@16)
// unless the library renames it. An engine built with another convention is
// not found under these names, or corrupts the stack when called.
#pragma once

#include <cstdint>

// Name under which the engine library is loaded, on every platform.
constexpr char16_t ENGINE_LIBRARY_NAME[] = u"Quennix.dll";

// Exported names of the two entry points.
constexpr char CONFIG_FROM_XML_FILE_NAME[] = "ConfigFromXmlFile";
constexpr char GET_RETURN_CODE_MESSAGE_NAME[] = "GetReturnCodeMessage";

// The progress function the program supplies. `current` is the amount done
// out of `total`. The engine calls it during ConfigFromXmlFile, on the
// calling thread, one call at a time.
using ProgressFn = void (*)(int32_t total, int32_t current);

// ConfigFromXmlFile(path, returnCode, progress, reserved)
//   path:       the XML path, zero-terminated 16-bit text.
//   returnCode: set by the engine to the code of this configuration.
//   progress:   called by the engine as the configuration goes on.
//   reserved:   always 0.
// Returns when the configuration has ended. Only the low byte of the result
// counts: non-zero means the configuration succeeded.
using ConfigFromXmlFileFn = uint8_t (*)(const char16_t* path, int32_t* returnCode, ProgressFn progress,
                                        int32_t reserved);

// GetReturnCodeMessage(buffer, capacity, code)
//   buffer:   MESSAGE_CAPACITY 16-bit units, filled with the message for code.
//   capacity: set to MESSAGE_CAPACITY before the call; not read afterwards.
//   code:     the return code to describe.
// The result is not used.
using GetReturnCodeMessageFn = uint8_t (*)(char16_t* buffer, int32_t* capacity, int32_t code);

constexpr int32_t MESSAGE_CAPACITY = 256;
