// Standard output on POSIX systems, straight to file descriptor 1.
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/console.h"

void PrepareConsole() {
  // A reader that went away must not kill a configuration in progress; the
  // failed write is then ignored like any other.
  (void)std::signal(SIGPIPE, SIG_IGN);
}

void WriteOut(const char* data, size_t length) {
  while (length > 0) {
    ssize_t written = write(STDOUT_FILENO, data, length);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return;
    }
    data += written;
    length -= static_cast<size_t>(written);
  }
}
