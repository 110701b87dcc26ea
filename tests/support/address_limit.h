// Holds the test process's address space to what it uses now and `headroom`
// bytes more, for as long as the holder lives, so that a large table can't be
// had and a procedure's out-of-memory path runs. Only off Windows and without
// a sanitizer (whose shadow memory would not fit such a limit): tests that use
// it stand inside `#if VANTRELS_ADDRESS_LIMIT`.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define VANTRELS_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VANTRELS_SANITIZED 1
#endif

#if !defined(_WIN32) && !defined(VANTRELS_SANITIZED)
#define VANTRELS_ADDRESS_LIMIT 1

#include <sys/resource.h>
#include <unistd.h>
#include <cstddef>
#include <cstdio>

class AddressSpaceLimit {
 public:
  explicit AddressSpaceLimit(size_t headroom) {
    long pages = 0;
    FILE* status = getrlimit(RLIMIT_AS, &saved_) == 0 ? std::fopen("/proc/self/statm", "r") : nullptr;
    if (status == nullptr) return;
    const bool read = std::fscanf(status, "%ld", &pages) == 1;
    std::fclose(status);
    rlimit limit = saved_;
    limit.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + headroom;
    held_ = read && setrlimit(RLIMIT_AS, &limit) == 0;
  }
  ~AddressSpaceLimit() {
    if (held_) setrlimit(RLIMIT_AS, &saved_);
  }
  AddressSpaceLimit(const AddressSpaceLimit&) = delete;
  AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;
  bool held() const { return held_; }

 private:
  rlimit saved_{};
  bool held_ = false;
};
#else
#define VANTRELS_ADDRESS_LIMIT 0
#endif
