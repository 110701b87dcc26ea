#include "mapping/mapping.h"

// Not built yet: runs nothing.
void fMapReadsOnToSeq(std::string, std::string, std::string, int32_t) {}
