// The exit pause chosen by the optional second argument.
#pragma once

#include <cstdint>

// Exit mode from argument 2: '0' to '3' when the argument is exactly that one
// character, '2' for anything else.
char ExitModeOf(const char16_t* argument);

// Codes from this one up count as errors for exit mode "1".
constexpr int32_t FIRST_ERROR_CODE = 100;

// Pauses before the process ends, as the exit mode in argv[2] says:
//   "0"  no pause;
//   "1"  a key press when `code` is FIRST_ERROR_CODE or more, else 1500 ms;
//   "2"  (and any other text) a key press;
//   "3"  5000 ms.
// Call only when argv[2] exists.
void WaitBeforeExit(char16_t** argv, int32_t code);
