// The runner of each command: prepares its inputs in the encodings its
// procedure reads, sets the run state the procedure expects and calls it.
// Each returns 0, or the exit code of a problem already said.
#pragma once

class CommandRun;

int fRunCoverage(CommandRun& run);
int fRunStretches(CommandRun& run);
int fRunAbsent(CommandRun& run);
int fRunOnce(CommandRun& run);
int fRunAssemblyTest(CommandRun& run);
int fRunParted(CommandRun& run);
int fRunPartedRate(CommandRun& run);
int fRunCircularRna(CommandRun& run);
int fRunRandExt(CommandRun& run);
int fRunRandExtTasks(CommandRun& run);
