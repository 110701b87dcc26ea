// fReadsOutOfSeq and fGetReadsThatOutOfSeq end to end: the reads of the scope
// that occur nowhere on either strand, in input order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_folder.h"
#include "support/sequences.h"

namespace {

struct Read {
  std::string line;  // as in the reads file, without its line feed
  bool written;
};

// Runs the procedure on the genome file and every read line.
Files fRun(const char* procedure, const std::string& genomeFile, const std::vector<Read>& reads, int min, int max) {
  std::vector<std::string> lines;
  for (const Read& read : reads) lines.push_back(read.line);
  RunFolder folder;
  folder.write("g.bin", genomeFile);
  folder.write("r.bin", fLines(lines));
  EXPECT_EQ(folder.run(procedure, fScopeParams(min, max)).console, "\nsaving the result\ndone\n");
  return folder.results();
}

// The reads marked written, as code bytes without a carriage return.
std::string fWritten(const std::vector<Read>& reads) {
  std::string written;
  for (const Read& read : reads)
    if (read.written) written += fCodes(read.line.substr(0, read.line.find('\r'))) + "\n";
  return written;
}

TEST(ReadsOutOfSeq, WritesTheCodedReadsOfTheScopeFoundOnNeitherStrand) {
  const std::string genome = fRandomLetters(200, 21);
  std::string badInKey = fCodes(fAt(genome, 11, 20)), badAtEnd = badInKey, changed = fAt(genome, 11, 25);
  badInKey[5] = 7;
  badAtEnd[19] = 9;
  changed[19] = changed[19] == 'A' ? 'C' : 'A';
  const std::vector<Read> reads = {
      {fCodes(fAt(genome, 11, 20)), false},                        // on the upper strand
      {fCodes(fReverseComplement(fAt(genome, 51, 25))), false},    // only as reverse complement
      {fCodes(fAt(genome, 191, 20)), false},                       // over the genome's end
      {fCodes(fAt(genome, 101, 16)), false},                       // 16 bases: its key is enough
      {fCodes(fAt(genome, 121, 12)), true},                        // below 16 bases: never found
      {fCodes(fRandomLetters(20, 22)), true},                      // absent
      {fCodes(fRandomLetters(35, 23)), false},                     // above the scope: not tested
      {fCodes("ACGT"), false},                                     // below the scope: not tested
      {badInKey, true},                                            // a byte that is no base code among the first 16
      {badAtEnd, true},                                            // ... among the last 16
      {fCodes(changed), true},                                     // one base changed
  };
  EXPECT_EQ(fRun("fReadsOutOfSeq", fCodes(genome), reads, 10, 30),
            (Files{{"r_Out.bin", fWritten(reads)},
                   {"r_Outg_Log.txt",
                    "program= Vantrels::fReadsOutOfSeq\ngenome= <d>/g.bin\ninput reads= 11\nread size scope=[10,30]\n"
                    "result:\nreads nout of genome= 5\nOutOfSeq reads size by user =[10,30]"}}));
}

TEST(GetReadsThatOutOfSeq, LetterReadsWithNCaseAndCarriageReturns) {
  const std::string genome = fRandomLetters(200, 31);
  const std::vector<Read> reads = {
      {fAt(genome, 11, 20) + "\r", false},                      // present, CR LF
      {fLower(fAt(genome, 51, 20)), false},                     // present, lower case
      {fReverseComplement(fAt(genome, 91, 20)), false},         // present as reverse complement
      {fAt(genome, 11, 10) + "N" + fAt(genome, 22, 9), false},  // an N in scope: defective
      {fAt(genome, 11, 30) + "N", false},                       // an N above the scope: not defective
      {fRandomLetters(30, 32) + "\r", true},                    // 31 characters with the CR, 30 without: in scope
      {fLower(fRandomLetters(20, 33)), true},                   // absent, lower case
      {fAt(genome, 191, 20), false},                            // over the genome's end
  };
  EXPECT_EQ(fRun("fGetReadsThatOutOfSeq", fLower(genome), reads, 16, 30),
            (Files{{"r_Outg.txt", fWritten(reads)},
                   {"r_Outg_Log.txt",
                    "program= Vantrels::fGetReadsThatOutOfSeq\ngenome= <d>/g.bin\ninput reads= 8\ndfective= 1\n"
                    "read size scope (parameters by user)=[16,30]\nresult:\nreads out of genome= 2"}}));
}

}  // namespace
