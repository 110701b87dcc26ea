// Shared inputs of the end-replacement tests: a 40-letter genome whose
// 12-mers are all distinct on both strands, and reads worked out against it.
#pragma once
#include <string>
#include "support/run_folder.h"

namespace randext_test {

// Upper strand; the lower strand (reverse complement) reads
// CAGGGGCCGGGGTTGGAGTGAGCAGTGTAGACTGTGATCC.
const char kGenome[] = "GGATCACAGTCTACACTGCTCACTCCAACCCCGGCCCCTG";

// Reads of 20 + 5 letters:
// - upper position 3, tips aaaac, ccccg, aaaac (entropy ln 3 - 2 ln 2 / 3);
// - upper position 10, tips acgta, ttgca, and acgta again on the last line,
//   in lower case and without a line feed;
// - upper position 30, three times the tip gggat: its immutable part runs
//   over the genome's end into its first 9 letters;
// - upper position 15 once: a hit but no site;
// - lower positions 5 (catca twice) and 20 (gtcaa, gtcat);
// - an untouched read (its tip is the genome's own), long tracks AAAAA and
//   aaaaa, a tip aaaaA that is no long track, two reads with an N, reads of
//   24 and 26 letters; line 4 ends with CR LF.
const char kReads[] =
    "ATCACAGTCTACACTGCTCAAAAAC\nATCACAGTCTACACTGCTCACCCCG\nATCACAGTCTACACTGCTCAAAAAC\n"
    "TCTACACTGCTCACTCCAACACGTA\r\nTCTACACTGCTCACTCCAACTTGCA\nCCCGGCCCCTGGGATCACAGGGGAT\n"
    "CCCGGCCCCTGGGATCACAGGGGAT\nCCCGGCCCCTGGGATCACAGGGGAT\nACTGCTCACTCCAACCCCGGTTTTG\n"
    "GGCCGGGGTTGGAGTGAGCACATCA\nGGCCGGGGTTGGAGTGAGCACATCA\nGAGCAGTGTAGACTGTGATCGTCAA\n"
    "GAGCAGTGTAGACTGTGATCGTCAT\nCAGTCTACACTGCTCACTCCAACCC\nCAGTCTACACTGCTCACTCCAAAAA\n"
    "CAGTCTACACTGCTCACTCCaaaaa\nTACACTGCTCACTCCAACCCaaaaA\nTACACTGCTCACTCCAACCCAAAAA\n"
    "AGTCTACACTGCTCACTCCAGANCA\nNTCTACACTGCTCACTCCAATTTAC\nATCACAGTCTACACTGCTCAAAAA\n"
    "ATCACAGTCTACACTGCTCAAAAACG\ntctacactgctcactccaacacgta";

// Site table of kReads with immutSz 20, mutTipSz 5 and misNu 1 (or 2: every
// replaced tip differs from the genome in two letters or more).
const char kTableMisNu1[] =
    "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu"
    "\n3\t3\t0.6365\t+\tATCACAGTCTACACTGCTCAaaaac\t2"
    "\n3\t3\t0.6365\t+\tATCACAGTCTACACTGCTCAccccg\t1"
    "\n10\t3\t0.6365\t+\tTCTACACTGCTCACTCCAACacgta\t2"
    "\n10\t3\t0.6365\t+\tTCTACACTGCTCACTCCAACttgca\t1"
    "\n30\t3\t0.0000\t+\tCCCGGCCCCTGGGATCACAGgggat\t3"
    "\n36\t2\t0.0000\t-\tGGCCGGGGTTGGAGTGAGCAcatca\t2"
    "\n21\t2\t0.6931\t-\tGAGCAGTGTAGACTGTGATCgtcaa\t1"
    "\n21\t2\t0.6931\t-\tGAGCAGTGTAGACTGTGATCgtcat\t1";
const char kCountsMisNu1[] =
    "\ninput=23; required read size=25; these reads=18: defected=2, longTracks=3"
    "\nanalyzed=16, fell into genome=15;"
    "\noccupied sites in strand:: inUpper(+)=3; inLower(-)=2; on both strand=5."
    "\nentropy statistic report:\nrange=[0.0000,0.6931];\tmean=0.3932;\tsigma=0.3597;\nmean+3sigma=1.4724;";

// With misNu 4 the tip ccccg (two letters off the genome's ctcca) is no hit.
const char kTableMisNu4[] =
    "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu"
    "\n3\t2\t0.0000\t+\tATCACAGTCTACACTGCTCAaaaac\t2"
    "\n10\t3\t0.6365\t+\tTCTACACTGCTCACTCCAACacgta\t2"
    "\n10\t3\t0.6365\t+\tTCTACACTGCTCACTCCAACttgca\t1"
    "\n30\t3\t0.0000\t+\tCCCGGCCCCTGGGATCACAGgggat\t3"
    "\n36\t2\t0.0000\t-\tGGCCGGGGTTGGAGTGAGCAcatca\t2"
    "\n21\t2\t0.6931\t-\tGAGCAGTGTAGACTGTGATCgtcaa\t1"
    "\n21\t2\t0.6931\t-\tGAGCAGTGTAGACTGTGATCgtcat\t1";
const char kCountsMisNu4[] =
    "\ninput=23; required read size=25; these reads=18: defected=2, longTracks=3"
    "\nanalyzed=16, fell into genome=14;"
    "\noccupied sites in strand:: inUpper(+)=3; inLower(-)=2; on both strand=5."
    "\nentropy statistic report:\nrange=[0.0000,0.6931];\tmean=0.2659;\tsigma=0.3647;\nmean+3sigma=1.3600;";

// The log of a run on g.txt and r.txt of the run folder "<d>": its header, then the counts.
inline std::string fLog(const char* procedure, const std::string& counts) {
  return std::string("proc=Vantrels::") + procedure + "\ngenome=<d>/g.txt\nreads=<d>/r.txt" + counts;
}

}  // namespace randext_test
