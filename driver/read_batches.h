// The read pass, on one thread or several. The calling thread takes the
// reads in batches, in file order; the reads of a batch are cut into
// contiguous shares, a few per thread, which RunThreads threads match, each
// taking the next share left when it is done with one (so a thread held up
// doesn't hold the batch up); then the caller gets the batch back and writes
// its results in file order, while the threads match the next batch and
// before it takes the one after. So every output is the same whatever the
// number of threads or the batch size. On one thread the calling thread
// matches each batch itself.
//
// A matcher is called on any of the threads with (batch, first, end, share,
// worker): share is the share's number in the batch (0 .. fBatchShares - 1,
// for records kept per share), worker 0 .. threads - 1, for the scratch space
// and tallies of its own; it may change the reads of its share in place and
// set their result bytes, and must not touch InputLine, WorkLine or any other
// shared state.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <istream>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "driver/file_helpers.h"
#include "driver/memory.h"
#include "driver/read_ahead.h"
#include "driver/run_state.h"

// Reads per batch; tests make it small to put batch ends everywhere.
extern uint32_t ReadBatchReads;

// Batches in flight: one written out, one matched, one taken.
constexpr int kBatchSlots = 3;

// Shares a batch is cut into on `threads` threads: one on a single thread,
// else a few per thread.
constexpr int kSharesPerThread = 8;
inline int fBatchShares(int threads) { return threads <= 1 ? 1 : threads * kSharesPerThread; }

// One batch of reads, packed one after another.
struct ReadBatch {
  std::vector<unsigned char> bases;
  std::vector<uint64_t> starts;   // read i at bases[starts[i]]
  std::vector<int32_t> lengths;   // as BatchLines gives them
  std::vector<int32_t> numbers;   // InputReads once the read was taken
  std::vector<unsigned char> results;  // one byte a read, set by the matcher
  std::vector<int32_t> values;         // one number a read, for the matcher's use
  uint32_t count = 0;
  int slot = 0;  // which of the kBatchSlots it is, for records kept per batch

  unsigned char* fRead(uint32_t i) { return bases.data() + starts[i]; }
  const unsigned char* fRead(uint32_t i) const { return bases.data() + starts[i]; }
};

// The reads of a reads file, a line each, read in large blocks and cut at
// their line feeds. A read's length is the line's without its line feed, and
// for letter reads without a carriage return before it; a last line without a
// line feed is read whole. Each line is counted in InputReads (and published
// in ReadsTaken). The reading ends at the end of the file, or at a line of
// MaxLineLength characters or more, which is not counted.
class BatchLines {
 public:
  BatchLines(std::istream& in, bool letterReads) : In(in), Letters(letterReads) {}

  // The next line: false at the end, or at a line too long, and after.
  bool fNext(const unsigned char*& line, int32_t& length) {
    if (Ended) return false;
    for (;;) {
      const unsigned char* from = Buffer.data() + At;
      const size_t held = End - At;
      const void* feed = held > 0 ? std::memchr(from, '\n', held) : nullptr;
      if (feed != nullptr || InputEnded) {
        const size_t content =
            feed != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(feed) - from) : held;
        if (content == 0 && feed == nullptr) return fEnd();
        // A read holds at most MaxLineLength - 1 characters.
        if (content >= static_cast<size_t>(MaxLineLength)) return fEnd();
        At += content + (feed != nullptr ? 1 : 0);
        ReadsTaken.store(++InputReads, std::memory_order_relaxed);
        length = static_cast<int32_t>(content);
        if (Letters && length > 0 && from[length - 1] == '\r') --length;
        line = from;
        return true;
      }
      // No whole line held: a line of MaxLineLength characters already is too long.
      if (held >= static_cast<size_t>(MaxLineLength)) return fEnd();
      fRefill();
    }
  }

 private:
  static constexpr size_t kBlock = size_t(1) << 22;

  bool fEnd() {
    Ended = true;
    return false;
  }
  // Keeps what is held at the front and reads a block after it.
  void fRefill() {
    const size_t held = End - At;
    if (Buffer.size() < held + kBlock) Buffer.resize(held + kBlock);
    if (held > 0 && At > 0) std::memmove(Buffer.data(), Buffer.data() + At, held);
    At = 0;
    End = held;
    In.read(reinterpret_cast<char*>(Buffer.data() + End), static_cast<std::streamsize>(kBlock));
    const size_t got = static_cast<size_t>(In.gcount());
    End += got;
    if (got < kBlock) InputEnded = true;
  }

  std::istream& In;
  const bool Letters;
  std::vector<unsigned char> Buffer;
  size_t At = 0, End = 0;
  bool InputEnded = false, Ended = false;
};

