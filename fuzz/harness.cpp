#include "fuzz/harness.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/run_state.h"
#include "platform/platform.h"

// Counted by the allocation wrapper of plain_tables.cpp, so fStart can tell
// that the link put it in place.
extern int64_t PlainTableBlocks;

namespace fuzz {
namespace {
std::string ScratchFolder;

void fRemoveScratch() {
  std::error_code ignored;
  if (!ScratchFolder.empty()) std::filesystem::remove_all(ScratchFolder, ignored);
}
}  // namespace

void fFail(const char* what) {
  std::fprintf(stderr, "\nharness check failed: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

void fStart(bool consoleOn) {
  if (std::freopen("/dev/null", "rb", stdin) == nullptr || std::freopen("/dev/null", "wb", stdout) == nullptr)
    fFail("cannot put standard input and output on /dev/null");
  ConsoleOn = consoleOn;
  fInitCodingTables();

  std::string pattern = (std::filesystem::temp_directory_path() / "vantrels-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) fFail("cannot make the scratch folder");
  ScratchFolder = pattern;
  std::atexit(fRemoveScratch);

  // An index table from the kernel's pages directly would hide a read past
  // its end from the address checker; the build routes them through malloc.
  int64_t before = PlainTableBlocks;
  fReleaseLarge(fAllocateLarge(16), 16);
  if (PlainTableBlocks == before) fFail("large tables do not come from the sanitised allocator (link wrap missing)");
}

const std::string& fScratch() { return ScratchFolder; }

std::string fPath(const std::string& name) { return ScratchFolder + "/" + name; }

void fClearScratch() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder, ignored))
    std::filesystem::remove_all(entry.path(), ignored);
}

void fWrite(const std::string& name, const std::string& bytes) {
  std::ofstream out(fPath(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) fFail("cannot write a scratch file");
}

std::string fRead(const std::string& name) {
  std::ifstream in(fPath(name), std::ios::binary);
  std::ostringstream all;
  if (in) all << in.rdbuf();
  return all.str();
}

void fReleaseLineBuffers() {
  std::free(InputLine);
  InputLine = nullptr;
  std::free(WorkLine);
  WorkLine = nullptr;
}

void fFreshRunState(bool lineBuffers) {
  fReleaseLineBuffers();
  MaxLineLength = kLineBufferSize;
  if (lineBuffers) {
    // Not cleared, as in a real run: the sanitiser sees a read of a byte never written.
    InputLine = static_cast<char*>(std::malloc(kLineBufferSize));
    WorkLine = static_cast<char*>(std::malloc(kLineBufferSize));
    if (InputLine == nullptr || WorkLine == nullptr) fFail("no memory for the line buffers");
  }
  MinReadSize = MaxReadSize = 0;
  SizeScopeWidth = fSizeScopeWidth(MinReadSize, MaxReadSize);
  GenomeStore = Genome = GenomeLower = nullptr;
  GenomeLength = 0;
  HitStopLimit = kDefaultHitStopLimit;
  InputReads = IntoGenome = OutOfGenome = UpperStrandReads = LowerStrandReads = SumLength = 0;
}

std::vector<std::string> fSplit(const uint8_t* data, size_t size, size_t parts) {
  static const char kMark[] = "\n%%\n";
  const std::string all(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> cut;
  size_t from = 0;
  while (cut.size() + 1 < parts) {
    size_t at = all.find(kMark, from);
    if (at == std::string::npos) break;
    cut.push_back(all.substr(from, at - from));
    from = at + sizeof kMark - 1;
  }
  cut.push_back(all.substr(from));
  return cut;
}

std::vector<std::string> fWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

bool fStaysInScratch(const std::string& name) {
  for (char c : name)
    if (fIsPathSeparator(c) || c == '\0') return false;
  return name.find("..") == std::string::npos;
}

bool fNumberWithin(const std::string& text, int32_t low, int32_t high, int32_t& value) {
  return fParseNumber(text, value) && value >= low && value <= high;
}

std::vector<std::string> fLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  while (from < text.size()) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    from = end + 1;
  }
  return lines;
}

bool fTaskListRunnable(const std::string& text) {
  constexpr size_t kIdentityLine = 6;  // counting from 0
  constexpr size_t kFirstTaskLine = 8;
  const std::vector<std::string> lines = fLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (i == kIdentityLine && !fStaysInScratch(line)) return false;
    if (i < kFirstTaskLine) continue;
    if (!fStaysInScratch(line)) return false;
    size_t first = line.find('\t');
    size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos) continue;
    int32_t ignored;
    if (!fParseNumber(line.substr(0, first), ignored) ||
        !fParseNumber(line.substr(first + 1, second - first - 1), ignored) ||
        !fParseNumber(line.substr(second + 1), ignored))
      return false;
  }
  return true;
}

}  // namespace fuzz
