// The operator's terminal on Linux.
//
// The terminal is the controlling one (/dev/tty), so redirected input never
// ends the key wait. It is held in one of three settings:
//   asFound  what it was when the program took it;
//   forRun   no echo (typed keys and scans stay out of the star bar) and no
//            XON/XOFF flow control (Ctrl+S cannot stall the engine inside a
//            progress call); signal keys and line editing stay as they were,
//            and typed-ahead input is left for the shell;
//   forKey   raw: one key ends the read, without echo, Enter or signal keys.
// The run's settings are used only when the program writes to the terminal
// and runs in its foreground process group; the key wait takes the terminal
// whatever standard output is.
//
// While the terminal is held, every signal whose default action ends the
// process first puts the found settings back, then takes its usual effect.
// Ctrl+Z (SIGTSTP) puts them back before the program stops, and SIGCONT sets
// what the program needs again, since the shell has meanwhile set its own. A
// signal the program was started with ignored stays ignored. The settings
// only change with these signals blocked, so no handler sees a change half
// made.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/terminal.h"

namespace {

enum Setting { AS_FOUND, FOR_RUN, FOR_KEY, SETTING_COUNT };

// Bytes of one key that sends several (an arrow key, a function key) arrive
// together; whatever follows the first byte within this time is drained.
constexpr int KEY_TAIL_MS = 50;

// Read by the signal handlers: set before the handlers are installed and
// changed only while the signals are blocked.
int terminalFd = -1;
termios settings[SETTING_COUNT];
volatile sig_atomic_t held = 0;
volatile sig_atomic_t wanted = AS_FOUND;

// The signals handled while the terminal is held, with what was there before.
bool handled[NSIG];
struct sigaction previous[NSIG];

// Every signal whose default action ends the process. SIGPIPE is left out:
// standard output ignores it for the whole run.
bool EndsTheProcess(int signalNumber) {
  switch (signalNumber) {
    case SIGHUP:
    case SIGINT:
    case SIGQUIT:
    case SIGILL:
    case SIGTRAP:
    case SIGABRT:
    case SIGBUS:
    case SIGFPE:
    case SIGUSR1:
    case SIGSEGV:
    case SIGUSR2:
    case SIGALRM:
    case SIGTERM:
    case SIGSTKFLT:
    case SIGXCPU:
    case SIGXFSZ:
    case SIGVTALRM:
    case SIGPROF:
    case SIGIO:
    case SIGPWR:
    case SIGSYS:
      return true;
    default:
      return signalNumber >= SIGRTMIN && signalNumber <= SIGRTMAX;
  }
}

bool InForeground() { return tcgetpgrp(terminalFd) == getpgrp(); }

// Async-signal-safe: tcsetattr, tcgetpgrp and getpgrp all are.
void Apply(int setting) {
  if (InForeground()) {
    tcsetattr(terminalFd, TCSANOW, &settings[setting]);
  }
}

void OnEndingSignal(int signalNumber, siginfo_t* info, void*) {
  int savedErrno = errno;
  if (held != 0) {
    held = 0;
    Apply(AS_FOUND);
  }
  // The disposition found at the start takes its usual effect: a signal sent
  // to the process is raised again and delivered as soon as this handler
  // returns; a fault (a bad memory access, say) recurs by itself when the
  // faulting instruction runs again, and reaches whoever handled it before.
  sigaction(signalNumber, &previous[signalNumber], nullptr);
  bool fault = (signalNumber == SIGSEGV || signalNumber == SIGBUS || signalNumber == SIGFPE ||
                signalNumber == SIGILL || signalNumber == SIGTRAP || signalNumber == SIGSYS) &&
               info != nullptr && info->si_code > 0 && info->si_code != SI_KERNEL;
  if (!fault) {
    (void)raise(signalNumber);
  }
  errno = savedErrno;
}

void OnStop(int) {
  int savedErrno = errno;
  if (held != 0) {
    Apply(AS_FOUND);
  }
  // Stop as usual, right here; SIGCONT sets the terminal up again.
  struct sigaction ours;
  sigaction(SIGTSTP, &previous[SIGTSTP], &ours);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  (void)raise(SIGTSTP);
  pthread_sigmask(SIG_UNBLOCK, &stop, nullptr);
  // Continued (or never stopped: a job in an orphaned process group is not
  // stopped). SIGCONT sets the terminal up too; the same setting twice is
  // harmless, and this one does not depend on when SIGCONT is handled.
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  sigaction(SIGTSTP, &ours, nullptr);
  if (held != 0) {
    Apply(wanted);
  }
  errno = savedErrno;
}

void OnContinue(int) {
  int savedErrno = errno;
  if (held != 0) {
    Apply(wanted);
  }
  errno = savedErrno;
}

// The handled signals, blocked while the settings change and while any
// handler runs. SIGCONT stays out of a handler's mask, so that a stop inside
// the SIGTSTP handler can be continued.
void HandledSignals(sigset_t* set, bool withContinue) {
  sigemptyset(set);
  for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
    if (handled[signalNumber] && (withContinue || signalNumber != SIGCONT)) {
      sigaddset(set, signalNumber);
    }
  }
}

