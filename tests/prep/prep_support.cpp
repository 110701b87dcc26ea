#include "prep/prep_support.h"
#include <htslib/bgzf.h>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include "prep/prep.h"

static std::string fDrain(FILE* file) {
  std::string text;
  std::rewind(file);
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, got);
  std::fclose(file);
  return text;
}

PrepRun fPrep(const std::vector<std::string>& args) {
  FILE *out = std::tmpfile(), *err = std::tmpfile();
  if (out == nullptr || err == nullptr) throw std::runtime_error("tmpfile failed");
  PrepRun run;
  run.exitCode = fPrepMain(args, out, err);
  run.out = fDrain(out);
  run.err = fDrain(err);
  return run;
}

void fWriteCompressed(const std::string& path, const std::string& bytes, const std::string& form) {
  if (form == "plain") {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return;
  }
  BGZF* file = bgzf_open(path.c_str(), form == "gzip" ? "wg" : "w");
  if (file == nullptr || bgzf_write(file, bytes.data(), bytes.size()) < 0 || bgzf_close(file) != 0)
    throw std::runtime_error("cannot write " + path);
}

std::string fFastaRecord(const std::string& header, const std::string& letters, size_t width,
                         const std::string& lineEnd) {
  std::string record = ">" + header + lineEnd;
  for (size_t at = 0; at < letters.size(); at += width) record += letters.substr(at, width) + lineEnd;
  return record;
}

std::string fFill(std::string text, const std::string& in, const std::string& out) {
  for (auto [mark, path] : {std::pair<std::string, std::string>{"{IN}", in}, {"{OUT}", out}})
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + path.size()))
      text.replace(at, mark.size(), path);
  return text;
}
