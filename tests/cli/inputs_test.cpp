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

namespace fs = std::filesystem;

std::string fFastq(const std::vector<std::string>& reads) {
  std::string text;
  for (size_t i = 0; i < reads.size(); ++i)
    text += "@r" + std::to_string(i + 1) + "\n" + reads[i] + "\n+\n" + std::string(reads[i].size(), 'I') + "\n";
  return text;
}

std::string fFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code failure;
  for (const auto& entry : fs::recursive_directory_iterator(folder, failure))
    if (!entry.is_directory()) names.push_back(fs::relative(entry.path(), folder).string());
  std::sort(names.begin(), names.end());
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ",") + name;
  return list;
}

// A test folder with the inputs in it and the run's private folder "work".
struct Bench {
  RunFolder folder;
  std::string work = folder.path("work");
  Bench() { fs::create_directory(work); }
  // form "plain", "gzip" or "bgzf"; "none" writes nothing (a missing file, or the folder "work").
  std::string input(const std::string& name, const std::string& bytes, const std::string& form = "plain") const {
    fs::create_directories(fs::path(folder.path(name)).parent_path());
    if (form != "none") fWriteCompressed(folder.path(name), bytes, form);
    return folder.path(name);
  }
};

const char kLikePrep[] = "<as vantrels-prep writes it>";

struct Case {
  const char* what;
  std::string name, bytes, form;
  Encoding want;
  // "FILE n=LENGTH COUNTS": FILE in the private folder, or "=in" for the user's own
  // file; or "exit CODE: PROBLEM". {IN} stands for the input's path.
  std::string expected;
  std::string content = kLikePrep;  // of the file handed over
  std::string record = "";          // a genome's --record
};

// Prepares the case's reads, or its genome, and says what came of it; "-" as the
// name feeds the bytes through standard input.
void fExpectPrepared(const Case& c, bool genome) {
  SCOPED_TRACE(c.what);
  Bench bench;
  const bool piped = c.name == "-";
  const std::string in = piped ? "-" : bench.input(c.name, c.bytes, c.form);
  if (piped) {
    ASSERT_NE(std::freopen(bench.input("piped", c.bytes, c.form).c_str(), "rb", stdin), nullptr);
  }
  PreparedInput input;
  std::string problem;
  int code = genome ? fPrepareGenome(in, c.record, c.want, bench.work, input, problem)
                    : fPrepareReads(in, c.want, bench.work, input, problem);
  if (piped) {
    ASSERT_NE(std::freopen("/dev/null", "rb", stdin), nullptr);
  }
  if (code != 0) {
    EXPECT_EQ("exit " + std::to_string(code) + ": " + problem, fFill(c.expected, in, ""));
    EXPECT_EQ(fFilesIn(bench.work), "") << "a refused input leaves nothing";
    return;
  }
  const bool handedOver = input.path == in;
  std::string got = (handedOver ? "=in" : fs::relative(input.path, bench.work).string()) +
                    " n=" + std::to_string(input.length);
  // The summary's counts, where the case names them.
  const bool withCounts = c.expected.find(' ', c.expected.find(" n=") + 1) != std::string::npos;
  for (const auto& [key, value] : input.counts) got += withCounts ? " " + key + "=" + value : "";
  EXPECT_EQ(got, c.expected);
  EXPECT_EQ(fFilesIn(bench.work), handedOver ? "" : fs::relative(input.path, bench.work).string());
  EXPECT_EQ(input.shownPath, in);
  EXPECT_EQ(input.hadQualities, !c.bytes.empty() && c.bytes[0] == '@');
  if (genome) {
    EXPECT_EQ(input.recordName, c.record.empty() ? input.stem : c.record);
  }
  std::string expected = c.content;
  if (expected == kLikePrep) {
    std::vector<std::string> args = {genome ? "genome" : "reads", in, bench.folder.path("prep.out")};
    if (c.want == Encoding::kCodes) args.push_back("--coded");
    ASSERT_EQ(fPrep(args).exitCode, 0);
    expected = bench.folder.read("prep.out");
  }
  EXPECT_TRUE(bench.folder.read(fs::relative(input.path, bench.folder.dir()).string()) == expected);
}

std::string fGzip(const std::string& bytes) {
  Bench bench;
  return bench.folder.read(fs::path(bench.input("x.gz", bytes, "gzip")).filename().string());
}

