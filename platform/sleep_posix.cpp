// Fixed pauses on POSIX systems.
#include <cerrno>
#include <ctime>

#include "platform/sleep.h"

void SleepMs(uint32_t milliseconds) {
  timespec remaining;
  remaining.tv_sec = static_cast<time_t>(milliseconds / 1000);
  remaining.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  // A signal that interrupts the sleep does not shorten the pause.
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}
