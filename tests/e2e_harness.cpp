#include "tests/e2e_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

namespace e2e {

namespace {

#ifndef QUILLON_RUNNER
#define QUILLON_RUNNER ""
#endif
#ifndef QUILLON_WINE_ENVIRONMENT
#define QUILLON_WINE_ENVIRONMENT ""
#endif

// The programs under test, named when the test program was built. A
// Windows build is started through Wine's loader, the runner.
const char* const RUNNER = QUILLON_RUNNER;

// Splits a list of the build's, "A=1|B=2", into its entries.
std::vector<std::string> ListOf(const std::string& list) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('|', start);
    if (end == std::string::npos) {
      end = list.size();
    }
    if (end > start) {
      entries.push_back(list.substr(start, end - start));
    }
    start = end + 1;
  }
  return entries;
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

void CopyFile(const std::string& from, const std::string& to) {
  WriteFile(to, ReadFile(from));
  chmod(to.c_str(), 0755);
}

// Copies a build of the stand-in engine into the directory as Quennix.dll.
void PlaceEngine(EngineBuild build, const std::string& directory) {
  const char* source = build == EngineBuild::Full        ? QUILLON_ENGINE
                       : build == EngineBuild::NoMessage ? QUILLON_ENGINE_NO_MESSAGE
                       : build == EngineBuild::NoConfig  ? QUILLON_ENGINE_NO_CONFIG
                                                         : nullptr;
  if (source != nullptr) {
    CopyFile(source, directory + "/Quennix.dll");
  }
}

std::string MakeDirectory() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/quillon-e2e-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back(0);
  if (mkdtemp(buffer.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  return buffer.data();
}

std::string ReadAll(int fd) {
  std::string all;
  char chunk[4096];
  ssize_t got;
  while ((got = read(fd, chunk, sizeof chunk)) != 0) {
    if (got < 0) {
      if (errno == EINTR) continue;
      break;
    }
    all.append(chunk, static_cast<size_t>(got));
  }
  return all;
}

}  // namespace

std::string ExamplesDirectory() { return QUILLON_SOURCE_DIR "/examples"; }

void WriteFile(const std::string& path, const std::string& contents) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0755);
  }
  std::ofstream out(path, std::ios::binary);
  out << contents;
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

Scenario Succeeding(int code) {
  Scenario setup;
  setup.files["setup.xml"] =
      Configuration("<attempt result=\"success\" code=\"" + std::to_string(code) + "\"/>");
  return setup;
}

std::string Configuration(const std::string& simulate) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<configuration device=\"Quillon 3\">\n"
      "  <setting name=\"illumination\" value=\"auto\"/>\n"
      "  <setting name=\"beeper-volume\" value=\"low\"/>\n";
  if (!simulate.empty()) {
    xml += "  <simulate pace-ms=\"0\">\n" + simulate + "\n  </simulate>\n";
  }
  return xml + "</configuration>\n";
}

