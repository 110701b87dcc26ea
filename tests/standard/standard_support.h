// What the tests of the standard outputs share: reads written as the user
// gives them and prepared as the command line prepares them, the StandardRun
// of a run folder, and the checks of a BED or bedGraph file by the real
// bedtools (`sort` keeps its first three columns in their order, `merge` takes
// it, `complement` against the genome file finds no line on another sequence
// or past the genome's end).
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "driver/notes.h"
#include "standard/standard.h"
#include "support/run_folder.h"

struct NamedRead {
  std::string name, letters;
};

enum class Given { kFastq, kRawLetters, kRawCoded };

// The qualities of the FASTQ reads differ from read to read, so a record copied
// from the wrong read shows.
inline std::string fQuality(size_t length, size_t index) { return std::string(length, static_cast<char>('5' + index % 40)); }

// Writes the reads as the user gives them (a code-byte file can't hold an N:
// such a read becomes ACGT, keeping its line) and returns the file the
// procedure reads: converted into `want` as the command line converts it.
inline std::string fGiveReads(const RunFolder& folder, const std::vector<NamedRead>& reads, Given given,
                              Encoding want, ReadsOrigin& origin) {
  std::string text;
  for (size_t i = 0; i < reads.size(); ++i) {
    const std::string& letters = reads[i].letters;
    if (given == Given::kFastq)
      text += "@" + reads[i].name + " planted\n" + letters + "\n+\n" + fQuality(letters.size(), i) + "\n";
    else if (given == Given::kRawCoded)
      text += fCodes(letters.find('N') == std::string::npos ? letters : "ACGT") + "\n";
    else
      text += letters + "\n";
  }
  const char* name = given == Given::kFastq ? "r.fq" : given == Given::kRawCoded ? "r.bin" : "r.txt";
  folder.write(name, text);
  const InputKind kinds[] = {InputKind::kFastq, InputKind::kRawLetters, InputKind::kRawCoded};
  origin = ReadsOrigin{folder.path(name), kinds[static_cast<int>(given)], want};
  const bool asGiven = (given == Given::kRawCoded && want == Encoding::kCodes) ||
                       (given == Given::kRawLetters && want == Encoding::kLetters);
  if (asGiven) return folder.path(name);
  std::filesystem::create_directories(folder.path("work"));
  PreparedInput prepared;
  std::string problem;
  EXPECT_EQ(fPrepareReads(folder.path(name), want, folder.path("work"), prepared, problem), 0) << problem;
  return prepared.path;
}

// The run of a procedure in the folder, as the command line hands it to a writer.
inline StandardRun fStandardRun(const RunFolder& folder, int64_t genomeLength, const ReadsOrigin& reads,
                                const Outcome& outcome) {
  StandardRun run;
  run.directory = folder.dir() + "/";
  run.shownOut = "out";
  run.genomeStem = "g";
  run.chromosome = Chromosome{"chrT", genomeLength};
  run.readsStem = "r";
  run.reads = reads;
  run.notesPath = folder.path("notes.bin");
  run.nativeFiles = outcome.written;
  return run;
}

// The procedure run with the read notes on, as the command line runs it.
template <class Procedure>
Outcome fWithNotes(const RunFolder& folder, Procedure procedure) {
  EXPECT_TRUE(ReadNotes.fOpen(folder.path("notes.bin")));
  Outcome outcome = procedure();
  EXPECT_TRUE(ReadNotes.fClose());
  return outcome;
}

// The text with each read name replaced where it stands whole, between tabs, commas and line ends.
inline std::string fRenamed(std::string text, const std::map<std::string, std::string>& names) {
  auto apart = [&](size_t at) { return at >= text.size() || std::strchr("\t,\n", text[at]) != nullptr; };
  for (const auto& [from, to] : names)
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
      if ((at == 0 || apart(at - 1)) && apart(at + from.size())) text.replace(at, from.size(), to);
  return text;
}

// Lines, or with '\t' the fields of a line.
inline std::vector<std::string> fSplit(const std::string& text, char separator = '\n') {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

inline bool fHaveBedtools() {
  static const bool installed = std::system("bedtools --version >/dev/null 2>&1") == 0;
  return installed;
}

#define SKIP_WITHOUT_BEDTOOLS() \
  if (!fHaveBedtools()) GTEST_SKIP() << "bedtools is not installed (Debian: apt-get install bedtools)"

// bedtools' exit status and standard output; its errors in `err`.
inline int fBedtools(const RunFolder& folder, const std::string& arguments, std::string& out, std::string& err) {
  FILE* pipe = popen(("bedtools " + arguments + " 2>'" + folder.path("stderr.txt") + "'").c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  out.clear();
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
  const int status = pclose(pipe);
  err = folder.read("stderr.txt");
  return status;
}

// Adds a test failure for every check the file fails.
inline void fCheckWithBedtools(const RunFolder& folder, const std::string& name, const std::string& genomeFile) {
  auto firstColumns = [](const std::string& text) {
    std::string kept;
    for (const std::string& line : fSplit(text)) {
      const std::vector<std::string> fields = fSplit(line, '\t');
      kept += fields.size() < 3 ? line + "\n" : fields[0] + "\t" + fields[1] + "\t" + fields[2] + "\n";
    }
    return kept;
  };
  const std::string path = "'" + folder.path(name) + "'";
  std::string out, err;
  EXPECT_EQ(fBedtools(folder, "sort -i " + path, out, err), 0) << name << ": " << err;
  EXPECT_EQ(firstColumns(out), firstColumns(folder.read(name))) << name;
  EXPECT_EQ(fBedtools(folder, "merge -i " + path, out, err), 0) << name << ": " << err;
  EXPECT_FALSE(out.empty()) << name;
  EXPECT_EQ(fBedtools(folder, "complement -i " + path + " -g '" + folder.path(genomeFile) + "'", out, err), 0) << err;
  EXPECT_EQ(err, "") << name;
}
