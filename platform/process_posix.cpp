// Ending the process on POSIX systems.
#include <unistd.h>

#include "platform/process.h"

// POSIX keeps only the low 8 bits of a status. Codes 0 to 255 exit as
// themselves and -1 as 255; any other code keeps its low 8 bits, except that
// a non-zero code whose low 8 bits are 0 exits 255, so that no failure ever
// reads as success.
void EndProcess(int32_t status) {
  int narrow = static_cast<int>(static_cast<uint32_t>(status) & 0xFFu);
  if (status != 0 && narrow == 0) {
    narrow = 255;
  }
  _exit(narrow);
}
