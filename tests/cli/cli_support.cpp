#include "cli/cli_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::vector<char*> fArgv(const std::string& exe, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(exe.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  return argv;
}

void fLimit(int resource, long long bytes) {
  if (bytes < 0) return;
  rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
  setrlimit(resource, &limit);
}

int fExitCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Reads both pipes to their ends without letting either fill up.
void fDrain(int outRead, int errRead, std::string& out, std::string& err) {
  pollfd pipes[2] = {{outRead, POLLIN, 0}, {errRead, POLLIN, 0}};
  int open = (outRead >= 0) + (errRead >= 0);
  if (outRead < 0) pipes[0].fd = -1;
  if (errRead < 0) pipes[1].fd = -1;
  char chunk[4096];
  while (open > 0) {
    if (poll(pipes, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (pipes[i].fd < 0 || pipes[i].revents == 0) continue;
      ssize_t got = read(pipes[i].fd, chunk, sizeof chunk);
      if (got <= 0) {
        close(pipes[i].fd);
        pipes[i].fd = -1;
        --open;
      } else {
        (i == 0 ? out : err).append(chunk, static_cast<size_t>(got));
      }
    }
  }
}

}  // namespace

CliResult fVantrels(const std::vector<std::string>& args, const CliLimits& limits) {
  CliResult result;
  int outPipe[2], errPipe[2];
  // Close-on-exec: a child started later must not hold another child's pipe open.
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;
  const std::string exe = VANTRELS_EXE;
  std::vector<char*> argv = fArgv(exe, args);
  pid_t child = fork();
  if (child == 0) {
    int input = open(limits.stdinPath.empty() ? "/dev/null" : limits.stdinPath.c_str(), O_RDONLY);
    dup2(input, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(outPipe[0]);
    close(errPipe[0]);
    fLimit(RLIMIT_FSIZE, limits.fileSizeBytes);
    fLimit(RLIMIT_AS, limits.addressSpaceBytes);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  fDrain(outPipe[0], errPipe[0], result.out, result.err);
  int status = 0;
  waitpid(child, &status, 0);
  result.exitCode = fExitCode(status);
  return result;
}

CliChild fStartVantrels(const std::vector<std::string>& args) {
  CliChild started;
  int inPipe[2], errPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return started;
  const std::string exe = VANTRELS_EXE;
  std::vector<char*> argv = fArgv(exe, args);
  pid_t child = fork();
  if (child == 0) {
    dup2(inPipe[0], 0);
    dup2(errPipe[1], 2);
    int nothing = open("/dev/null", O_WRONLY);
    dup2(nothing, 1);
    close(inPipe[1]);
    close(errPipe[0]);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(errPipe[1]);
  started.pid = child;
  started.stdinWrite = inPipe[1];
  started.errRead = errPipe[0];
  return started;
}

CliResult fWaitVantrels(CliChild& child) {
  CliResult result;
  if (child.stdinWrite >= 0) close(child.stdinWrite);
  child.stdinWrite = -1;
  fDrain(-1, child.errRead, result.out, result.err);
  child.errRead = -1;
  int status = 0;
  waitpid(child.pid, &status, 0);
  result.exitCode = fExitCode(status);
  return result;
}

std::string fSourcePath(const std::string& relative) {
  // This file is tests/cli/cli_support.cpp of the source tree.
  std::string here = __FILE__;
  return here.substr(0, here.size() - std::string("tests/cli/cli_support.cpp").size()) + relative;
}

std::vector<std::string> fListFolder(const std::string& dir) {
  std::vector<std::string> names;
  DIR* folder = opendir(dir.c_str());
  if (folder == nullptr) return {"<missing>"};
  while (dirent* entry = readdir(folder)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(folder);
  std::sort(names.begin(), names.end());
  return names;
}

std::string fReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing " + path + ">";
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void fWriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
