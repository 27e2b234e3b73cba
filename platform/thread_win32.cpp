// Threads on Windows.
#include <windows.h>

#include <cstdlib>

#include "platform/thread.h"

struct PlatformThread {
  HANDLE thread;
  ThreadRoutine routine;
  void* parameter;
};

namespace {

DWORD WINAPI RunThread(LPVOID start) {
  PlatformThread* self = static_cast<PlatformThread*>(start);
  return self->routine(self->parameter);
}

}  // namespace

ThreadHandle StartThread(ThreadRoutine routine, void* parameter) {
  PlatformThread* self = static_cast<PlatformThread*>(std::malloc(sizeof(PlatformThread)));
  if (self == nullptr) {
    return nullptr;
  }
  self->routine = routine;
  self->parameter = parameter;
  // Default security and stack size, running at once; the id is not wanted.
  self->thread = CreateThread(nullptr, 0, RunThread, self, 0, nullptr);
  if (self->thread == nullptr) {
    std::free(self);
    return nullptr;
  }
  return self;
}

void AwaitThread(ThreadHandle thread) { WaitForSingleObject(thread->thread, INFINITE); }

void CloseThread(ThreadHandle thread) {
  CloseHandle(thread->thread);
  std::free(thread);
}
