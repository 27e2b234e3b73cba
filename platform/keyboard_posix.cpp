// One key press on POSIX systems, read from the process's terminal.
//
// The terminal (/dev/tty) is read rather than standard input, so redirected
// input does not end the wait. For the read the terminal goes into raw mode:
// no line editing, no echo and no signal keys, so that Ctrl+C is read as a key
// like any other. The earlier mode is restored on every path, including when a
// terminating signal arrives during the wait.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/keyboard.h"

namespace {

// Bytes of one key that sends several (an arrow key, a function key) arrive
// together; whatever follows the first byte within this time is drained.
constexpr int KEY_TAIL_MS = 50;

const int restoringSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr size_t RESTORING_SIGNAL_COUNT = sizeof restoringSignals / sizeof restoringSignals[0];

// Read by the signal handler, so they are plain statics set before the
// handler is installed.
int terminalFd = -1;
termios savedMode;

void RestoreTerminal() { tcsetattr(terminalFd, TCSANOW, &savedMode); }

void RestoreAndRaise(int signalNumber) {
  RestoreTerminal();
  // Let the signal take its usual effect once the handler returns.
  (void)std::signal(signalNumber, SIG_DFL);
  (void)std::raise(signalNumber);
}

void DrainKeyTail() {
  char tail[64];
  pollfd waiting = {terminalFd, POLLIN, 0};
  while (poll(&waiting, 1, KEY_TAIL_MS) > 0 && (waiting.revents & POLLIN) != 0) {
    if (read(terminalFd, tail, sizeof tail) <= 0) {
      return;
    }
  }
}

}  // namespace

void AwaitKeyPress() {
  terminalFd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminalFd < 0) {
    return;
  }
  if (!isatty(terminalFd) || tcgetattr(terminalFd, &savedMode) != 0) {
    close(terminalFd);
    terminalFd = -1;
    return;
  }

  struct sigaction restoring = {};
  restoring.sa_handler = RestoreAndRaise;
  sigemptyset(&restoring.sa_mask);
  struct sigaction previous[RESTORING_SIGNAL_COUNT];
  for (size_t i = 0; i < RESTORING_SIGNAL_COUNT; ++i) {
    sigaction(restoringSignals[i], &restoring, &previous[i]);
  }

  termios raw = savedMode;
  cfmakeraw(&raw);
  raw.c_oflag = savedMode.c_oflag;
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(terminalFd, TCSANOW, &raw) == 0) {
    char key;
    ssize_t got;
    do {
      got = read(terminalFd, &key, 1);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
      DrainKeyTail();
    }
    RestoreTerminal();
  }

  for (size_t i = 0; i < RESTORING_SIGNAL_COUNT; ++i) {
    sigaction(restoringSignals[i], &previous[i], nullptr);
  }
  close(terminalFd);
  terminalFd = -1;
}
