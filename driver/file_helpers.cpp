#include "driver/file_helpers.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "driver/console.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "platform/platform.h"

namespace {
const char kCantOpen[] = "\ni can't open ";
const char kCantOpenStream[] = "\ni can't open\n";
const char kInvalidNumber[] = "\ninvalid stoi argument\n";
const char kNumberOutOfRange[] = "\nstoi argument out of range\n";
constexpr int32_t kParamLineSize = 500;

// Cuts a carriage return off the end of a key or value line.
void fDropCarriageReturn(char* line) {
  size_t length = std::strlen(line);
  if (length > 0 && line[length - 1] == '\r') line[length - 1] = '\0';
}
}  // namespace

FILE* fOpenFile(std::string path, const char* mode) {
  // A directory opens on some systems and reads as an empty file: refuse it as unopenable.
  FILE* file = fPlatformIsDirectory(path.c_str()) ? nullptr : std::fopen(path.c_str(), mode);
  if (file == nullptr) {
    fSay(kCantOpen);
    fSay(path.c_str());
    fPause();
  }
  return file;
}

FILE* fOpenOutput(const std::string& path, Outcome& outcome) {
  FILE* file = fOpenFile(path, "wb");
  if (file == nullptr) outcome.fFail(RunStatus::kOutputFailed, path);
  return file;
}

bool fCloseOutput(FILE* file, const std::string& path, Outcome& outcome) {
  if (file == nullptr) return false;
  bool failed = std::ferror(file) != 0;
  failed = std::fclose(file) != 0 || failed;
  if (failed) {
    outcome.fFail(RunStatus::kOutputFailed, path);
    return false;
  }
  outcome.written.push_back(path);
  return true;
}

int32_t fFileSize(std::string path) { return fPlatformFileSize(path.c_str()); }

bool fOpenReadStream(std::string path, std::ifstream& stream) {
  if (!fPlatformIsDirectory(path.c_str())) stream.open(path, std::ios::in | std::ios::binary);
  if (!stream.is_open()) {
    stream.setstate(std::ios::failbit);
    fSay(kCantOpenStream);
    fSay(path.c_str());
    fPause();
    return false;
  }
  stream.clear();
  return true;
}

bool fReadParamFile(ParamMap& map, std::string path) {
  std::ifstream file;
  if (!fPlatformIsDirectory(path.c_str())) file.open(path, std::ios::in | std::ios::binary);
  if (!file.is_open()) {
    fSay(kCantOpen);
    fSay(path.c_str());
    fPause();
    return false;
  }
  // A failed read (end of file, or a line of 500 characters or more) leaves the
  // stream failed: every later read gives the empty text, and the record being
  // read is still stored before the loop stops.
  char skipped[kParamLineSize];
  char key[kParamLineSize];
  char value[kParamLineSize];
  file.getline(skipped, kParamLineSize);
  if (file.fail()) return true;
  for (;;) {
    file.getline(skipped, kParamLineSize);
    file.getline(key, kParamLineSize);
    fDropCarriageReturn(key);
    file.getline(value, kParamLineSize);
    fDropCarriageReturn(value);
    map[key] = value;
    file.getline(skipped, kParamLineSize);
    if (file.fail()) break;
  }
  return true;
}

std::string fStripExtension(const std::string& path) {
  size_t dot = path.rfind('.');
  return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string fFileStem(const std::string& path) {
  std::string stripped = fStripExtension(path);
  if (stripped.empty()) return stripped;
  // A separator at the very end is not part of the last component.
  size_t end = stripped.size();
  if (fIsPathSeparator(stripped[end - 1])) --end;
  size_t start = end;
  while (start > 0 && !fIsPathSeparator(stripped[start - 1])) --start;
  if (start == 0 && end == stripped.size()) return stripped;
  return stripped.substr(start, end - start);
}

std::string fScopedName(const std::string& stem, int32_t minSize, int32_t maxSize, const std::string& tail) {
  return stem + "[" + std::to_string(minSize) + "-" + std::to_string(maxSize) + "]" + tail;
}

namespace {
std::map<std::string, std::string>& fShownNames() {
  static std::map<std::string, std::string> names;
  return names;
}
}  // namespace

const std::string& fShownPath(const std::string& path) {
  auto found = fShownNames().find(path);
  return found == fShownNames().end() ? path : found->second;
}

void fShowPathAs(const std::string& path, const std::string& shown) { fShownNames()[path] = shown; }

bool fParseNumber(const std::string& text, int32_t& value, std::string* rest) {
  size_t used = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::logic_error&) {
    return false;
  }
  if (rest != nullptr) *rest = text.substr(used);
  return true;
}

int32_t fParamNumber(const std::string& key, const std::string& value) {
  const char* message = nullptr;
  try {
    return std::stoi(value);
  } catch (const std::invalid_argument&) {
    message = kInvalidNumber;
  } catch (const std::out_of_range&) {
    message = kNumberOutOfRange;
  }
  std::fputs(message, stdout);
  std::fputs(key.c_str(), stdout);
  std::fputs("=", stdout);
  std::fwrite(value.data(), 1, value.size(), stdout);
  std::fflush(stdout);
  std::exit(1);
}

bool fGetLine(std::istream& stream, char* buffer, int32_t size, int32_t& taken) {
  stream.getline(buffer, size);
  taken = static_cast<int32_t>(stream.gcount());
  // A last line without a line feed ends at the end of input yet was read whole.
  if (stream.fail()) return false;
  return true;
}

