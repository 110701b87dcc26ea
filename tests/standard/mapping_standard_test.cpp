// The standard files of the read-mapping commands: reads planted on both
// strands of a small circular genome, some across its origin, run in the
// process with the read notes on, as the command line runs them, and read
// back by name from FASTQ, raw letters or raw code bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "driver/loaders.h"
#include "driver/notes.h"
#include "mapping/mapping.h"
#include "standard/bedtools_check.h"
#include "standard/mapping_outputs.h"
#include "support/direct_run.h"
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {

constexpr int64_t L = 200;
const std::string kRepeat = fRandomLetters(20, 802);

// 200 random bases, with kRepeat at 100 and 150 on the upper strand.
std::string fGenome() {
  std::string genome = fRandomLetters(L, 801);
  fPlace(genome, 100, kRepeat);
  fPlace(genome, 150, kRepeat);
  return genome;
}
const std::string kGenome = fGenome();

// Where a read occurs whole on the circle: upper-strand positions, and lower
// ones (the first base of its reverse complement).
int fPlaces(const std::string& genome, const std::string& read, bool upper) {
  const std::string circle = genome + genome.substr(0, read.size());
  const std::string text = upper ? read : fReverseComplement(read);
  int places = 0;
  for (size_t p = 0; p < genome.size(); ++p) places += circle.compare(p, text.size(), text) == 0;
  return places;
}

// One base changed, so the read is no longer the genome's.
std::string fChanged(std::string letters, size_t at) {
  letters[at] = letters[at] == 'A' ? 'C' : 'A';
  return letters;
}

enum class Kind { kFastq, kRawLetters, kRawCoded };
const char* fKindName(Kind kind) { return kind == Kind::kFastq ? "FASTQ" : kind == Kind::kRawLetters ? "raw letters" : "raw codes"; }

struct Read {
  std::string name;
  std::string letters;
};

std::string fQuality(size_t length, size_t index) { return std::string(length, static_cast<char>('5' + index % 40)); }

std::vector<std::string> fLinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

class MappingStandard : public DirectRun {
 protected:
  void SetUp() override {
    DirectRun::SetUp();
    std::filesystem::create_directory(folder_.path("work"));
    folder_.write("g.bin", fCodes(kGenome));
    folder_.write("g.txt", kGenome);
  }
  void TearDown() override {
    ReadNotes.fClose();
    DirectRun::TearDown();
  }

  void fScope(int32_t minSize, int32_t maxSize) {
    MinReadSize = minSize;
    MaxReadSize = maxSize;
    SizeScopeWidth = fSizeScopeWidth(minSize, maxSize);
  }

  // Writes the reads as the user gives them; returns the file the procedure
  // reads (converted into `want` where the command line would) and sets `origin`.
  std::string fWriteReads(const std::vector<Read>& reads, Kind kind, Encoding want, ReadsOrigin& origin) {
    std::string text;
    for (size_t i = 0; i < reads.size(); ++i) {
      const Read& read = reads[i];
      if (kind == Kind::kFastq)
        text += "@" + read.name + " planted\n" + read.letters + "\n+\n" + fQuality(read.letters.size(), i) + "\n";
      else
        text += (kind == Kind::kRawCoded ? fCodes(read.letters) : read.letters) + "\n";
    }
    const std::string user = kind == Kind::kFastq ? "r.fq" : kind == Kind::kRawCoded ? "r.bin" : "r.txt";
    folder_.write(user, text);
    origin = ReadsOrigin{folder_.path(user),
                         kind == Kind::kFastq ? InputKind::kFastq
                                              : kind == Kind::kRawCoded ? InputKind::kRawCoded : InputKind::kRawLetters,
                         want};
    const bool asItStands = (kind == Kind::kRawCoded && want == Encoding::kCodes) ||
                            (kind == Kind::kRawLetters && want == Encoding::kLetters);
    if (asItStands) return folder_.path(user);
    PreparedInput prepared;
    std::string problem;
    EXPECT_EQ(fPrepareReads(folder_.path(user), want, folder_.dir() + "/work", prepared, problem), 0) << problem;
    return prepared.path;
  }

  // The procedure on the reads with the notes on.
  Outcome fRun(Outcome (*procedure)(std::string, std::string, std::string, int32_t), const std::string& reads) {
    int32_t length = 0;
    EXPECT_EQ(fLoadCodedGenome(folder_.path("g.bin"), false, MaxReadSize, 0, length), GenomeLoad::kLoaded);
    GenomeLength = length;
    EXPECT_TRUE(ReadNotes.fOpen(folder_.path("notes.bin")));
    Outcome outcome = procedure(folder_.dir() + "/", reads, folder_.path("g.bin"), length);
    EXPECT_TRUE(ReadNotes.fClose());
    fReleaseGenome();
    EXPECT_TRUE(outcome.fSucceeded()) << outcome.file;
    return outcome;
  }

  StandardRun fStandardRun(const ReadsOrigin& origin, const Outcome& outcome) {
    StandardRun run;
    run.directory = folder_.dir() + "/";
    run.shownOut = "out";
    run.genomeStem = "g";
    run.chromosome = Chromosome{"chrT", L};
    run.readsStem = "r";
    run.reads = origin;
    run.notesPath = folder_.path("notes.bin");
    run.nativeFiles = outcome.written;
    return run;
  }

  // A read's name as the standard files give it: its FASTQ name, or "read" +
  // its line in the reads file.
  static std::string fNameOf(const std::vector<Read>& reads, size_t index, Kind kind) {
    return kind == Kind::kFastq ? reads[index].name : "read" + std::to_string(index + 1);
  }

  // The record a FASTQ or FASTA file of chosen reads holds for a read.
  static std::string fRecord(const std::vector<Read>& reads, size_t index, Kind kind) {
    const std::string& letters = reads[index].letters;
    if (kind == Kind::kFastq) return "@" + reads[index].name + "\n" + letters + "\n+\n" + fQuality(letters.size(), index) + "\n";
    return ">" + fNameOf(reads, index, kind) + "\n" + letters + "\n";
  }

  static std::vector<Kind> fKinds(bool rawLettersNeedHtslib) {
    std::vector<Kind> kinds = {Kind::kRawCoded};
#ifdef VANTRELS_HAVE_HTSLIB
    kinds.push_back(Kind::kFastq);
    kinds.push_back(Kind::kRawLetters);
#endif
    if (!rawLettersNeedHtslib) kinds.push_back(Kind::kRawLetters);
    std::sort(kinds.begin(), kinds.end());
    kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
    return kinds;
  }

  RunFolder folder_;
};

const char kWithN[] = "ACGTACGTACGTNACGTACGTACGTACGTA";

TEST_F(MappingStandard, AbsentNamesTheReadsFoundOnNeitherStrandInInputOrder) {
  fScope(20, 60);
  const std::vector<Read> planted = {
      {"p_up", fAt(kGenome, 10, 30)},
      {"a_random", fRandomLetters(30, 803)},
      {"p_origin", fAt(kGenome, 185, 30)},
      {"n_defective", kWithN},
      {"a_origin", fChanged(fAt(kGenome, 190, 25), 12)},
      {"p_lower_origin", fReverseComplement(fAt(kGenome, 180, 40))},
      {"short", fAt(kGenome, 70, 10)},
      {"a_lower", fReverseComplement(fChanged(fAt(kGenome, 60, 30), 20))},
      {"", ""},
      {"a_last", fRandomLetters(40, 804)},
  };
  for (Kind kind : fKinds(false)) {
    std::vector<Read> reads = planted;
    // Code bytes can't carry an N.
    if (kind == Kind::kRawCoded) reads.erase(reads.begin() + 3);
    ReadsOrigin origin;
    const Encoding want = kind == Kind::kRawCoded ? Encoding::kCodes : Encoding::kLetters;
    const std::string handed = fWriteReads(reads, kind, want, origin);
    EXPECT_TRUE(ReadNotes.fOpen(folder_.path("notes.bin")));
    Outcome outcome = kind == Kind::kRawCoded ? fReadsOutOfSeq(folder_.dir() + "/", handed, folder_.path("g.bin"))
                                              : fGetReadsThatOutOfSeq(folder_.dir() + "/", handed, folder_.path("g.txt"));
    EXPECT_TRUE(ReadNotes.fClose());
    ASSERT_TRUE(outcome.fSucceeded()) << outcome.file;

    // Expected: every read of the scope, of bases only, found on neither strand.
    std::string expected;
    int absent = 0;
    for (size_t i = 0; i < reads.size(); ++i) {
      const std::string& letters = reads[i].letters;
      const bool inScope = letters.size() >= 20 && letters.size() <= 60;
      if (!inScope || letters.find('N') != std::string::npos) continue;
      if (fPlaces(kGenome, letters, true) + fPlaces(kGenome, letters, false) > 0) continue;
      expected += fRecord(reads, i, kind);
      ++absent;
      EXPECT_EQ(reads[i].name.substr(0, 2), "a_") << reads[i].name << ": planted to be found";
    }
    EXPECT_EQ(absent, 4);
    std::string problem;
    ASSERT_EQ(fWriteAbsentStandard(fStandardRun(origin, outcome), outcome, problem), 0) << problem;
    const std::string name = kind == Kind::kFastq ? "r.absent.fastq" : "r.absent.fasta";
    EXPECT_EQ(folder_.read(name), expected) << fKindName(kind);
    EXPECT_EQ(outcome.written.back(), folder_.path(name));
  }
}

TEST_F(MappingStandard, OncePlacesItsReadsAndClustersOnTheCircleAndNamesTheManyPlacedOnes) {
  fScope(16, 60);
  const std::vector<Read> planted = {
      {"o1", fAt(kGenome, 50, 30)},
      {"m1", kRepeat},
      {"o2", fAt(kGenome, 185, 30)},
      {"x_lower", fReverseComplement(fAt(kGenome, 20, 25))},
      {"n_dropped", kWithN},
      {"o3", fAt(kGenome, 60, 30)},
      {"o4", fAt(kGenome, 120, 20)},
      {"m1b", kRepeat},
  };
  ASSERT_EQ(fPlaces(kGenome, planted[3].letters, true), 0);
  // The native cluster table these reads give: 50..89 (o1, o3), 120..139, 185..214.
  const char kNativeClusters[] = "\nclPos\tclEnd\tclLength\tgap\n50\t89\t40\n120\t139\t20\t31\n185\t214\t30\t46";
  const char kClustersBed[] =
      "chrT\t0\t14\tcluster3\t1\t+\n"
      "chrT\t49\t89\tcluster1\t2\t+\n"
      "chrT\t119\t139\tcluster2\t1\t+\n"
      "chrT\t184\t200\tcluster3\t1\t+\n";
  for (Kind kind : fKinds(true)) {
    for (size_t linesInMemory : {size_t(1) << 21, size_t(1), size_t(2)}) {
      std::vector<Read> reads = planted;
      if (kind == Kind::kRawCoded) reads.erase(reads.begin() + 4);
      auto index = [&](const char* name) {
        return static_cast<size_t>(std::find_if(reads.begin(), reads.end(), [&](const Read& r) { return r.name == name; }) -
                                   reads.begin());
      };
      auto named = [&](const char* name) { return fNameOf(reads, index(name), kind); };
      ReadsOrigin origin;
      Outcome outcome = fRun(fMapReadsOneInSeq, fWriteReads(reads, kind, Encoding::kCodes, origin));
      ASSERT_EQ(folder_.read("r[One]g_Clust.txt"), kNativeClusters) << fKindName(kind);
      std::string problem;
      ASSERT_EQ(fWriteOnceStandard(fStandardRun(origin, outcome), outcome, problem, linesInMemory), 0) << problem;

      const std::string what = std::string(fKindName(kind)) + ", lines in memory " + std::to_string(linesInMemory);
      EXPECT_EQ(folder_.read("r.once.bed"), "chrT\t0\t14\t" + named("o2") + "\t0\t+\n" +     //
                                                "chrT\t49\t79\t" + named("o1") + "\t0\t+\n" +    //
                                                "chrT\t59\t89\t" + named("o3") + "\t0\t+\n" +    //
                                                "chrT\t119\t139\t" + named("o4") + "\t0\t+\n" +  //
                                                "chrT\t184\t200\t" + named("o2") + "\t0\t+\n")
          << what;
      EXPECT_EQ(folder_.read("r.clusters.bed"), kClustersBed) << what;
      const std::string many = kind == Kind::kFastq ? "r.many.fastq" : "r.many.fasta";
      EXPECT_EQ(folder_.read(many), fRecord(reads, index("m1"), kind) + fRecord(reads, index("m1b"), kind)) << what;
      EXPECT_EQ(folder_.read("g.genome"), "chrT\t200\n");
      // The sorted runs are scratch: gone, and not among the results.
      for (const std::string& file : folder_.files()) EXPECT_EQ(file.find(".once.part"), std::string::npos) << file;
      for (const char* name : {"r.once.bed", "r.clusters.bed"})
        EXPECT_NE(std::find(outcome.written.begin(), outcome.written.end(), folder_.path(name)), outcome.written.end());
    }
  }
}

TEST_F(MappingStandard, StretchesNameTheReadOfEveryKeptStretchInTheOrderOfTheKeptFile) {
  fScope(16, 60);
  // Stretches start at a read's fourth base; 26 bases or more are kept.
  const std::vector<Read> reads = {
      {"s_up", "ACG" + fAt(kGenome, 20, 40)},
      {"s_short", "ACG" + fAt(kGenome, 70, 25)},
      {"s_lower_origin", fReverseComplement("CCC" + fAt(kGenome, 178, 32))},
      {"s_25", "ACG" + fAt(kGenome, 30, 25) + fChanged(fAt(kGenome, 55, 1), 0) + fAt(kGenome, 56, 5)},
      {"s_end", "TTT" + fAt(kGenome, 128, 30)},
  };
  for (Kind kind : fKinds(true)) {
    ReadsOrigin origin;
    const std::string handed = fWriteReads(reads, kind, Encoding::kCodes, origin);
    Outcome outcome = fRun(fMapReadsOnToSeq, handed);
    std::string problem;
    ASSERT_EQ(fWriteStretchesStandard(fStandardRun(origin, outcome), outcome, problem), 0) << problem;
    EXPECT_EQ(folder_.read("r.stretches.tsv"), "read_name\tread_length\tstretch_length\n" +             //
                                                   fNameOf(reads, 0, kind) + "\t43\t40\n" +          //
                                                   fNameOf(reads, 2, kind) + "\t35\t32\n" +          //
                                                   fNameOf(reads, 4, kind) + "\t33\t30\n")
        << fKindName(kind);
    // Row for row the records of the kept file.
    const std::string handedName = handed.substr(folder_.dir().size() + 1);
    std::vector<std::string> kept = fLinesOf(folder_.read(handedName.substr(0, handedName.rfind('.')) + "_In.bin"));
    std::vector<std::string> rows = fLinesOf(folder_.read("r.stretches.tsv"));
    ASSERT_EQ(kept.size() + 1, rows.size()) << fKindName(kind);
    for (size_t i = 0; i < kept.size(); ++i)
      EXPECT_EQ(rows[i + 1].substr(rows[i + 1].rfind('\t') + 1), std::to_string(kept[i].size()));
  }
}

TEST_F(MappingStandard, AssemblyTestNamesTheReadsItCountsAsNotCorrect) {
  fScope(16, 60);
  // The second of two reads at one position is never correct.
  const std::vector<Read> reads = {
      {"u1", fAt(kGenome, 30, 20)}, {"u2", fAt(kGenome, 30, 20)}, {"a", fRandomLetters(30, 805)}, {"r", kRepeat}};
  ReadsOrigin origin;
  const std::string handed = fWriteReads(reads, Kind::kRawCoded, Encoding::kCodes, origin);
  Outcome outcome = fRun(fTestGenomeSborka, handed);
  const std::vector<std::pair<std::string, std::string>> counts = outcome.counts;
  std::string problem;
  ASSERT_EQ(fWriteAssemblyTestStandard(fStandardRun(origin, outcome), outcome, problem), 0) << problem;

  std::string table = "key\tvalue\ngenome\tchrT\n";
  std::string noncorrect;
  for (const auto& count : counts) {
    table += count.first + "\t" + count.second + "\n";
    if (count.first == "noncorrect_assembly_reads") noncorrect = count.second;
  }
  EXPECT_EQ(folder_.read("g.assembly-test.tsv"), table);
  std::vector<std::string> rows = fLinesOf(folder_.read("r.assembly-test.noncorrect.tsv"));
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0], "read_name\tposition_1based");
  EXPECT_EQ(std::to_string(rows.size() - 1), noncorrect);
  EXPECT_NE(std::find(rows.begin(), rows.end(), "read2\t30"), rows.end());
  // Every row names a read that lies at its position.
  for (size_t i = 1; i < rows.size(); ++i) {
    const size_t tab = rows[i].find('\t');
    const size_t line = std::stoul(rows[i].substr(4, tab - 4));
    const std::string& letters = reads[line - 1].letters;
    EXPECT_EQ(fAt(kGenome, std::stoll(rows[i].substr(tab + 1)), letters.size()), letters) << rows[i];
  }
}

// The weights of the native tables: "position TAB weight" lines, in hundredths.
std::map<int64_t, int64_t> fNativeWeights(const RunFolder& folder, const char* part) {
  std::map<int64_t, int64_t> weights;
  for (const std::string& line : fLinesOf(folder.read(std::string("r[20-40]g_") + part + "1.txt"))) {
    const size_t tab = line.find('\t');
    const int64_t hundredths = std::llround(std::stod(line.substr(tab + 1)) * 100);
    if (hundredths != 0) weights[std::stoll(line.substr(0, tab))] = hundredths;
  }
  return weights;
}

// A bedGraph file spread out to its bases (1-based), in hundredths.
std::map<int64_t, int64_t> fBedGraphWeights(const std::string& text) {
  std::map<int64_t, int64_t> weights;
  for (const std::string& line : fLinesOf(text)) {
    std::istringstream fields(line);
    std::string chrom;
    int64_t start = 0, end = 0;
    double value = 0;
    fields >> chrom >> start >> end >> value;
    for (int64_t p = start + 1; p <= end; ++p) weights[p] += std::llround(value * 100);
  }
  return weights;
}

TEST_F(MappingStandard, CoverageShowsTheWeightedStartsOfTheNativeTablesAndTheDepthOnTheCircle) {
  fScope(20, 40);
  // The repeat also lies reversed at 20: three places, a third each.
  std::string genome = kGenome;
  fPlace(genome, 20, fReverseComplement(kRepeat));
  folder_.write("g.bin", fCodes(genome));
  const std::vector<Read> reads = {{"r3", kRepeat},
                                   {"origin", fAt(genome, 185, 30)},
                                   {"lower", fReverseComplement(fAt(genome, 60, 25))},
                                   {"twice1", fAt(genome, 120, 20)},
                                   {"twice2", fAt(genome, 120, 20)},
                                   {"short", fAt(genome, 70, 10)}};
  struct File {
    const char* name;
    const char* text;
  } const files[] = {
      {"r.coverage.plus.bedGraph",
       "chrT\t99\t100\t0.33\nchrT\t119\t120\t2.00\nchrT\t149\t150\t0.33\nchrT\t184\t185\t1.00\n"},
      {"r.coverage.minus.bedGraph", "chrT\t19\t20\t0.33\nchrT\t59\t60\t1.00\n"},
      {"r.depth.plus.bedGraph",
       "chrT\t0\t14\t1.00\nchrT\t99\t119\t0.33\nchrT\t119\t139\t2.00\nchrT\t149\t169\t0.33\nchrT\t184\t200\t1.00\n"},
      {"r.depth.minus.bedGraph", "chrT\t19\t39\t0.33\nchrT\t59\t84\t1.00\n"},
  };
  for (bool depth : {false, true}) {
    for (const File& file : files) std::remove(folder_.path(file.name).c_str());
    ReadsOrigin origin;
    const std::string handed = fWriteReads(reads, Kind::kRawCoded, Encoding::kCodes, origin);
    CoverageCapture capture(depth);
    Outcome outcome = fRun(fMatchReadsT_VarSzO, handed);
    std::string problem;
    ASSERT_EQ(fWriteCoverageStandard(fStandardRun(origin, outcome), capture, outcome, problem), 0) << problem;
    for (const File& file : files) {
      const bool written = depth || std::string(file.name).find("depth") == std::string::npos;
      EXPECT_EQ(folder_.read(file.name), written ? file.text : "<missing " + std::string(file.name) + ">")
          << file.name;
    }
    EXPECT_EQ(fBedGraphWeights(folder_.read("r.coverage.plus.bedGraph")), fNativeWeights(folder_, "Up"));
    EXPECT_EQ(fBedGraphWeights(folder_.read("r.coverage.minus.bedGraph")), fNativeWeights(folder_, "Lw"));
  }
}

// Reads of random places, lengths and strands on a larger genome, each with
// one place on the two strands together; some cross the origin.
struct Sample {
  std::string genome;
  std::vector<Read> reads;
  std::vector<Read> manyPlaced;  // reads of the repeats, to give weights below one
};

Sample fSample() {
  Sample sample;
  sample.genome = fRandomLetters(3000, 811);
  const std::string repeat = fRandomLetters(45, 812);
  for (int32_t at : {400, 1700}) fPlace(sample.genome, at, repeat);
  fPlace(sample.genome, 2500, fReverseComplement(repeat));
  std::mt19937 random(813);
  while (sample.reads.size() < 300) {
    // A sixth of the reads start in the last 40 bases: most of those cross the origin.
    const int64_t first = random() % 6 == 0 ? 2961 + random() % 40 : 1 + random() % 3000;
    const size_t length = 20 + random() % 21;
    std::string letters = fAt(sample.genome, first, length);
    if (random() & 1) letters = fReverseComplement(letters);
    const int places = fPlaces(sample.genome, letters, true) + fPlaces(sample.genome, letters, false);
    Read read{"s" + std::to_string(sample.reads.size()), letters};
    (places == 1 ? sample.reads : sample.manyPlaced).push_back(read);
  }
  return sample;
}

TEST_F(MappingStandard, CoverageSumsEqualTheNativeTablesWhateverTheWeights) {
  fScope(20, 40);
  const Sample sample = fSample();
  ASSERT_FALSE(sample.manyPlaced.empty());
  folder_.write("g.bin", fCodes(sample.genome));
  std::vector<Read> reads = sample.reads;
  reads.insert(reads.end(), sample.manyPlaced.begin(), sample.manyPlaced.end());
  ReadsOrigin origin;
  const std::string handed = fWriteReads(reads, Kind::kRawCoded, Encoding::kCodes, origin);
  CoverageCapture capture(false);
  Outcome outcome = fRun(fMatchReadsT_VarSzO, handed);
  StandardRun run = fStandardRun(origin, outcome);
  run.chromosome.length = 3000;
  std::string problem;
  ASSERT_EQ(fWriteCoverageStandard(run, capture, outcome, problem), 0) << problem;
  for (const char* strand : {"plus", "minus"}) {
    const std::map<int64_t, int64_t> standard =
        fBedGraphWeights(folder_.read(std::string("r.coverage.") + strand + ".bedGraph"));
    const std::map<int64_t, int64_t> native = fNativeWeights(folder_, strand[0] == 'p' ? "Up" : "Lw");
    EXPECT_EQ(standard, native) << strand;
    int64_t standardSum = 0, nativeSum = 0;
    for (const auto& weight : standard) standardSum += weight.second;
    for (const auto& weight : native) nativeSum += weight.second;
    EXPECT_EQ(standardSum, nativeSum) << strand;
    EXPECT_NE(nativeSum % 100, 0) << strand << ": the sample gives no weight below one";
  }
}

