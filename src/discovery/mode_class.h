// Mode class of a camera's firmware version: which product family the version text says
// the camera belongs to. The camera list and the export show it as a letter.
#pragma once
#include <cstddef>

// Class 1-5 of a version text such as "1.7.15.0". Reads at most nMax bytes, stopping at
// the first zero byte, so a full-width field without a terminator is safe.
int ModeClassOf(const char* szVersion, size_t nMax = 255);

// "T", "F", "C", "G" for classes 1-4, "Other" for 5 and any other value.
const char* ModeLetter(int nMode);