TEST(InputRecognition, TheFormatComesFromTheContentNeverFromTheName) {
  const std::string fastq = fFastq({"ACGT", "GGCC"});
  const std::string codes = fCodes("ACGT") + "\n" + fCodes("TTGA") + "\n";
  struct Row {
    std::string name, bytes, form, expected;  // kind, gz, empty; or "exit CODE: WHY"
  } rows[] = {
      {"g.txt", ">chr\nACGT\n", "plain", "fasta"},
      {"r.fa", fastq, "gzip", "fastq gz"},
      {"g", ">chr\nACGT\n", "bgzf", "fasta gz"},
      {"r.bin", "ACGT\nacgt\n", "plain", "letters"},
      {"r.fq.gz", "ACGT\n", "gzip", "letters gz"},
      {"r.txt", codes, "plain", "coded"},
      {"r.bin.gz", codes, "bgzf", "coded gz"},
      {"r", "\n\n", "plain", "coded"},
      {"r", std::string("\0\1\4", 3), "plain", "letters"},
      {"r", "ACGT\n>chr\n", "plain", "letters"},
      {"r", "\n>chr\nACGT\n", "plain", "letters"},
      {"r.fq.gz", "", "gzip", "coded gz empty"},
      {"r.gz", fGzip(fastq), "gzip", "exit 2: is compressed twice; decompress it once and give that file"},
      {"r.gz", fGzip(fastq).substr(0, 20), "plain",
       "exit 2: it is damaged or cut short: its compressed data breaks off before the end"},
      {"work", "", "none", "exit 2: is a directory, not a file"},
  };
  const char* const kinds[] = {"coded", "letters", "fasta", "fastq"};
  for (const Row& row : rows) {
    Bench bench;
    Recognition found;
    std::string why;
    int code = fRecogniseInput(bench.input(row.name, row.bytes, row.form), found, why);
    std::string got = code != 0 ? "exit " + std::to_string(code) + ": " + why
                                : std::string(kinds[static_cast<int>(found.kind)]) + (found.compressed ? " gz" : "") +
                                      (found.empty ? " empty" : "");
    EXPECT_EQ(got, row.expected) << row.name;
  }
}

TEST(InputStem, ResultNamesTakeTheStemOfTheNameTheUserGave) {
  const std::pair<const char*, const char*> cases[] = {
      {"reads.fq.gz", "reads"}, {"dir/ecoli.fa", "ecoli"},     {"reads", "reads"},     {"run.v2/reads", "reads"},
      {"x/reads.FASTQ.GZ", "reads"}, {"lambda.fa.bgz", "lambda"}, {"C:\\data\\g.txt", "g"}, {"my.reads.fq", "my.reads"},
      {".hidden", ".hidden"},   {"-", "stdin"},
  };
  for (const auto& [path, stem] : cases) EXPECT_EQ(fInputStem(path), stem) << path;
}

