// Reads that are a rotation of a genome segment of their own length: parted
// reads, their rating across read files, and circular RNA. Each procedure
// returns how its run went; the rating's readsRead counts the lines of every
// listed reads file.
#pragma once
#include "driver/outcome.h"
#include <cstdint>
#include <string>

Outcome fMatchReadsT_VarSzParted(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                                 int32_t GenomeLength);
Outcome fMatchReadsT_VarSzPartedRate(std::string ResultDirectory, std::string RateReadsArg,
                                     std::string GenomePath, int32_t GenomeLength, std::string RateExtraArg);
Outcome fIdentifyCircularRna(std::string ParamFilePath);
