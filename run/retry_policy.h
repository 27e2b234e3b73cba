// The retry policy: a failed attempt is tried again, up to MAX_RETRIES times.
#pragma once

#include <cstdint>

constexpr int32_t MAX_RETRIES = 3;

// True for the return codes that end the run at once.
bool IsTerminalCode(int32_t code);

// Runs attempts with the converted path until one succeeds, a terminal code
// stands, the engine cannot be bound, or the retries are used up. Each failed
// attempt that is retried is reported here; the last one is left to the
// driver's report.
void RunAttemptsWithRetries(const char16_t* xmlPath);
