// The standard files of coverage: the weighted read starts of the native Up
// and Lw tables as bedGraph, and with --depth the weighted depth per base.
// Both come from the procedure's own tables, taken before it releases them.
#include <cmath>
#include <cstdio>
#include <new>

#include "standard/mapping_outputs.h"
#include "standard/mapping_shared.h"

namespace {
const char* const kEndings[CoverageCapture::kFiles] = {".coverage.plus.bedGraph", ".coverage.minus.bedGraph",
                                                      ".depth.plus.bedGraph", ".depth.minus.bedGraph"};
// Values as the native tables print them.
const char kValueFormat[] = "%.2f";
const char kNativeWeightFormat[] = "%4.2lf";
const char kNotTaken[] = "the coverage tables were not handed over by the run (an error of vantrels)";

// A placement's weight over the bases it covers is kept in units of 2^-30:
// exact integers, so that what a placement adds where it starts it takes
// away again where it ends, to the last bit.
constexpr int kWeightBits = 30;

using StretchList = std::vector<CoverageCapture::Stretch>;

// Appends one base's value, merged into the line before when it touches it
// with the same value; zero is left out.
void fAppend(StretchList& lines, int64_t position, int64_t hundredths) {
  if (hundredths == 0) return;
  if (!lines.empty() && lines.back().first + lines.back().length == position &&
      lines.back().hundredths == hundredths) {
    ++lines.back().length;
    return;
  }
  lines.push_back(CoverageCapture::Stretch{position, 1, hundredths});
}

// The weight as the native line shows it, in hundredths.
int64_t fNativeHundredths(double weight) {
  if (weight >= 0 && weight < 1e9 && weight == std::floor(weight)) return static_cast<int64_t>(weight) * 100;
  char text[64];
  std::snprintf(text, sizeof text, kNativeWeightFormat, weight);
  int64_t hundredths = 0;
  for (const char* c = text; *c != '\0'; ++c)
    if (*c >= '0' && *c <= '9') hundredths = hundredths * 10 + (*c - '0');
  return hundredths;
}

void fStarts(const int32_t* table, const CoverageTables& tables, StretchList& lines) {
  for (int32_t p = 1; p <= tables.genomeLength; ++p) {
    const size_t row = static_cast<size_t>(p) * static_cast<size_t>(tables.width);
    fAppend(lines, p, fNativeHundredths(fStartWeight(table, tables.hitCount, row, tables.width)));
  }
}

// Every placement adds its weight to each base it covers, round the circle
// from its native position p (on the lower strand too: the read's reverse
// complement lies on p .. p + length - 1). A read longer than the genome
// covers every base once per full turn.
void fDepth(const int32_t* table, const CoverageTables& tables, StretchList& lines) {
  const int64_t L = tables.genomeLength;
  if (L < 1) return;
  // Unsigned: differences wrap and cancel exactly; every running total is a
  // sum of weights, far below 2^63.
  std::vector<uint64_t> change(static_cast<size_t>(L) + 2, 0);
  uint64_t everywhere = 0;
  for (int64_t p = 1; p <= L; ++p) {
    const size_t row = static_cast<size_t>(p) * static_cast<size_t>(tables.width);
    for (int32_t c = 0; c < tables.width; ++c) {
      const int64_t reads = table[row + c];
      const int64_t places = tables.hitCount[row + c];
      if (reads <= 0 || places <= 0) continue;
      // reads / places, rounded to the nearest unit.
      const uint64_t weight = ((static_cast<uint64_t>(reads) << (kWeightBits + 1)) / static_cast<uint64_t>(places) + 1) >> 1;
      const int64_t length = static_cast<int64_t>(tables.minReadSize) + c;
      everywhere += weight * static_cast<uint64_t>(length / L);
      const int64_t rest = length % L;
      if (rest == 0) continue;
      const int64_t end = p + rest;  // exclusive
      change[static_cast<size_t>(p)] += weight;
      if (end <= L + 1) {
        change[static_cast<size_t>(end)] -= weight;
      } else {
        change[1] += weight;
        change[static_cast<size_t>(end - L)] -= weight;
      }
    }
  }
  uint64_t depth = everywhere;
  const double kUnitsPerHundredth = static_cast<double>(uint64_t(1) << kWeightBits) / 100;
  for (int64_t p = 1; p <= L; ++p) {
    depth += change[static_cast<size_t>(p)];
    fAppend(lines, p, std::llround(static_cast<double>(depth) / kUnitsPerHundredth));
  }
}
}  // namespace

CoverageCapture::CoverageCapture(bool depth) : Depth(depth) { CoverageTaker = this; }

CoverageCapture::~CoverageCapture() {
  if (CoverageTaker == this) CoverageTaker = nullptr;
}

void CoverageCapture::fTake(const CoverageTables& tables) {
  Taken = true;
  try {
    fStarts(tables.upper, tables, Stretches[kStartsPlus]);
    fStarts(tables.lower, tables, Stretches[kStartsMinus]);
    if (Depth) {
      fDepth(tables.upper, tables, Stretches[kDepthPlus]);
      fDepth(tables.lower, tables, Stretches[kDepthMinus]);
    }
  } catch (const std::bad_alloc&) {
    OutOfMemory = true;
    for (StretchList& lines : Stretches) StretchList().swap(lines);
  }
}

int fWriteCoverageStandard(const StandardRun& run, CoverageCapture& capture, Outcome& outcome,
                           std::string& problem) {
  if (capture.OutOfMemory) {
    problem = kWritingOutOfMemory;
    return kStandardNoMemory;
  }
  if (!capture.Taken) {
    problem = kNotTaken;
    return kStandardOutputFailed;
  }
  if (int code = fWriteRunGenomeFile(run, outcome, problem)) return code;
  const int files = capture.Depth ? CoverageCapture::kFiles : CoverageCapture::kDepthPlus;
  return fWriteWithinMemory(problem, [&] {
    for (int file = 0; file < files; ++file) {
      BedGraphFile graph(run.chromosome, kValueFormat);
      for (const CoverageCapture::Stretch& line : capture.Stretches[file])
        graph.fAdd(line.first, line.length, static_cast<double>(line.hundredths) / 100);
      StretchList().swap(capture.Stretches[file]);
      const std::string name = run.readsStem + kEndings[file];
      if (!graph.fWrite(run.directory + name, outcome)) return fCantWrite(run, name, problem);
    }
    return kStandardDone;
  });
}
