// The genome and reads a user names on the command line: the recognition of
// their format from the content, their conversion into the files a procedure
// reads, and the read names resolved again in the user's own reads.
//
// Input: a control line, a line "%%", then the content of the input file. The
// control line is "ROLE CONTAINER [OPTION ...]": ROLE genome or reads;
// CONTAINER plain (the bytes as they stand, a damaged compressed stream
// included), gzip or bgzf (the content compressed here, so that the fuzzer
// works on what the decompressor gives). Options: codes (the procedure reads
// code bytes; letters without it), record=NAME (--record), name=NAME (the
// file's name, which gives the stem; "in.fq" without it), cut=N (the last N
// bytes of the file dropped), and one of dir (a folder named where the file
// should be), missing (a name that is no file) or stdin (the file given as
// "-", standard input).
#include <htslib/bgzf.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "driver/run_state.h"
#include "fuzz/harness.h"
#include "prep/command_line.h"
#include "standard/read_names.h"

namespace {

// A plain file that is a compressed stream of the fuzzer's making may unpack
// to a thousand times its size: larger than this it makes runs slow, not
// different, and is skipped.
constexpr long kLargestUnpacked = long(1) << 20;
constexpr size_t kLongestName = 100;

enum class Given { kFile, kDirectory, kMissing, kStandardInput };

struct Control {
  bool genome = false;
  std::string container;
  Encoding want = Encoding::kLetters;
  std::string record;
  std::string name = "in.fq";
  size_t cut = 0;
  Given given = Given::kFile;
};

bool fReadControl(const std::string& line, Control& control) {
  const std::vector<std::string> words = fuzz::fWords(line);
  if (words.size() < 2 || (words[0] != "genome" && words[0] != "reads")) return false;
  control.genome = words[0] == "genome";
  control.container = words[1];
  if (control.container != "plain" && control.container != "gzip" && control.container != "bgzf") return false;
  for (size_t i = 2; i < words.size(); ++i) {
    const std::string& word = words[i];
    int32_t bytes = 0;
    if (word == "codes") {
      control.want = Encoding::kCodes;
    } else if (word.rfind("record=", 0) == 0) {
      control.record = word.substr(7);
    } else if (word.rfind("name=", 0) == 0) {
      // A name the file system takes, inside the scratch folder.
      control.name = word.substr(5);
      if (control.name.empty() || control.name == "." || control.name.size() > kLongestName ||
          !fuzz::fStaysInScratch(control.name) || control.name == "work" || control.name == "d")
        return false;
    } else if (word.rfind("cut=", 0) == 0 && fuzz::fNumberWithin(word.substr(4), 0, 1 << 20, bytes)) {
      control.cut = static_cast<size_t>(bytes);
    } else if (word == "dir") {
      control.given = Given::kDirectory;
    } else if (word == "missing") {
      control.given = Given::kMissing;
    } else if (word == "stdin") {
      control.given = Given::kStandardInput;
    }
  }
  return true;
}

bool fWriteGzip(const std::string& path, const std::string& content) {
  gzFile file = gzopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = content.empty() || gzwrite(file, content.data(), static_cast<unsigned>(content.size())) > 0;
  return gzclose(file) == Z_OK && written;
}

bool fWriteBgzf(const std::string& path, const std::string& content) {
  BGZF* file = bgzf_open(path.c_str(), "w");
  if (file == nullptr) return false;
  bool written = bgzf_write(file, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  return bgzf_close(file) == 0 && written;
}

bool fGzipMagic(const std::string& bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
         static_cast<unsigned char>(bytes[1]) == 0x8b;
}

bool fUnpacksSmall(const std::string& path) {
  gzFile file = gzopen(path.c_str(), "rb");
  if (file == nullptr) return true;
  char chunk[65536];
  long total = 0;
  int got;
  while ((got = gzread(file, chunk, sizeof chunk)) > 0 && total <= kLargestUnpacked) total += got;
  gzclose(file);
  return total <= kLargestUnpacked;
}

// The recognition rule as the command line states it.
InputKind fKindByRule(const std::string& content) {
  if (!content.empty() && content[0] == '>') return InputKind::kFasta;
  if (!content.empty() && content[0] == '@') return InputKind::kFastq;
  for (unsigned char byte : content)
    if (byte > 3 && byte != '\n') return InputKind::kRawLetters;
  return InputKind::kRawCoded;
}

void fCheckRecognition(const Control& control, const std::string& path, const std::string& content,
                       const std::string& file, int& code) {
  Recognition found;
  std::string why;
  code = fRecogniseInput(path, found, why);
  if (code != 0 && code != 2) fuzz::fFail("recognition ended with neither 0 nor 2");
  if ((code == 0) != why.empty()) fuzz::fFail("recognition's sentence does not match its exit code");
  if (control.given == Given::kDirectory && (code != 2 || why != "is a directory, not a file"))
    fuzz::fFail("a directory was not refused as one");
  if (control.given == Given::kMissing && (code != 2 || why != "not found"))
    fuzz::fFail("a missing file was not refused as one");
  if (control.given == Given::kDirectory || control.given == Given::kMissing) return;
  if (!fGzipMagic(file)) {
    if (code != 0 || found.compressed) fuzz::fFail("an uncompressed file was refused or taken as compressed");
    // Only the head is looked at: these inputs are all head.
    if (found.kind != fKindByRule(file) || found.empty != file.empty())
      fuzz::fFail("an uncompressed file recognised against the rule");
    return;
  }
  if (control.container == "plain" || control.cut > 0) return;  // a damaged stream may be refused
  if (fGzipMagic(content)) {
    if (code != 2) fuzz::fFail("content compressed twice was taken");
    return;
  }
  if (code != 0 || !found.compressed) fuzz::fFail("a whole compressed file was refused or not seen as compressed");
  if (found.kind != fKindByRule(content) || found.empty != content.empty())
    fuzz::fFail("compressed content recognised against the rule");
}

// Every regular file under the folder, by name.
std::vector<std::string> fFilesUnder(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code ignored;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_regular_file(ignored)) files.push_back(it->path().filename().string());
  }
  return files;
}

