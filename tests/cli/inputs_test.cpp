// The genome and reads of the command line: the format told from the content,
// conversion with the policies of vantrels-prep, raw files handed over as they
// stand, standard input and pipes read once.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cli/inputs.h"
#include "prep/prep_support.h"
#include "support/run_folder.h"

namespace {

std::string fFastq(const std::vector<std::string>& reads) {
  std::string text;
  for (size_t i = 0; i < reads.size(); ++i)
    text += "@r" + std::to_string(i + 1) + "\n" + reads[i] + "\n+\n" + std::string(reads[i].size(), 'I') + "\n";
  return text;
}

std::string fFileBytes(const std::string& path) {
  std::string bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "<missing " + path + ">";
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

std::vector<std::string> fFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code failure;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, failure))
    if (!entry.is_directory()) names.push_back(std::filesystem::relative(entry.path(), folder).string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string fCountsText(const PreparedInput& input) {
  std::string text;
  for (const auto& [key, value] : input.counts) text += key + "=" + value + " ";
  return text;
}

std::string fReplaced(std::string text, const std::string& mark, const std::string& by) {
  for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
    text.replace(at, mark.size(), by);
  return text;
}

// A test folder with the inputs in it and the run's private folder "work".
struct Bench {
  RunFolder folder;
  std::string work = folder.path("work");
  Bench() { std::filesystem::create_directory(work); }
  std::string input(const std::string& name, const std::string& bytes, const std::string& form = "plain") const {
    fWriteCompressed(folder.path(name), bytes, form);
    return folder.path(name);
  }
};

struct Result {
  int code = -1;
  PreparedInput input;
  std::string problem;
};

Result fReads(const Bench& bench, const std::string& path, Encoding want) {
  Result result;
  result.code = fPrepareReads(path, want, bench.work, result.input, result.problem);
  return result;
}

Result fGenome(const Bench& bench, const std::string& path, const std::string& record, Encoding want) {
  Result result;
  result.code = fPrepareGenome(path, record, want, bench.work, result.input, result.problem);
  return result;
}

TEST(InputRecognition, TheRuleLooksAtTheFirstByteThenAtEveryByte) {
  struct Case {
    std::string head;
    InputKind kind;
  } cases[] = {
      {">chr1\nACGT\n", InputKind::kFasta},
      {"@r1\nACGT\n+\nIIII\n", InputKind::kFastq},
      {std::string("\0\1\2\3\n\3\2", 7), InputKind::kRawCoded},
      {"\n\n", InputKind::kRawCoded},
      {"", InputKind::kRawCoded},
      {"ACGT\n", InputKind::kRawLetters},
      {std::string("\0\1\4", 3), InputKind::kRawLetters},
      {"ACGT\n>chr\n", InputKind::kRawLetters},
      {"\n>chr\nACGT\n", InputKind::kRawLetters},
  };
  for (const Case& c : cases) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(c.head.data());
    EXPECT_EQ(fRecogniseContent(bytes, c.head.size()), c.kind) << c.head;
  }
}

