// The standard files of the read-mapping commands. Each writer runs after its
// procedure succeeded, with the StandardRun of standard/standard.h; those
// that name reads take them from the read notes the procedure wrote into
// `notesPath` (mapping/mapping_notes.h). Every writer adds the files it wrote
// to `outcome.written` and returns 0, or an exit code with `problem` set to
// one sentence for "vantrels: ".
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mapping/mapping_notes.h"
#include "standard/standard.h"

// coverage: takes fMatchReadsT_VarSzO's tables while the procedure still
// holds them. Listening from construction to destruction; one at a time.
class CoverageCapture final : public CoverageTablesTaker {
 public:
  // `depth`: also the per-base depth of both strands (--depth).
  explicit CoverageCapture(bool depth);
  ~CoverageCapture();
  CoverageCapture(const CoverageCapture&) = delete;
  CoverageCapture& operator=(const CoverageCapture&) = delete;

  void fTake(const CoverageTables& tables) override;

  // A bedGraph line in native 1-based positions, its value in hundredths:
  // the native tables print weights with two decimals ("%4.2lf").
  struct Stretch {
    int64_t first;
    int64_t length;
    int64_t hundredths;
  };
  enum File { kStartsPlus, kStartsMinus, kDepthPlus, kDepthMinus, kFiles };

 private:
  friend int fWriteCoverageStandard(const StandardRun&, CoverageCapture&, Outcome&, std::string&);
  bool Depth;
  bool Taken = false;
  bool OutOfMemory = false;
  std::vector<Stretch> Stretches[kFiles];
};

// coverage: G.genome, S.coverage.plus.bedGraph and S.coverage.minus.bedGraph
// (the weighted read starts of the native Up and Lw tables at their
// positions, zero left out) and, when the capture took the depth,
// S.depth.plus.bedGraph and S.depth.minus.bedGraph.
int fWriteCoverageStandard(const StandardRun& run, CoverageCapture& capture, Outcome& outcome,
                           std::string& problem);

// stretches: S.stretches.tsv, one row per read whose stretch went to the
// "_In.bin" file, in its order: name, read length, stretch length.
int fWriteStretchesStandard(const StandardRun& run, Outcome& outcome, std::string& problem);

// absent: S.absent.fastq (S.absent.fasta when the reads carry no qualities),
// the absent reads as the input holds them, in input order.
int fWriteAbsentStandard(const StandardRun& run, Outcome& outcome, std::string& problem);

// once: G.genome, S.once.bed (the reads placed once: BED6, name = read name,
// score 0, strand +), S.clusters.bed (the clusters of the native "_Clust.txt"
// table, one of `run.nativeFiles`: name "cluster" + its row, score = its reads)
// and S.many.fastq or .fasta (the reads placed many times, in input order).
// `linesInMemory`: BED lines sorted in memory at a time; more go through
// sorted runs in scratch files of `run.directory`.
int fWriteOnceStandard(const StandardRun& run, Outcome& outcome, std::string& problem,
                       size_t linesInMemory = size_t(1) << 21);

// assembly-test: G.assembly-test.tsv (key and value: the genome's name and the
// counts of the log, from `outcome.counts`) and S.assembly-test.noncorrect.tsv
// (name of each read counted as not correct, and the position, 1-based, where it was).
int fWriteAssemblyTestStandard(const StandardRun& run, Outcome& outcome, std::string& problem);