// Takes up to ReadBatchReads reads into `batch`; false once the file gives none.
inline bool fTakeBatch(BatchLines& lines, ReadBatch& batch) {
  batch.count = 0;
  size_t used = 0;
  const unsigned char* line = nullptr;
  int32_t length = 0;
  while (batch.count < ReadBatchReads && lines.fNext(line, length)) {
    const size_t need = used + static_cast<size_t>(length) + 1;
    if (batch.bases.size() < need) batch.bases.resize(need + need / 2);
    if (batch.starts.size() <= batch.count) {
      const size_t more = batch.count + 1 + batch.count / 2;
      batch.starts.resize(more);
      batch.lengths.resize(more);
      batch.numbers.resize(more);
      batch.results.resize(more);
      batch.values.resize(more);
    }
    std::memcpy(batch.bases.data() + used, line, static_cast<size_t>(length));
    batch.bases[used + static_cast<size_t>(length)] = 0;
    batch.starts[batch.count] = used;
    batch.lengths[batch.count] = length;
    batch.numbers[batch.count] = InputReads;
    batch.results[batch.count] = 0;
    batch.values[batch.count] = 0;
    ++batch.count;
    used = need;
  }
  return batch.count > 0;
}

// Reads [first, end) of a batch, walked in order with the look-ahead steps of
// a read-ahead hook (driver/read_ahead.h): onRead(read, i) for every read the
// hook keeps. The hook works on the share's reads only, so shares may be
// walked on several threads at once.
template <class Hook, class OnRead>
void fWalkShare(ReadBatch& batch, uint32_t first, uint32_t end, const Hook& hook, OnRead onRead) {
  using Read = HeldRead<typename Hook::Seeds>;
  constexpr uint32_t kSlots = kAheadSlots;
  Read ring[kSlots] = {};
  bool kept[kSlots] = {};
  uint32_t taken = first, followed = first, followedOn = first;
  auto upTo = [end](uint32_t i, uint32_t ahead) { return end - i > ahead ? i + ahead + 1 : end; };
  for (uint32_t i = first; i < end; ++i) {
    for (const uint32_t last = upTo(i, kTakeAhead); taken < last; ++taken) {
      Read& read = ring[taken % kSlots];
      read.bases = batch.fRead(taken);
      read.length = batch.lengths[taken];
      read.number = batch.numbers[taken];
      kept[taken % kSlots] = hook.fTake(read);
    }
    for (const uint32_t last = upTo(i, kFollowAt); followed < last; ++followed)
      if (kept[followed % kSlots]) hook.fFollow(ring[followed % kSlots]);
    for (const uint32_t last = upTo(i, kFollowOnAt); followedOn < last; ++followedOn)
      if (kept[followedOn % kSlots]) hook.fFollowOn(ring[followedOn % kSlots]);
    if (kept[i % kSlots]) onRead(ring[i % kSlots], i);
  }
}

// Records that the shares of a batch give, a list per batch in flight and
// share, each in the order of its reads; a matcher empties its share's list
// when it starts the share. The shares follow each other in the batch, so the
// lists taken one after another give the records in file order.
template <class Record>
class ShareRecords {
 public:
  // For the shares of a run on `threads` threads.
  explicit ShareRecords(int threads) : Shares(static_cast<size_t>(fBatchShares(threads))) {
    Lists.resize(Shares * kBatchSlots);
  }
  std::vector<Record>& fOf(const ReadBatch& batch, int share) {
    return Lists[static_cast<size_t>(batch.slot) * Shares + static_cast<size_t>(share)];
  }

  // In file order, after the batch is matched: the records of read i, each
  // record naming its read by `read` (its index in the batch).
  class Cursor {
   public:
    Cursor(ShareRecords& records, const ReadBatch& batch)
        : Owner(records), List(static_cast<size_t>(batch.slot) * records.Shares), End(List + records.Shares) {}
    template <class OnRecord>
    void fTake(uint32_t read, OnRecord onRecord) {
      for (;;) {
        if (List == End) return;
        const std::vector<Record>& list = Owner.Lists[List];
        if (At == list.size()) {
          ++List;
          At = 0;
          continue;
        }
        if (list[At].read != read) return;
        onRecord(list[At++]);
      }
    }

   private:
    ShareRecords& Owner;
    size_t List, End, At = 0;
  };

 private:
  size_t Shares;
  std::vector<std::vector<Record>> Lists;
};