TEST(InputRecognition, TheFormatComesFromTheContentNeverFromTheName) {
  const std::string fastq = fFastq({"ACGT", "GGCC"});
  const std::string codes = fCodes("ACGT") + "\n" + fCodes("TTGA") + "\n";
  std::string gzipTwice;
  {
    Bench inner;
    fWriteCompressed(inner.folder.path("once.gz"), fastq, "gzip");
    gzipTwice = inner.folder.read("once.gz");
  }
  std::string cutShort;
  {
    Bench inner;
    fWriteCompressed(inner.folder.path("whole.gz"), fastq, "gzip");
    cutShort = inner.folder.read("whole.gz").substr(0, 20);
  }
  struct Case {
    const char* what;
    std::string name, bytes, form;
    int code;
    InputKind kind;
    bool compressed, empty;
    std::string why;
  } cases[] = {
      {"FASTA named .txt", "g.txt", ">chr\nACGT\n", "plain", 0, InputKind::kFasta, false, false, ""},
      {"gzip FASTQ named .fa", "r.fa", fastq, "gzip", 0, InputKind::kFastq, true, false, ""},
      {"BGZF FASTA", "g", ">chr\nACGT\n", "bgzf", 0, InputKind::kFasta, true, false, ""},
      {"letters named .bin", "r.bin", "ACGT\nacgt\n", "plain", 0, InputKind::kRawLetters, false, false, ""},
      {"gzip letters named .fq.gz", "r.fq.gz", "ACGT\n", "gzip", 0, InputKind::kRawLetters, true, false, ""},
      {"codes named .txt", "r.txt", codes, "plain", 0, InputKind::kRawCoded, false, false, ""},
      {"BGZF codes", "r.bin.gz", codes, "bgzf", 0, InputKind::kRawCoded, true, false, ""},
      {"empty", "r.fq", "", "plain", 0, InputKind::kRawCoded, false, true, ""},
      {"gzip of nothing", "r.fq.gz", "", "gzip", 0, InputKind::kRawCoded, true, true, ""},
      {"gzip of gzip", "r.gz", gzipTwice, "gzip", 2, InputKind::kRawLetters, true, false,
       "is compressed twice; decompress it once and give that file"},
      {"gzip cut short", "r.gz", cutShort, "plain", 2, InputKind::kRawLetters, true, false,
       "it is damaged or cut short: its compressed data breaks off before the end"},
  };
  for (const Case& c : cases) {
    Bench bench;
    std::string path = bench.input(c.name, c.bytes, c.form);
    Recognition found;
    std::string why;
    EXPECT_EQ(fRecogniseInput(path, found, why), c.code) << c.what;
    EXPECT_EQ(why, c.why) << c.what;
    if (c.code != 0) continue;
    EXPECT_EQ(found.kind, c.kind) << c.what;
    EXPECT_EQ(found.compressed, c.compressed) << c.what;
    EXPECT_EQ(found.empty, c.empty) << c.what;
  }
  Bench bench;
  Recognition found;
  std::string why;
  EXPECT_EQ(fRecogniseInput(bench.folder.path("missing.fq"), found, why), 2);
  EXPECT_EQ(why, "not found");
  EXPECT_EQ(fRecogniseInput(bench.work, found, why), 2);
  EXPECT_EQ(why, "is a directory, not a file");
}

TEST(InputStem, ResultNamesTakeTheStemOfTheNameTheUserGave) {
  struct Case {
    const char* path;
    const char* stem;
  } cases[] = {
      {"reads.fq.gz", "reads"},       {"dir/ecoli.fa", "ecoli"},     {"reads.txt", "reads"},
      {"reads", "reads"},             {"run.v2/reads", "reads"},     {"x/reads.FASTQ.GZ", "reads"},
      {"lambda.fa.bgz", "lambda"},    {"C:\\data\\g.txt", "g"},     {"my.reads.fq", "my.reads"},
      {".hidden", ".hidden"},         {"-", "stdin"},                {"dir/reads.gz", "reads"},
  };
  for (const Case& c : cases) EXPECT_EQ(fInputStem(c.path), c.stem) << c.path;
}

