// One key press, read from the console itself.
#pragma once

// Blocks until one key is pressed on the console (the terminal itself, not
// standard input), without echo and without waiting for Enter. The console's
// earlier input mode is restored afterwards. Returns at once when there is no
// console to read from.
void AwaitKeyPress();
