// Forced into the portable test suites when they are built for Windows: the
// few POSIX calls their fixtures make, over the C library's own.
#pragma once

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>

#include <random>

inline char* mkdtemp(char* pattern) {
  const std::size_t length = strlen(pattern);
  if (length < 6) return nullptr;
  static std::random_device seed;
  static std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (std::size_t i = length - 6; i < length; ++i) pattern[i] = "abcdefghijklmnopqrstuvwxyz0123456789"[random() % 36];
    if (_mkdir(pattern) == 0) return pattern;
  }
  return nullptr;
}

// No user is all-powerful over file modes on Windows: the fixtures that
// step down from root have nothing to step down from.
using uid_t = int;
inline uid_t geteuid() { return 1000; }
inline int seteuid(uid_t) { return 0; }

inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif
