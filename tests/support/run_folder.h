// A temporary folder holding a link to the built executable, its own
// "_ParamsOfFunc.txt" and the run's input and result files. Runs the program the
// way a user does, standard input from /dev/null, and captures its console.
#pragma once
#include <string>
#include <utility>
#include <vector>

struct RunResult {
  int exitCode = -1;
  std::string console;
};

class RunFolder {
 public:
  RunFolder();
  ~RunFolder();
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;

  const std::string& dir() const { return dir_; }
  // Absolute path of a file in the folder.
  std::string path(const std::string& name) const { return dir_ + "/" + name; }

  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Names of the files in the folder, sorted.
  std::vector<std::string> files() const;

  // Writes "_ParamsOfFunc.txt": parameter-file path, then procedure name.
  void select(const std::string& paramFile, const std::string& procedure) const;
  // Writes a parameter file of four-line records (two free lines, key, value).
  void params(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries) const;

  // Runs the executable through its link in this folder, from this folder.
  RunResult run() const;

 private:
  std::string dir_;
};

// Letters to code bytes 0..3 (A 0, C 1, G 2, T 3).
std::string fCodes(const std::string& letters);
