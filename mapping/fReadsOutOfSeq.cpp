#include "mapping/mapping.h"

// Not built yet: runs nothing.
void fReadsOutOfSeq(std::string, std::string, std::string) {}
