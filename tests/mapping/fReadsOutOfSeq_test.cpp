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

// Runs the procedure on the genome file and every read line; the reads marked
// written come out as code bytes without a carriage return, then the log.
void fExpectWritten(const char* procedure, const std::string& genomeFile, const std::vector<Read>& reads, int min,
                    int max, const std::string& result, const std::string& log) {
  std::string lines, written;
  for (const Read& read : reads) {
    lines += read.line + "\n";
    if (read.written) written += fCodes(read.line.substr(0, read.line.find('\r'))) + "\n";
  }
  RunFolder folder;
  folder.write("g.bin", genomeFile);
  folder.write("r.bin", lines);
  EXPECT_EQ(folder.run(procedure, fScopeParams(min, max)).console, "\nsaving the result\ndone\n");
  EXPECT_EQ(folder.results(), (Files{{result, written}, {"r_Outg_Log.txt", log}}));
}

TEST(ReadsOutOfSeq, WritesTheCodedReadsOfTheScopeFoundOnNeitherStrand) {
  const std::string genome = fRandomLetters(200, 21);
  std::string badInKey = fCodes(fAt(genome, 11, 20)), badAtEnd = badInKey, changed = fAt(genome, 11, 25);
  badInKey[5] = 7;
  badAtEnd[19] = 9;
  changed[19] = changed[19] == 'A' ? 'C' : 'A';
  fExpectWritten("fReadsOutOfSeq", fCodes(genome), {
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
  }, 10, 30, "r_Out.bin", "program= Vantrels::fReadsOutOfSeq\ngenome= <d>/g.bin\ninput reads= 11\n"
     "read size scope=[10,30]\nresult:\nreads nout of genome= 5\nOutOfSeq reads size by user =[10,30]");
}

TEST(GetReadsThatOutOfSeq, LetterReadsWithNCaseAndCarriageReturns) {
  const std::string genome = fRandomLetters(200, 31);
  fExpectWritten("fGetReadsThatOutOfSeq", fLower(genome), {
      {fAt(genome, 11, 20) + "\r", false},                      // present, CR LF
      {fLower(fAt(genome, 51, 20)), false},                     // present, lower case
      {fReverseComplement(fAt(genome, 91, 20)), false},         // present as reverse complement
      {fAt(genome, 11, 10) + "N" + fAt(genome, 22, 9), false},  // an N in scope: defective
      {fAt(genome, 11, 30) + "N", false},                       // an N above the scope: not defective
      {fRandomLetters(30, 32) + "\r", true},                    // 31 characters with the CR, 30 without: in scope
      {fLower(fRandomLetters(20, 33)), true},                   // absent, lower case
      {fAt(genome, 191, 20), false},                            // over the genome's end
  }, 16, 30, "r_Outg.txt", "program= Vantrels::fGetReadsThatOutOfSeq\ngenome= <d>/g.bin\ninput reads= 8\ndfective= 1"
     "\nread size scope (parameters by user)=[16,30]\nresult:\nreads out of genome= 2");
}

}  // namespace