TEST(PreparedInputs, ReadsAreHandedOverInTheirEncodingOrConvertedAsPrepConvertsThem) {
  const std::vector<std::string> mixed = {"ACGTacgt", "ACGNT", "", std::string(5120, 'C'), "ggcc", "TTTT"};
  const std::string letters = "ACGT\nacgN\n\nggcc\nTT\r\n";
  const std::string codes = fCodes("ACGT") + "\n" + fCodes("GG");
  // 1.5 MB of different 49-letter reads: several cross a chunk border of the reading.
  std::string straddling, straddlingCodes;
  for (unsigned i = 0; i < 30000; ++i) {
    std::string read;
    for (unsigned base = 0, n = i; base < 49; ++base, n = n * 7 + 3) read.push_back("ACGT"[(n >> 3) & 3]);
    straddling += read + "\n";
    straddlingCodes += fCodes(read) + "\n";
  }
  const Case cases[] = {
      {"FASTQ as codes", "sample.fq.gz", fFastq(mixed), "plain", Encoding::kCodes,
       "sample.bin n=3 reads_records_in_file=6 reads_written=3 reads_left_out_empty=1 "
       "reads_left_out_over_5119_letters=1 reads_left_out_not_acgt=1 reads_with_lower_case_letters=2"},
      {"gzip FASTQ as letters", "sample.fq.gz", fFastq(mixed), "gzip", Encoding::kLetters,
       "sample.txt n=4 reads_records_in_file=6 reads_written=4 reads_left_out_empty=1 "
       "reads_left_out_over_5119_letters=1 reads_with_lower_case_letters=2"},
      {"BGZF FASTA as codes", "sample.fa", ">a\nACGT\nTG\n>b\nnnAC\n>c\nGATTACA\n", "bgzf", Encoding::kCodes, "sample.bin n=2"},
      {"letters for letters", "r.txt", letters, "plain", Encoding::kLetters, "=in n=-1", letters},
      {"codes for codes", "r.bin", codes, "plain", Encoding::kCodes, "=in n=-1", codes},
      {"empty for codes", "r.txt", "", "plain", Encoding::kCodes, "=in n=-1", ""},
      {"letters for codes", "r.txt", letters, "plain", Encoding::kCodes, "r.bin n=3",
       fCodes("ACGT") + "\n" + fCodes("GGCC") + "\n" + fCodes("TT") + "\n"},
      {"codes for letters", "r.bin", codes, "plain", Encoding::kLetters,
       "r.txt n=2 reads_records_in_file=2 reads_written=2", "ACGT\nGG"},
      {"gzip letters for letters", "r.txt.gz", letters, "gzip", Encoding::kLetters, "r.txt n=5", letters},
      {"gzip of nothing", "r.gz", "", "gzip", Encoding::kLetters, "r.txt n=0", ""},
      {"a raw file whose name gives another stem is linked under the user's", "run.v2/reads", "ACGT\n", "plain",
       Encoding::kLetters, "reads.txt n=-1", "ACGT\n"},
      {"a long line over chunk borders is left out, the next read kept", "long.txt",
       std::string(2000000, 'A') + "\nacgt\n" + std::string(3000, 'G'), "plain", Encoding::kCodes,
       "long.bin n=2 reads_records_in_file=3 reads_written=2 reads_left_out_empty=0 "
       "reads_left_out_over_5119_letters=1 reads_left_out_not_acgt=0 reads_with_lower_case_letters=1",
       fCodes("ACGT") + "\n" + fCodes(std::string(3000, 'G')) + "\n"},
      {"reads that straddle reading chunks", "many.txt", straddling, "plain", Encoding::kCodes, "many.bin n=30000",
       straddlingCodes},
      {"gzip FASTQ from standard input", "-", fFastq({"ACGT", "gGTT"}), "gzip", Encoding::kCodes, "stdin.bin n=2",
       fCodes("ACGT") + "\n" + fCodes("GGTT") + "\n"},
      {"raw letters from standard input", "-", "ACGT\nTT\n", "plain", Encoding::kLetters, "stdin.txt n=-1",
       "ACGT\nTT\n"},
      {"nothing from standard input", "-", "", "plain", Encoding::kLetters, "stdin.txt n=-1", ""},
      {"a FASTQ quality line cut short", "r.fq", "@r1\nACGT\n+\nII\n", "plain", Encoding::kLetters,
       "exit 2: --reads {IN}: record r1: the quality line is missing or differs in length from the letters"},
      {"a code byte file with a letter past its start", "r.fq", std::string(70000, '\1') + "\nN\n", "plain",
       Encoding::kLetters,
       "exit 2: --reads {IN}: byte 78 at offset 70001 (counting from 0) is neither a base code 0..3 nor a line "
       "feed, though the file starts as code bytes; check the file"},
      {"missing", "none.fq", "", "none", Encoding::kCodes, "exit 2: --reads {IN}: not found"},
      {"a directory", "work", "", "none", Encoding::kCodes, "exit 2: --reads {IN}: is a directory, not a file"},
  };
  for (const Case& c : cases) fExpectPrepared(c, false);

  // A private folder that can't be written: the converted copy can't be made.
  Bench bench;
  const std::string in = bench.input("r.fq", fFastq({"ACGT"}));
  const std::string nowhere = bench.folder.path("gone/work");
  PreparedInput input;
  std::string problem;
  EXPECT_EQ(fPrepareReads(in, Encoding::kCodes, nowhere, input, problem), 3);
  EXPECT_EQ(problem, "--reads " + in + ": cannot create " + nowhere + "/r.bin: No such file or directory");
}

