// Running vantrels-prep in the test process and making its inputs.
#pragma once
#include <string>
#include <vector>

struct PrepRun {
  int exitCode = -1;
  std::string out, err;  // help; messages and counts
};

// Runs one vantrels-prep command line through fPrepMain.
PrepRun fPrep(const std::vector<std::string>& args);
// Writes bytes to a file: "plain", "gzip" (one gzip member) or "bgzf" (blocked gzip).
void fWriteCompressed(const std::string& path, const std::string& bytes, const std::string& form);
// A FASTA record with lines of `width` letters, each ended by `lineEnd`.
std::string fFastaRecord(const std::string& header, const std::string& letters, size_t width,
                         const std::string& lineEnd = "\n");
// The text with "{IN}" and "{OUT}" replaced by the two paths.
std::string fFill(std::string text, const std::string& in, const std::string& out);