// Keeps the signal's disposition to put back, and marks it to be handled.
void Claim(int signalNumber) {
  if (sigaction(signalNumber, nullptr, &previous[signalNumber]) != 0) {
    return;
  }
  // A signal the caller ignored (nohup, for one) stays ignored.
  if (previous[signalNumber].sa_handler == SIG_IGN) {
    return;
  }
  handled[signalNumber] = true;
}

void InstallHandlers() {
  for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
    handled[signalNumber] = false;
    if (EndsTheProcess(signalNumber)) {
      Claim(signalNumber);
    }
  }
  Claim(SIGTSTP);
  Claim(SIGCONT);

  struct sigaction action = {};
  HandledSignals(&action.sa_mask, false);
  for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
    if (!handled[signalNumber]) {
      continue;
    }
    if (signalNumber == SIGTSTP || signalNumber == SIGCONT) {
      action.sa_flags = 0;
      action.sa_handler = signalNumber == SIGTSTP ? OnStop : OnContinue;
    } else {
      action.sa_flags = SA_SIGINFO;
      action.sa_sigaction = OnEndingSignal;
    }
    sigaction(signalNumber, &action, nullptr);
  }
}

void RestoreHandlers() {
  for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
    if (handled[signalNumber]) {
      sigaction(signalNumber, &previous[signalNumber], nullptr);
      handled[signalNumber] = false;
    }
  }
}

// Changes the wanted setting with the handled signals blocked.
void Want(Setting setting) {
  sigset_t blocked;
  sigset_t old;
  HandledSignals(&blocked, true);
  pthread_sigmask(SIG_BLOCK, &blocked, &old);
  wanted = setting;
  Apply(setting);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

// True when standard output is the controlling terminal: tcgetsid answers
// only for the controlling terminal of the caller's session.
bool WritesToControllingTerminal() {
  return isatty(STDOUT_FILENO) != 0 && tcgetsid(STDOUT_FILENO) == getsid(0);
}

// Takes the controlling terminal: for the run, only when the program writes
// to it from the foreground; for the key wait, whenever there is one.
bool Hold(bool forRun) {
  if (held != 0) {
    return true;
  }
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  termios found;
  if (isatty(fd) == 0 || tcgetattr(fd, &found) != 0 ||
      (forRun && (!WritesToControllingTerminal() || tcgetpgrp(fd) != getpgrp()))) {
    close(fd);
    return false;
  }
  settings[AS_FOUND] = found;
  settings[FOR_RUN] = found;
  if (forRun) {
    settings[FOR_RUN].c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    settings[FOR_RUN].c_iflag &= ~static_cast<tcflag_t>(IXON);
  }
  settings[FOR_KEY] = found;
  cfmakeraw(&settings[FOR_KEY]);
  settings[FOR_KEY].c_oflag = found.c_oflag;
  settings[FOR_KEY].c_cc[VMIN] = 1;
  settings[FOR_KEY].c_cc[VTIME] = 0;

  terminalFd = fd;
  wanted = AS_FOUND;
  held = 1;
  InstallHandlers();
  return true;
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

void TakeConsole() {
  if (Hold(true)) {
    Want(FOR_RUN);
  }
}

void DiscardTypedAhead() {
  if (held != 0) {
    tcflush(terminalFd, TCIFLUSH);
    return;
  }
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd >= 0) {
    if (isatty(fd) != 0 && tcgetpgrp(fd) == getpgrp()) {
      tcflush(fd, TCIFLUSH);
    }
    close(fd);
  }
}

void AwaitKeyPress() {
  if (!Hold(false)) {
    return;
  }
  Want(FOR_KEY);
  char key;
  ssize_t got;
  do {
    got = read(terminalFd, &key, 1);
  } while (got < 0 && errno == EINTR);
  if (got > 0) {
    DrainKeyTail();
  }
  Want(FOR_RUN);
}

void ReleaseConsole() {
  if (held == 0) {
    return;
  }
  sigset_t blocked;
  sigset_t old;
  HandledSignals(&blocked, true);
  pthread_sigmask(SIG_BLOCK, &blocked, &old);
  Apply(AS_FOUND);
  held = 0;
  wanted = AS_FOUND;
  RestoreHandlers();
  close(terminalFd);
  terminalFd = -1;
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
}
