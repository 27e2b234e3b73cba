// Runs the built program in a directory of its own, beside a chosen build of
// the stand-in engine, and captures what it prints and how it ends.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace e2e {

enum class EngineBuild { Full, NoMessage, NoConfig, None };

enum class Output { Pipe, ClosedPipe, Full };

struct Scenario {
  EngineBuild engine = EngineBuild::Full;
  std::map<std::string, std::string> files;  // relative path -> contents
  Output output = Output::Pipe;
  // The program runs from a directory of its own, and the engine and the
  // files are in the working directory only.
  bool engineInWorkingDirectoryOnly = false;
};

struct Result {
  std::string out;    // everything written to standard output
  std::string err;    // everything written to standard error
  int status = -1;    // exit status as the parent sees it
  std::string trace;  // the stand-in engine's record of its calls
};

// Runs the program with these arguments after the program name.
Result RunProgram(const Scenario& setup, const std::vector<std::string>& arguments);

// A configuration for the stand-in engine: its settings, and the fault
// injection inside <simulate pace-ms="0"> when `simulate` is not empty.
std::string Configuration(const std::string& simulate);

// The source tree's examples/ directory.
std::string ExamplesDirectory();

}  // namespace e2e
