// A result file that appears under its name only when it is complete: written
// under OUT + ".part" and renamed at the end; on failure the partial file is
// removed, and the caller says that nothing was written. An OUT that is a
// symbolic link stands for its target (the link stays a link). An OUT that is
// not a regular file (a pipe, a device) and "-" (standard output) are written
// directly: they can't be renamed over, nor taken back.
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

  // `standardOutput` is where "-" writes.
  bool open(const std::string& path, FILE* standardOutput = stdout);
  // Buffered; the first failure is kept and reported by commit().
  void write(const char* bytes, size_t count);
  // Moves OUT + ".part" to OUT; false with problem() set on any write failure.
  bool commit();
  // Removes the partial file.
  void abandon();

  const std::string& problem() const { return problem_; }

 private:
  void fail(const char* what, const std::string& name);
  void close();
  std::string name_;      // OUT as given, for messages
  std::string path_;      // what is written: OUT, or the target of its links
  std::string partPath_;  // empty when written directly
  FILE* file_ = nullptr;
  bool standard_ = false;  // file_ is the caller's standard output
  bool failed_ = false;
  std::string problem_;
};
