// A recording stand-in for the platform layer and the engine library.
//
// Everything the program does through the platform lands in one transcript:
// output bytes as they are, and every other event as a {marker}. The program
// runs its real worker thread; ending the process throws ProcessEnded so the
// test can read the transcript and the status.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fake {

struct ProcessEnded {
  int32_t status;
};

// One call of the fake engine's ConfigFromXmlFile.
struct Attempt {
  bool ok = true;
  int32_t code = 0;
  std::vector<std::pair<int32_t, int32_t>> progress;  // total, current
};

struct Engine {
  bool present = true;                         // the library loads
  bool exportsConfig = true;                   // ConfigFromXmlFile is exported
  bool exportsMessage = true;                  // GetReturnCodeMessage is exported
  std::vector<Attempt> attempts;               // one per call; past the end: success, code 0
  std::map<int32_t, std::u16string> messages;  // default: "Message <code>."
  bool unterminatedMessage = false;            // fill all units, no zero
};

extern Engine engine;
extern bool threadStartFails;
extern std::string transcript;
// Paths the fake engine received, as 16-bit text.
extern std::vector<std::u16string> receivedPaths;
// Capacities GetReturnCodeMessage received.
extern std::vector<int32_t> receivedCapacities;
// What was done with the console, each with the length of the transcript at
// that moment: "take at N", "discard at N", "release at N".
extern std::vector<std::string> consoleEvents;

struct Run {
  std::string transcript;
  int32_t status;
};

// Resets the program's process-wide state and the fakes' records, keeping
// `engine` as the test set it, then runs ConsoleMain with the arguments as
// 16-bit text.
Run RunProgramWide(std::vector<std::u16string> arguments);

// The same with ASCII arguments.
Run RunProgram(const std::vector<std::string>& arguments);

// Resets the program's process-wide state as at process start.
void ResetProgramState();

// Each test starts from a working engine and a thread that starts.
class Fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    engine = Engine();
    threadStartFails = false;
  }
};

}  // namespace fake
