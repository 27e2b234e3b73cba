// Starting, awaiting and releasing a thread.
#pragma once

#include <cstdint>

struct PlatformThread;
using ThreadHandle = PlatformThread*;

using ThreadRoutine = uint32_t (*)(void* parameter);

// Starts `routine(parameter)` on a new thread with the default stack size,
// running at once. Returns null when the thread cannot be started.
ThreadHandle StartThread(ThreadRoutine routine, void* parameter);

// Blocks, without a time limit, until the thread has ended.
void AwaitThread(ThreadHandle thread);

// Releases the handle; the thread must have been awaited.
void CloseThread(ThreadHandle thread);