// The same reads through vantrels-prep and through the command line's inputs.
TEST(PreparedReads, FastaAndFastqAreConvertedExactlyAsPrepConvertsThem) {
  const std::vector<std::string> reads = {"ACGTacgt", "ACGNT", "", std::string(5120, 'C'), "ggcc", "TTTT"};
  struct Case {
    const char* what;
    std::string bytes, form;
    Encoding want;
    std::string counts;
  } cases[] = {
      {"FASTQ as codes", fFastq(reads), "plain", Encoding::kCodes,
       "reads_records_in_file=6 reads_written=3 reads_left_out_empty=1 reads_left_out_over_5119_letters=1 "
       "reads_left_out_not_acgt=1 reads_with_lower_case_letters=2 "},
      {"gzip FASTQ as letters", fFastq(reads), "gzip", Encoding::kLetters,
       "reads_records_in_file=6 reads_written=4 reads_left_out_empty=1 reads_left_out_over_5119_letters=1 "
       "reads_with_lower_case_letters=2 "},
      {"BGZF FASTA as codes", ">a\nACGT\nTG\n>b\nnnAC\n>c\nGATTACA\n", "bgzf", Encoding::kCodes,
       "reads_records_in_file=3 reads_written=2 reads_left_out_empty=0 reads_left_out_over_5119_letters=0 "
       "reads_left_out_not_acgt=1 reads_with_lower_case_letters=0 "},
  };
  for (const Case& c : cases) {
    Bench bench;
    std::string in = bench.input("sample.fq.gz", c.bytes, c.form);
    std::vector<std::string> prepArgs = {"reads", in, bench.folder.path("prep.out")};
    if (c.want == Encoding::kCodes) prepArgs.push_back("--coded");
    ASSERT_EQ(fPrep(prepArgs).exitCode, 0) << c.what;
    Result result = fReads(bench, in, c.want);
    ASSERT_EQ(result.code, 0) << c.what << result.problem;
    const std::string ending = c.want == Encoding::kCodes ? ".bin" : ".txt";
    EXPECT_EQ(result.input.path, bench.work + "/sample" + ending) << c.what;
    EXPECT_EQ(fFileBytes(result.input.path), bench.folder.read("prep.out")) << c.what;
    EXPECT_EQ(fCountsText(result.input), c.counts) << c.what;
    EXPECT_EQ(result.input.stem, "sample") << c.what;
    EXPECT_EQ(result.input.shownPath, in) << c.what;
    EXPECT_EQ(result.input.hadQualities, c.bytes[0] == '@') << c.what;
    EXPECT_EQ(fFilesIn(bench.work), std::vector<std::string>({"sample" + ending})) << c.what;
  }
}

TEST(PreparedReads, RawReadsAreHandedOverInTheirEncodingOrConverted) {
  const std::string lettersRead = "ACGT\nacgN\n\nggcc\nTT\r\n";
  const std::string codesRead = fCodes("ACGT") + "\n" + fCodes("GG");
  struct Case {
    const char* what;
    std::string name, bytes, form;
    Encoding want;
    bool asItStands;
    std::string content;  // of the file handed over
    std::string counts;
  } cases[] = {
      {"letters for letters", "r.txt", lettersRead, "plain", Encoding::kLetters, true, lettersRead, ""},
      {"codes for codes", "r.bin", codesRead, "plain", Encoding::kCodes, true, codesRead, ""},
      {"empty for codes", "r.txt", "", "plain", Encoding::kCodes, true, "", ""},
      {"letters for codes", "r.txt", lettersRead, "plain", Encoding::kCodes, false,
       fCodes("ACGT") + "\n" + fCodes("GGCC") + "\n" + fCodes("TT") + "\n",
       "reads_records_in_file=5 reads_written=3 reads_left_out_empty=1 reads_left_out_over_5119_letters=0 "
       "reads_left_out_not_acgt=1 reads_with_lower_case_letters=1 "},
      {"codes for letters", "r.bin", codesRead, "plain", Encoding::kLetters, false, "ACGT\nGG",
       "reads_records_in_file=2 reads_written=2 "},
      {"gzip letters for letters", "r.txt.gz", lettersRead, "gzip", Encoding::kLetters, false, lettersRead,
       "reads_records_in_file=5 reads_written=5 "},
      {"gzip of nothing", "r.gz", "", "gzip", Encoding::kLetters, false, "", "reads_records_in_file=0 reads_written=0 "},
  };
  for (const Case& c : cases) {
    Bench bench;
    std::string in = bench.input(c.name, c.bytes, c.form);
    Result result = fReads(bench, in, c.want);
    ASSERT_EQ(result.code, 0) << c.what << result.problem;
    const std::string converted = bench.work + "/r" + (c.want == Encoding::kCodes ? ".bin" : ".txt");
    EXPECT_EQ(result.input.path, c.asItStands ? in : converted) << c.what;
    EXPECT_EQ(fFileBytes(result.input.path), c.content) << c.what;
    EXPECT_EQ(fCountsText(result.input), c.counts) << c.what;
    EXPECT_EQ(result.input.length, c.asItStands ? -1 : static_cast<int64_t>(std::count(
                                                           c.content.begin(), c.content.end(), '\n') +
                                                       (c.content.empty() || c.content.back() == '\n' ? 0 : 1)))
        << c.what;
    const std::vector<std::string> made = {std::filesystem::path(converted).filename().string()};
    EXPECT_EQ(fFilesIn(bench.work), c.asItStands ? std::vector<std::string>() : made) << c.what;
  }
}

