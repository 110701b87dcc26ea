// The standard file of stretches: which read each kept stretch came from,
// row for row in the order of the native "_In.bin" file.

#include "standard/mapping_outputs.h"
#include "standard/mapping_shared.h"

namespace {
const char kEnding[] = ".stretches.tsv";
const std::vector<const char*> kColumns = {"read_name", "read_length", "stretch_length"};

int fWrite(const StandardRun& run, Outcome& outcome, std::string& problem) {
  NoteStream<StretchNote> notes;
  if (!fOpenNotes(notes, run, problem)) return kStandardOutputFailed;
  const std::string name = run.readsStem + kEnding;
  TsvFile table;
  if (!table.fOpen(run.directory + name, kColumns, outcome)) return fCantWrite(run, name, problem);
  int code = fForEachNotedRead(notes, run.reads, problem, [&](const StretchNote& note, const ReadNameResolver& read) {
    table.fText(read.fName());
    table.fNumber(note.readLength);
    table.fNumber(note.stretchLength);
    table.fEndRow();
    return 0;
  });
  if (code != 0) return code;
  if (!table.fClose(outcome)) return fCantWrite(run, name, problem);
  return kStandardDone;
}
}  // namespace

int fWriteStretchesStandard(const StandardRun& run, Outcome& outcome, std::string& problem) {
  return fWriteWithinMemory(problem, [&] { return fWrite(run, outcome, problem); });
}