// The sequence and start of every line.
std::vector<std::string> fStarts(const std::string& text) {
  std::vector<std::string> starts;
  for (const std::string& line : fLinesOf(text)) starts.push_back(line.substr(0, line.find('\t', line.find('\t') + 1)));
  return starts;
}

// "start end value" lines with touching equal values merged.
std::vector<std::string> fMerged(const std::string& text) {
  std::vector<std::string> merged;
  int64_t lastEnd = -1;
  double lastValue = 0;
  for (const std::string& line : fLinesOf(text)) {
    std::istringstream fields(line);
    std::string chrom;
    int64_t start = 0, end = 0;
    double value = 0;
    fields >> chrom >> start >> end >> value;
    if (!merged.empty() && start == lastEnd && value == lastValue) {
      merged.back() = merged.back().substr(0, merged.back().find(' ')) + " " + std::to_string(end) + " " +
                      std::to_string(value);
    } else {
      merged.push_back(std::to_string(start) + " " + std::to_string(end) + " " + std::to_string(value));
    }
    lastEnd = end;
    lastValue = value;
  }
  return merged;
}

TEST_F(MappingStandard, BedtoolsTakesEveryFileAndItsGenomeCoverageOfOnceIsTheUpperDepth) {
  SKIP_WITHOUT_BEDTOOLS();
  fScope(20, 40);
  const Sample sample = fSample();
  folder_.write("g.bin", fCodes(sample.genome));
  ReadsOrigin origin;
  const std::string handed = fWriteReads(sample.reads, Kind::kRawCoded, Encoding::kCodes, origin);
  std::string problem;
  {
    CoverageCapture capture(true);
    Outcome outcome = fRun(fMatchReadsT_VarSzO, handed);
    StandardRun run = fStandardRun(origin, outcome);
    run.chromosome.length = 3000;
    ASSERT_EQ(fWriteCoverageStandard(run, capture, outcome, problem), 0) << problem;
  }
  Outcome outcome = fRun(fMapReadsOneInSeq, handed);
  StandardRun run = fStandardRun(origin, outcome);
  run.chromosome.length = 3000;
  ASSERT_EQ(fWriteOnceStandard(run, outcome, problem), 0) << problem;
  for (const char* name : {"r.clusters.bed", "r.coverage.plus.bedGraph", "r.coverage.minus.bedGraph",
                           "r.depth.plus.bedGraph", "r.depth.minus.bedGraph"})
    fCheckWithBedtools(folder_, name, "g.genome");
  // Reads share starts, and bedtools sort orders by start alone, putting lines
  // of one start in no set order: its order of sequence and start must be ours.
  const std::string once = folder_.path("r.once.bed");
  ASSERT_EQ(std::system(("bedtools sort -i '" + once + "' > '" + folder_.path("sorted.bed") + "'").c_str()), 0);
  EXPECT_EQ(fStarts(folder_.read("sorted.bed")), fStarts(folder_.read("r.once.bed")));
  EXPECT_EQ(std::system(("bedtools merge -i '" + once + "' > /dev/null").c_str()), 0);

  const std::string command =
      "bedtools genomecov -bg -i '" + folder_.path("r.once.bed") + "' -g '" + folder_.path("g.genome") + "' > '" +
      folder_.path("genomecov.bedGraph") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::vector<std::string> genomecov = fMerged(folder_.read("genomecov.bedGraph"));
  EXPECT_GT(genomecov.size(), 20u);
  EXPECT_EQ(genomecov, fMerged(folder_.read("r.depth.plus.bedGraph")));
}

