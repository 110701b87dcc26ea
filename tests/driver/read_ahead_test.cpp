// Reads held ahead: handed out in file order with their line numbers, each
// through every step of its hook before its turn, whatever the hook drops.
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>
#include "driver/read_ahead.h"
#include "driver/run_state.h"

namespace {

// What the hook saw, in order: "t3" taken read 3, "f3" followed, "o3" followed on.
std::vector<std::string> Seen;

// Drops the reads that start with 'x'; notes every step of the others.
struct NotingHook {
  struct Seeds {
    int32_t number;
  };
  bool fTake(HeldRead<Seeds>& read) const {
    if (read.length > 0 && read.bases[0] == 'x') return false;
    read.seeds.number = read.number;
    Seen.push_back("t" + std::to_string(read.number));
    return true;
  }
  void fFollow(const HeldRead<Seeds>& read) const { Seen.push_back("f" + std::to_string(read.seeds.number)); }
  void fFollowOn(const HeldRead<Seeds>& read) const { Seen.push_back("o" + std::to_string(read.seeds.number)); }
};
using Ahead = ReadAhead<NotingHook>;

// "number:text" of the first `most` reads handed out, each also the line in
// InputLine; each read's steps are checked as it is handed out.
std::string fHandOut(Ahead& ahead, const std::string& file, bool letters, int most = 1 << 30) {
  std::istringstream reads(file);
  InputReads = 0;
  Seen.clear();
  ahead.fStart(reads, letters);
  std::string handed;
  for (const HeldRead<NotingHook::Seeds>* read; most-- > 0 && (read = ahead.fNext()) != nullptr;) {
    EXPECT_EQ(std::string(InputLine), std::string(reinterpret_cast<char*>(read->bases), read->length));
    const std::string n = std::to_string(read->number);
    std::vector<std::string> mine;  // its three steps, in order, none twice
    for (const std::string& event : Seen)
      if (event.substr(1) == n) mine.push_back(event);
    EXPECT_EQ(mine, (std::vector<std::string>{"t" + n, "f" + n, "o" + n})) << n;
    EXPECT_LE(InputReads - read->number, static_cast<int32_t>(Ahead::kSlots)) << n;  // within the ring
    handed += n + ":" + InputLine + " ";
  }
  return handed;
}

// The line rule itself is fNextRead's (ReadsLines). A stop part-way counts the
// reads taken ahead, and the next file starts afresh.
TEST(ReadAhead, ReadsComeInFileOrderWithTheirLineNumbersThroughEveryStep) {
  char line[kLineBufferSize];
  InputLine = line;
  MaxLineLength = kLineBufferSize;
  std::string sixty, tenth, hundred, kept;
  for (int i = 1; i <= 60; ++i) sixty += "A\n";
  for (int i = 1; i <= 10; ++i) tenth += std::to_string(i) + ":A ";
  // More reads than the ring holds, every seventh dropped.
  for (int i = 1; i <= 100; ++i) hundred += (i % 7 == 0 ? "x" : "A") + std::to_string(i) + "\n";
  for (int i = 1; i <= 100; ++i) kept += i % 7 == 0 ? "" : std::to_string(i) + ":A" + std::to_string(i) + " ";
  struct Case { std::string file; bool letters; int most; std::string handed; int32_t inputReads; } cases[] = {
      {"", false, 9, "", 0},
      {"xA\nAC\n\nxC\nxG\nGT", false, 9, "2:AC 3: 6:GT ", 6},  // dropped reads are counted, never handed out
      {"AC\r\nG\r\n", true, 9, "1:AC 2:G ", 2},
      {hundred, false, 100, kept, 100},
      {sixty, false, 10, tenth, 10 + Ahead::kTakeAhead},
      {"GT\nCA\n", false, 9, "1:GT 2:CA ", 2},
  };
  Ahead ahead;
  ASSERT_TRUE(ahead.fAllocate());
  for (const Case& c : cases) {
    EXPECT_EQ(fHandOut(ahead, c.file, c.letters, c.most), c.handed) << c.file;
    EXPECT_EQ(InputReads, c.inputReads) << c.file;
  }
  InputLine = nullptr;
}

}  // namespace
