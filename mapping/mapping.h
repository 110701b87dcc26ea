// Read-mapping procedures: exact matching of coded or letter reads onto both
// strands of the genome through the 16-mer index.
#pragma once
#include <cstdint>
#include <string>

// Genome expected in Genome (codes, tail copy) with its length passed.
void fMatchReadsT_VarSzO(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                         int32_t GenomeLength);
void fMapReadsOnToSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                      int32_t GenomeLength);
void fMapReadsOneInSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                       int32_t GenomeLength);
void fTestGenomeSborka(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                       int32_t GenomeLength);

// Load their own genome.
void fReadsOutOfSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath);
void fGetReadsThatOutOfSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath);
