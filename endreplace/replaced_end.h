// What the two end-replacement procedures share: the experiment's sizes and
// counters, the letter genome texts with the hit buffer, the experiment's
// files, the read pass and the save phase.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/memory.h"
#include "driver/outcome.h"

// Sizes of the experiment in process; the aimed read size is ImmutSz + MutTipSz.
extern int32_t ImmutSz;
extern int32_t MutTipSz;
extern int32_t MisNu;
extern int32_t AimedSz;

// Counters of the read pass besides InputReads (input), UpperStrandReads and
// LowerStrandReads (the records written to each strand's hit file).
extern int32_t TheseReads;     // lines of the aimed size whose tip is not one repeated letter
extern int32_t DefectedReads;  // of these, those with a letter other than A, C, G, T
extern int32_t LongTracks;     // lines of the aimed size whose tip is one repeated letter
extern int32_t AnalyzedReads;  // reads given to the matcher
extern int32_t FellIntoGenome; // analysed reads with a hit on either strand

// Base code to upper-case letter: the letters of both genome texts and of a
// read in the matcher.
inline constexpr char kUpperLetters[5] = "ACGT";

// One accepted genome position of a read, as stored in the hit files: the
// 1-based position on the record's own strand, then the tip code.
struct HitRecord {
  uint32_t pos;
  uint32_t tip;
};
static_assert(sizeof(HitRecord) == 8, "hit records are 8 bytes on disk");

// A hit as the read notes (driver/notes.h) carry it for the standard outputs:
// the hit record, which strand, and which read.
struct HitNote {
  uint32_t pos;         // as in HitRecord: 1-based on the hit's own strand
  uint32_t tip;
  uint32_t readNumber;  // InputReads when the read was taken: its line in the reads file
  uint32_t strand;      // kUpperStrandNote or kLowerStrandNote
};
static_assert(sizeof(HitNote) == 16, "hit notes are 16 bytes on disk");
constexpr uint32_t kUpperStrandNote = 0;
constexpr uint32_t kLowerStrandNote = 1;

// The upper strand U and its reverse complement W (Genome and GenomeLower
// point into them), and the hit buffer of floor(L / 2) records. The read pass
// stages each batch's records in lists of its own and leaves the buffer
// untouched (its pages are never faulted in); it is still reserved with the
// texts so that a run short of memory stops there, with the texts' message,
// as it always has.
struct GenomeTexts {
  Block<unsigned char> upper;
  Block<unsigned char> lower;
  Block<HitRecord> hits;
};

// A size parameter, converted as the standard text-to-int conversion does. A
// text that holds no 32-bit number ends the selection-file run inside
// fParamNumber, as it always has; with the console off it is refused instead.
bool fTakeSize(const char* key, const std::string& text, int32_t& value, Outcome& outcome);

// Refuses sizes the index, the texts or the tip codes cannot serve: an aimed
// size shorter than the 12-letter index key or longer than kLongestRead, a
// tip outside 0..15, a negative immutable part. Says so and waits for a key.
bool fSizesAccepted(int32_t immutSz, int32_t mutTipSz, Outcome& outcome);

// Loads the letter genome at `path` into both texts, each with `continuation`
// letters of circular continuation after L, sets GenomeLength and allocates
// floor(L / 2) hit records. Every failure is reported with a key wait.
bool fLoadGenomeTexts(const std::string& path, int32_t continuation, GenomeTexts& texts, Outcome& outcome);
// Releases whatever the texts hold; safe to call twice.
void fReleaseGenomeTexts(GenomeTexts& texts);

// The files of one experiment with base name B: the hit files
// D + "Rna_fiUp.tmp" and D + "Rna_fiLw.tmp", the site table B + ".txt" and
// the log B + "Log.txt".
struct ExperimentFiles {
  std::string upperHitPath, lowerHitPath, tablePath, logPath;
  FILE* upperHits = nullptr;
  FILE* lowerHits = nullptr;
  FILE* table = nullptr;
  FILE* log = nullptr;
};
// Opens the four with "wb", in that order, up to the first that fails (the
// operator has been told); the ones opened before it stay, empty.
bool fOpenExperimentFiles(const std::string& D, const std::string& base, ExperimentFiles& files,
                          Outcome& outcome);
// Closes whatever of the four is still open; what is left is not a result.
void fCloseExperimentFiles(ExperimentFiles& files);
// Deletes both hit files of the result directory D.
void fRemoveHitFiles(const std::string& D);

// Streams the reads file through the matcher into the hit files and closes
// them. False if the reads can't be read, or when no read fell into the
// genome: then, after "no detected reads", the empty table and log are closed
// as the run's results and the outcome says nothing was found.
bool fMatchExperimentReads(const std::string& readsPath, ExperimentFiles& files, Outcome& outcome);

// Writes the site table from the hit files, then the run log: `header`
// (which names the procedure and ends in "genome="), the genome and reads
// paths, the counts and the entropy summary. Closes both; false, once the
// operator has been told, if either could not be written.
bool fSaveExperiment(ExperimentFiles& files, bool deleteHitFiles, const char* header,
                     const std::string& genomePath, const std::string& readsPath, Outcome& outcome);

// Frees a shared line buffer and clears its reference.
void fReleaseLineBuffer(char*& line);
