// quillon-config: configures a scanner/imager from an XML file through the
// maker's configuration engine.
//
//   quillon-config XML-PATH [EXIT-MODE]
#include "front/console_driver.h"

int main(int argc, char** argv) { ConsoleMain(argc, argv); }
