#include "prep/output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/platform.h"

static const char* const kPartSuffix = ".part";
static const char* const kStandardOutput = "-";
static const char* const kCantWrite = "cannot %s %s: %s";
static const size_t kWriteBuffer = 1u << 20;
static const int kLongestLinkChain = 40;

OutputFile::~OutputFile() { abandon(); }

void OutputFile::fail(const char* what, const std::string& name) {
  if (failed_) return;
  failed_ = true;
  char text[4096];
  std::snprintf(text, sizeof text, kCantWrite, what, name.c_str(), std::strerror(errno));
  problem_ = text;
}

// The file a chain of symbolic links ends at (which need not exist yet).
static std::string fLinkTarget(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path current = path;
  for (int hop = 0; hop < kLongestLinkChain; ++hop) {
    std::error_code failure;
    if (!fs::is_symlink(fs::symlink_status(current, failure)) || failure) break;
    fs::path next = fs::read_symlink(current, failure);
    if (failure) break;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current.string();
}

// A pipe or a device: there is nothing to rename over.
static bool fIsSpecialFile(const std::string& path) {
  std::error_code failure;
  std::filesystem::file_status status = std::filesystem::status(path, failure);
  return !failure && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
         !std::filesystem::is_directory(status);
}

bool OutputFile::open(const std::string& path, FILE* standardOutput) {
  name_ = path;
  errno = 0;
  if (path == kStandardOutput) {
    file_ = standardOutput;
    standard_ = true;
    return true;
  }
  path_ = fLinkTarget(path);
  if (fIsSpecialFile(path_)) {
    file_ = std::fopen(path_.c_str(), "wb");
  } else {
    partPath_ = path_ + kPartSuffix;
    file_ = std::fopen(partPath_.c_str(), "wb");
  }
  if (file_ == nullptr) {
    partPath_.clear();
    fail("create", name_);
    return false;
  }
  std::setvbuf(file_, nullptr, _IOFBF, kWriteBuffer);
  return true;
}

void OutputFile::write(const char* bytes, size_t count) {
  if (failed_ || file_ == nullptr || count == 0) return;
  if (std::fwrite(bytes, 1, count, file_) != count) fail("write", partPath_.empty() ? name_ : partPath_);
}

void OutputFile::close() {
  if (file_ == nullptr) return;
  const std::string& written = partPath_.empty() ? name_ : partPath_;
  if (std::fflush(file_) != 0) fail("write", written);
  if (!standard_ && std::fclose(file_) != 0) fail("write", written);
  file_ = nullptr;
}

bool OutputFile::commit() {
  if (file_ == nullptr) return false;
  close();
  if (partPath_.empty()) return !failed_;
  if (failed_) {
    fPlatformRemove(partPath_.c_str());
    partPath_.clear();
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
      partPath_.clear();
      return false;
    }
  }
  partPath_.clear();
  return true;
}

void OutputFile::abandon() {
  if (file_ != nullptr) {
    if (!standard_) std::fclose(file_);
    file_ = nullptr;
  }
  if (!partPath_.empty()) {
    fPlatformRemove(partPath_.c_str());
    partPath_.clear();
  }
}
