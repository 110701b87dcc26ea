// A temporary folder holding a link to the built executable, its own
// "_ParamsOfFunc.txt" and the run's input and result files. Runs the program the
// way a user does, standard input from /dev/null, and captures its console.
#pragma once
#include <set>
#include <string>
#include <utility>
#include <vector>

// Files by name and bytes; also a parameter file's keys and values.
using Files = std::vector<std::pair<std::string, std::string>>;

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
  // Writes a parameter file of four-line records (two free lines, key, value);
  // "<d>" in a value stands for the folder's path.
  void params(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries) const;

  // Runs the executable through its link in this folder, from this folder.
  RunResult run() const;
  // Writes the parameter file "p.txt", selects it for `procedure` and runs;
  // "<d>" stands for the folder's path in the console it gives back.
  RunResult run(const std::string& procedure, const Files& params) const;
  // The files a run left besides the link and those written through write(),
  // in name order, with their bytes ("<d>" for the folder's path).
  Files results() const;
  // The text with "<d>" replaced by the folder's path.
  std::string expand(std::string text) const;

 private:
  std::string dir_;
  mutable std::set<std::string> inputs_;
};

// The parameter file of the procedures the dispatcher hands their arguments:
// results into the run folder, genome g.bin and reads r.bin in it, the scope.
Files fScopeParams(int minSize, int maxSize);

// Letters to code bytes 0..3 (A 0, C 1, G 2, T 3).
std::string fCodes(const std::string& letters);
