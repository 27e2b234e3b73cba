// Ending the process.
#pragma once

#include <cstdint>

// Ends the process at once with the given status, without further clean-up.
// Where a platform's statuses are narrower than 32 bits, a non-zero status
// never reads as success.
[[noreturn]] void EndProcess(int32_t status);
