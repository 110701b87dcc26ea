#include "mapping/mapping.h"

// Not built yet: runs nothing.
void fGetReadsThatOutOfSeq(std::string, std::string, std::string) {}
