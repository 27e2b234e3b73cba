// Threads on POSIX systems through pthreads.
#include <pthread.h>

#include <cstdlib>

#include "platform/thread.h"

struct PlatformThread {
  pthread_t thread;
  ThreadRoutine routine;
  void* parameter;
};

namespace {

void* RunThread(void* start) {
  PlatformThread* self = static_cast<PlatformThread*>(start);
  self->routine(self->parameter);
  return nullptr;
}

}  // namespace

ThreadHandle StartThread(ThreadRoutine routine, void* parameter) {
  PlatformThread* self = static_cast<PlatformThread*>(std::malloc(sizeof(PlatformThread)));
  if (self == nullptr) {
    return nullptr;
  }
  self->routine = routine;
  self->parameter = parameter;
  if (pthread_create(&self->thread, nullptr, RunThread, self) != 0) {
    std::free(self);
    return nullptr;
  }
  return self;
}

void AwaitThread(ThreadHandle thread) { pthread_join(thread->thread, nullptr); }

void CloseThread(ThreadHandle thread) { std::free(thread); }
