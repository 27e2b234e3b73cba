// The configuration engine's contract, as this program uses it.
//
// The engine is a separate library, "Quennix.dll", loaded at run time. It
// reads the XML file and configures the device; this program only calls its
// two exported entry points and draws the progress it reports.
#pragma once

#include <cstdint>

// Name under which the engine library is loaded, on every platform.
constexpr char16_t ENGINE_LIBRARY_NAME[] = u"Quennix.dll";

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

// Return codes that end the run at once, with no retry.
constexpr int32_t TERMINAL_CODES[] = {302, 307, 315, 316};

// Codes from this one up count as errors for the exit pause.
constexpr int32_t FIRST_ERROR_CODE = 100;
