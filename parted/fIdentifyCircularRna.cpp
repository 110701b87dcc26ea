#include "parted/parted.h"

// Not built yet: runs nothing.
void fIdentifyCircularRna(std::string) {}