std::string fReadPath(const std::string& path) {
  std::string bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) fuzz::fFail("a prepared input can't be read");
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

bool fIsRaw(InputKind kind) { return kind == InputKind::kRawCoded || kind == InputKind::kRawLetters; }

// A read as the converter writes letters: upper case, blanks dropped.
std::string fAsConverted(std::string_view letters) {
  const LetterTables& tables = fLetterTables();
  std::string shown;
  for (unsigned char byte : letters)
    if (tables.letter[byte] != 0) shown += static_cast<char>(tables.letter[byte]);
  return shown;
}

// A raw line as the read names show it: code bytes as letters, letters upper
// case, blanks and carriage returns dropped.
std::string fAsShown(const std::string& line) {
  std::string shown;
  for (unsigned char byte : line) {
    if (byte <= 3) {
      shown += "ACGT"[byte];
    } else if (byte != ' ' && byte != '\t' && byte != '\r' && byte != '\v' && byte != '\f') {
      shown += static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte);
    }
  }
  return shown;
}

std::string fDecoded(std::string line) {
  for (char& byte : line)
    if (static_cast<unsigned char>(byte) <= 3) byte = "ACGT"[static_cast<unsigned char>(byte)];
  return line;
}

void fCheckPreparedReads(const Control& control, const PreparedInput& out, bool converted,
                         const std::vector<std::string>& lines, const std::string& bytes) {
  if (out.length != -1 && out.length != static_cast<int64_t>(lines.size()))
    fuzz::fFail("reads: the count given is not the number of lines written");
  const LetterTables& tables = fLetterTables();
  if (control.want == Encoding::kCodes)
    for (unsigned char byte : bytes)
      if (byte > 3 && byte != '\n') fuzz::fFail("reads: a byte of code-byte reads that is no code");
  if (!converted) return;
  if (!bytes.empty() && bytes.back() != '\n') fuzz::fFail("reads: the last converted read has no line feed");
  for (const std::string& line : lines) {
    if (line.empty()) fuzz::fFail("reads: an empty read was written");
    if (line.size() > static_cast<size_t>(kLongestRead)) fuzz::fFail("reads: a read longer than vantrels reads");
    if (control.want == Encoding::kCodes) continue;
    for (unsigned char byte : line)
      if (tables.code[byte] == kBlank || (byte >= 'a' && byte <= 'z'))
        fuzz::fFail("reads: a blank or a lower-case letter in converted letters");
  }
}

