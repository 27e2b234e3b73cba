// The program's text conventions: every text goes to standard output and
// reaches it before the call returns, and 16-bit text is written as narrow
// text. Everything above the platform layer prints through these.
#pragma once

#include <cstddef>

// Writes the text exactly as it stands; no character is taken as a directive.
void Print(const char* text);

// Writes the text formatted with the usual printf directives.
void PrintFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes 16-bit text as narrow text: up to the first zero unit, or at most
// `capacity` units when there is none. Each unit up to 0xFF becomes the byte
// of the same value; a wider unit has no byte form and becomes '?'.
void PrintWide(const char16_t* text, size_t capacity);
