#include "prep/output_file.h"

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

static const char* const kPartSuffix = ".part";
static const char* const kCantWrite = "cannot %s %s: %s";
static const size_t kWriteBuffer = 1u << 20;

OutputFile::~OutputFile() { abandon(); }

void OutputFile::fail(const char* what, const std::string& name) {
  if (failed_) return;
  failed_ = true;
  char text[4096];
  std::snprintf(text, sizeof text, kCantWrite, what, name.c_str(), std::strerror(errno));
  problem_ = text;
}

bool OutputFile::open(const std::string& path) {
  path_ = path;
  partPath_ = path + kPartSuffix;
  errno = 0;
  file_ = std::fopen(partPath_.c_str(), "wb");
  if (file_ == nullptr) {
    fail("create", path_);
    return false;
  }
  std::setvbuf(file_, nullptr, _IOFBF, kWriteBuffer);
  return true;
}

void OutputFile::write(const char* bytes, size_t count) {
  if (failed_ || file_ == nullptr || count == 0) return;
  if (std::fwrite(bytes, 1, count, file_) != count) fail("write", partPath_);
}

bool OutputFile::commit() {
  if (file_ == nullptr) return false;
  if (std::fflush(file_) != 0) fail("write", partPath_);
  if (std::fclose(file_) != 0) fail("write", partPath_);
  file_ = nullptr;
  if (failed_) {
    fPlatformRemove(partPath_.c_str());
    return false;
  }
  // Where a rename does not replace an existing file, the old result goes first.
  if (std::rename(partPath_.c_str(), path_.c_str()) != 0) {
    fPlatformRemove(path_.c_str());
    if (std::rename(partPath_.c_str(), path_.c_str()) != 0) {
      char text[4096];
      std::snprintf(text, sizeof text, "cannot rename %s to %s: %s", partPath_.c_str(), path_.c_str(),
                    std::strerror(errno));
      problem_ = text;
      failed_ = true;
      fPlatformRemove(partPath_.c_str());
      return false;
    }
  }
  partPath_.clear();
  return true;
}

void OutputFile::abandon() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!partPath_.empty()) {
    fPlatformRemove(partPath_.c_str());
    partPath_.clear();
  }
}
