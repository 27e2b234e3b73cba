// Runs the built program in a directory of its own, beside a chosen build of
// the stand-in engine, and captures what it prints and how it ends.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

enum class EngineBuild { Full, NoMessage, NoConfig, None };

enum class Output {
  Pipe,                   // read as it comes
  ClosedPipe,             // a pipe whose reader closed before the program started
  Full,                   // /dev/full: every write fails
  NonBlockingSlowReader,  // a small non-blocking pipe, read slowly
};

struct Scenario {
  EngineBuild engine = EngineBuild::Full;    // beside the program
  std::map<std::string, std::string> files;  // in the working directory: relative path -> contents
  Output output = Output::Pipe;
  // Engines away from the program, which then sits in a directory of its
  // own apart from the working directory: one planted in the working
  // directory and in its folder "sub", and one in a library folder that the
  // environment can name as "{lib}".
  EngineBuild plantedEngine = EngineBuild::None;
  EngineBuild libraryEngine = EngineBuild::None;
  // The program and the engine beside it installed this many folders deep,
  // each of 99 characters.
  int installDepth = 0;
  // Variables added to the program's otherwise clean environment.
  std::vector<std::string> environment;
};

struct Result {
  std::string out;     // everything written to standard output
  std::string err;     // everything written to standard error
  int status = -1;     // exit status as the parent sees it
  std::string trace;   // the stand-in engine's record of its calls
  double seconds = 0;  // from the program's start to its end
};

// Runs the program with these arguments after the program name.
Result RunProgram(const Scenario& setup, const std::vector<std::string>& arguments);

// A directory laid out for one run: the program, the engine build, the
// files, and the command line and environment to start it with.
struct Prepared {
  std::string top;        // removed after the run
  std::string directory;  // the working directory
  std::vector<std::string> command;
  std::vector<std::string> environment;
  std::vector<char*> argv;
  std::vector<char*> envp;
};

std::unique_ptr<Prepared> PrepareRun(const Scenario& setup, const std::vector<std::string>& arguments);

// Replaces the command line of a prepared run.
void SetCommand(Prepared* run, const std::vector<std::string>& command);

// Runs a prepared run with standard output as given, and removes its
// directory afterwards.
Result RunPrepared(Prepared* run, Output output);

// Removes the run's directory, unless QUILLON_KEEP_E2E is set.
void CleanUpRun(const Prepared& run);

// True when the program under test is a Windows build, run under Wine.
bool TargetIsWindows();

// The status a Linux parent sees for an engine code: 8 bits, and a non-zero
// code whose low 8 bits are 0 reads as 255 on Linux (the program's own
// mapping) and as 1 under Wine (Wine's).
int ExpectedStatus(int code);

// The program on a pseudo-terminal of the test's own, which is its
// controlling terminal; standard output and error go to the terminal too.
class TerminalProgram {
 public:
  // The program runs as the foreground job of a small shell of the test's
  // own; `ignoredSignal`, when not 0, is ignored from its start, as nohup
  // ignores SIGHUP.
  TerminalProgram(const Scenario& setup, const std::vector<std::string>& arguments, bool stdinFromDevNull,
                  int ignoredSignal = 0);
  ~TerminalProgram();

  // Reads the terminal until `text` has appeared; false after `timeoutMs`.
  bool WaitForOutput(const std::string& text, int timeoutMs);
  bool Running();
  void Type(const std::string& bytes);
  void Signal(int signalNumber);
  // Waits until the program has stopped (job control); false after `timeoutMs`.
  bool WaitForStop(int timeoutMs);
  // Waits until the terminal's settings are as `wanted` says.
  bool WaitForSettings(const std::function<bool(const termios&)>& wanted, int timeoutMs);
  // Sets the terminal's settings, as a shell does when it takes it back.
  void SetSettings(const termios& settings);
  // Lets a stand-in engine that holds until "release" appears go on.
  void Release();
  // The exit status (128 + signal when killed), or -1 after `timeoutMs`.
  int WaitForExit(int timeoutMs);
  // The terminal's settings now, and as they were before the program started.
  termios Settings() const;
  const termios& SettingsBefore() const { return before_; }
  // Input typed on the terminal that nobody has read.
  std::string UnreadInput();

  std::string output;  // everything the terminal has shown

 private:
  void ReadAvailable(int timeoutMs);

  std::unique_ptr<Prepared> run_;
  pid_t child_ = -1;    // the small shell
  pid_t program_ = -1;  // the program, its foreground job
  int master_ = -1;
  int slave_ = -1;
  termios before_{};
  int status_ = -1;
};

// A configuration for the stand-in engine: its settings, and the fault
// injection inside <simulate pace-ms="0"> when `simulate` is not empty.
std::string Configuration(const std::string& simulate);

// A scenario whose one configuration, "setup.xml", succeeds with `code`.
Scenario Succeeding(int code);

// The file's contents; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Writes the file, and the directories it needs.
void WriteFile(const std::string& path, const std::string& contents);

// The source tree's examples/ directory.
std::string ExamplesDirectory();

}  // namespace e2e
