#include "output/print.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/console.h"

void Print(const char* text) { WriteOut(text, std::strlen(text)); }

// printf-style on purpose: the format attribute on the declaration lets the
// compiler check every format against its arguments.
void PrintFormat(const char* format, ...) {  // NOLINT(cert-dcl50-cpp)
  // Every format the program uses is a short line with one number in it.
  char line[256];
  va_list arguments;
  va_start(arguments, format);
  int length = std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  if (length > 0) {
    size_t size = static_cast<size_t>(length);
    WriteOut(line, size < sizeof line ? size : sizeof line - 1);
  }
}

void PrintWide(const char16_t* text, size_t capacity) {
  char narrow[256];
  size_t used = 0;
  for (size_t i = 0; i < capacity && text[i] != 0; ++i) {
    narrow[used++] = text[i] <= 0xFF ? static_cast<char>(text[i]) : '?';
    if (used == sizeof narrow) {
      WriteOut(narrow, used);
      used = 0;
    }
  }
  WriteOut(narrow, used);
}
