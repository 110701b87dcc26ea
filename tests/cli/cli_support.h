// Running `vantrels COMMAND ...` the way a shell does: its own process, standard
// output and standard error apart, optionally with standard input from a file
// and with resource limits that make a disk look full or memory run out.
#pragma once
#include <sys/types.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

struct CliResult {
  int exitCode = -1;  // 128 + N when ended by signal N, as a shell says
  std::string out;
  std::string err;
};

struct CliLimits {
  long long fileSizeBytes = -1;     // RLIMIT_FSIZE, -1 for none
  long long addressSpaceBytes = -1; // RLIMIT_AS, -1 for none
  std::string stdinPath;            // empty: /dev/null
};

// Runs the built vantrels with `args` (program name not included).
CliResult fVantrels(const std::vector<std::string>& args, const CliLimits& limits = CliLimits());

// A run left going: its process and the write end of its standard input.
struct CliChild {
  pid_t pid = -1;
  int stdinWrite = -1;
  int errRead = -1;
};
CliChild fStartVantrels(const std::vector<std::string>& args);
// Closes the child's input and waits for it; its exit code (128 + N after signal N) and standard error.
CliResult fWaitVantrels(CliChild& child);

// A file of the source tree, such as "examples/lambda.fa.gz".
std::string fSourcePath(const std::string& relative);

// The files directly in a directory, sorted; "<missing>" when it can't be read.
std::vector<std::string> fListFolder(const std::string& dir);
std::string fReadFile(const std::string& path);
// The text's first characters, as many as `start` has, for comparing beginnings.
inline std::string fHead(const std::string& text, const std::string& start) { return text.substr(0, start.size()); }
// How many private folders (".vantrels-...") of runs are in `out`.
int fPrivateFolders(const std::string& out);
// "examples/..." as a path of the source tree; any other word as it is.
std::string fExample(const std::string& word);

bool fEndsWith(const std::string& text, const std::string& ending);
// The names of the result files in a directory, run summaries aside.
std::set<std::string> fResultNames(const std::string& dir);
// Every result file of `expected` is in `got` with the same bytes, once each
// (mark, by) pair of `replacements` is made in the expected text.
using Replacements = std::vector<std::pair<std::string, std::string>>;
void fExpectSameFiles(const std::string& expected, const std::string& got, const Replacements& replacements = {});

// Whether the tests run under AddressSanitizer, which can't run under an address-space limit.
constexpr bool kSanitized =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

#ifdef VANTRELS_HAVE_HTSLIB
constexpr bool kWithHtslib = true;  // this build reads FASTA/FASTQ and gzip
#else
constexpr bool kWithHtslib = false;
#endif
