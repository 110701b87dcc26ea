#include "parted/parted.h"

// Not built yet: runs nothing.
void fMatchReadsT_VarSzPartedRate(std::string, std::string, std::string, int32_t, std::string) {}
