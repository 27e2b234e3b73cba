// The program's main line.
#pragma once

// Prints the banner, starts the configuration on the worker thread, waits
// for it, prints the final report and ends the process with the engine's
// return code. Never returns: every path ends in the platform's process exit.
[[noreturn]] void ConsoleMain(int argc, char** argv);
