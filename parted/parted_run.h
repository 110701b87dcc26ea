// The steps the parted-read, rating and circular-RNA procedures share, each
// recording in the run's Outcome why it failed. The operator has been told on
// the console already (by fOpenFile, fOpenReadStream, the genome loader or here).
#pragma once
#include <cstdint>
#include <string>

#include "driver/outcome.h"
#include "driver/run_state.h"

// Said when a table of these procedures can't be had.
extern const char kNoMemoryParted[];

// Loads the genome file at `path` (letters or code bytes) with copies on both
// sides for the longest read in scope, so that a segment may wrap over either
// end, then builds the 12-mer index over it. False, with the failure recorded,
// for a genome missing or unreadable, a byte in it that is no base, or memory
// short. fReleaseIndexedGenome gives back whatever was had.
bool fLoadIndexedGenome(const std::string& path, bool letterFile, int32_t& n, Outcome& outcome);
void fReleaseIndexedGenome();

// Memory ran short in the middle of a run (a hit list or a read buffer could not grow).
void fRanOutOfMemory(Outcome& outcome);

// The hit-count stop rule: reading stops after the in-scope read that takes the
// upper-strand hit count above HitStopLimit; a limit of 0 reads every read.
inline bool fAboveHitLimit(int64_t upperCount) { return HitStopLimit > 0 && upperCount > HitStopLimit; }

// Reading stopped by the rule at the read numbered `readNumber`: the reads
// taken ahead of it were never looked at and do not count as read.
void fStopAtHitLimit(int32_t readNumber, Outcome& outcome);