TEST(PreparedReads, ALongLineOverChunkBordersIsLeftOutAndTheNextReadKept) {
  Bench bench;
  // Two million letters on one line run over the reading chunks; the read after it counts.
  std::string in = bench.input("long.txt", std::string(2000000, 'A') + "\nacgt\n" + std::string(3000, 'G'));
  Result result = fReads(bench, in, Encoding::kCodes);
  ASSERT_EQ(result.code, 0) << result.problem;
  EXPECT_EQ(fFileBytes(result.input.path), fCodes("ACGT") + "\n" + fCodes(std::string(3000, 'G')) + "\n");
  EXPECT_EQ(fCountsText(result.input),
            "reads_records_in_file=3 reads_written=2 reads_left_out_empty=0 reads_left_out_over_5119_letters=1 "
            "reads_left_out_not_acgt=0 reads_with_lower_case_letters=1 ");
}

TEST(PreparedReads, ReadsThatStraddleReadingChunksAreConvertedWhole) {
  Bench bench;
  // 1.5 MB of 49-letter reads, each different: several of them cross a chunk border.
  std::string letters, codes;
  for (int i = 0; i < 30000; ++i) {
    std::string read;
    for (unsigned base = 0, n = static_cast<unsigned>(i); base < 49; ++base, n = n * 7 + 3) read.push_back("ACGT"[(n >> 3) & 3]);
    letters += read + "\n";
    codes += fCodes(read) + "\n";
  }
  Result result = fReads(bench, bench.input("many.txt", letters), Encoding::kCodes);
  ASSERT_EQ(result.code, 0) << result.problem;
  EXPECT_TRUE(fFileBytes(result.input.path) == codes);
  EXPECT_EQ(result.input.length, 30000);
}

TEST(PreparedReads, ARawFileWhoseNameGivesAnotherStemIsLinkedUnderTheUsersStem) {
  Bench bench;
  std::filesystem::create_directory(bench.folder.path("run.v2"));
  std::string in = bench.input("run.v2/reads", "ACGT\n");
  Result result = fReads(bench, in, Encoding::kLetters);
  ASSERT_EQ(result.code, 0) << result.problem;
  EXPECT_EQ(result.input.stem, "reads");
  EXPECT_EQ(result.input.path, bench.work + "/reads.txt");
  EXPECT_EQ(fFileBytes(result.input.path), "ACGT\n");
}

