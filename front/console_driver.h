// The program's main line.
#pragma once

// Prints the banner, starts the configuration on the worker thread, waits
// for it, prints the final report and ends the process with the engine's
// return code. Never returns: every path ends in the platform's process exit.
//
// The arguments are 16-bit text, zero-terminated: argv[1] is the XML path,
// handed to the engine as it stands, and argv[2] the exit mode. They stay
// valid for the life of the process.
[[noreturn]] void ConsoleMain(int argc, char16_t** argv);
