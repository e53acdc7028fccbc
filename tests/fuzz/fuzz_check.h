// A property the fuzz targets insist on. When one fails: a line on stderr
// saying what, then a trap, which libFuzzer reports as a crash and saves
// the input for.
#pragma once

#include <cstdarg>
#include <cstdio>

namespace fuzz {

[[noreturn]] __attribute__((format(printf, 1, 2))) inline void CheckFailed(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::fputs("check failed: ", stderr);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  __builtin_trap();
}

}  // namespace fuzz
