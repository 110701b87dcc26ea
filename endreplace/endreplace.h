// RNA end-replacement experiments: reads whose leading part matches the genome
// while their tip was replaced, grouped into sites with the entropy of their tips.
#pragma once
#include "driver/outcome.h"
#include <string>

// Run by the name "RandExt".
Outcome fCutRnaWithReplacedEnd(std::string ParamFilePath);
// Run by the name "RandExtTaskList".
Outcome fCutRnaReplacedEnd_BaseTaskList(std::string ParamFilePath);
