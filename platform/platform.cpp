#include "platform/platform.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define PSAPI_VERSION 2
#include <windows.h>
#include <psapi.h>
#include <conio.h>
#include <direct.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <dirent.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <system_error>
#endif

#ifdef _WIN32
const char PlatformSeparator = '\\';
#else
const char PlatformSeparator = '/';
#endif

namespace {

bool fStdinIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stdin)) != 0;
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

#ifndef _WIN32
// One key press without echo, read straight from the terminal.
void fReadTerminalKey() {
  termios saved{};
  if (tcgetattr(STDIN_FILENO, &saved) != 0) return;
  termios raw = saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  unsigned char key = 0;
  ssize_t got = read(STDIN_FILENO, &key, 1);
  (void)got;
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}
#endif

}  // namespace

void fWaitKey() {
  fflush(stdout);
  fflush(stderr);
  if (fStdinIsTerminal()) {
#ifdef _WIN32
    _getch();
#else
    fReadTerminalKey();
#endif
    return;
  }
  // Not a console: take one byte if input holds one; at end of input go on.
#ifdef _WIN32
  unsigned char key = 0;
  _read(_fileno(stdin), &key, 1);
#else
  unsigned char key = 0;
  ssize_t got = read(STDIN_FILENO, &key, 1);
  (void)got;
#endif
}

int32_t fPlatformFileSize(const char* path) {
#ifdef _WIN32
  struct _stat64 status;
  if (_stat64(path, &status) != 0) return -1;
#else
  struct stat status;
  if (stat(path, &status) != 0) return -1;
#endif
  if (status.st_size < 0 || status.st_size > 0x7FFFFFFF) return -1;
  return static_cast<int32_t>(status.st_size);
}

bool fPlatformIsDirectory(const char* path) {
#ifdef _WIN32
  struct _stat64 status;
  if (_stat64(path, &status) != 0) return false;
  return (status.st_mode & _S_IFDIR) != 0;
#else
  struct stat status;
  if (stat(path, &status) != 0) return false;
  return S_ISDIR(status.st_mode);
#endif
}

int fPlatformRemove(const char* path) { return std::remove(path); }

void* fAllocateLarge(size_t bytes) {
  if (bytes == 0) bytes = 1;
#ifdef _WIN32
  return std::calloc(bytes, 1);
#else
  void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
  if (bytes >= (static_cast<size_t>(2) << 20)) madvise(block, bytes, MADV_HUGEPAGE);
#endif
  return block;
#endif
}

void fReleaseLarge(void* block, size_t bytes) {
  if (block == nullptr) return;
#ifdef _WIN32
  (void)bytes;
  std::free(block);
#else
  if (bytes == 0) bytes = 1;
  munmap(block, bytes);
#endif
}

bool fPlatformMakeDirectory(const char* path) {
#ifdef _WIN32
  return _mkdir(path) == 0;
#else
  return mkdir(path, 0777) == 0;
#endif
}

bool fPlatformMakeDirectories(const char* path) {
  std::string whole(path);
  // Each parent in turn, from the first component after a root or drive.
  for (size_t at = 1; at < whole.size(); ++at) {
    if (!fIsPathSeparator(whole[at]) || fIsPathSeparator(whole[at - 1]) || whole[at - 1] == ':') continue;
    std::string parent = whole.substr(0, at);
    if (!fPlatformIsDirectory(parent.c_str())) fPlatformMakeDirectory(parent.c_str());
  }
  if (!fPlatformIsDirectory(path)) fPlatformMakeDirectory(path);
  return fPlatformIsDirectory(path);
}

