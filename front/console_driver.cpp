#include "front/console_driver.h"

#include <cstdint>

#include "front/exit_pause.h"
#include "front/version.h"
#include "output/print.h"
#include "platform/console.h"
#include "platform/process.h"
#include "platform/sleep.h"
#include "platform/terminal.h"
#include "platform/thread.h"
#include "progress/progress_display.h"
#include "run/config_thread.h"
#include "run/engine_binding.h"

namespace {

// Long enough for the operator to read the last message.
constexpr uint32_t READ_PAUSE_MS = 1500;

// Exit status when nothing was configured: no path, no worker, or an engine
// that could not be bound.
constexpr int32_t NOT_CONFIGURED = -1;

const char STAR_LINE[] = "*************************************************************************\n";
const char MAKER_LINE[] = "*                     Tarrowmede Instruments, Inc.                      *\n";
const char PRODUCT_LINE[] = QUILLON_PRODUCT_LINE;
const char WARNING_LINE_1[] = "*                 PLEASE DO NOT END THIS PROCESS WHILE                  *\n";
const char WARNING_LINE_2[] = "*               SCANNER/IMAGER MAINTENANCE IS IN PROGRESS               *\n";

void PrintBox(const char* first, const char* second) {
  Print(STAR_LINE);
  Print(first);
  Print(second);
  Print(STAR_LINE);
  Print("\n");
}

// The pause after the last message, the exit pause when an exit mode was
// given, then the end. The exit pause compares the code the run left, which
// is still 0 when the worker never started.
[[noreturn]] void Finish(int argc, char16_t** argv, int32_t status) {
  SleepMs(READ_PAUSE_MS);
  if (argc > 2) {
    WaitBeforeExit(argv, returnCode);
  }
  ReleaseConsole();
  EndProcess(status);
}

}  // namespace

void ConsoleMain(int argc, char16_t** argv) {
  PrepareConsole();
  PrintBox(MAKER_LINE, PRODUCT_LINE);

  // A start-up that passes no arguments at all is treated like one with the
  // program name only.
  if (argc < 2) {
    Print("\nPlease enter the XML file name and path.");
    SleepMs(READ_PAUSE_MS);
    EndProcess(NOT_CONFIGURED);
  }

  // From the warning box to the end of the exit pause the console belongs
  // to the run: nothing typed at it shows in the bar or holds up the engine.
  TakeConsole();
  PrintBox(WARNING_LINE_1, WARNING_LINE_2);
  ShowProcessStatus();

  ThreadHandle worker = StartThread(ConfigThread, argv[1]);
  if (worker == nullptr) {
    Print("Error: could not create the config thread.");
    Finish(argc, argv, NOT_CONFIGURED);
  }
  AwaitThread(worker);
  CloseThread(worker);

  ReportReturnCode();
  Finish(argc, argv, engineReached ? returnCode : NOT_CONFIGURED);
}