TEST(PreparedReads, ProblemsNameTheOptionAndTheFileAndLeaveNothingBehind) {
  struct Case {
    const char* what;
    std::string bytes, form;
    int code;
    std::string problem;  // {IN} stands for the path
  } cases[] = {
      {"a FASTQ quality line cut short", "@r1\nACGT\n+\nII\n", "plain", 2,
       "--reads {IN}: record r1: the quality line is missing or differs in length from the letters"},
      {"a code byte file with a letter past its start", std::string(70000, '\1') + "\nN\n", "plain", 2,
       "--reads {IN}: byte 78 at offset 70001 (counting from 0) is neither a base code 0..3 nor a line feed, "
       "though the file starts as code bytes; check the file"},
  };
  for (const Case& c : cases) {
    Bench bench;
    std::string in = bench.input("r.fq", c.bytes, c.form);
    Result result = fReads(bench, in, Encoding::kLetters);
    EXPECT_EQ(result.code, c.code) << c.what;
    EXPECT_EQ(result.problem, fReplaced(c.problem, "{IN}", in)) << c.what;
    EXPECT_EQ(fFilesIn(bench.work), std::vector<std::string>()) << c.what;
  }
  Bench bench;
  Result missing = fReads(bench, bench.folder.path("none.fq"), Encoding::kCodes);
  EXPECT_EQ(missing.code, 2);
  EXPECT_EQ(missing.problem, "--reads " + bench.folder.path("none.fq") + ": not found");
  Result directory = fReads(bench, bench.work, Encoding::kCodes);
  EXPECT_EQ(directory.code, 2);
  EXPECT_EQ(directory.problem, "--reads " + bench.work + ": is a directory, not a file");
  // A private folder that can't be written: the converted copy can't be made.
  std::string in = bench.input("r.fq", fFastq({"ACGT"}));
  PreparedInput input;
  std::string problem;
  const std::string nowhere = bench.folder.path("gone/work");
  EXPECT_EQ(fPrepareReads(in, Encoding::kCodes, nowhere, input, problem), 3);
  EXPECT_EQ(problem, "--reads " + in + ": cannot create " + nowhere + "/r.bin: No such file or directory");
}

TEST(PreparedGenome, AFastaRecordIsConvertedExactlyAsPrepConvertsIt) {
  const std::string fasta = ">lambda phage\nACGTacgt\nGG TT\r\nAAC\n";
  for (Encoding want : {Encoding::kLetters, Encoding::kCodes}) {
    for (const char* form : {"plain", "gzip", "bgzf"}) {
      Bench bench;
      std::string in = bench.input("lambda.fa.gz", fasta, form);
      std::vector<std::string> prepArgs = {"genome", in, bench.folder.path("prep.out")};
      if (want == Encoding::kCodes) prepArgs.push_back("--coded");
      ASSERT_EQ(fPrep(prepArgs).exitCode, 0);
      Result result = fGenome(bench, in, "", want);
      ASSERT_EQ(result.code, 0) << form << result.problem;
      EXPECT_EQ(result.input.path, bench.work + "/genome/lambda" + (want == Encoding::kCodes ? ".bin" : ".txt"));
      EXPECT_EQ(fFileBytes(result.input.path), bench.folder.read("prep.out")) << form;
      EXPECT_EQ(result.input.recordName, "lambda");
      EXPECT_EQ(result.input.length, 15);
      EXPECT_EQ(result.input.kind, InputKind::kFasta);
      EXPECT_EQ(result.input.compressed, std::string(form) != "plain");
      EXPECT_EQ(fCountsText(result.input),
                "genome_records_in_file=1 genome_bases=15 genome_lower_case_letters=4 "
                "genome_blanks_dropped=1 ");
    }
  }
}

