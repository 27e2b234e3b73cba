#pragma once
void Print(const char* text);
