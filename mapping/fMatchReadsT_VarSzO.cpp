#include "mapping/mapping.h"

// Not built yet: runs nothing.
void fMatchReadsT_VarSzO(std::string, std::string, std::string, int32_t) {}
