// The standard file of absent: the reads found on neither strand, with their
// names (and qualities) as the input holds them, in input order.
#include <new>

#include "standard/mapping_outputs.h"
#include "standard/mapping_shared.h"

namespace {
const char kPart[] = ".absent";
const char kNoMemory[] = "out of memory while writing the standard files";

int fWrite(const StandardRun& run, Outcome& outcome, std::string& problem) {
  NoteStream<AbsentNote> notes;
  if (!notes.fOpen(run.notesPath)) {
    problem = kNotesUnreadable;
    return kStandardOutputFailed;
  }
  ChosenReadsFile absent;
  if (!absent.fOpen(run, kPart, outcome)) return fCantWrite(run, absent.fName(), problem);
  ReadsAgain reads(run.reads);
  AbsentNote note;
  while (notes.fNext(note)) {
    int code = reads.fSeek(note.readNumber, problem);
    if (code != 0) return code;
    absent.fAdd(reads.fRead());
  }
  if (notes.fBroken()) {
    problem = kNotesUnreadable;
    return kStandardOutputFailed;
  }
  if (!absent.fClose(outcome)) return fCantWrite(run, absent.fName(), problem);
  return kStandardDone;
}
}  // namespace

int fWriteAbsentStandard(const StandardRun& run, Outcome& outcome, std::string& problem) {
  try {
    return fWrite(run, outcome, problem);
  } catch (const std::bad_alloc&) {
    problem = kNoMemory;
    return kStandardNoMemory;
  }
}