TEST_F(MappingStandard, MissingNotesOrReadsAreReportedWithTheirExitCode) {
  fScope(20, 60);
  const std::vector<Read> reads = {{"a", fRandomLetters(30, 806)}};
  ReadsOrigin origin;
  const std::string handed = fWriteReads(reads, Kind::kRawCoded, Encoding::kCodes, origin);
  EXPECT_TRUE(ReadNotes.fOpen(folder_.path("notes.bin")));
  Outcome outcome = fReadsOutOfSeq(folder_.dir() + "/", handed, folder_.path("g.bin"));
  EXPECT_TRUE(ReadNotes.fClose());
  struct Case {
    const char* what;
    std::string notes, notesContent, reads;
    int code;
    const char* problem;
  } const cases[] = {
      {"no notes: nothing absent", "", "", "r.bin", 0, ""},
      {"notes cut short", "cut.bin", "\1\0", "r.bin", 3, "notes"},
      {"notes missing", "missing.bin", "", "r.bin", 3, "notes"},
      {"reads gone", "notes.bin", "", "gone.bin", 2, "open"},
      {"fewer reads than noted", "many.bin", std::string("\7\0\0\0", 4), "r.bin", 2, "fewer reads"},
  };
  for (const Case& c : cases) {
    StandardRun run = fStandardRun(origin, outcome);
    run.reads.path = folder_.path(c.reads);
    run.notesPath = c.notes.empty() ? "" : folder_.path(c.notes);
    if (!c.notesContent.empty()) folder_.write(c.notes, c.notesContent);
    Outcome written;
    std::string problem;
    EXPECT_EQ(fWriteAbsentStandard(run, written, problem), c.code) << c.what;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
  }
  // Without the procedure's tables there is nothing to show.
  CoverageCapture idle(false);
  std::string problem;
  EXPECT_EQ(fWriteCoverageStandard(fStandardRun(origin, outcome), idle, outcome, problem), 3);
}

}  // namespace
