// The reads of a batch: lines cut by the reads-file rule, and walked ahead
// through every step of a hook in file order, whatever the hook drops.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "driver/ordered_work.h"
#include "driver/read_batches.h"
#include "driver/run_state.h"

namespace {

// Lengths of the reads a reads file gives until it stops, and the lines counted.
TEST(BatchLines, LengthRuleAndTheLongestLine) {
  MaxLineLength = kLineBufferSize;
  using V = std::vector<int32_t>;
  const std::string longest(kLineBufferSize - 1, 'A');
  struct Case { std::string text; bool letters; V lengths; int32_t counted; } cases[] = {
      {"ACGT\n\nAC\n", true, {4, 0, 2}, 3}, {"ACGT\r\nAC\r\n", true, {4, 2}, 2}, {"\r\n", true, {0}, 1},
      {"ACGT\r\n", false, {5}, 1},  // coded reads keep a carriage return byte as part of the read
      {"ACGT\nACG", true, {4, 3}, 2},  // a last line without a line feed is read whole
      {"ACG\r", true, {3}, 1}, {"", true, {}, 0},
      {"AC\n" + longest + "\nG\n", true, {2, kLineBufferSize - 1, 1}, 3},
      // A longer line stops the reading; it and the lines after it are not counted.
      {"AC\n" + longest + "A\nG\n", true, {2}, 1},
      {"AC\n" + longest + "A", true, {2}, 1},
  };
  for (const Case& c : cases) {
    std::istringstream reads(c.text);
    InputReads = 0;
    BatchLines lines(reads, c.letters);
    V found;
    const unsigned char* line = nullptr;
    int32_t length = 0;
    while (lines.fNext(line, length)) found.push_back(length);
    EXPECT_FALSE(lines.fNext(line, length)) << "an ended reading stays ended";
    EXPECT_EQ(found, c.lengths) << c.text.size();
    EXPECT_EQ(InputReads, c.counted) << c.text.size();
  }
}

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

// Batches of every size, walked in shares of every size: each kept read is
// handed out once, in file order, with its line number, after each step of
// its hook; a dropped read never is.
TEST(WalkShare, ReadsComeInFileOrderWithTheirLineNumbersThroughEveryStep) {
  MaxLineLength = kLineBufferSize;
  std::string file, expected;
  // More reads than the ring holds, every seventh dropped.
  for (int i = 1; i <= 100; ++i) {
    file += (i % 7 == 0 ? "x" : "A") + std::to_string(i) + "\n";
    if (i % 7 != 0) expected += std::to_string(i) + ":A" + std::to_string(i) + " ";
  }
  const uint32_t batchReads = ReadBatchReads;
  for (uint32_t batchSize : {1u, 5u, 40u, 1000u})
    for (uint32_t shareSize : {1u, 3u, 33u, 1000u}) {
      ReadBatchReads = batchSize;
      std::istringstream reads(file);
      InputReads = 0;
      BatchLines lines(reads, true);
      ReadBatch batch;
      std::string handed;
      while (fTakeBatch(lines, batch)) {
        for (uint32_t first = 0; first < batch.count; first += shareSize) {
          const uint32_t end = std::min(batch.count, first + shareSize);
          Seen.clear();
          fWalkShare(batch, first, end, NotingHook(), [&](const HeldRead<NotingHook::Seeds>& read, uint32_t i) {
            EXPECT_EQ(read.bases, batch.fRead(i));
            const std::string n = std::to_string(read.number);
            std::vector<std::string> mine;  // its three steps, in order, none twice
            for (const std::string& event : Seen)
              if (event.substr(1) == n) mine.push_back(event);
            EXPECT_EQ(mine, (std::vector<std::string>{"t" + n, "f" + n, "o" + n})) << n;
            handed += n + ":" + std::string(reinterpret_cast<const char*>(read.bases), read.length) + " ";
          });
        }
      }
      EXPECT_EQ(handed, expected) << "batches of " << batchSize << ", shares of " << shareSize;
      EXPECT_EQ(InputReads, 100);
    }
  ReadBatchReads = batchReads;
}

// Every read is matched once, whatever the threads and batch size (more
// shares than reads too), and emitted in file order; emit stops the pass
// where it says, and a matcher that throws on any thread throws to the caller.
TEST(ReadBatches, EachReadMatchedOnceAndEmittedInOrderUntilTheCallerStops) {
  MaxLineLength = kLineBufferSize;
  std::string file;
  for (int i = 1; i <= 300; ++i) file += std::to_string(i) + "\n";
  const uint32_t batchReads = ReadBatchReads;
  for (int threads : {1, 2, 5})
    for (uint32_t batchSize : {1u, 7u, 1000u})
      for (int stopAt : {0, 150}) {
        ReadBatchReads = batchSize;
        std::istringstream reads(file);
        InputReads = 0;
        std::vector<std::atomic<int>> matched(301);
        auto match = [&](ReadBatch& batch, uint32_t first, uint32_t end, int share, int worker) {
          EXPECT_TRUE(share >= 0 && share < fBatchShares(threads) && worker >= 0 && worker < threads);
          for (uint32_t i = first; i < end; ++i) {
            ++matched[static_cast<size_t>(batch.numbers[i])];
            batch.values[i] = std::stoi(std::string(reinterpret_cast<const char*>(batch.fRead(i)), batch.lengths[i]));
          }
        };
        int emitted = 0;
        auto emit = [&](ReadBatch& batch) {
          for (uint32_t i = 0; i < batch.count; ++i) {
            EXPECT_EQ(batch.values[i], ++emitted) << "matched and in file order";
            if (emitted == stopAt) return false;
          }
          return true;
        };
        fRunReadBatches(reads, true, threads, match, emit);
        const std::string what = std::to_string(threads) + " threads, batches of " + std::to_string(batchSize);
        EXPECT_EQ(emitted, stopAt > 0 ? stopAt : 300) << what;
        for (int i = 1; i <= (stopAt > 0 ? stopAt : 300); ++i) EXPECT_EQ(matched[static_cast<size_t>(i)], 1) << what;
        for (int i = 1; i <= 300; ++i) EXPECT_LE(matched[static_cast<size_t>(i)], 1) << what;
      }
  for (int threads : {1, 3}) {
    ReadBatchReads = 16;
    std::istringstream reads(file);
    InputReads = 0;
    auto match = [](ReadBatch& batch, uint32_t first, uint32_t end, int, int) {
      for (uint32_t i = first; i < end; ++i)
        if (batch.numbers[i] == 77) throw std::bad_alloc();
    };
    int emitted = 0;
    auto emit = [&](ReadBatch& batch) {
      emitted += static_cast<int>(batch.count);
      return true;
    };
    EXPECT_THROW(fRunReadBatches(reads, true, threads, match, emit), std::bad_alloc) << threads;
    EXPECT_LT(emitted, 77) << "the batch of the read that threw is never emitted";
  }
  ReadBatchReads = batchReads;
}

// Pieces are emitted in order, each once, with at most `slots` held at a
// time; emit can stop them, and a piece that throws ends them all.
TEST(OrderedWork, PiecesEmittedInOrderWithinTheirSlots) {
  for (int threads : {1, 2, 7})
    for (size_t count : {size_t(0), size_t(1), size_t(50)}) {
      const int slots = fOrderedSlots(threads);
      std::vector<int> slotOf(count, -1), inSlot(static_cast<size_t>(slots), -1);
      std::vector<size_t> order;
      std::atomic<int> worked{0};
      fRunInOrder(
          threads, count, slots,
          [&](size_t i, int slot, int worker) {
            EXPECT_TRUE(worker >= 0 && worker < threads);
            slotOf[i] = slot;
            inSlot[static_cast<size_t>(slot)] = static_cast<int>(i);  // nobody else holds the slot now
            ++worked;
          },
          [&](size_t i, int slot) {
            // A slow emit: the other threads would run ahead if they might.
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            EXPECT_EQ(inSlot[static_cast<size_t>(slot)], static_cast<int>(i)) << "the slot still holds the piece";
            order.push_back(i);
            return true;
          });
      EXPECT_EQ(worked, static_cast<int>(count));
      for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);
      EXPECT_EQ(order.size(), count);
    }
  for (int threads : {1, 3}) {
    std::vector<size_t> order;
    fRunInOrder(threads, 40, fOrderedSlots(threads), [](size_t, int, int) {},
                [&](size_t i, int) {
                  order.push_back(i);
                  return i < 9;
                });
    EXPECT_EQ(order.size(), 10u) << threads;
    auto throwing = [](size_t i, int, int) {
      if (i == 5) throw std::bad_alloc();
    };
    size_t emitted = 0;
    EXPECT_THROW(fRunInOrder(threads, 40, fOrderedSlots(threads), throwing,
                             [&](size_t, int) {
                               ++emitted;
                               return true;
                             }),
                 std::bad_alloc);
    EXPECT_LE(emitted, 5u) << threads;
  }
}

}  // namespace