namespace {

std::vector<char*> Pointers(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (std::string& word : words) {
    pointers.push_back(&word[0]);
  }
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::unique_ptr<Prepared> PrepareRun(const Scenario& setup, const std::vector<std::string>& arguments) {
  std::unique_ptr<Prepared> run(new Prepared);
  std::string exe = QUILLON_EXE;
  std::string runner = RUNNER;
  if (TargetIsWindows() && (access(runner.c_str(), X_OK) != 0 || exe.size() < 4 ||
                            exe.substr(exe.size() - 4) != ".exe" || access(exe.c_str(), R_OK) != 0)) {
    // Guards against a build of the tests that would quietly run the Linux
    // program against the Windows expectations, or nothing at all.
    throw std::runtime_error("the Windows tests need Wine's loader (" + runner + ") and a built .exe (" +
                             exe + ")");
  }
  run->top = MakeDirectory();
  run->directory = run->top;
  std::string programDirectory = run->top;
  bool apart = setup.plantedEngine != EngineBuild::None || setup.libraryEngine != EngineBuild::None ||
               setup.installDepth > 0;
  if (apart) {
    programDirectory = run->top + "/bin";
    run->directory = run->top + "/work";
  }
  for (int level = 0; level < setup.installDepth; ++level) {
    programDirectory += "/" + std::string(99, static_cast<char>('a' + level));
  }
  const std::string libraryDirectory = run->top + "/lib";
  std::string program = programDirectory + "/" + BaseName(exe);
  CopyFile(exe, program);
  PlaceEngine(setup.engine, programDirectory);
  PlaceEngine(setup.plantedEngine, run->directory);
  PlaceEngine(setup.plantedEngine, run->directory + "/sub");
  PlaceEngine(setup.libraryEngine, libraryDirectory);
  mkdir(run->directory.c_str(), 0755);
  for (const auto& file : setup.files) {
    WriteFile(run->directory + "/" + file.first, file.second);
  }

  if (!runner.empty()) {
    run->command.push_back(runner);
  }
  run->command.push_back(program);
  run->command.insert(run->command.end(), arguments.begin(), arguments.end());
  // A clean, explicit environment: nothing of the developer's own (a
  // LD_LIBRARY_PATH, a locale, a trace file) can make a test pass or fail.
  run->environment = {"PATH=/usr/bin:/bin", "QUENNIX_TRACE=" + run->directory + "/trace.txt"};
  for (const std::string& variable : ListOf(QUILLON_WINE_ENVIRONMENT)) {
    run->environment.push_back(variable);
  }
  // The library folder as the program sees it: under Wine through drive Z:.
  std::string library = libraryDirectory;
  if (TargetIsWindows()) {
    library = "Z:" + library;
    std::replace(library.begin(), library.end(), '/', '\\');
  }
  for (std::string variable : setup.environment) {
    for (size_t at = variable.find("{lib}"); at != std::string::npos; at = variable.find("{lib}")) {
      variable.replace(at, 5, library);
    }
    run->environment.push_back(variable);
  }
  run->argv = Pointers(run->command);
  run->envp = Pointers(run->environment);
  return run;
}

void CleanUpRun(const Prepared& run) {
  if (std::getenv("QUILLON_KEEP_E2E") == nullptr) {
    std::error_code ignored;
    std::filesystem::remove_all(run.top, ignored);
  }
}

bool TargetIsWindows() { return *RUNNER != 0; }

int ExpectedStatus(int code) {
  int low = static_cast<int>(static_cast<unsigned>(code) & 0xFFu);
  if (code != 0 && low == 0) {
    return TargetIsWindows() ? 1 : 255;
  }
  return low;
}

namespace {

void Finish(const Prepared& run, Result* result) {
  result->err = ReadFile(run.directory + "/stderr.txt");
  result->trace = ReadFile(run.directory + "/trace.txt");
  CleanUpRun(run);
}

int StatusOf(int waitStatus) {
  return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

}  // namespace

Result RunProgram(const Scenario& setup, const std::vector<std::string>& arguments) {
  std::unique_ptr<Prepared> prepared = PrepareRun(setup, arguments);
  return RunPrepared(prepared.get(), setup.output);
}

void SetCommand(Prepared* run, const std::vector<std::string>& command) {
  run->command = command;
  run->argv = Pointers(run->command);
}

Result RunPrepared(Prepared* prepared, Output output) {
  Prepared& run = *prepared;
  std::string errPath = run.directory + "/stderr.txt";
  char** argv = run.argv.data();

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  if (output == Output::ClosedPipe) {
    // The reader is gone before the program writes a byte.
    close(pipeFds[0]);
    pipeFds[0] = -1;
  }
  if (output == Output::NonBlockingSlowReader) {
    // O_NONBLOCK belongs to the open pipe, which the program shares; the
    // smallest pipe fills long before the output ends.
    fcntl(pipeFds[1], F_SETFL, O_NONBLOCK);
    fcntl(pipeFds[1], F_SETPIPE_SZ, 4096);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (output == Output::Full) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  }
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, run.directory.c_str());

  // A new session: the program has no controlling terminal, as in a
  // scheduled job, so no exit pause can wait for a key.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

  pid_t child = 0;
  auto started = std::chrono::steady_clock::now();
  int spawned = posix_spawn(&child, argv[0], &actions, &attributes, argv, run.envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(pipeFds[1]);
  if (spawned != 0) {
    if (pipeFds[0] >= 0) {
      close(pipeFds[0]);
    }
    throw std::runtime_error("cannot start " + run.command[0]);
  }

  Result result;
  if (pipeFds[0] >= 0) {
    if (output == Output::NonBlockingSlowReader) {
      // A reader that falls behind: nothing for a while, then a little at a
      // time, so that the program finds the pipe full again and again.
      usleep(300 * 1000);
      char chunk[512];
      ssize_t got;
      while ((got = read(pipeFds[0], chunk, sizeof chunk)) != 0) {
        if (got < 0) {
          if (errno == EINTR) continue;
          break;
        }
        result.out.append(chunk, static_cast<size_t>(got));
        usleep(2 * 1000);
      }
    } else {
      result.out = ReadAll(pipeFds[0]);
    }
    close(pipeFds[0]);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  result.status = StatusOf(status);
  Finish(run, &result);
  return result;
}

TerminalProgram::TerminalProgram(const Scenario& setup, const std::vector<std::string>& arguments,
                                 bool stdinFromDevNull, int ignoredSignal)
    : run_(PrepareRun(setup, arguments)) {
  if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  tcgetattr(slave_, &before_);
  int pidPipe[2];
  if (pipe2(pidPipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  child_ = fork();
  if (child_ < 0) {
    throw std::runtime_error("fork failed");
  }
  if (child_ == 0) {
    // A small shell: a session of its own with the pseudo-terminal as its
    // controlling terminal, and the program as its foreground job, in a
    // process group of its own, as a shell with job control starts it (so
    // that the program can be stopped and continued).
    setsid();
    ioctl(slave_, TIOCSCTTY, 0);
    int go[2];
    if (pipe(go) != 0) {
      _exit(125);
    }
    pid_t program = fork();
    if (program == 0) {
      close(go[1]);
      setpgid(0, 0);
      char ready;
      if (read(go[0], &ready, 1) != 1) {
        _exit(125);
      }
      if (ignoredSignal != 0) {
        signal(ignoredSignal, SIG_IGN);
      }
      int input = stdinFromDevNull ? open("/dev/null", O_RDONLY) : slave_;
      dup2(input, 0);
      dup2(slave_, 1);
      dup2(slave_, 2);
      close(master_);
      if (chdir(run_->directory.c_str()) != 0) {
        _exit(126);
      }
      execve(run_->argv[0], run_->argv.data(), run_->envp.data());
      _exit(127);
    }
    setpgid(program, program);
    signal(SIGTTOU, SIG_IGN);
    tcsetpgrp(slave_, program);
    close(go[0]);
    if (write(go[1], "g", 1) != 1 || write(pidPipe[1], &program, sizeof program) != sizeof program) {
      _exit(125);
    }
    int status = 0;
    while (waitpid(program, &status, 0) < 0 && errno == EINTR) {
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
  }
  close(pidPipe[1]);
  if (read(pidPipe[0], &program_, sizeof program_) != sizeof program_) {
    throw std::runtime_error("the program did not start");
  }
  close(pidPipe[0]);
}

TerminalProgram::~TerminalProgram() {
  if (Running()) {
    kill(program_, SIGKILL);
    kill(program_, SIGCONT);
    WaitForExit(5000);
  }
  if (Running()) {
    kill(child_, SIGKILL);
    WaitForExit(5000);
  }
  close(master_);
  close(slave_);
  CleanUpRun(*run_);
}

bool TerminalProgram::WaitForStop(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string statPath = "/proc/" + std::to_string(program_) + "/stat";
  for (;;) {
    // The state follows the command name in parentheses: "pid (name) T ...".
    std::string stat = ReadFile(statPath);
    size_t close = stat.rfind(')');
    if (close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'T') {
      return true;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    ReadAvailable(10);
  }
}

bool TerminalProgram::WaitForSettings(const std::function<bool(const termios&)>& wanted, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!wanted(Settings())) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    ReadAvailable(10);
  }
  return true;
}

void TerminalProgram::SetSettings(const termios& settings) { tcsetattr(slave_, TCSANOW, &settings); }

void TerminalProgram::Release() { WriteFile(run_->directory + "/release", ""); }

void TerminalProgram::ReadAvailable(int timeoutMs) {
  pollfd waiting = {master_, POLLIN, 0};
  if (poll(&waiting, 1, timeoutMs) > 0 && (waiting.revents & POLLIN) != 0) {
    char chunk[4096];
    ssize_t got = read(master_, chunk, sizeof chunk);
    if (got > 0) {
      output.append(chunk, static_cast<size_t>(got));
    }
  }
}

bool TerminalProgram::WaitForOutput(const std::string& text, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (output.find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    ReadAvailable(20);
  }
  return true;
}

bool TerminalProgram::Running() {
  if (status_ >= 0) {
    return false;
  }
  int waitStatus = 0;
  if (waitpid(child_, &waitStatus, WNOHANG) == child_) {
    status_ = StatusOf(waitStatus);
    return false;
  }
  return true;
}

void TerminalProgram::Type(const std::string& bytes) {
  if (write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("cannot type on the terminal");
  }
}

void TerminalProgram::Signal(int signalNumber) { kill(program_, signalNumber); }

int TerminalProgram::WaitForExit(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return -1;
    }
    ReadAvailable(20);
  }
  ReadAvailable(0);
  return status_;
}

termios TerminalProgram::Settings() const {
  termios now{};
  tcgetattr(slave_, &now);
  return now;
}

std::string TerminalProgram::UnreadInput() {
  // Whatever waits in the input queue becomes readable once line editing is
  // off; read it without blocking.
  termios raw = Settings();
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  tcsetattr(slave_, TCSANOW, &raw);
  std::string unread;
  char chunk[256];
  ssize_t got;
  while ((got = read(slave_, chunk, sizeof chunk)) > 0) {
    unread.append(chunk, static_cast<size_t>(got));
  }
  return unread;
}

}  // namespace e2e