TEST(PreparedGenome, RawGenomesAreHandedOverOrConvertedAndRecordsChosen) {
  const std::string several = ">chr1 first\nAAAA\n>chr2\nCCgg\nTT\n>plasmid\nGGGG\n";
  struct Case {
    const char* what;
    std::string name, bytes, form, record;
    Encoding want;
    int code;
    std::string result;  // content handed over, or the problem ({IN} for the path)
    bool asItStands = false;
  } cases[] = {
      {"letters for letters", "g.txt", "ACGTacgt", "plain", "", Encoding::kLetters, 0, "ACGTacgt", true},
      {"codes for codes", "g.bin", fCodes("ACGT"), "plain", "", Encoding::kCodes, 0, fCodes("ACGT"), true},
      {"letters ended by a line feed", "g.txt", "ACGT\n", "plain", "", Encoding::kLetters, 0, "ACGT", false},
      {"letters for codes", "g.txt", "ACgt", "plain", "", Encoding::kCodes, 0, fCodes("ACGT"), false},
      {"codes for letters", "g.bin", fCodes("GATT") + "\n", "plain", "", Encoding::kLetters, 0, "GATT", false},
      {"gzip letters", "g.txt.gz", "ACGT", "gzip", "", Encoding::kLetters, 0, "ACGT", false},
      {"the chosen record", "g.fa", several, "plain", "chr2", Encoding::kLetters, 0, "CCGGTT", false},
      {"a record without a name is called after its file", "g.fa", ">\nAC\n", "plain", "", Encoding::kLetters, 0,
       "AC", false},
      {"several records", "g.fa", several, "gzip", "", Encoding::kLetters, 1,
       "--genome {IN}: holds 3 records (chr1, chr2, plasmid); vantrels holds one genome: choose one with --record NAME"},
      {"a record that is not there", "g.fa", several, "plain", "chr3", Encoding::kLetters, 1,
       "--genome {IN}: holds no record named chr3 (--record); its records are: chr1, chr2, plasmid"},
      {"a record named twice", "g.fa", ">c\nAC\n>c\nGG\n", "plain", "c", Encoding::kLetters, 2,
       "--genome {IN}: holds more than one record named c; give a genome in which the name is unique"},
      {"a record asked of a raw genome", "g.txt", "ACGT", "plain", "chr1", Encoding::kLetters, 1,
       "--genome {IN}: is a raw genome without FASTA records; leave out --record"},
      {"N in a FASTA genome", "g.fa", ">chr\nACNNGT\n", "plain", "", Encoding::kCodes, 2,
       "--genome {IN}: record chr has 2 letters other than A, C, G, T, the first at 3, 4 (counting from 1); write the "
       "genome without them with vantrels prep genome --non-acgt skip (or A, C, G, T) and give that file"},
      {"N in a raw genome", "g.txt", "ACN\nGT", "plain", "", Encoding::kLetters, 2,
       "--genome {IN}: the genome has 1 letters other than A, C, G, T, the first at 3 (counting from 1); remove or "
       "replace them"},
      {"a letter past the start of a code byte genome", "g.bin", std::string(70000, '\2') + "x", "plain", "",
       Encoding::kCodes, 2,
       "--genome {IN}: byte 120 at offset 70000 (counting from 0) is neither a base code 0..3 nor a line feed, though "
       "the file starts as code bytes; check the file"},
      {"an empty file", "g.txt", "", "plain", "", Encoding::kLetters, 2,
       "--genome {IN}: is empty; give a genome of at least one base"},
      {"gzip of nothing", "g.gz", "", "gzip", "", Encoding::kCodes, 2,
       "--genome {IN}: is empty; give a genome of at least one base"},
      {"a FASTA record without letters", "g.fa", ">chr\n", "plain", "", Encoding::kLetters, 2,
       "--genome {IN}: record chr holds no letters"},
  };
  for (const Case& c : cases) {
    Bench bench;
    std::string in = bench.input(c.name, c.bytes, c.form);
    Result result = fGenome(bench, in, c.record, c.want);
    EXPECT_EQ(result.code, c.code) << c.what << result.problem;
    if (c.code != 0) {
      EXPECT_EQ(result.problem, fReplaced(c.result, "{IN}", in)) << c.what;
      EXPECT_EQ(fFilesIn(bench.work), std::vector<std::string>()) << c.what;
      continue;
    }
    const std::string converted = bench.work + "/genome/g" + (c.want == Encoding::kCodes ? ".bin" : ".txt");
    EXPECT_EQ(result.input.path, c.asItStands ? in : converted) << c.what;
    EXPECT_EQ(fFileBytes(result.input.path), c.result) << c.what;
    EXPECT_EQ(result.input.recordName, c.record.empty() ? "g" : c.record) << c.what;
    EXPECT_EQ(result.input.length, static_cast<int64_t>(c.result.size())) << c.what;
  }
  Bench bench;
  Result raw = fGenome(bench, bench.input("g.txt", "ac gT\nAC\n"), "", Encoding::kCodes);
  ASSERT_EQ(raw.code, 0) << raw.problem;
  EXPECT_EQ(fCountsText(raw.input),
            "genome_bases=6 genome_lower_case_letters=3 genome_blanks_dropped=1 genome_line_feeds_dropped=2 ");
  Result missing = fGenome(bench, bench.folder.path("ecoli.fa"), "", Encoding::kCodes);
  EXPECT_EQ(missing.code, 2);
  EXPECT_EQ(missing.problem, "--genome " + bench.folder.path("ecoli.fa") + ": not found");
}

