// What every writer of standard files shares: the procedure's notes read back
// in the order it wrote them, the sentence for a file that could not be
// written, and a failed allocation turned into its exit code.
#pragma once
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "standard/standard.h"

// The notes of one record type, in the order the procedure wrote them.
template <class Note>
class NoteStream {
 public:
  NoteStream() = default;
  ~NoteStream() {
    if (File != nullptr) std::fclose(File);
  }
  NoteStream(const NoteStream&) = delete;
  NoteStream& operator=(const NoteStream&) = delete;

  // An empty path is a run without notes; false when the file can't be opened.
  bool fOpen(const std::string& path) {
    if (path.empty()) return true;
    File = std::fopen(path.c_str(), "rb");
    return File != nullptr;
  }
  // The next note; false at the end, or when the file breaks (fBroken()).
  bool fNext(Note& note) {
    if (At == Batch.size() && !fFill()) return false;
    note = Batch[At++];
    return true;
  }
  bool fBroken() const { return Broken; }

 private:
  bool fFill() {
    if (File == nullptr) return false;
    Batch.resize(kBatch);
    const size_t bytes = std::fread(Batch.data(), 1, kBatch * sizeof(Note), File);
    // A partial record at the end would be a note cut short.
    if (std::ferror(File) != 0 || bytes % sizeof(Note) != 0) Broken = true;
    Batch.resize(bytes / sizeof(Note));
    At = 0;
    return !Batch.empty();
  }
  static constexpr size_t kBatch = size_t(1) << 16;
  FILE* File = nullptr;
  std::vector<Note> Batch;
  size_t At = 0;
  bool Broken = false;
};

// Every note of the notes file (none for an empty path); false when it can't
// be read whole.
template <class Note>
bool fReadNotes(const std::string& path, std::vector<Note>& notes) {
  NoteStream<Note> stream;
  if (!stream.fOpen(path)) return false;
  Note note;
  while (stream.fNext(note)) notes.push_back(note);
  return !stream.fBroken();
}

// `name` (a file of the run) could not be written: the sentence and the exit code.
int fCantWrite(const StandardRun& run, const std::string& name, std::string& problem);

// The run's G.genome file; 0, or the exit code with `problem` set.
int fWriteRunGenomeFile(const StandardRun& run, Outcome& outcome, std::string& problem);

// The run's G.genome file written and its notes read back whole: 0, or the
// exit code with `problem` set (to `unreadable` when the notes can't be read).
template <class Note>
int fGenomeFileAndNotes(const StandardRun& run, Outcome& outcome, std::vector<Note>& notes, const char* unreadable,
                        std::string& problem) {
  if (int code = fWriteRunGenomeFile(run, outcome, problem)) return code;
  if (fReadNotes(run.notesPath, notes)) return kStandardDone;
  problem = unreadable;
  return kStandardOutputFailed;
}

extern const char kWritingOutOfMemory[];

// The writer's exit code; kStandardNoMemory, with its sentence, when an
// allocation fails on the way.
template <class Write>
int fWriteWithinMemory(std::string& problem, Write write) {
  try {
    return write();
  } catch (const std::bad_alloc&) {
    problem = kWritingOutOfMemory;
    return kStandardNoMemory;
  }
}
