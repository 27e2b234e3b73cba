// The worker thread that runs the configuration, and its retry policy: a
// failed attempt is tried again, up to MAX_RETRIES times.
#pragma once

#include <cstdint>

constexpr int32_t MAX_RETRIES = 3;

// Return codes that end the run at once, with no retry.
constexpr int32_t TERMINAL_CODES[] = {302, 307, 315, 316};

// True for the return codes that end the run at once.
bool IsTerminalCode(int32_t code);

// The worker thread routine. `parameter` is the XML path as zero-terminated
// 16-bit text, handed to the engine unit for unit. Runs attempts until one
// succeeds, a terminal code stands, the engine cannot be bound, or the
// retries are used up. Each failed attempt that is retried is reported here;
// the last one is left to the driver's report. Always returns 0.
uint32_t ConfigThread(void* parameter);