// Standard input is read once, into the private folder, and named "stdin".
TEST(PreparedInputs, StandardInputIsCopiedIntoThePrivateFolder) {
  struct Case {
    const char* what;
    std::string bytes, form;
    Encoding want;
    std::string content;
  } cases[] = {
      {"gzip FASTQ", fFastq({"ACGT", "gGTT"}), "gzip", Encoding::kCodes, fCodes("ACGT") + "\n" + fCodes("GGTT") + "\n"},
      {"raw letters", "ACGT\nTT\n", "plain", Encoding::kLetters, "ACGT\nTT\n"},
      {"nothing", "", "plain", Encoding::kLetters, ""},
  };
  for (const Case& c : cases) {
    Bench bench;
    std::string in = bench.input("piped", c.bytes, c.form);
    ASSERT_NE(std::freopen(in.c_str(), "rb", stdin), nullptr);
    Result result = fReads(bench, "-", c.want);
    ASSERT_NE(std::freopen("/dev/null", "rb", stdin), nullptr);
    ASSERT_EQ(result.code, 0) << c.what << result.problem;
    const std::string name = std::string("stdin") + (c.want == Encoding::kCodes ? ".bin" : ".txt");
    EXPECT_EQ(result.input.path, bench.work + "/" + name) << c.what;
    EXPECT_EQ(result.input.shownPath, "-") << c.what;
    EXPECT_EQ(result.input.stem, "stdin") << c.what;
    EXPECT_EQ(fFileBytes(result.input.path), c.content) << c.what;
    EXPECT_EQ(fFilesIn(bench.work), std::vector<std::string>({name})) << c.what;
  }
  Bench bench;
  std::string in = bench.input("genome.fa", ">g\nACGTT\n");
  ASSERT_NE(std::freopen(in.c_str(), "rb", stdin), nullptr);
  Result genome = fGenome(bench, "-", "", Encoding::kLetters);
  ASSERT_NE(std::freopen("/dev/null", "rb", stdin), nullptr);
  ASSERT_EQ(genome.code, 0) << genome.problem;
  EXPECT_EQ(fFileBytes(genome.input.path), "ACGTT");
  EXPECT_EQ(fFilesIn(bench.work), std::vector<std::string>({"genome/stdin.txt"}));
}

// A pipe named on the command line (a shell's <(zcat reads.fq.gz)) can be read
// only once: telling its format must not eat its first reads.
TEST(PreparedInputs, APipeIsReadOnceAndWhole) {
  Bench bench;
  const std::string pipe = bench.folder.path("reads.fifo");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::string fastq;
  for (int i = 0; i < 20000; ++i) fastq += "@r\nACGTTGCA\n+\nIIIIIIII\n";
  std::thread writer([&]() {
    FILE* file = std::fopen(pipe.c_str(), "wb");
    if (file == nullptr) return;
    std::fwrite(fastq.data(), 1, fastq.size(), file);
    std::fclose(file);
  });
  Result result = fReads(bench, pipe, Encoding::kLetters);
  writer.join();
  ASSERT_EQ(result.code, 0) << result.problem;
  EXPECT_EQ(result.input.kind, InputKind::kFastq);
  EXPECT_EQ(result.input.length, 20000);
  EXPECT_EQ(fFilesIn(bench.work), std::vector<std::string>({"reads.txt"}));
}

}  // namespace
