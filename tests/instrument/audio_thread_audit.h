// Counts heap and lock operations made by the calling thread while an
// AuditScope is alive. The test executable replaces the allocator and the
// lock functions for the whole process (the loaded plug-in and the C++
// runtime included); outside a scope, and on other threads, they only pass
// the calls on.
#pragma once

#include <cstdint>
#include <string>

struct AuditCounts {
  std::uint64_t allocations = 0;  // malloc, calloc, realloc, memalign and kin
  std::uint64_t frees = 0;
  std::uint64_t locks = 0;  // mutex, read-write lock, spin lock, semaphore and condition waits
  std::string firstCaller;  // the call stack of the first counted call, for the failure message
};

class AuditScope {
 public:
  AuditScope();
  ~AuditScope();
  AuditScope(const AuditScope&) = delete;
  AuditScope& operator=(const AuditScope&) = delete;
};

// What every scope has counted so far; Reset starts again from zero.
AuditCounts AuditedCounts();
void ResetAuditedCounts();
