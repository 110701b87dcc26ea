// The standard file of stretches: which read each kept stretch came from,
// row for row in the order of the native "_In.bin" file.
#include <new>

#include "standard/mapping_outputs.h"
#include "standard/mapping_shared.h"

namespace {
const char kEnding[] = ".stretches.tsv";
const std::vector<const char*> kColumns = {"read_name", "read_length", "stretch_length"};
const char kNoMemory[] = "out of memory while writing the standard files";

int fWrite(const StandardRun& run, Outcome& outcome, std::string& problem) {
  NoteStream<StretchNote> notes;
  if (!notes.fOpen(run.notesPath)) {
    problem = kNotesUnreadable;
    return kStandardOutputFailed;
  }
  const std::string name = run.readsStem + kEnding;
  TsvFile table;
  if (!table.fOpen(run.directory + name, kColumns, outcome)) return fCantWrite(run, name, problem);
  ReadsAgain reads(run.reads);
  StretchNote note;
  while (notes.fNext(note)) {
    int code = reads.fSeek(note.readNumber, problem);
    if (code != 0) return code;
    table.fText(reads.fRead().fName());
    table.fNumber(note.readLength);
    table.fNumber(note.stretchLength);
    table.fEndRow();
  }
  if (notes.fBroken()) {
    problem = kNotesUnreadable;
    return kStandardOutputFailed;
  }
  if (!table.fClose(outcome)) return fCantWrite(run, name, problem);
  return kStandardDone;
}
}  // namespace

int fWriteStretchesStandard(const StandardRun& run, Outcome& outcome, std::string& problem) {
  try {
    return fWrite(run, outcome, problem);
  } catch (const std::bad_alloc&) {
    problem = kNoMemory;
    return kStandardNoMemory;
  }
}
