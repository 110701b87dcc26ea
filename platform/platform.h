// Operating-system services: the console key wait, file size and removal,
// path separators. Nothing outside this folder includes an OS header.
#pragma once
#include <cstddef>
#include <cstdint>

// The separator appended where a directory gets one.
extern const char PlatformSeparator;

// Both "/" and "\" separate directories in the paths the tool handles.
inline bool fIsPathSeparator(char c) { return c == '/' || c == '\\'; }

// Flushes the console, then waits for one key press without echo when standard
// input is a terminal; otherwise consumes one byte if there is one and goes on
// at once at end of input.
void fWaitKey();

// The file's size in bytes, or -1 for a missing file or one of 2^31 bytes or more.
int32_t fPlatformFileSize(const char* path);

// True when the path names a directory (which must not be read as a file).
bool fPlatformIsDirectory(const char* path);

// Removes a file; returns 0 on success.
int fPlatformRemove(const char* path);

// A zero-filled block for a large table, or null. Blocks of 2 MiB or more are
// backed by transparent huge pages where the system offers them: first touches
// of memory are what a large table costs, and huge pages make them 512 times
// fewer. Release with fReleaseLarge and the same size.
void* fAllocateLarge(size_t bytes);
void fReleaseLarge(void* block, size_t bytes);

// --- Services of the command line ---

// Creates the directory and any missing parents; true when it exists as a
// directory afterwards.
bool fPlatformMakeDirectories(const char* path);

// Creates one directory; false when it can't be made or already exists.
bool fPlatformMakeDirectory(const char* path);

// Removes a directory and everything in it; links are removed, never followed.
bool fPlatformRemoveTree(const char* path);

// Moves `from` over `to`, replacing a file of that name (on Windows the plain
// rename refuses an existing target).
bool fPlatformReplace(const char* from, const char* to);

// True when the path is missing or names a regular file; false for a link, a
// FIFO, a device or a directory, which a result is written into, not renamed over.
bool fPlatformIsPlainOrMissing(const char* path);

// The bytes of `from` written into `to` (created or truncated); false on any
// failure to read or write.
bool fPlatformCopyFile(const char* from, const char* to);

// A second name for a file: a hard link, else a symbolic link, else a copy.
bool fPlatformLinkOrCopy(const char* from, const char* to);

int64_t fPlatformProcessId();

// The number of cores this process may run on (its CPU affinity), at least 1.
int fPlatformUsableCores();

// True when standard error is a terminal (a person watches the run).
bool fPlatformStderrIsTerminal();

// The process's peak resident memory in bytes, or 0 when the system can't tell.
int64_t fPlatformPeakMemory();

// From now on SIGINT and SIGTERM call onSignal(signal number) on a thread of
// their own instead of ending the process; call before any other thread starts.
// False when that thread can't be had (no memory for its stack).
bool fPlatformCatchInterrupts(void (*onSignal)(int signal));

// A write past the file-size limit then fails with an error (like a full disk)
// instead of ending the process.
void fPlatformIgnoreFileSizeSignal();
