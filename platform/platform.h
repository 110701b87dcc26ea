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
