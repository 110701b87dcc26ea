// The standard files of once: the reads placed once as BED, the clusters of
// the native table as BED with their number of reads, and the reads placed
// many times with their names, all from one pass over the notes and the reads.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "standard/mapping_outputs.h"
#include "standard/mapping_shared.h"

namespace {
const char kOnceEnding[] = ".once.bed";
const char kClustersEnding[] = ".clusters.bed";
const char kManyPart[] = ".many";
const char kScratchPart[] = ".once.part";
const char kNativeClustersEnding[] = "_Clust.txt";
const char kClusterName[] = "cluster";
const char kNoClusterTable[] = "the run's cluster table could not be read back";
// Only the upper strand is searched: every read and cluster lies on it. The
// score of a read placed once is BED's "no score".
constexpr char kUpperStrand = '+';
constexpr int64_t kNoScore = 0;

struct Cluster {
  int64_t start;   // 1-based, its first base
  int64_t length;
  int64_t reads;
};

bool fEndsWith(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// The rows of the native table: a line feed, the header, then one line per
// cluster, "start TAB last TAB length", and from the second on "TAB gap".
bool fReadClusters(const StandardRun& run, std::vector<Cluster>& clusters) {
  const std::string* table = nullptr;
  for (const std::string& file : run.nativeFiles)
    if (fEndsWith(file, kNativeClustersEnding)) table = &file;
  if (table == nullptr) return false;
  FILE* file = std::fopen(table->c_str(), "rb");
  if (file == nullptr) return false;
  std::string text;
  char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  const bool read = std::ferror(file) == 0;
  std::fclose(file);
  if (!read) return false;
  size_t line = text.find('\n', 1);  // the header's end
  while (line != std::string::npos) {
    const char* at = text.c_str() + line + 1;
    char* after = nullptr;
    const int64_t start = std::strtoll(at, &after, 10);
    if (after == at || *after != '\t') return false;
    std::strtoll(after + 1, &after, 10);
    if (*after != '\t') return false;
    const int64_t length = std::strtoll(after + 1, &after, 10);
    clusters.push_back(Cluster{start, length, 0});
    line = text.find('\n', line + 1);
  }
  return true;
}

// The cluster a read placed once belongs to: the last one starting at or before it.
void fCountRead(std::vector<Cluster>& clusters, int64_t position) {
  auto after = std::upper_bound(clusters.begin(), clusters.end(), position,
                                [](int64_t p, const Cluster& cluster) { return p < cluster.start; });
  if (after != clusters.begin()) ++(after - 1)->reads;
}

int fWrite(const StandardRun& run, Outcome& outcome, std::string& problem, size_t linesInMemory) {
  const Chromosome& chromosome = run.chromosome;
  if (int code = fWriteRunGenomeFile(run, outcome, problem)) return code;
  std::vector<Cluster> clusters;
  if (!fReadClusters(run, clusters)) {
    problem = kNoClusterTable;
    return kStandardOutputFailed;
  }
  NoteStream<PlacementNote> notes;
  if (!fOpenNotes(notes, run, problem)) return kStandardOutputFailed;

  const std::string onceName = run.readsStem + kOnceEnding;
  SortedBed once(chromosome, run.directory + run.readsStem + kScratchPart, linesInMemory);
  ChosenReadsFile many;
  if (!many.fOpen(run, kManyPart, outcome)) return fCantWrite(run, many.fName(), problem);
  int code = fForEachNotedRead(notes, run.reads, problem, [&](const PlacementNote& note, const ReadNameResolver& read) {
    if (note.places != kPlacedOnce) {
      many.fAdd(read);
      return 0;
    }
    if (!once.fAdd(note.position, note.readLength, read.fName(), kNoScore, kUpperStrand))
      return fCantWrite(run, onceName, problem);
    fCountRead(clusters, note.position);
    return 0;
  });
  if (code != 0) return code;
  if (!many.fClose(outcome)) return fCantWrite(run, many.fName(), problem);
  if (!once.fWrite(run.directory + onceName, outcome)) return fCantWrite(run, onceName, problem);

  BedFile clusterBed(chromosome);
  for (size_t i = 0; i < clusters.size(); ++i)
    clusterBed.fAdd(clusters[i].start, clusters[i].length, kClusterName + std::to_string(i + 1), clusters[i].reads,
                    kUpperStrand);
  const std::string clustersName = run.readsStem + kClustersEnding;
  if (!clusterBed.fWrite(run.directory + clustersName, outcome)) return fCantWrite(run, clustersName, problem);
  return kStandardDone;
}
}  // namespace

int fWriteOnceStandard(const StandardRun& run, Outcome& outcome, std::string& problem, size_t linesInMemory) {
  return fWriteWithinMemory(problem, [&] { return fWrite(run, outcome, problem, linesInMemory); });
}
