// The standard file of absent: the reads found on neither strand, with their
// names (and qualities) as the input holds them, in input order.

#include "standard/mapping_outputs.h"
#include "standard/mapping_shared.h"

namespace {
const char kPart[] = ".absent";

int fWrite(const StandardRun& run, Outcome& outcome, std::string& problem) {
  NoteStream<AbsentNote> notes;
  if (!fOpenNotes(notes, run, problem)) return kStandardOutputFailed;
  ChosenReadsFile absent;
  if (!absent.fOpen(run, kPart, outcome)) return fCantWrite(run, absent.fName(), problem);
  int code = fForEachNotedRead(notes, run.reads, problem, [&](const AbsentNote&, const ReadNameResolver& read) {
    absent.fAdd(read);
    return 0;
  });
  if (code != 0) return code;
  if (!absent.fClose(outcome)) return fCantWrite(run, absent.fName(), problem);
  return kStandardDone;
}
}  // namespace

int fWriteAbsentStandard(const StandardRun& run, Outcome& outcome, std::string& problem) {
  return fWriteWithinMemory(problem, [&] { return fWrite(run, outcome, problem); });
}
