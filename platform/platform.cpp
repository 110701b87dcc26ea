#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <sys/mman.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
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
