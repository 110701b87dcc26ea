// Bringing a genome file into the shared Genome buffer as base codes, with the
// circular copies that let a k-mer or read run over the genome's end (tail
// copy) or start (head copy).
#pragma once
#include <cstdint>
#include <string>

enum class GenomeLoad {
  kLoaded,    // Genome[1 .. n] holds the codes, with the copies in place
  kNoMemory,  // GenomeStore could not be allocated; nothing printed: the procedure says so
  kFailed     // the operator was told why (message and key wait); nothing allocated
};

// The genome file's size n when it can be held (1 <= n < 2^31). Otherwise says
// why (a missing file through fOpenFile, an empty or too large one), waits for
// a key and returns -1.
int32_t fGenomeFileSize(const std::string& path);

// Loads the genome file at `path` into GenomeStore/Genome:
// - `letterFile`: the file holds letters A, C, G, T (either case), converted to
//   codes; otherwise it holds code bytes 0..3. Any other byte stops the load
//   with "\ngenome: position = " p + 1 "non{ACGT) symbol = " and the byte.
// - `tail` bases follow Genome[n] (Genome[n + k] = Genome[k]); raised to at
//   least 16 so a 16-mer can always be read at position n.
// - `head` bases precede Genome[1] (Genome[1 - k] = Genome[n + 1 - k]); 0 for a
//   one-sided load.
// Sets `length` to n. A missing, empty or over-large (2^31 bytes or more) file
// is reported with a key wait.
GenomeLoad fLoadCodedGenome(const std::string& path, bool letterFile, int32_t tail, int32_t head,
                            int32_t& length);

// Releases GenomeStore and clears Genome.
void fReleaseGenome();
