#include "endreplace/endreplace.h"

// Not built yet: runs nothing.
void fCutRnaWithReplacedEnd(std::string) {}
