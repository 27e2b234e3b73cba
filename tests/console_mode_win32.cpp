// console-mode.exe: prints the console input's mode, for the tests of how
// quillon-config leaves the console.
#include <windows.h>

#include <cstdio>

int main() {
  HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD mode = 0;
  if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) {
    std::printf("no console\n");
    return 1;
  }
  std::printf("console-input-mode=0x%lx\n", mode);
  return 0;
}