// The threads that match the shares of one batch at a time: threads - 1
// workers, and the calling thread, which helps with the shares left when it
// comes to wait for the batch. Threads meet once a batch, never a read;
// within a batch they take the shares in turn from one counter.
template <class Match>
class BatchWorkers {
 public:
  // As many workers as the system gives, up to threads - 1; with one thread,
  // or none to be had, the calling thread matches the batches alone.
  BatchWorkers(int threads, Match match)
      : Matcher(match), Count(threads <= 1 ? 0 : threads - 1), Shares(static_cast<uint32_t>(fBatchShares(threads))) {
    try {
      Threads.reserve(static_cast<size_t>(Count));
      for (int t = 0; t < Count; ++t) Threads.emplace_back([this, t] { fServe(t); });
    } catch (...) {  // no thread, or no memory for one: those started do the work
    }
    Count = static_cast<int>(Threads.size());
  }
  ~BatchWorkers() {
    {
      std::lock_guard<std::mutex> hold(Lock);
      Closing = true;
      // A batch still being matched when the pass ends is not wanted: no share more of it.
      NextShare.store(Shares, std::memory_order_relaxed);
    }
    Wake.notify_all();
    for (std::thread& thread : Threads) thread.join();
  }
  BatchWorkers(const BatchWorkers&) = delete;
  BatchWorkers& operator=(const BatchWorkers&) = delete;

  // Hands out `batch`; the workers start on it at once.
  void fStart(ReadBatch& batch) {
    {
      std::lock_guard<std::mutex> hold(Lock);
      Current = &batch;
      NextShare.store(0, std::memory_order_relaxed);
      Busy = Count;
      ++Round;
    }
    if (Count > 0) Wake.notify_all();
  }
  // Matches the shares of the batch handed out last that no worker has
  // taken yet (the calling thread is the last worker), then waits until the
  // workers are done with theirs. What a matcher threw on any thread is
  // thrown here, once the batch is left alone.
  void fWait() {
    fMatchShares(*Current, Count);
    std::unique_lock<std::mutex> hold(Lock);
    Done.wait(hold, [this] { return Busy == 0; });
    if (Thrown) std::rethrow_exception(std::exchange(Thrown, nullptr));
  }

 private:
  // Every share is matched, an empty one too: it empties its records' list.
  // A matcher that throws ends the batch's matching on every thread.
  void fMatchShares(ReadBatch& batch, int worker) {
    const uint64_t n = batch.count;
    try {
      for (uint32_t s; (s = NextShare.fetch_add(1, std::memory_order_relaxed)) < Shares;)
        Matcher(batch, static_cast<uint32_t>(n * s / Shares), static_cast<uint32_t>(n * (s + 1) / Shares),
                static_cast<int>(s), worker);
    } catch (...) {
      std::lock_guard<std::mutex> hold(Lock);
      NextShare.store(Shares, std::memory_order_relaxed);
      if (!Thrown) Thrown = std::current_exception();
    }
  }

  void fServe(int t) {
    uint64_t seen = 0;
    for (;;) {
      ReadBatch* batch = nullptr;
      {
        std::unique_lock<std::mutex> hold(Lock);
        Wake.wait(hold, [&] { return Closing || Round != seen; });
        if (Closing) return;
        seen = Round;
        batch = Current;
      }
      fMatchShares(*batch, t);
      bool last = false;
      {
        std::lock_guard<std::mutex> hold(Lock);
        last = --Busy == 0;
      }
      if (last) Done.notify_one();
    }
  }

  Match Matcher;
  int Count;
  const uint32_t Shares;
  std::atomic<uint32_t> NextShare{0};
  std::vector<std::thread> Threads;
  std::mutex Lock;
  std::condition_variable Wake, Done;
  ReadBatch* Current = nullptr;
  uint64_t Round = 0;
  int Busy = 0;
  bool Closing = false;
  std::exception_ptr Thrown;
};

// The whole read pass: match(batch, first, end, share, worker) on `threads`
// threads, the calling thread among them, emit(batch) on the calling thread,
// batch after batch in file order.
// emit returns false to stop reading (the reads taken past that point are
// dropped unmatched or unwritten, as if never taken: the caller's counts must
// then come from the batch, not from InputReads).
template <class Match, class Emit>
void fRunReadBatches(std::istream& reads, bool letterReads, int threads, Match match, Emit emit) {
  // The batches outlive the workers, which may still be matching one when an
  // allocation fails here or the caller stops.
  ReadBatch batches[kBatchSlots];
  for (int slot = 0; slot < kBatchSlots; ++slot) batches[slot].slot = slot;
  BatchWorkers<Match> workers(threads, match);
  BatchLines lines(reads, letterReads);
  int current = 0;
  if (!fTakeBatch(lines, batches[current])) return;
  workers.fStart(batches[current]);
  bool more = fTakeBatch(lines, batches[1]);
  for (;;) {
    workers.fWait();
    const int next = (current + 1) % kBatchSlots;
    if (more) workers.fStart(batches[next]);
    if (!emit(batches[current]) || !more) return;
    more = fTakeBatch(lines, batches[(current + 2) % kBatchSlots]);
    current = next;
  }
}
