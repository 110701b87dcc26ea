// What every fuzz harness shares: a scratch folder of its own for the files a
// run reads and writes, a console that neither shows anything nor waits, the
// run state a fresh process starts with, and the input cut into its files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// Once per process: standard input and output from and to /dev/null (a key
// wait then goes on at once), the coding tables, the scratch folder, and the
// check that the large tables come from the sanitised allocator.
void fStart(bool consoleOn);

// Absolute path of the scratch folder, and of a file in it.
const std::string& fScratch();
std::string fPath(const std::string& name);
// Empties the scratch folder: every run starts from nothing.
void fClearScratch();
void fWrite(const std::string& name, const std::string& bytes);
// The file's bytes, or "" when it can't be read.
std::string fRead(const std::string& name);

// The run state as a new process has it. With `lineBuffers`, both line
// buffers allocated as the dispatcher allocates them; without, none (the
// dispatcher makes its own).
void fFreshRunState(bool lineBuffers);
// Frees what the line buffers still hold, as the dispatcher does after a procedure.
void fReleaseLineBuffers();

// The input cut at every line "%%": "a\n%%\nb" gives "a" and "b". At most
// `parts` parts; the last takes the rest as it stands.
std::vector<std::string> fSplit(const uint8_t* data, size_t size, size_t parts);

// The input's words (runs of bytes other than blank, tab, CR and LF).
std::vector<std::string> fWords(const std::string& text);

// A name that stays inside the scratch folder when a run puts it after a
// directory: no separator of either kind, no "..", no zero byte.
bool fStaysInScratch(const std::string& name);

// A number as the run converts it, within [low, high]. Values the run's
// conversion would refuse end the whole process there (the run stops with
// exit code 1), so a harness skips such inputs instead of running them.
bool fNumberWithin(const std::string& text, int32_t low, int32_t high, int32_t& value);

// The lines of a text file as the reads-line reader takes them: line feeds
// dropped, a carriage return before one dropped too.
std::vector<std::string> fLines(const std::string& text);

// A task list of the end-replacement experiments whose run keeps inside the
// scratch folder and to the run's number conversion: its identity (line 7)
// and every task line stay in the folder (they become parts of result names),
// and the three fields of every line that could be a task are numbers.
bool fTaskListRunnable(const std::string& text);

// Ends the process with a message: a harness's own check found the run wrong.
[[noreturn]] void fFail(const char* what);

}  // namespace fuzz
