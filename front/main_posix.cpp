// quillon-config: configures a scanner/imager from an XML file through the
// maker's configuration engine.
//
//   quillon-config XML-PATH [EXIT-MODE]
//
// The entry on POSIX systems. Arguments are bytes here; each byte becomes the
// 16-bit unit of the same value (0x80-0xFF become U+0080-U+00FF), with no
// code-page conversion, which the stand-in engine turns back into the same
// bytes.
#include <string>
#include <vector>

#include "front/console_driver.h"

int main(int argc, char** argv) {
  // Kept for the life of the process: the worker reads the path from here.
  static std::vector<std::u16string> arguments;
  static std::vector<char16_t*> pointers;
  arguments.reserve(static_cast<size_t>(argc));
  pointers.reserve(static_cast<size_t>(argc) + 1);
  for (int i = 0; i < argc; ++i) {
    std::u16string units;
    for (const char* byte = argv[i]; *byte != 0; ++byte) {
      units.push_back(static_cast<char16_t>(static_cast<unsigned char>(*byte)));
    }
    arguments.push_back(units);
  }
  for (std::u16string& argument : arguments) {
    pointers.push_back(&argument[0]);
  }
  pointers.push_back(nullptr);
  ConsoleMain(argc, pointers.data());
}
