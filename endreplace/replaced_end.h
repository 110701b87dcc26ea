// What the two end-replacement procedures share: the experiment's sizes and
// counters, the letter genome texts, the hit buffer, the read pass with its
// matcher, and the run log.
#pragma once
#include <cstdint>
#include <cstdio>
#include <istream>
#include <string>

#include "driver/run_state.h"

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

// The longest read a line buffer holds; no aimed size can exceed it.

// One accepted genome position of a read, as stored in the hit files: the
// 1-based position on the record's own strand, then the tip code.
struct HitRecord {
  uint32_t pos;
  uint32_t tip;
};
static_assert(sizeof(HitRecord) == 8, "hit records are 8 bytes on disk");

// Room for one read's hits on one strand; a read with more hits than it
// holds has them written in pieces.
struct HitBuffer {
  HitRecord* records = nullptr;
  int32_t capacity = 0;
};

// Refuses sizes the index, the texts or the tip codes cannot serve: an aimed
// size outside 12..5119, a tip outside 0..15, a negative immutable part.
// Says so and waits for a key.
bool fSizesAccepted(int32_t immutSz, int32_t mutTipSz);

// Loads the letter genome at `path` into Genome (upper strand) and
// GenomeLower (reverse complement), each with `continuation` letters of
// circular continuation after L, sets GenomeLength and allocates the hit
// buffer of floor(L / 2) records. Every failure is reported with a key wait
// and leaves nothing held.
bool fLoadGenomeTexts(const std::string& path, int32_t continuation, HitBuffer& hits);
void fReleaseGenomeTexts(HitBuffer& hits);

// Sets the counters to 0, then matches every analysable read of `reads`,
// appending its hits to the two hit files.
void fRunReadPass(std::istream& reads, HitBuffer& hits, FILE* upperHits, FILE* lowerHits);

// The files of one experiment: the hit files D + "Rna_fiUp.tmp" and
// D + "Rna_fiLw.tmp", the site table and the log.
struct ExperimentFiles {
  std::string upperHitPath;
  std::string lowerHitPath;
  FILE* upperHits = nullptr;
  FILE* lowerHits = nullptr;
  FILE* table = nullptr;
  FILE* log = nullptr;
};
// Opens, with "wb" and in this order, both hit files, `base` + ".txt" and
// `base` + "Log.txt". At the first that fails (the operator has been told)
// the ones opened before it are closed, left empty, and false returned.
bool fOpenExperimentFiles(const std::string& D, const std::string& base, ExperimentFiles& files);
// Closes whatever of the four is still open.
void fCloseExperimentFiles(ExperimentFiles& files);
// Deletes both hit files of the result directory D.
void fRemoveHitFiles(const std::string& D);

// Streams the reads file through the matcher into the hit files, then closes
// the hit files. False, once the operator has been told, if the reads file
// can't be opened or no read fell into the genome.
bool fMatchExperimentReads(const std::string& readsPath, HitBuffer& hits, ExperimentFiles& files);

// Frees a shared line buffer and clears its reference.
void fReleaseLineBuffer(char*& line);

// Finds the hits of the read in InputLine (upper-case letters) and WorkLine
// (codes) on both strands and writes them, one write per strand.
void fMatchReplacedEnd(HitBuffer& hits, FILE* upperHits, FILE* lowerHits);

struct SiteSummary;
// Writes the run log: `header` (which names the procedure and ends in
// "genome="), the genome and reads paths, the counts and the entropy summary.
// Closes the log; false if it could not be written.
bool fWriteRunLog(FILE* log, const char* header, const std::string& genomePath,
                  const std::string& readsPath, const SiteSummary& summary);