bool fPlatformRemoveTree(const char* path) {
#ifdef _WIN32
  std::string pattern = std::string(path) + "\\*";
  WIN32_FIND_DATAA entry;
  HANDLE found = FindFirstFileA(pattern.c_str(), &entry);
  if (found != INVALID_HANDLE_VALUE) {
    do {
      std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      std::string inner = std::string(path) + "\\" + name;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
          (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        fPlatformRemoveTree(inner.c_str());
      } else {
        SetFileAttributesA(inner.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(inner.c_str());
      }
    } while (FindNextFileA(found, &entry));
    FindClose(found);
  }
  return _rmdir(path) == 0;
#else
  DIR* folder = opendir(path);
  if (folder != nullptr) {
    while (dirent* entry = readdir(folder)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      std::string inner = std::string(path) + "/" + name;
      struct stat status;
      if (lstat(inner.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        fPlatformRemoveTree(inner.c_str());
      } else {
        unlink(inner.c_str());
      }
    }
    closedir(folder);
  }
  return rmdir(path) == 0;
#endif
}

bool fPlatformReplace(const char* from, const char* to) {
#ifdef _WIN32
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(from, to) == 0;
#endif
}

bool fPlatformIsPlainOrMissing(const char* path) {
#ifdef _WIN32
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
#else
  struct stat status;
  if (lstat(path, &status) != 0) return true;
  return S_ISREG(status.st_mode);
#endif
}

bool fPlatformCopyFile(const char* from, const char* to) {
  FILE* in = std::fopen(from, "rb");
  if (in == nullptr) return false;
  FILE* out = std::fopen(to, "wb");
  bool copied = out != nullptr;
  char chunk[1 << 16];
  size_t got;
  while (copied && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
    copied = std::fwrite(chunk, 1, got, out) == got;
  copied = copied && std::ferror(in) == 0;
  std::fclose(in);
  if (out != nullptr && std::fclose(out) != 0) copied = false;
  return copied;
}

bool fPlatformLinkOrCopy(const char* from, const char* to) {
#ifdef _WIN32
  if (CreateHardLinkA(to, from, nullptr) != 0) return true;
  return CopyFileA(from, to, TRUE) != 0;
#else
  if (link(from, to) == 0) return true;
  char* whole = realpath(from, nullptr);
  if (whole != nullptr) {
    bool linked = symlink(whole, to) == 0;
    std::free(whole);
    if (linked) return true;
  }
  return fPlatformCopyFile(from, to);
#endif
}

int fPlatformUsableCores() {
#ifdef _WIN32
  DWORD_PTR process = 0, system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) != 0 && process != 0) {
    int cores = 0;
    for (; process != 0; process &= process - 1) ++cores;
    return cores;
  }
#else
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0) return CPU_COUNT(&allowed);
#endif
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

int64_t fPlatformProcessId() {
#ifdef _WIN32
  return static_cast<int64_t>(GetCurrentProcessId());
#else
  return static_cast<int64_t>(getpid());
#endif
}

bool fPlatformStderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

int64_t fPlatformPeakMemory() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters;
  if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) == 0) return 0;
  return static_cast<int64_t>(counters.PeakWorkingSetSize);
#else
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return static_cast<int64_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
#endif
}

namespace {
void (*OnInterrupt)(int) = nullptr;

#ifdef _WIN32
// The C runtime calls a console interrupt's handler on a thread of its own.
void fForwardInterrupt(int signal) {
  if (OnInterrupt != nullptr) OnInterrupt(signal);
}
#endif
}  // namespace

bool fPlatformCatchInterrupts(void (*onSignal)(int signal)) {
  OnInterrupt = onSignal;
#ifdef _WIN32
  std::signal(SIGINT, fForwardInterrupt);
  std::signal(SIGTERM, fForwardInterrupt);
#else
  // Every thread blocks the two signals; one thread waits for them and runs the
  // handler as ordinary code, free to remove files and take locks.
  static sigset_t interrupts;
  sigemptyset(&interrupts);
  sigaddset(&interrupts, SIGINT);
  sigaddset(&interrupts, SIGTERM);
  if (pthread_sigmask(SIG_BLOCK, &interrupts, nullptr) != 0) return false;
  try {
    std::thread([] {
      for (;;) {
        int signal = 0;
        if (sigwait(&interrupts, &signal) == 0 && OnInterrupt != nullptr) OnInterrupt(signal);
      }
    }).detach();
  } catch (const std::system_error&) {
    pthread_sigmask(SIG_UNBLOCK, &interrupts, nullptr);
    return false;
  }
#endif
  return true;
}

void fPlatformIgnoreFileSizeSignal() {
#ifndef _WIN32
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}
