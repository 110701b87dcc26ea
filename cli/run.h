// One command run from its checks to its exit code. Everything the run writes
// goes first into a private folder inside --out, unique to the run; results
// are renamed into --out only when they are complete, and the folder is
// removed however the run ends (a signal included).
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cli/inputs.h"
#include "cli/settings.h"
#include "driver/outcome.h"
#include "standard/standard.h"

// key<TAB>value lines of a run summary, in order.
using SummaryLines = std::vector<std::pair<std::string, std::string>>;

// The writer of a command's standard files (standard/): 0, or the exit code
// with the problem in one sentence.
using StandardWriter = std::function<int(const StandardRun& run, Outcome& outcome, std::string& problem)>;

class CommandRun {
 public:
  explicit CommandRun(const RunSettings& settings);
  ~CommandRun();  // removes the private folder and releases the line buffers
  CommandRun(const CommandRun&) = delete;
  CommandRun& operator=(const CommandRun&) = delete;

  const RunSettings& settings() const { return Settings; }

  // The checks before any input is read: every input exists (2), --out exists
  // or is made and can be written (3). Then the private folder is made and the
  // run state set as the selection-file run sets it. 0 or the exit code.
  int fOpen();

  // The private folder's path with a trailing separator: the result directory
  // that the procedures receive.
  const std::string& fResultDirectory() const { return ResultDirectory; }
  // A folder inside the private folder, made on first use; with a trailing separator.
  std::string fWorkFolder(const std::string& name);

  // The genome or reads in the encoding the procedure reads (converted into the
  // private folder when needed). 0 or the exit code, the problem said. Reads
  // from standard input or a pipe are first kept whole in the private folder:
  // the standard files read them again for the reads' names.
  int fPrepareGenome(Encoding want, PreparedInput& genome);
  int fPrepareReads(const std::string& userPath, Encoding want, PreparedInput& reads,
                    const std::string& folder = "reads");

  // The path to hand a procedure for a prepared input: its own path when that
  // carries the user's stem (and `inPrivate` is not asked), otherwise a second
  // name for it inside the private folder that does; logs show the user's path.
  // Empty when no such name could be made (the problem said, exit code 3).
  std::string fHandOver(const PreparedInput& input, const std::string& folder, bool inPrivate);

  // Writes a parameter file of four-line records into the private folder; its
  // path, or empty when a value can't be written as one line (problem said).
  std::string fWriteParamFile(const std::vector<std::pair<std::string, std::string>>& entries);

  // Loads the coded genome into Genome for the procedures that expect it there.
  // False with `outcome` set on failure.
  bool fLoadGenome(const std::string& path, Outcome& outcome);

  // How a file of --out is named in messages and logs: --out as given, then the name.
  std::string fShownOutPath(const std::string& name) const;

  // What the run read and how, for the summary and the summary line.
  void fNoteInput(const std::string& role, const PreparedInput& input);
  void fNote(const std::string& key, const std::string& value) { InputLines.emplace_back(key, value); }
  // The procedure that ran, when the command chose one of two (absent).
  void fNoteProcedure(const char* name) { Procedure = name; }

  // The file that holds the reads of `userPath`: the user's own, or for
  // standard input or a pipe a copy kept in the private folder. 0 or the exit code, said.
  int fReadsSource(const std::string& userPath, std::string& source);

  // Standard files: whether they are written (not with --no-standard).
  bool fStandardWanted() const { return !Settings.noStandard; }
  // Opens ReadNotes on a file of the private folder for a procedure whose
  // standard files need its notes; nothing when they are not wanted. 0 or 3, said.
  int fOpenNotes();
  // Where the reads are read again by number: the user's file, or the kept
  // copy of standard input or a pipe.
  ReadsOrigin fReadsOrigin(const PreparedInput& reads, Encoding handed) const;
  // What every writer needs: the private folder, the genome, the reads, the
  // notes and the native files that `outcome` holds.
  StandardRun fStandardRun(const std::string& readsStem, const ReadsOrigin& reads, const Outcome& outcome) const;
  // After the procedure: closes the notes and, when it succeeded and standard
  // files are wanted, writes them with `writer` and G.genome into the private
  // folder, where they join `outcome.written`. 0 or the exit code, said.
  int fWriteStandard(const StandardRun& standard, const StandardWriter& writer, Outcome& outcome);

  // The outcome of the procedure: the exit code, its message, and on success the
  // summary named `summaryName` and every written file renamed into --out.
  int fFinish(const Outcome& outcome, const std::string& summaryName);

  // For a run that places its results in steps (one task of a list at a time):
  // the summary and the written files of one completed part renamed into --out.
  // False (problem said) when a file can't be put in place.
  bool fCommitPart(const Outcome& part, const std::string& summaryName);

  // The message and exit code of a failed outcome; warnings for the successful
  // ones that found nothing or stopped early. Prints the summary line on success.
  int fReport(const Outcome& outcome);

  // "vantrels: " + text, on standard error.
  static void fSayProblem(const std::string& text);

 private:
  std::string fOutPath(const std::string& name) const;
  std::string fShownFile(const std::string& path) const;
  std::string fRefusedSetting(const std::string& key) const;
  SummaryLines fSummary(const Outcome& outcome) const;
  bool fWriteSummary(const Outcome& outcome, const std::string& name, std::string& path);
  bool fCommit(const std::vector<std::string>& files);

  RunSettings Settings;
  std::string OutDirectory;     // --out without a trailing separator
  std::string PrivateFolder;    // inside OutDirectory, no trailing separator
  std::string ResultDirectory;  // PrivateFolder + separator
  SummaryLines InputLines;
  std::string GenomeStem;   // G of the standard names
  Chromosome Chrom;         // the genome as the standard files name it
  std::string NotesPath;    // the read notes of the procedure, when opened
  std::vector<std::pair<std::string, std::string>> KeptStreams;  // user's path, its copy
  std::vector<std::string> Committed;  // names put into --out, for the summary line
  const char* Procedure = nullptr;     // the procedure that ran; the command's own when null
  std::chrono::steady_clock::time_point Started;
};