// Read k of the resolver is line k of what the procedure reads, and nothing
// comes after the last.
void fCheckReadNames(const PreparedInput& out, Encoding want, const std::string& sourcePath,
                     const std::vector<std::string>& lines) {
  const ReadsOrigin origin = fReadsOrigin(out, want, sourcePath);
  const bool everyLine = fIsRaw(out.kind) && !(out.kind == InputKind::kRawLetters && want == Encoding::kCodes);
  ReadNameResolver resolver;
  std::string problem;
  if (resolver.fOpen(origin, problem) != 0) fuzz::fFail("read names: the reads can't be opened again");
  if (resolver.fHasQualities() != (out.kind == InputKind::kFastq)) fuzz::fFail("read names: qualities misjudged");
  std::vector<uint32_t> asked;
  std::vector<std::string> names;
  for (size_t i = 0; i < lines.size(); ++i) {
    const uint32_t number = static_cast<uint32_t>(i + 1);
    if (!resolver.fSeek(number)) fuzz::fFail("read names: a read the procedure reads is not found again");
    const std::string& line = lines[i];
    if (everyLine) {
      if (resolver.fName() != "read" + std::to_string(number)) fuzz::fFail("read names: a raw read misnamed");
      if (line.size() <= static_cast<size_t>(kLongestRead) && resolver.fLetters() != fAsShown(line))
        fuzz::fFail("read names: a raw read's letters are not those of its line");
    } else {
      const std::string expected = want == Encoding::kCodes ? fDecoded(line) : line;
      if (fAsConverted(resolver.fLetters()) != expected)
        fuzz::fFail("read names: read k is not line k of the converted reads");
    }
    // A FASTQ file may hold a record without a quality line, which is read as
    // FASTA records are: it comes back without qualities.
    if (!resolver.fQuality().empty() && resolver.fQuality().size() != resolver.fLetters().size())
      fuzz::fFail("read names: qualities of another length than the letters");
    if (number % 2 == 1) {
      asked.push_back(number);
      names.emplace_back(resolver.fName());
    }
  }
  if (resolver.fSeek(static_cast<uint32_t>(lines.size() + 1)))
    fuzz::fFail("read names: a read found after the last the procedure reads");
  if (resolver.problem().find("fewer reads") == std::string::npos)
    fuzz::fFail("read names: the end of the reads is not said as such");

  ReadNames held;
  if (held.fResolve(origin, asked, problem) != 0) fuzz::fFail("read names: reads found once are not found again");
  for (size_t i = 0; i < asked.size(); ++i)
    if (held.fName(asked[i]) != names[i]) fuzz::fFail("read names: a held name differs from the resolver's");
  if (!lines.empty() && !held.fName(2).empty()) fuzz::fFail("read names: a name held that was not asked for");
}

