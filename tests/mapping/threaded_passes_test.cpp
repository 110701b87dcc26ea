// The read passes on several threads give every file of a one-thread run,
// byte for byte: results, logs and the notes of the standard outputs, for any
// number of threads and any batch size, batch ends falling anywhere.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "driver/loaders.h"
#include "driver/notes.h"
#include "driver/read_batches.h"
#include "endreplace/endreplace.h"
#include "endreplace/site_table.h"
#include "mapping/mapping.h"
#include "parted/parted.h"
#include "support/direct_run.h"
#include "support/sequences.h"

namespace {

// A genome with a repeated segment, and reads from both strands, across the
// circle's end, from the repeat, with substitutions, too short, out of scope,
// with a letter that is no base, and from nowhere.
struct Workload {
  std::string genome, reads;
  // Reads of 25 for the end-replacement pass: 20 bases of either strand, then
  // a tip that differs, repeats one letter, holds an N, or matches.
  std::string endReads;
  Workload() {
    genome = fRandomLetters(3000, 17);
    fPlace(genome, 2000, genome.substr(300, 200));
    std::vector<std::string> lines;
    for (int i = 0; i < 150; ++i) {
      const size_t length = static_cast<size_t>(10 + (i * 37) % 110);
      const int64_t at = (i * 211) % 3000 + 1;
      std::string read = fAt(genome, i % 7 == 0 ? 3000 - 20 : at, length);
      if (i % 3 == 1) read = fReverseComplement(read);
      if (i % 5 == 2) read[length / 2] = read[length / 2] == 'A' ? 'C' : 'A';
      if (i % 11 == 4) read = fRandomLetters(length, static_cast<unsigned>(i));
      if (i % 13 == 6) read = fAt(genome, 2000 + i % 50, 60);
      // A rotation: the read's head at `at`, its last 9 + i % 20 bases right before it.
      if (i % 4 == 3) read = fAt(genome, at, 40) + fAt(genome, at - 9 - i % 20, static_cast<size_t>(9 + i % 20));
      lines.push_back(read);
    }
    lines[9] = lines[10];  // the same read twice in a row
    lines[20][5] = 'N';
    lines[30] = "";
    lines[31] += "\r";
    reads = fLines(lines);
    reads.pop_back();  // the last line without its line feed
    lines.clear();
    for (int i = 0; i < 120; ++i) {
      const int64_t at = (i * 97) % 3000 + 1;
      std::string read = fAt(genome, at, 20) + fRandomLetters(5, static_cast<unsigned>(i));
      if (i % 3 == 1) read = fReverseComplement(fAt(genome, at, 25)).substr(0, 20) + fRandomLetters(5, 7);
      if (i % 10 == 2) read = fAt(genome, at, 20) + "GGGGG";
      if (i % 10 == 5) read[22] = 'N';
      // Sites: reads sharing their 20 bases, in the repeat and on the lower strand.
      if (i % 10 == 7) read = fAt(genome, 2000 + i % 30, 20) + fRandomLetters(5, static_cast<unsigned>(i));
      if (i % 10 == 9) read = fReverseComplement(fAt(genome, 1000 + i % 20, 20)) + fRandomLetters(5, 99u + i);
      if (i % 17 == 3) read += "A";
      lines.push_back(read);
    }
    endReads = fLines(lines);
  }
};

struct Procedure {
  const char* name;
  bool letters;  // reads and genome as letters, else as codes
  bool endReads; // the reads of the end-replacement pass
  Outcome (*run)(const std::string& dir, const std::string& reads, const std::string& genome);
};

// The procedures that find the coded genome loaded, as the command line loads it.
template <Outcome (*procedure)(std::string, std::string, std::string, int32_t)>
Outcome fOnLoadedGenome(const std::string& dir, const std::string& reads, const std::string& genome) {
  int32_t length = 0;
  fLoadCodedGenome(genome, false, MaxReadSize, 0, length);
  Outcome outcome = procedure(dir, reads, genome, length);
  fReleaseGenome();
  return outcome;
}

// The reads file rated twice, as two files of the list.
Outcome fRating(const std::string& dir, const std::string& reads, const std::string& genome) {
  const std::string name = reads.substr(dir.size());
  std::ofstream(dir + "list.txt") << name << "\n" << name << "\n";
  return fMatchReadsT_VarSzPartedRate(dir, dir, genome, 0, dir + "list.txt");
}

// The parameter file "p.txt" of a procedure that reads one: the run's folder
// and inputs, then `more`.
std::string fParamFile(const std::string& dir, const std::string& reads, const std::string& genome,
                       const Files& more) {
  std::ofstream params(dir + "p.txt");
  Files entries = {{"diRes", dir.substr(0, dir.size() - 1)}, {"pthGnm", genome}, {"pthReads", reads}};
  entries.insert(entries.end(), more.begin(), more.end());
  for (const auto& entry : entries) params << "#\n#\n" << entry.first << "\n" << entry.second << "\n";
  return dir + "p.txt";
}

Outcome fCircular(const std::string& dir, const std::string& reads, const std::string& genome) {
  return fIdentifyCircularRna(fParamFile(
      dir, reads, genome, {{"rMinSz", std::to_string(MinReadSize)}, {"rMaxSz", std::to_string(MaxReadSize)}}));
}

// One end-replacement experiment; it takes the line buffers from the heap and
// gives them back as it goes.
Outcome fRandext(const std::string& dir, const std::string& reads, const std::string& genome) {
  const std::string params =
      fParamFile(dir, reads, genome, {{"experimentId", "x"}, {"immutSz", "20"}, {"mutTipSz", "5"}, {"misNu", "1"}});
  char *const input = InputLine, *const work = WorkLine;
  InputLine = static_cast<char*>(std::malloc(kLineBufferSize));
  WorkLine = static_cast<char*>(std::malloc(kLineBufferSize));
  Outcome outcome = fCutRnaWithReplacedEnd(params);
  std::free(InputLine);
  std::free(WorkLine);
  InputLine = input;
  WorkLine = work;
  return outcome;
}

const Procedure kProcedures[] = {
    {"fReadsOutOfSeq", false, false, [](auto& d, auto& r, auto& g) { return fReadsOutOfSeq(d, r, g); }},
    {"fGetReadsThatOutOfSeq", true, false, [](auto& d, auto& r, auto& g) { return fGetReadsThatOutOfSeq(d, r, g); }},
    {"fMatchReadsT_VarSzO", false, false, fOnLoadedGenome<fMatchReadsT_VarSzO>},
    {"fMapReadsOnToSeq", false, false, fOnLoadedGenome<fMapReadsOnToSeq>},
    {"fMapReadsOneInSeq", false, false, fOnLoadedGenome<fMapReadsOneInSeq>},
    {"fTestGenomeSborka", false, false, fOnLoadedGenome<fTestGenomeSborka>},
    {"fMatchReadsT_VarSzParted", false, false,
     [](auto& d, auto& r, auto& g) { return fMatchReadsT_VarSzParted(d, r, g, 0); }},
    {"fMatchReadsT_VarSzPartedRate", false, false, fRating},
    {"fIdentifyCircularRna", true, false, fCircular},
    {"RandExt", true, true, fRandext},
};

class ThreadedPasses : public DirectRun {
 protected:
  void TearDown() override {
    RunThreads = 1;
    ReadBatchReads = kDefaultBatch;
    SitePieceRecords = kDefaultPiece;
    DirectRun::TearDown();
  }
  static constexpr uint32_t kDefaultBatch = 8192;
  static constexpr uint32_t kDefaultPiece = 1 << 16;

