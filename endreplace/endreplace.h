// RNA end-replacement experiments: reads whose leading part matches the genome
// while their tip was replaced, grouped into sites with the entropy of their tips.
#pragma once
#include <string>

// Run by the name "RandExt".
void fCutRnaWithReplacedEnd(std::string ParamFilePath);
// Run by the name "RandExtTaskList".
void fCutRnaReplacedEnd_BaseTaskList(std::string ParamFilePath);
