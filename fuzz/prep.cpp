// vantrels-prep's reading of FASTA and FASTQ (plain, gzip, BGZF) and its
// commands over what it reads: genome, reads and decode.
//
// Input: a control line, a line "%%", then the content of IN. The control line
// is "COMMAND CONTAINER [cut=N] [OPTION ...]": COMMAND genome, reads or decode;
// CONTAINER plain (the bytes as they stand, a damaged compressed stream
// included), gzip or bgzf (the content compressed here, so that the fuzzer
// works on what the decompressor gives); cut=N drops the last N bytes of the
// file; the options follow the command as on its command line.
#include <htslib/bgzf.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/harness.h"
#include "prep/command_line.h"
#include "prep/prep.h"

namespace {

// A harness's own output file, opened once: the commands' messages go there.
FILE* Quiet = nullptr;

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

// A compressed file broken off before its end.
void fCut(const std::string& name, size_t bytes) {
  std::string file = fuzz::fRead(name);
  file.resize(file.size() > bytes ? file.size() - bytes : 0);
  fuzz::fWrite(name, file);
}

// What a command promises about the file it wrote.
void fCheckOutput(const std::string& command, bool coded, const std::string& out) {
  if (command == "reads") {
    if (!out.empty() && out.back() != '\n') fuzz::fFail("reads: the last read has no line feed");
    size_t lineLength = 0;
    for (char c : out) {
      if (c == '\n') {
        if (lineLength == 0) fuzz::fFail("reads: an empty read was written");
        if (lineLength > kLongestRead) fuzz::fFail("reads: a read longer than vantrels takes was written");
        lineLength = 0;
        continue;
      }
      ++lineLength;
      if (coded && static_cast<unsigned char>(c) > 3) fuzz::fFail("reads: a coded read holds a byte above 3");
      if (!coded && (c == ' ' || c == '\r')) fuzz::fFail("reads: a blank was kept in a read");
    }
  } else if (command == "genome") {
    if (out.empty()) fuzz::fFail("genome: an empty genome was written");
    for (char c : out) {
      bool base = coded ? static_cast<unsigned char>(c) <= 3 : (c == 'A' || c == 'C' || c == 'G' || c == 'T');
      if (!base) fuzz::fFail("genome: a byte that is not a base was written");
    }
  } else if (command == "decode") {
    for (char c : out)
      if (c != 'A' && c != 'C' && c != 'G' && c != 'T' && c != '\n') fuzz::fFail("decode: a byte that is no letter");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::fStart(false);
  Quiet = std::fopen("/dev/null", "wb");
  if (Quiet == nullptr) fuzz::fFail("cannot open /dev/null");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = fuzz::fSplit(data, size, 2);
  if (parts.size() < 2) return 0;
  const std::vector<std::string> control = fuzz::fWords(parts[0]);
  if (control.size() < 2) return 0;
  const std::string& command = control[0];
  const std::string& container = control[1];
  std::vector<std::string> args = {command, fuzz::fPath("in.fq"), fuzz::fPath("out.txt")};
  size_t cut = 0;
  bool coded = false;
  for (size_t i = 2; i < control.size(); ++i) {
    int32_t bytes = 0;
    if (control[i].rfind("cut=", 0) == 0 && fuzz::fNumberWithin(control[i].substr(4), 0, 1 << 20, bytes)) {
      cut = static_cast<size_t>(bytes);
      continue;
    }
    // Further operands would be refused as a usage problem, but must not name a file elsewhere.
    if (!fuzz::fStaysInScratch(control[i])) return 0;
    coded |= control[i] == "--coded";
    args.push_back(control[i]);
  }

  fuzz::fClearScratch();
  const std::string in = fuzz::fPath("in.fq");
  bool made = container == "plain"  ? (fuzz::fWrite("in.fq", parts[1]), true)
              : container == "gzip" ? fWriteGzip(in, parts[1])
              : container == "bgzf" ? fWriteBgzf(in, parts[1])
                                    : false;
  if (!made) return 0;
  if (cut > 0) fCut("in.fq", cut);

  int exitCode = fPrepMain(args, Quiet, Quiet);
  // OUT appears only when it is complete; help alone writes none.
  const bool written = std::filesystem::exists(fuzz::fPath("out.txt"));
  if (exitCode != kPrepDone && written) fuzz::fFail("a failed command left its output");
  if (written) fCheckOutput(command, coded, fuzz::fRead("out.txt"));
  return 0;
}
