// A result file that appears under its name only when it is complete: written
// under OUT + ".part" and renamed at the end; on failure the partial file is
// removed, and the caller says that nothing was written.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();  // removes an uncommitted partial file
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool open(const std::string& path);
  // Buffered; the first failure is kept and reported by commit().
  void write(const char* bytes, size_t count);
  // Moves OUT + ".part" to OUT; false with problem() set on any write failure.
  bool commit();
  // Removes the partial file.
  void abandon();

  const std::string& problem() const { return problem_; }

 private:
  void fail(const char* what, const std::string& name);
  std::string path_;
  std::string partPath_;
  FILE* file_ = nullptr;
  bool failed_ = false;
  std::string problem_;
};
