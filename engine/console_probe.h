// What the stand-in engine can see of the console it runs in, for tests of
// how the front end left it.
#pragma once

#include <string>

// " console-input-mode=0x..." with the console input's mode in hexadecimal
// where the platform has such a mode and a console is there; else "".
std::string ConsoleInputMode();
