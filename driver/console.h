// Everything the selection-file run shows its operator goes through here: the
// console texts and the key waits. The command line switches both off and
// follows the run through its stage and the read counter instead.
#pragma once
#include <cstdint>

// On for the selection-file run; the command line turns it off before a procedure runs.
extern bool ConsoleOn;

void fSay(const char* text);
void fSayf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// The key wait that follows a failure, a parameter echo or the end of the run.
void fPause();

// Where a procedure is in its run, for the command line's progress line.
enum class Stage : int32_t { kLoading, kIndex, kReads, kSorting, kWriting };
void fStage(Stage stage);
Stage fCurrentStage();
