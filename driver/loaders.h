// Bringing a genome file into the shared Genome buffer as base codes, with the
// circular copies that let a k-mer or read run over the genome's end (tail
// copy) or start (head copy).
#pragma once
#include <cstdint>
#include <fstream>
#include <string>

#include "driver/outcome.h"

enum class GenomeLoad {
  kLoaded,    // Genome[1 .. n] holds the codes, with the copies in place
  kNoMemory,  // GenomeStore could not be allocated; nothing printed: the procedure says so
  // The operator was told why (message and key wait) and nothing is allocated:
  kFailed,    // the file is missing, unreadable, empty or too large
  kBadByte    // a byte is no base (or the file came up short, changed under the run)
};

// Bases of circular copy after Genome[n] that every load gives, whatever the
// tail asked for: a 16-mer can always be read at position n.
constexpr int32_t kMinimumTail = 16;

// The genome file's size n when it can be held (1 <= n < 2^31). Otherwise says
// why (a missing file through fOpenFile, an empty or too large one), waits for
// a key and returns -1.
int32_t fGenomeFileSize(const std::string& path);

// Loads the genome file at `path` into GenomeStore/Genome:
// - `letterFile`: the file holds letters A, C, G, T (either case), converted to
//   codes; otherwise it holds code bytes 0..3. Any other byte stops the load
//   with "\ngenome: position = " p + 1 "non{ACGT) symbol = " and the byte.
// - `tail` bases follow Genome[n] (Genome[n + k] = Genome[k]); raised to at
//   least kMinimumTail.
// - `head` bases precede Genome[1] (Genome[1 - k] = Genome[n + 1 - k]); 0 for a
//   one-sided load.
// Sets `length` to n. A missing, empty or over-large (2^31 bytes or more) file
// is reported with a key wait.
GenomeLoad fLoadCodedGenome(const std::string& path, bool letterFile, int32_t tail, int32_t head,
                            int32_t& length);

// Releases GenomeStore and clears Genome.
void fReleaseGenome();

// The genome step of a procedure that loads its own genome file: codes with
// copies for the longest read in scope after the genome's end and, when
// `twoSided`, before its start. Records why it failed: kFailed as an input
// missing, kBadByte as a bad input, kNoMemory as no memory; the procedure
// says the last in its own words.
GenomeLoad fLoadOwnGenome(const std::string& path, bool letterFile, bool twoSided, int32_t& n, Outcome& outcome);

// Opens a reads file (or a list of them); one that can't be opened is an
// input missing, the operator told by fOpenReadStream.
bool fOpenReads(const std::string& path, std::ifstream& reads, Outcome& outcome);
