// Sites of replaced-end reads: hit records of one strand sharing a position,
// reported with the Shannon entropy of their tips.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/outcome.h"

struct SiteSummary {
  int32_t inUpper = 0;
  int32_t inLower = 0;
  int32_t total = 0;
  double minimum = 0;
  double maximum = 0;
  double mean = 0;
  double sigma = 0;
};

// A strand's hit records are dealt by position into pieces of about this
// many, sorted and written out one after another, several at a time on the
// command line's threads; tests make it small to cut a table into many pieces.
extern uint32_t SitePieceRecords;

// One distinct tip of a site and the number of its reads carrying it.
struct TipCount {
  uint32_t tip;
  int32_t count;
};

// Entropy in nats of a site of `n` reads whose distinct tips, in ascending tip
// code, carry the `k` counts of `tally`. The site table and the standard
// outputs both print it, so their digits agree.
double fTallyEntropy(const TipCount* tally, size_t k, int32_t n);

// Reads both hit files back (a strand without records is skipped), writes
// the site table to `table` and fills `summary`. Deletes each hit file after
// reading it when `deleteHitFiles` is set. Leaves the table open for the
// caller to close; on failure the operator has been told, and the table keeps
// what was written.
bool fReportSites(FILE* table, const std::string& upperHitPath, int32_t upperCount,
                  const std::string& lowerHitPath, int32_t lowerCount, int32_t L, int32_t immutSz,
                  int32_t tipSz, const unsigned char* upperText, const unsigned char* lowerText,
                  bool deleteHitFiles, SiteSummary& summary, Outcome& outcome);
