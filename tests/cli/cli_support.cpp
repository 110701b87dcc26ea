#include "cli/cli_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

void fLimit(int resource, long long bytes) {
  if (bytes < 0) return;
  rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
  setrlimit(resource, &limit);
}

// Starts the built vantrels on the given standard input, output and error. Every
// descriptor of the tests is close-on-exec: a child must not hold another's pipe open.
pid_t fSpawn(const std::vector<std::string>& args, int in, int out, int err, const CliLimits& limits) {
  const std::string exe = VANTRELS_EXE;
  std::vector<char*> argv = {const_cast<char*>(exe.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t child = fork();
  if (child != 0) return child;
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  fLimit(RLIMIT_FSIZE, limits.fileSizeBytes);
  fLimit(RLIMIT_AS, limits.addressSpaceBytes);
  execv(exe.c_str(), argv.data());
  _exit(127);
}

// Reads both pipes (-1 for none) to their ends without letting either fill up.
void fDrain(int outRead, int errRead, CliResult& result) {
  pollfd pipes[2] = {{outRead, POLLIN, 0}, {errRead, POLLIN, 0}};
  int open = (outRead >= 0) + (errRead >= 0);
  char chunk[4096];
  while (open > 0 && poll(pipes, 2, -1) >= 0) {
    for (int i = 0; i < 2; ++i) {
      if (pipes[i].fd < 0 || pipes[i].revents == 0) continue;
      ssize_t got = read(pipes[i].fd, chunk, sizeof chunk);
      if (got > 0) {
        (i == 0 ? result.out : result.err).append(chunk, static_cast<size_t>(got));
        continue;
      }
      close(pipes[i].fd);
      pipes[i].fd = -1;
      --open;
    }
  }
}

CliResult& fWaitFor(pid_t child, CliResult& result) {
  int status = 0;
  waitpid(child, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
  return result;
}

}  // namespace

CliResult fVantrels(const std::vector<std::string>& args, const CliLimits& limits) {
  CliResult result;
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;
  int input = open(limits.stdinPath.empty() ? "/dev/null" : limits.stdinPath.c_str(), O_RDONLY | O_CLOEXEC);
  pid_t child = fSpawn(args, input, outPipe[1], errPipe[1], limits);
  close(input);
  close(outPipe[1]);
  close(errPipe[1]);
  fDrain(outPipe[0], errPipe[0], result);
  return fWaitFor(child, result);
}

CliChild fStartVantrels(const std::vector<std::string>& args) {
  CliChild started;
  int inPipe[2], errPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return started;
  int nothing = open("/dev/null", O_WRONLY | O_CLOEXEC);
  started.pid = fSpawn(args, inPipe[0], nothing, errPipe[1], CliLimits());
  close(nothing);
  close(inPipe[0]);
  close(errPipe[1]);
  started.stdinWrite = inPipe[1];
  started.errRead = errPipe[0];
  return started;
}

CliResult fWaitVantrels(CliChild& child) {
  CliResult result;
  if (child.stdinWrite >= 0) close(child.stdinWrite);
  child.stdinWrite = -1;
  fDrain(-1, child.errRead, result);
  child.errRead = -1;
  return fWaitFor(child.pid, result);
}

std::string fSourcePath(const std::string& relative) {
  // This file is tests/cli/cli_support.cpp of the source tree.
  std::string here = __FILE__;
  return here.substr(0, here.size() - std::string("tests/cli/cli_support.cpp").size()) + relative;
}

std::vector<std::string> fListFolder(const std::string& dir) {
  std::error_code failure;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir, failure))
    names.push_back(entry.path().filename().string());
  if (failure) return {"<missing>"};
  std::sort(names.begin(), names.end());
  return names;
}

int fPrivateFolders(const std::string& out) {
  int count = 0;
  for (const std::string& name : fListFolder(out)) count += name.compare(0, 10, ".vantrels-") == 0;
  return count;
}

std::string fExample(const std::string& word) {
  return word.compare(0, 9, "examples/") == 0 || word == "examples" ? fSourcePath(word) : word;
}

std::string fReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing " + path + ">";
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

bool fEndsWith(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

std::set<std::string> fResultNames(const std::string& dir) {
  std::set<std::string> names;
  for (const std::string& name : fListFolder(dir))
    if (!fEndsWith(name, ".summary.tsv")) names.insert(name);
  return names;
}

void fExpectSameFiles(const std::string& expected, const std::string& got, const Replacements& replacements) {
  const std::set<std::string> names = fResultNames(expected);
  EXPECT_FALSE(names.empty());
  for (const std::string& name : names) {
    std::string text = fReadFile(expected + "/" + name);
    for (const auto& [mark, by] : replacements)
      for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
        text.replace(at, mark.size(), by);
    EXPECT_EQ(fReadFile(got + "/" + name), text) << name;
  }
}
