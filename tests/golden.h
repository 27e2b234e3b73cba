// The program's fixed screens, written out literally: the tests compare the
// program's output against these byte for byte.
#pragma once

#include <string>

namespace golden {

inline const std::string STARS =
    "*************************************************************************\n";

inline const std::string BANNER =
    STARS +
    "*                     Tarrowmede Instruments, Inc.                      *\n"
    "*                         Quillon 3 (v2.0.0.0)                          *\n" +
    STARS + "\n";

inline const std::string WARNING =
    STARS +
    "*                 PLEASE DO NOT END THIS PROCESS WHILE                  *\n"
    "*               SCANNER/IMAGER MAINTENANCE IS IN PROGRESS               *\n" +
    STARS + "\n";

inline const std::string SCALE =
    "Process Status:\n"
    "0                                                                    100%\n"
    "-------------------------------------------------------------------------\n";

// Everything before the worker starts, for a run with an XML path.
inline const std::string HEADER = BANNER + WARNING + SCALE;

inline const std::string NO_PATH = BANNER + "\nPlease enter the XML file name and path.";

inline const std::string LOAD_FAILURE = "Could not load the Quennix.dll library.\n";

inline const std::string PROMPT = "\nPress any key to exit...";

inline std::string Bar(int stars) { return std::string(static_cast<size_t>(stars), '*'); }

}  // namespace golden