  // Every file the run leaves, the notes among them, with the outcome's counts.
  static Files fRun(const Procedure& procedure, const Workload& work, int threads, uint32_t batch) {
    RunThreads = threads;
    ReadBatchReads = batch;
    // The site table's pieces are as small as the batches.
    SitePieceRecords = batch;
    MinReadSize = 16;
    MaxReadSize = 100;
    SizeScopeWidth = fSizeScopeWidth(MinReadSize, MaxReadSize);
    RunFolder folder;
    const std::string ext = procedure.letters ? ".txt" : ".bin";
    folder.write("g" + ext, procedure.letters ? work.genome : fCodes(work.genome));
    std::string reads = procedure.endReads ? work.endReads : work.reads;
    if (!procedure.letters) reads = fCodes(reads);  // line feeds stay line feeds
    folder.write("r" + ext, reads);
    EXPECT_TRUE(ReadNotes.fOpen(folder.path("notes")));
    const Outcome outcome = procedure.run(folder.dir() + "/", folder.path("r" + ext), folder.path("g" + ext));
    EXPECT_TRUE(ReadNotes.fClose());
    Files files = folder.results();
    for (const auto& count : outcome.counts) files.emplace_back("count " + count.first, count.second);
    files.emplace_back("reads read", std::to_string(outcome.readsRead));
    files.emplace_back("status", std::to_string(static_cast<int>(outcome.status)));
    return files;
  }
};

// The stop rule decides in file order: the hits and notes of the reads taken
// past the stopping read are dropped, wherever it falls in a batch.
TEST_F(ThreadedPasses, StopAtTheHitLimitWhereOneThreadStops) {
  const Workload work;
  for (const Procedure& procedure : kProcedures) {
    const std::string name = procedure.name;
    if (name != "fMatchReadsT_VarSzParted" && name != "fIdentifyCircularRna") continue;
    for (int32_t limit : {1, 4, 9}) {
      HitStopLimit = limit;
      const Files one = fRun(procedure, work, 1, kDefaultBatch);
      ASSERT_EQ(one.back().second, std::to_string(static_cast<int>(RunStatus::kStoppedAtHitLimit))) << limit;
      for (int threads : {1, 2, 3})
        for (uint32_t batch : {3u, 16u, kDefaultBatch})
          EXPECT_EQ(fRun(procedure, work, threads, batch), one)
              << procedure.name << " stopping above " << limit << " hits on " << threads << " threads, batches of "
              << batch;
    }
  }
}

// A line too long for the line buffer ends the reading, as it ends it on one thread.
TEST_F(ThreadedPasses, EndAtALineTooLongWhereOneThreadEnds) {
  Workload work;
  work.reads = fLines({work.genome.substr(0, 40), std::string(kLineBufferSize - 1, 'A'), work.genome.substr(5, 30),
                       std::string(kLineBufferSize, 'C'), work.genome.substr(9, 50)});
  const Procedure& absent = kProcedures[1];
  const Files one = fRun(absent, work, 1, kDefaultBatch);
  EXPECT_EQ(one[one.size() - 2].second, "3") << "reads read";
  for (uint32_t batch : {2u, 64u}) EXPECT_EQ(fRun(absent, work, 2, batch), one) << "batches of " << batch;
}

TEST_F(ThreadedPasses, GiveTheFilesOfOneThreadForAnyThreadsAndBatchSize) {
  const Workload work;
  for (const Procedure& procedure : kProcedures) {
    const Files one = fRun(procedure, work, 1, kDefaultBatch);
    ASSERT_EQ(one.back().second, std::to_string(static_cast<int>(RunStatus::kCompleted))) << procedure.name;
    for (int threads : {1, 2, 3, 7})
      for (uint32_t batch : {2u, 7u, 64u})
        EXPECT_EQ(fRun(procedure, work, threads, batch), one)
            << procedure.name << " on " << threads << " threads, batches of " << batch;
  }
}

}  // namespace