void fCheckPreparedGenome(const Control& control, const PreparedInput& out, const std::string& bytes) {
  if (bytes.empty() || static_cast<int64_t>(bytes.size()) != out.length)
    fuzz::fFail("genome: the length given is not the genome's");
  if (out.recordName.empty()) fuzz::fFail("genome: no record name");
  for (unsigned char byte : bytes) {
    // The loader takes letters of either case: a raw genome may stay as it is.
    bool base = control.want == Encoding::kCodes
                    ? byte <= 3
                    : (byte == 'A' || byte == 'C' || byte == 'G' || byte == 'T' || byte == 'a' || byte == 'c' ||
                       byte == 'g' || byte == 't');
    if (!base) fuzz::fFail("genome: a byte that is no base was handed on");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::fStart(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = fuzz::fSplit(data, size, 2);
  Control control;
  if (parts.size() < 2 || !fReadControl(parts[0], control)) return 0;
  const std::string& content = parts[1];
  {
    const unsigned char* head = reinterpret_cast<const unsigned char*>(content.data());
    if (fRecogniseContent(head, content.size()) != fKindByRule(content))
      fuzz::fFail("content recognised against the rule");
  }
  const std::string stem = fInputStem(control.name);
  for (char c : stem)
    if (c == '/' || c == '\\') fuzz::fFail("a stem that holds a separator");
  if (fInputStem("-") != "stdin") fuzz::fFail("standard input's stem is not stdin");

  fuzz::fClearScratch();
  const std::string file = fuzz::fPath(control.name);
  bool made = control.container == "plain" ? (fuzz::fWrite(control.name, content), true)
              : control.container == "gzip" ? fWriteGzip(file, content)
                                            : fWriteBgzf(file, content);
  if (!made) fuzz::fFail("cannot write the input");
  std::string bytes = fuzz::fRead(control.name);
  if (control.cut > 0) {
    bytes.resize(bytes.size() > control.cut ? bytes.size() - control.cut : 0);
    fuzz::fWrite(control.name, bytes);
  }
  if (fGzipMagic(bytes) && !fUnpacksSmall(file)) return 0;
  const std::string work = fuzz::fPath("work");
  std::filesystem::create_directory(work);

  std::string path = file;
  if (control.given == Given::kDirectory) {
    path = fuzz::fPath("d");
    std::filesystem::create_directory(path);
  } else if (control.given == Given::kMissing) {
    path = fuzz::fPath("gone");
  } else if (control.given == Given::kStandardInput) {
    path = "-";
    if (std::freopen(file.c_str(), "rb", stdin) == nullptr) fuzz::fFail("cannot read standard input from the input");
  }
  int recognised = 0;
  if (control.given != Given::kStandardInput) fCheckRecognition(control, path, content, bytes, recognised);

  PreparedInput out;
  std::string problem;
  const int code = control.genome ? fPrepareGenome(path, control.record, control.want, work, out, problem)
                                  : fPrepareReads(path, control.want, work, out, problem);
  if (control.given == Given::kStandardInput && std::freopen("/dev/null", "rb", stdin) == nullptr)
    fuzz::fFail("cannot put standard input back on /dev/null");

  for (const std::string& left : fFilesUnder(work))
    if (left.find("-stream.copy") != std::string::npos) fuzz::fFail("the copy of a stream was left behind");
  if (code != 0) {
    const char* option = control.genome ? "--genome " : "--reads ";
    if (problem.compare(0, std::string(option).size(), option) != 0) fuzz::fFail("a refusal that names no option");
    if (code != 2 && !(code == 1 && control.genome)) fuzz::fFail("a refusal with another exit code than 1 or 2");
    if (recognised != 0 && code != recognised) fuzz::fFail("a refusal with another code than the recognition's");
    if (!fFilesUnder(work).empty()) fuzz::fFail("a refused input left a file in the private folder");
    return 0;
  }
  if (recognised != 0) fuzz::fFail("an input the recognition refused was prepared");
  if (!std::filesystem::is_regular_file(out.path)) fuzz::fFail("the prepared input is no file");
  const std::string prepared = fReadPath(out.path);
  if (control.genome) {
    if (fIsRaw(out.kind) && !control.record.empty()) fuzz::fFail("genome: --record taken for a raw genome");
    fCheckPreparedGenome(control, out, prepared);
    return 0;
  }
  const bool converted =
      !fIsRaw(out.kind) || (out.kind == InputKind::kRawLetters && control.want == Encoding::kCodes);
  const std::vector<std::string> lines = fuzz::fLines(prepared);
  fCheckPreparedReads(control, out, converted, lines, prepared);
  fCheckReadNames(out, control.want, file, lines);
  return 0;
}
