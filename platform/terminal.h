// The console the operator works at: held for the run and for the key wait,
// and given back as it was found.
//
// One place owns the console's state for the whole process: the settings it
// had, the ones the run needs and the ones the key wait needs; and it puts
// the found settings back on every path, including a signal or a console
// event that ends the process and, on Linux, job control.
#pragma once

// Takes the console for the run, when the program writes to it (and, on
// Linux, runs in its foreground process group); otherwise does nothing.
// During the run keys typed at the console are not shown (a scanner in
// keyboard mode types whatever it reads), and neither flow control (Ctrl+S)
// nor a selection with the mouse (QuickEdit) can hold the output back and
// stall the engine inside a progress call. Ctrl+C still ends the program.
void TakeConsole();

// Throws away input typed at the console and not yet read, so that the key
// wait that follows waits for a key pressed after its prompt appeared.
void DiscardTypedAhead();

// Blocks until one key is pressed on the console (the terminal itself, not
// standard input), without echo and without waiting for Enter. Returns at
// once when there is no console to read from.
void AwaitKeyPress();

// Gives the console back with the settings it had before TakeConsole or
// AwaitKeyPress changed them. Call before the process ends.
void ReleaseConsole();
