// The read passes on several threads give every file of a one-thread run,
// byte for byte: results, logs and the notes of the standard outputs, for any
// number of threads and any batch size, batch ends falling anywhere.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "driver/loaders.h"
#include "driver/notes.h"
#include "driver/read_batches.h"
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
    reads = fLines(lines);
  }
};

struct Procedure {
  const char* name;
  bool letters;  // reads and genome as letters, else as codes
  Outcome (*run)(const std::string& dir, const std::string& reads, const std::string& genome);
};

Outcome fCoverage(const std::string& dir, const std::string& reads, const std::string& genome) {
  int32_t length = 0;
  fLoadCodedGenome(genome, false, MaxReadSize, 0, length);
  Outcome outcome = fMatchReadsT_VarSzO(dir, reads, genome, length);
  fReleaseGenome();
  return outcome;
}
Outcome fStretches(const std::string& dir, const std::string& reads, const std::string& genome) {
  int32_t length = 0;
  fLoadCodedGenome(genome, false, MaxReadSize, 0, length);
  Outcome outcome = fMapReadsOnToSeq(dir, reads, genome, length);
  fReleaseGenome();
  return outcome;
}
Outcome fOnce(const std::string& dir, const std::string& reads, const std::string& genome) {
  int32_t length = 0;
  fLoadCodedGenome(genome, false, MaxReadSize, 0, length);
  Outcome outcome = fMapReadsOneInSeq(dir, reads, genome, length);
  fReleaseGenome();
  return outcome;
}

// The reads file rated twice, as two files of the list.
Outcome fRating(const std::string& dir, const std::string& reads, const std::string& genome) {
  const std::string name = reads.substr(dir.size());
  std::ofstream(dir + "list.txt") << name << "\n" << name << "\n";
  return fMatchReadsT_VarSzPartedRate(dir, dir, genome, 0, dir + "list.txt");
}

// The circular-RNA procedure reads its own parameter file.
Outcome fCircular(const std::string& dir, const std::string& reads, const std::string& genome) {
  std::ofstream params(dir + "p.txt");
  for (const auto& entry : Files{{"diRes", dir.substr(0, dir.size() - 1)}, {"pthGnm", genome}, {"pthReads", reads},
                                 {"rMinSz", std::to_string(MinReadSize)}, {"rMaxSz", std::to_string(MaxReadSize)}})
    params << "#\n#\n" << entry.first << "\n" << entry.second << "\n";
  params.close();
  return fIdentifyCircularRna(dir + "p.txt");
}

const Procedure kProcedures[] = {
    {"fReadsOutOfSeq", false, [](auto& d, auto& r, auto& g) { return fReadsOutOfSeq(d, r, g); }},
    {"fGetReadsThatOutOfSeq", true, [](auto& d, auto& r, auto& g) { return fGetReadsThatOutOfSeq(d, r, g); }},
    {"fMatchReadsT_VarSzO", false, fCoverage},
    {"fMapReadsOnToSeq", false, fStretches},
    {"fMapReadsOneInSeq", false, fOnce},
    {"fMatchReadsT_VarSzParted", false,
     [](auto& d, auto& r, auto& g) { return fMatchReadsT_VarSzParted(d, r, g, 0); }},
    {"fMatchReadsT_VarSzPartedRate", false, fRating},
    {"fIdentifyCircularRna", true, fCircular},
};

class ThreadedPasses : public DirectRun {
 protected:
  void TearDown() override {
    RunThreads = 1;
    ReadBatchReads = kDefaultBatch;
    DirectRun::TearDown();
  }
  static constexpr uint32_t kDefaultBatch = 8192;

  // Every file the run leaves, the notes among them, with the outcome's counts.
  static Files fRun(const Procedure& procedure, const Workload& work, int threads, uint32_t batch) {
    RunThreads = threads;
    ReadBatchReads = batch;
    MinReadSize = 16;
    MaxReadSize = 100;
    SizeScopeWidth = fSizeScopeWidth(MinReadSize, MaxReadSize);
    RunFolder folder;
    const std::string ext = procedure.letters ? ".txt" : ".bin";
    folder.write("g" + ext, procedure.letters ? work.genome : fCodes(work.genome));
    std::string reads = work.reads;
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
      for (int threads : {2, 3})
        for (uint32_t batch : {3u, 16u, kDefaultBatch})
          EXPECT_EQ(fRun(procedure, work, threads, batch), one)
              << procedure.name << " stopping above " << limit << " hits on " << threads << " threads, batches of "
              << batch;
    }
  }
}

TEST_F(ThreadedPasses, GiveTheFilesOfOneThreadForAnyThreadsAndBatchSize) {
  const Workload work;
  for (const Procedure& procedure : kProcedures) {
    const Files one = fRun(procedure, work, 1, kDefaultBatch);
    ASSERT_GT(one.size(), 3u) << procedure.name;
    for (int threads : {2, 3, 7})
      for (uint32_t batch : {1u, 5u, 64u, kDefaultBatch})
        EXPECT_EQ(fRun(procedure, work, threads, batch), one)
            << procedure.name << " on " << threads << " threads, batches of " << batch;
  }
}

}  // namespace
