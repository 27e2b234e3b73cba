// Standard output on POSIX systems, straight to file descriptor 1.
#include <poll.h>
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
      // A parent may hand over a non-blocking descriptor: once its pipe is
      // full, wait until the reader makes room, then go on. Only a reader
      // that has gone away or a real error ends the writing.
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd writable = {STDOUT_FILENO, POLLOUT, 0};
        if (poll(&writable, 1, -1) < 0 && errno != EINTR) {
          return;
        }
        continue;
      }
      return;
    }
    data += written;
    length -= static_cast<size_t>(written);
  }
}
