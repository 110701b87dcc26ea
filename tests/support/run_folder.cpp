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

RunFolder::RunFolder() {
  char pattern[] = "/tmp/vantrels-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
  if (symlink(VANTRELS_EXE, path("vantrels").c_str()) != 0) throw std::runtime_error("symlink failed");
}

RunFolder::~RunFolder() {
  if (std::getenv("VANTRELS_KEEP_TEST_DIRS") != nullptr) return;
  std::string command = "rm -rf '" + dir_ + "'";
  int status = std::system(command.c_str());
  (void)status;
}

void RunFolder::write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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
  while (dirent* entry = readdir(folder)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
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
  for (const auto& entry : entries) text += "#\n#\n" + entry.first + "\n" + entry.second + "\n";
  write(name, text);
}

RunResult RunFolder::run() const {
  RunResult result;
  std::string command = "cd '" + dir_ + "' && '" + path("vantrels") + "' </dev/null";
  FILE* console = popen(command.c_str(), "r");
  if (console == nullptr) return result;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, console)) > 0) result.console.append(chunk, got);
  int status = pclose(console);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string fCodes(const std::string& letters) {
  std::string codes;
  for (char c : letters) {
    switch (c) {
      case 'A': case 'a': codes += '\0'; break;
      case 'C': case 'c': codes += '\1'; break;
      case 'G': case 'g': codes += '\2'; break;
      case 'T': case 't': codes += '\3'; break;
      default: codes += c; break;
    }
  }
  return codes;
}
