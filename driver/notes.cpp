#include "driver/notes.h"

#include <cstdlib>
#include <utility>

NoteSink ReadNotes;

NoteSink::~NoteSink() { fClose(); }

bool NoteSink::fOpen(const std::string& path) {
  fClose();
  Buffer = static_cast<unsigned char*>(std::malloc(kCapacity));
  if (Buffer == nullptr) return false;
  // Plain fopen: a failure here is the command line's to report, never a console text.
  File = std::fopen(path.c_str(), "wb");
  if (File == nullptr) {
    std::free(std::exchange(Buffer, nullptr));
    return false;
  }
  Used = 0;
  Failed = false;
  return true;
}

void NoteSink::fSpill(const void* record, size_t bytes) {
  if (Used > 0 && std::fwrite(Buffer, 1, Used, File) != Used) Failed = true;
  Used = 0;
  if (bytes <= kCapacity) {
    std::memcpy(Buffer, record, bytes);
    Used = bytes;
  } else if (std::fwrite(record, 1, bytes, File) != bytes) {
    Failed = true;
  }
}

bool NoteSink::fClose() {
  if (File == nullptr) return true;
  if (Used > 0 && std::fwrite(Buffer, 1, Used, File) != Used) Failed = true;
  if (std::ferror(File) != 0) Failed = true;
  if (std::fclose(File) != 0) Failed = true;
  File = nullptr;
  std::free(std::exchange(Buffer, nullptr));
  Used = 0;
  return !Failed;
}
