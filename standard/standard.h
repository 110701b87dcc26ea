// Standard outputs: files beside the native ones that genome browsers,
// bedtools, R and pandas read as they stand. The command line fills one
// StandardRun after a successful procedure and calls the writer of its
// command; every writer shares the struct and returns 0 or an exit code.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "driver/outcome.h"
#include "standard/formats.h"
#include "standard/read_names.h"

struct StandardRun {
  // Where the files go, with a trailing separator: the run's private folder,
  // from which the command line moves them into --out on success.
  std::string directory;
  // --out as the user gave it: messages name a file as --out/NAME.
  std::string shownOut;
  // G: the genome's stem as the user named it ("ecoli.fa.gz" -> "ecoli").
  std::string genomeStem;
  // The sequence of every BED and bedGraph line and of G.genome. Its length
  // is the procedure's GenomeLength (the genome as the procedure loaded it).
  Chromosome chromosome;
  // S: the reads' stem as the user named them; T for parted-rate's list.
  std::string readsStem;
  // Where names, letters and qualities are read again, by read number.
  ReadsOrigin reads;
  // The notes file the command line opened ReadNotes on for the procedure
  // (closed before the writer runs); empty when the command writes none.
  std::string notesPath;
  // The native result files of the run, as the procedure wrote them into
  // `directory` (Outcome::written), for writers that read a native table.
  std::vector<std::string> nativeFiles;

  // randext and each task of randext-tasks: I, the experiment identity as
  // the native names carry it ("blank" already made RnaCut_ + stem, "." made
  // "_"; empty when no --id was given), and the sizes a, b, c.
  std::string experiment;
  int32_t immutSz = 0;
  int32_t tipSz = 0;
  int32_t misNu = 0;
};

// Exit codes of the writers, those of the command line.
constexpr int kStandardDone = 0;
constexpr int kStandardInputFailed = 2;   // the reads could not be read again for their names
constexpr int kStandardOutputFailed = 3;  // a file could not be written
constexpr int kStandardNoMemory = 4;

// randext and each task of randext-tasks: G.genome,
// S.randext.I_a-b-c.sites.bed (BED6: the immutable part's bases of every
// site, name = its tips, score = reads at the site, strand) and
// S.randext.I_a-b-c.tips.tsv (one row per site and tip, with the names of
// the reads that carry it), from the HitNote records in `notesPath`.
// Written files are added to `outcome.written`; on failure `problem` holds
// one sentence for "vantrels: " and the exit code is returned.
int fWriteRandextStandard(const StandardRun& run, Outcome& outcome, std::string& problem);

// The base of the randext file names: S.randext.I_a-b-c
std::string fRandextStandardBase(const StandardRun& run);