TEST(PreparedInputs, AGenomeIsHandedOverOrConvertedAndItsRecordChosen) {
  const std::string fasta = ">lambda phage\nACGTacgt\nGG TT\r\nAAC\n";
  const std::string fastaCounts = " n=15 genome_records_in_file=1 genome_bases=15 genome_lower_case_letters=4 "
                                  "genome_blanks_dropped=1";
  const std::string several = ">chr1 first\nAAAA\n>chr2\nCCgg\nTT\n>plasmid\nGGGG\n";
  const Case cases[] = {
      {"FASTA as letters", "lambda.fa", fasta, "plain", Encoding::kLetters, "genome/lambda.txt" + fastaCounts},
      {"gzip FASTA as codes", "lambda.fa.gz", fasta, "gzip", Encoding::kCodes, "genome/lambda.bin n=15"},
      {"letters for letters", "g.txt", "ACGTacgt", "plain", Encoding::kLetters, "=in n=8", "ACGTacgt"},
      {"codes for codes", "g.bin", fCodes("ACGT"), "plain", Encoding::kCodes, "=in n=4", fCodes("ACGT")},
      {"letters ended by a line feed", "g.txt", "ACGT\n", "plain", Encoding::kLetters,
       "genome/g.txt n=4 genome_bases=4 genome_lower_case_letters=0 genome_blanks_dropped=0 "
       "genome_line_feeds_dropped=1",
       "ACGT"},
      {"letters with blanks and line feeds for codes", "g.txt", "ac gT\nAC\n", "plain", Encoding::kCodes,
       "genome/g.bin n=6 genome_bases=6 genome_lower_case_letters=3 genome_blanks_dropped=1 "
       "genome_line_feeds_dropped=2",
       fCodes("ACGTAC")},
      {"codes for letters", "g.bin", fCodes("GATT") + "\n", "plain", Encoding::kLetters, "genome/g.txt n=4", "GATT"},
      {"gzip letters", "g.txt.gz", "ACGT", "gzip", Encoding::kLetters, "genome/g.txt n=4", "ACGT"},
      {"the chosen record", "g.fa", several, "plain", Encoding::kLetters,
       "genome/g.txt n=6 genome_records_in_file=3 genome_bases=6 genome_lower_case_letters=2 genome_blanks_dropped=0",
       "CCGGTT", "chr2"},
      {"a record without a name is called after its file", "g.fa", ">\nAC\n", "plain", Encoding::kLetters,
       "genome/g.txt n=2", "AC"},
      {"a FASTA genome from standard input", "-", ">g\nACGTT\n", "plain", Encoding::kLetters, "genome/stdin.txt n=5",
       "ACGTT", "g"},
      {"several records", "g.fa", several, "gzip", Encoding::kLetters,
       "exit 1: --genome {IN}: holds 3 records (chr1, chr2, plasmid); vantrels holds one genome: choose one with "
       "--record NAME"},
      {"a record that is not there", "g.fa", several, "plain", Encoding::kLetters,
       "exit 1: --genome {IN}: holds no record named chr3 (--record); its records are: chr1, chr2, plasmid", "",
       "chr3"},
      {"a record named twice", "g.fa", ">c\nAC\n>c\nGG\n", "plain", Encoding::kLetters,
       "exit 2: --genome {IN}: holds more than one record named c; give a genome in which the name is unique", "",
       "c"},
      {"a record asked of a raw genome", "g.txt", "ACGT", "plain", Encoding::kLetters,
       "exit 1: --genome {IN}: is a raw genome without FASTA records; leave out --record", "", "chr1"},
      {"N in a FASTA genome", "g.fa", ">chr\nACNNGT\n", "plain", Encoding::kCodes,
       "exit 2: --genome {IN}: record chr has 2 letters other than A, C, G, T, the first at 3, 4 (counting from 1); "
       "write the genome without them with vantrels prep genome --non-acgt skip (or A, C, G, T) and give that file"},
      {"N in a raw genome", "g.txt", "ACN\nGT", "plain", Encoding::kLetters,
       "exit 2: --genome {IN}: the genome has 1 letters other than A, C, G, T, the first at 3 (counting from 1); "
       "remove or replace them"},
      {"a letter past the start of a code byte genome", "g.bin", std::string(70000, '\2') + "x", "plain",
       Encoding::kCodes,
       "exit 2: --genome {IN}: byte 120 at offset 70000 (counting from 0) is neither a base code 0..3 nor a line "
       "feed, though the file starts as code bytes; check the file"},
      {"an empty file", "g.txt", "", "plain", Encoding::kLetters,
       "exit 2: --genome {IN}: is empty; give a genome of at least one base"},
      {"gzip of nothing", "g.gz", "", "gzip", Encoding::kCodes,
       "exit 2: --genome {IN}: is empty; give a genome of at least one base"},
      {"a FASTA record without letters", "g.fa", ">chr\n", "plain", Encoding::kLetters,
       "exit 2: --genome {IN}: record chr holds no letters"},
      {"missing", "ecoli.fa", "", "none", Encoding::kCodes, "exit 2: --genome {IN}: not found"},
  };
  for (const Case& c : cases) fExpectPrepared(c, true);
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
  PreparedInput input;
  std::string problem;
  int code = fPrepareReads(pipe, Encoding::kLetters, bench.work, input, problem);
  writer.join();
  ASSERT_EQ(code, 0) << problem;
  EXPECT_EQ(input.kind, InputKind::kFastq);
  EXPECT_EQ(input.length, 20000);
  EXPECT_EQ(fFilesIn(bench.work), "reads.txt");
}

}  // namespace
