#include "engine/console_probe.h"

// A terminal's settings are read by the tests themselves, from outside.
std::string ConsoleInputMode() { return std::string(); }
