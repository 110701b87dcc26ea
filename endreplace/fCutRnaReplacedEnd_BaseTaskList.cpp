#include "endreplace/endreplace.h"

// Not built yet: runs nothing.
void fCutRnaReplacedEnd_BaseTaskList(std::string) {}
