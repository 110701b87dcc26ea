// Per-read facts that the standard outputs need and the native files don't
// carry (which read, where, on which strand): fixed-size records a procedure
// hands to a sink while it reads, written to a scratch file only when the
// command line has opened the sink. The selection-file run never opens one, so
// a note there costs one test of a pointer.
#pragma once
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

class NoteSink {
 public:
  NoteSink() = default;
  ~NoteSink();
  NoteSink(const NoteSink&) = delete;
  NoteSink& operator=(const NoteSink&) = delete;

  // Starts a new notes file at `path` (an earlier one of that name is
  // emptied); false when it can't be created or its buffer can't be had.
  bool fOpen(const std::string& path);
  // Writes what is buffered and closes the file; false if any write failed.
  // A sink that is off closes to true.
  bool fClose();
  bool fOn() const { return File != nullptr; }

  // One record; nothing when the sink is off. Called from a procedure's
  // per-read path: no allocation, no lock, no formatting.
  void fAdd(const void* record, size_t bytes) {
    if (File == nullptr) return;
    if (bytes > kCapacity - Used) {
      fSpill(record, bytes);
      return;
    }
    std::memcpy(Buffer + Used, record, bytes);
    Used += bytes;
  }

  static constexpr size_t kCapacity = size_t(1) << 20;

 private:
  // Empties the buffer into the file, then takes the record.
  void fSpill(const void* record, size_t bytes);

  FILE* File = nullptr;
  unsigned char* Buffer = nullptr;
  size_t Used = 0;
  bool Failed = false;
};

// The notes of the procedure that runs: one procedure runs per process, and
// each writes its own record type (e.g. HitNote of endreplace/replaced_end.h).
extern NoteSink ReadNotes;
