// The standard files of assembly-test: its counts as a key/value table, and
// the reads it counts as not correct, named, with the position where they were.

#include "standard/mapping_outputs.h"
#include "standard/mapping_shared.h"

namespace {
const char kCountsEnding[] = ".assembly-test.tsv";
const char kNonCorrectEnding[] = ".assembly-test.noncorrect.tsv";
const std::vector<const char*> kCountsColumns = {"key", "value"};
const std::vector<const char*> kNonCorrectColumns = {"read_name", "position_1based"};
const char kGenomeKey[] = "genome";

int fWrite(const StandardRun& run, Outcome& outcome, std::string& problem) {
  const std::string countsName = run.genomeStem + kCountsEnding;
  TsvFile counts;
  if (!counts.fOpen(run.directory + countsName, kCountsColumns, outcome)) return fCantWrite(run, countsName, problem);
  counts.fText(kGenomeKey);
  counts.fText(run.chromosome.name);
  counts.fEndRow();
  for (const auto& count : outcome.counts) {
    counts.fText(count.first);
    counts.fText(count.second);
    counts.fEndRow();
  }
  if (!counts.fClose(outcome)) return fCantWrite(run, countsName, problem);

  NoteStream<NonCorrectNote> notes;
  if (!fOpenNotes(notes, run, problem)) return kStandardOutputFailed;
  const std::string name = run.readsStem + kNonCorrectEnding;
  TsvFile table;
  if (!table.fOpen(run.directory + name, kNonCorrectColumns, outcome)) return fCantWrite(run, name, problem);
  auto row = [&](const NonCorrectNote& note, const ReadNameResolver& read) {
    table.fText(read.fName());
    table.fNumber(note.position);
    table.fEndRow();
    return 0;
  };
  int code = fForEachNotedRead(notes, run.reads, problem, row);
  if (code != 0) return code;
  if (!table.fClose(outcome)) return fCantWrite(run, name, problem);
  return kStandardDone;
}
}  // namespace

int fWriteAssemblyTestStandard(const StandardRun& run, Outcome& outcome, std::string& problem) {
  return fWriteWithinMemory(problem, [&] { return fWrite(run, outcome, problem); });
}
