#include "instrument/audio_thread_audit.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <pthread.h>
#include <semaphore.h>

#include <atomic>
#include <cstddef>
#include <cstdio>

// glibc's own allocator entry points, which the replacements below forward to.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

thread_local int auditDepth = 0;
std::atomic<std::uint64_t> allocations{0}, frees{0}, locks{0};
std::atomic<bool> seenFirst{false};
// The call stack of the first counted call, for the failure message.
constexpr int kStackDepth = 10;
void* firstStack[kStackDepth];
int firstStackDepth = 0;
// backtrace loads its unwinder at its first use; that happens here, not
// inside a counted call.
const int kUnwinderReady = backtrace(firstStack, 1);

enum class Kind { kAllocation, kFree, kLock };

inline void Count(Kind kind) {
  if (auditDepth == 0) return;
  switch (kind) {
    case Kind::kAllocation:
      allocations.fetch_add(1, std::memory_order_relaxed);
      break;
    case Kind::kFree:
      frees.fetch_add(1, std::memory_order_relaxed);
      break;
    case Kind::kLock:
      locks.fetch_add(1, std::memory_order_relaxed);
      break;
  }
  if (!seenFirst.exchange(true)) firstStackDepth = backtrace(firstStack, kStackDepth);
}

// The next definition of a lock function after this executable's, looked
// up at its first call. The slots are constant-initialised statics, so no
// guard (which might itself lock) stands before them.
template <typename Function>
Function Next(std::atomic<Function>& slot, const char* name) {
  Function function = slot.load(std::memory_order_acquire);
  if (function == nullptr) {
    function = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
    slot.store(function, std::memory_order_release);
  }
  return function;
}

}  // namespace

AuditScope::AuditScope() { ++auditDepth; }
AuditScope::~AuditScope() { --auditDepth; }

AuditCounts AuditedCounts() {
  AuditCounts counts;
  counts.allocations = allocations.load();
  counts.frees = frees.load();
  counts.locks = locks.load();
  if (seenFirst.load()) {
    // Frame 0 is the counting itself.
    for (int i = 1; i < firstStackDepth; ++i) {
      Dl_info info{};
      char text[512];
      if (dladdr(firstStack[i], &info) != 0 && info.dli_sname != nullptr) {
        std::snprintf(text, sizeof text, "\n  %s (%s)", info.dli_sname, info.dli_fname);
      } else {
        // A hidden symbol: its offset in the file, for addr2line.
        const auto offset = reinterpret_cast<std::uintptr_t>(firstStack[i]) -
                            reinterpret_cast<std::uintptr_t>(info.dli_fbase);
        std::snprintf(text, sizeof text, "\n  %s+0x%zx", info.dli_fname != nullptr ? info.dli_fname : "?",
                      static_cast<std::size_t>(offset));
      }
      counts.firstCaller += text;
    }
  }
  return counts;
}

void ResetAuditedCounts() {
  allocations = 0;
  frees = 0;
  locks = 0;
  firstStackDepth = 0;
  seenFirst = false;
}

extern "C" {

void* malloc(std::size_t size) {
  Count(Kind::kAllocation);
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  Count(Kind::kAllocation);
  return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
  Count(Kind::kAllocation);
  return __libc_realloc(pointer, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
  Count(Kind::kAllocation);
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
  Count(Kind::kAllocation);
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
  Count(Kind::kAllocation);
  void* pointer = __libc_memalign(alignment, size);
  if (pointer == nullptr) return 12;  // ENOMEM
  *result = pointer;
  return 0;
}
void free(void* pointer) {
  if (pointer != nullptr) Count(Kind::kFree);
  __libc_free(pointer);
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
  static std::atomic<int (*)(pthread_mutex_t*)> next{nullptr};
  Count(Kind::kLock);
  return Next(next, "pthread_mutex_lock")(mutex);
}
int pthread_mutex_trylock(pthread_mutex_t* mutex) {
  static std::atomic<int (*)(pthread_mutex_t*)> next{nullptr};
  Count(Kind::kLock);
  return Next(next, "pthread_mutex_trylock")(mutex);
}
int pthread_rwlock_rdlock(pthread_rwlock_t* lock) {
  static std::atomic<int (*)(pthread_rwlock_t*)> next{nullptr};
  Count(Kind::kLock);
  return Next(next, "pthread_rwlock_rdlock")(lock);
}
int pthread_rwlock_wrlock(pthread_rwlock_t* lock) {
  static std::atomic<int (*)(pthread_rwlock_t*)> next{nullptr};
  Count(Kind::kLock);
  return Next(next, "pthread_rwlock_wrlock")(lock);
}
int pthread_spin_lock(pthread_spinlock_t* lock) {
  static std::atomic<int (*)(pthread_spinlock_t*)> next{nullptr};
  Count(Kind::kLock);
  return Next(next, "pthread_spin_lock")(lock);
}
int sem_wait(sem_t* semaphore) {
  static std::atomic<int (*)(sem_t*)> next{nullptr};
  Count(Kind::kLock);
  return Next(next, "sem_wait")(semaphore);
}
int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
  static std::atomic<int (*)(pthread_cond_t*, pthread_mutex_t*)> next{nullptr};
  Count(Kind::kLock);
  return Next(next, "pthread_cond_wait")(condition, mutex);
}

}  // extern "C"
