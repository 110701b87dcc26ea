// The standard files of the parted-read, circular-RNA and rating commands.
// Each writer runs after its procedure succeeded, with the StandardRun of
// standard/standard.h, and reads the native table the procedure wrote (one
// of `run.nativeFiles`); parted and circrna also the hit notes
// (parted/parted_notes.h) in `notesPath`, which name the read of every hit.
// Every writer adds the files it wrote to `outcome.written` and returns 0, or
// an exit code with `problem` set to one sentence for "vantrels: ".
//
// A hit's segment is the genome stretch of the read's length that the read
// (upper strand) or its reverse complement (lower strand) is a rotation of;
// on both strands it is given in upper-strand coordinates, the bases from the
// hit's position on. Its junction, where the read's end meets its start,
// splits it into a left and a right part: the read is the right part then
// the left one ('+'), or the reverse complement of the left part then that
// of the right one ('-').
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "standard/standard.h"

// parted: G.genome, S.parted.bed (BED6, one line per hit: the segment, name =
// read name, score = hits of that strand whose segment starts there, strand)
// and S.parted.tsv (read name, strand, segment start and end, 1-based and
// inclusive, the left and right part lengths, the segment text of the native
// table). `linesInMemory`: BED lines sorted in memory at a time; more go
// through sorted runs in scratch files of `run.directory`.
int fWritePartedStandard(const StandardRun& run, Outcome& outcome, std::string& problem,
                         size_t linesInMemory = size_t(1) << 21);

// circrna: the same files, S.circrna.bed and S.circrna.tsv.
int fWriteCircrnaStandard(const StandardRun& run, Outcome& outcome, std::string& problem,
                          size_t linesInMemory = size_t(1) << 21);

// parted-rate: G.genome and T.parted-rate.bedGraph (T = `run.readsStem`, the
// list's stem): the rating of every rated position, from "_RatingLog.txt".
int fWritePartedRateStandard(const StandardRun& run, Outcome& outcome, std::string& problem);

// What the parted and circrna writers share: one row of a native hit table, in
// its order (upper strand first, each strand by position).
struct NativeHitRow {
  bool lower = false;
  int64_t pos = 0;
  std::string segment;
};

// The rows of one native hit table, read one at a time.
class NativeHitTable {
 public:
  virtual ~NativeHitTable() = default;
  // The next row; false at the table's end or where it breaks (fBroken()).
  virtual bool fNext(NativeHitRow& row) = 0;
  bool fBroken() const { return Broken; }

 protected:
  bool Broken = false;
};

// Joins the notes with the rows of `table` and writes G.genome, S + `ending`
// + ".bed" and S + `ending` + ".tsv".
int fWriteHitStandard(const StandardRun& run, const char* ending, NativeHitTable& table, Outcome& outcome,
                      std::string& problem, size_t linesInMemory);

// Whether a native table's text is a segment's: base letters only, either case.
bool fIsSegmentText(std::string_view text);

// The native file of the run whose name ends in `ending`; empty if none.
std::string fNativeFile(const StandardRun& run, const char* ending);
