// Reads held ahead: handed out in file order with their line numbers, each
// through every step of its hook before its turn, whatever the hook drops.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/read_ahead.h"
#include "driver/run_state.h"

namespace {

// What a hook saw, in the order it saw it: "t3" taken read 3, "f3" followed, "o3" followed on.
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

class ReadAheadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InputLine = line_;
    MaxLineLength = kLineBufferSize;
    InputReads = 0;
    Seen.clear();
  }
  void TearDown() override { InputLine = nullptr; }

  // "number:text" of each read handed out; each is also the line in InputLine.
  std::string fHandOut(ReadAhead<NotingHook>& ahead, const std::string& file, bool letters) {
    std::istringstream reads(file);
    ahead.fStart(reads, letters);
    std::string handed;
    while (const auto* read = ahead.fNext()) {
      EXPECT_EQ(std::string(InputLine), std::string(reinterpret_cast<char*>(read->bases), read->length));
      handed += std::to_string(read->number) + ":" + InputLine + " ";
    }
    return handed;
  }

  char line_[kLineBufferSize];
};

// The line rule itself is fNextRead's (ReadsLines).
TEST_F(ReadAheadTest, ReadsComeInFileOrderWithTheirLineNumbers) {
  struct Case {
    std::string file;
    bool letters;
    std::string handed;
    int32_t inputReads;
  } cases[] = {
      {"", false, "", 0},
      {"xA\nAC\n\nxC\nxG\nGT", false, "2:AC 3: 6:GT ", 6},  // dropped reads are counted, never handed out
      {"AC\r\nG\r\n", true, "1:AC 2:G ", 2},
  };
  ReadAhead<NotingHook> ahead;
  ASSERT_TRUE(ahead.fAllocate());
  for (const Case& c : cases) {
    InputReads = 0;
    EXPECT_EQ(fHandOut(ahead, c.file, c.letters), c.handed) << c.file;
    EXPECT_EQ(InputReads, c.inputReads) << c.file;
  }
}

TEST_F(ReadAheadTest, EveryReadGoesThroughEachStepOnceInOrderBeforeItsTurn) {
  // More reads than the ring holds, every seventh dropped.
  std::string file;
  for (int i = 1; i <= 100; ++i) file += (i % 7 == 0 ? "x" : "A") + std::to_string(i) + "\n";
  ReadAhead<NotingHook> ahead;
  ASSERT_TRUE(ahead.fAllocate());
  std::istringstream reads(file);
  ahead.fStart(reads, false);
  int handed = 0;
  while (const auto* read = ahead.fNext()) {
    ++handed;
    const std::string n = std::to_string(read->number);
    // Its three steps, in order, and no step of a read twice.
    std::vector<std::string> mine;
    for (const std::string& event : Seen)
      if (event.substr(1) == n) mine.push_back(event);
    EXPECT_EQ(mine, (std::vector<std::string>{"t" + n, "f" + n, "o" + n})) << n;
    // Reads stay ahead of the one handed out, within the ring.
    EXPECT_LE(InputReads - read->number, static_cast<int32_t>(ReadAhead<NotingHook>::kSlots)) << n;
  }
  EXPECT_EQ(handed, 100 - 100 / 7);
  EXPECT_EQ(InputReads, 100);
}

TEST_F(ReadAheadTest, AStopAtAReadCountsTheReadsUpToItAndTheNextFileStartsAfresh) {
  std::string file;
  for (int i = 1; i <= 60; ++i) file += "A\n";
  ReadAhead<NotingHook> ahead;
  ASSERT_TRUE(ahead.fAllocate());
  std::istringstream reads(file);
  ahead.fStart(reads, false);
  const HeldRead<NotingHook::Seeds>* read = nullptr;
  for (int i = 0; i < 10; ++i) read = ahead.fNext();
  ASSERT_NE(read, nullptr);
  // The stop rule's count: the reads taken ahead were never looked at.
  EXPECT_GT(InputReads, 10);
  EXPECT_EQ(read->number, 10);

  InputReads = 0;
  EXPECT_EQ(fHandOut(ahead, "GT\nCA\n", false), "1:GT 2:CA ");
}

}  // namespace
