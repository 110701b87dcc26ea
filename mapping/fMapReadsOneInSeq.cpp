#include "mapping/mapping.h"

// Not built yet: runs nothing.
void fMapReadsOneInSeq(std::string, std::string, std::string, int32_t) {}
