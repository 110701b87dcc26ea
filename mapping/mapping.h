// Read-mapping procedures: exact matching of coded or letter reads onto both
// strands of the genome through the 16-mer index. Each tells its caller how
// the run went; the selection-file run ignores it.
#pragma once
#include <cstdint>
#include <string>

#include "driver/outcome.h"

// The coded genome expected in Genome (with its tail copy), its length passed.
Outcome fMatchReadsT_VarSzO(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                            int32_t GenomeLength);
Outcome fMapReadsOnToSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                         int32_t GenomeLength);
Outcome fMapReadsOneInSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                          int32_t GenomeLength);
Outcome fTestGenomeSborka(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                          int32_t GenomeLength);

// Load their own genome.
Outcome fReadsOutOfSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath);
Outcome fGetReadsThatOutOfSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath);
