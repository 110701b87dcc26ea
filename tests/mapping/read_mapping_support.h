// The letter helpers of the read-mapping tests now live in support/sequences.h;
// this name stays for the test folders that include it.
#pragma once
#include "support/run_folder.h"
#include "support/sequences.h"
