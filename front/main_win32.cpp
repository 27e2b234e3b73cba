// quillon-config: configures a scanner/imager from an XML file through the
// maker's configuration engine.
//
//   quillon-config XML-PATH [EXIT-MODE]
//
// The entry on Windows: the wide entry point (linked with -municode), so the
// arguments are the command line's own 16-bit text, split by the C runtime's
// usual rules. A path reaches the engine exactly as the operator typed it;
// the narrow arguments would have passed through the ANSI code page, which
// turns characters it lacks into '?' or into look-alikes such as '\' for a
// fullwidth backslash.
#include "front/console_driver.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide text is 16-bit text");

int wmain(int argc, wchar_t** argv) { ConsoleMain(argc, reinterpret_cast<char16_t**>(argv)); }
