#include "support/run_folder.h"
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace {
std::string fReplaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}
}  // namespace

RunFolder::RunFolder() {
  char pattern[] = "/tmp/vantrels-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
  if (symlink(VANTRELS_EXE, path("vantrels").c_str()) != 0) throw std::runtime_error("symlink failed");
}

RunFolder::~RunFolder() {
  if (std::getenv("VANTRELS_KEEP_TEST_DIRS") != nullptr) return;
  const int status = std::system(("rm -rf '" + dir_ + "'").c_str());
  (void)status;
}

void RunFolder::write(const std::string& name, const std::string& bytes) const {
  inputs_.insert(name);
  std::ofstream(path(name), std::ios::binary | std::ios::trunc) << bytes;
}

std::string RunFolder::read(const std::string& name) const {
  std::ifstream in(path(name), std::ios::binary);
  if (!in) return "<missing " + name + ">";
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

bool RunFolder::exists(const std::string& name) const {
  struct stat status;
  return stat(path(name).c_str(), &status) == 0;
}

std::vector<std::string> RunFolder::files() const {
  std::vector<std::string> names;
  DIR* folder = opendir(dir_.c_str());
  if (folder == nullptr) return names;
  while (dirent* entry = readdir(folder))
    if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") names.push_back(entry->d_name);
  closedir(folder);
  std::sort(names.begin(), names.end());
  return names;
}

void RunFolder::select(const std::string& paramFile, const std::string& procedure) const {
  write("_ParamsOfFunc.txt", paramFile + "\n" + procedure + "\n");
}

void RunFolder::params(const std::string& name,
                       const std::vector<std::pair<std::string, std::string>>& entries) const {
  std::string text;
  for (const auto& entry : entries) text += "#\n#\n" + entry.first + "\n" + expand(entry.second) + "\n";
  write(name, text);
}

RunResult RunFolder::run() const {
  RunResult result;
  FILE* console = popen(("cd '" + dir_ + "' && '" + path("vantrels") + "' </dev/null").c_str(), "r");
  if (console == nullptr) return result;
  char chunk[4096];
  for (size_t got; (got = fread(chunk, 1, sizeof chunk, console)) > 0;) result.console.append(chunk, got);
  const int status = pclose(console);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string RunFolder::expand(std::string text) const { return fReplaced(std::move(text), "<d>", dir_); }

RunResult RunFolder::run(const std::string& procedure, const Files& params) const {
  this->params("p.txt", params);
  select(path("p.txt"), procedure);
  RunResult result = run();
  result.console = fReplaced(result.console, dir_, "<d>");
  return result;
}

Files RunFolder::results() const {
  Files left;
  for (const std::string& name : files())
    if (name != "vantrels" && inputs_.count(name) == 0) left.emplace_back(name, fReplaced(read(name), dir_, "<d>"));
  return left;
}

Files fScopeParams(int minSize, int maxSize) {
  return {{"diRes", "<d>"}, {"pthReads", "<d>/r.bin"}, {"pthGnm", "<d>/g.bin"},
          {"rMinSz", std::to_string(minSize)}, {"rMaxSz", std::to_string(maxSize)}};
}

std::string fCodes(const std::string& letters) {
  static const std::string kLetters = "ACGTacgt";
  std::string codes = letters;
  for (char& c : codes)
    if (kLetters.find(c) != std::string::npos) c = static_cast<char>(kLetters.find(c) % 4);
  return codes;
}
