#include "report/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "report/svg.h"

namespace fs = std::filesystem;

namespace {
using Facts = std::vector<std::pair<std::string, std::string>>;

constexpr int kGenomeBins = 1000;
constexpr size_t kMostSitesDrawn = 2000;
constexpr size_t kTopRows = 15;
const char kSiteTableHeader[] = "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu";

const char kStyle[] =
    "body{font-family:sans-serif;max-width:800px;margin:24px auto;color:#111;line-height:1.4}"
    "h1{font-size:1.6em}h2{font-size:1.25em;border-bottom:2px solid #0072B2;padding-bottom:4px;margin-top:2em}"
    "h3{font-size:1.05em}table{border-collapse:collapse;margin:8px 0 16px;font-size:0.9em}"
    "td,th{border:1px solid #bbb;padding:3px 8px;text-align:left;vertical-align:top}"
    "th{background:#eef4fa}td.n{text-align:right;font-variant-numeric:tabular-nums}"
    "svg.plot{display:block;margin:8px 0 20px;max-width:100%;height:auto}"
    ".title{font-size:15px;font-weight:bold}.axis{font-size:13px}.tick{font-size:11px}.note{font-size:11px;fill:#333}"
    "code{font-size:0.9em}.panel{border:1px solid #ddd;padding:4px 12px;margin:12px 0}"
    "@media print{body{max-width:none;margin:0}h2{page-break-before:always}svg.plot{page-break-inside:avoid}}";

bool fRead(const fs::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return true;
}

std::vector<std::string> fLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool fStartsWith(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}
bool fEndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string fTrim(const std::string& text) {
  size_t a = text.find_first_not_of(" \t;");
  if (a == std::string::npos) return "";
  size_t b = text.find_last_not_of(" \t;");
  return text.substr(a, b - a + 1);
}

// The "name= value" pairs of a log, several per line where tabs or ';' part them.
Facts fLogFacts(const std::string& text) {
  Facts facts;
  for (const std::string& line : fLines(text)) {
    std::string rest = line;
    for (char& c : rest)
      if (c == ';') c = '\t';
    std::stringstream parts(rest);
    std::string part;
    while (std::getline(parts, part, '\t')) {
      size_t eq = part.find('=');
      if (eq == std::string::npos || eq == 0) continue;
      std::string key = fTrim(part.substr(0, eq)), value = fTrim(part.substr(eq + 1));
      if (!key.empty()) facts.emplace_back(key, value);
    }
  }
  return facts;
}

std::string fFact(const Facts& facts, const std::string& key) {
  for (const auto& f : facts)
    if (f.first == key) return f.second;
  return "";
}

double fFactNumber(const Facts& facts, const std::string& key) {
  std::string v = fFact(facts, key);
  return v.empty() ? NAN : std::strtod(v.c_str(), nullptr);
}

// A run's summary.tsv (key TAB value), when the command line wrote one.
Facts fSummary(const fs::path& dir, const std::string& stem, const std::string& command) {
  Facts facts;
  std::string text;
  if (!fRead(dir / (stem + "." + command + ".summary.tsv"), text)) return facts;
  for (const std::string& line : fLines(text)) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    facts.emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  return facts;
}

std::string fFactsTable(const Facts& facts) {
  if (facts.empty()) return "";
  std::string out = "<table class=\"facts\"><tr><th>what</th><th>value</th></tr>";
  for (const auto& f : facts)
    out += "<tr><td>" + svg::fEscape(f.first) + "</td><td>" + svg::fEscape(f.second) + "</td></tr>";
  return out + "</table>";
}

// The genome length a run's files give: the summary's, else the largest position seen.
int64_t fGenomeLength(const Facts& summary, int64_t largestPosition) {
  for (const char* key : {"genome_length", "genome_bases", "sqSize"}) {
    double v = fFactNumber(summary, key);
    if (v > 0) return static_cast<int64_t>(v);
  }
  return largestPosition > 0 ? largestPosition : 1;
}

// Values summed into about 1,000 even bins over positions 1..length (positions
// off the circle are brought onto it).
std::vector<double> fGenomeBins(const std::vector<std::pair<int64_t, double>>& values, int64_t length) {
  int bins = static_cast<int>(std::min<int64_t>(kGenomeBins, std::max<int64_t>(length, 1)));
  std::vector<double> out(bins, 0);
  for (const auto& v : values) {
    int64_t p = ((v.first - 1) % length + length) % length;
    out[static_cast<size_t>(p * bins / length)] += v.second;
  }
  return out;
}

struct Section {
  std::string sortKey;
  std::string html;
};

std::string fHeading(const std::string& command, const std::string& procedure, const std::string& name) {
  return "<h2 id=\"" + svg::fEscape(command + "-" + name) + "\">" + svg::fEscape(command) + ": " +
         svg::fEscape(name) + "</h2><p>Procedure <code>" + svg::fEscape(procedure) + "</code>.</p>";
}

std::string fRunFacts(const Facts& summary, const Facts& log) {
  if (!summary.empty()) return "<h3>Run</h3>" + fFactsTable(summary);
  return "<h3>Log</h3>" + fFactsTable(log);
}

// Weighted read starts: base + "Up1.txt", "Up2.txt", ... and "Lw1.txt", ...
bool fCoverage(const fs::path& dir, const std::string& name, Section& section) {
  if (!fEndsWith(name, "_Up1.txt") || name.find('[') == std::string::npos) return false;
  const std::string base = name.substr(0, name.size() - std::strlen("Up1.txt"));
  const std::string stem = base.substr(0, base.find('['));
  std::vector<std::pair<int64_t, double>> upper, lower;
  int64_t length = 0;
  double upperSum = 0, lowerSum = 0;
  for (int strand = 0; strand < 2; ++strand) {
    for (int k = 1;; ++k) {
      std::string text;
      if (!fRead(dir / (base + (strand == 0 ? "Up" : "Lw") + std::to_string(k) + ".txt"), text)) break;
      const char* at = text.c_str();
      while (*at) {
        char* end = nullptr;
        long long p = std::strtoll(at, &end, 10);
        if (end == at) break;
        double w = std::strtod(end, &end);
        (strand == 0 ? upper : lower).emplace_back(p, w);
        (strand == 0 ? upperSum : lowerSum) += w;
        length = std::max<int64_t>(length, p);
        at = end;
        while (*at == '\n' || *at == '\r') ++at;
      }
    }
  }
  std::string log;
  fRead(dir / (base + "Log.txt"), log);
  Facts summary = fSummary(dir, stem, "coverage");
  section.sortKey = stem + ".coverage";
  section.html = fHeading("coverage", "fMatchReadsT_VarSzO", stem) + fRunFacts(summary, fLogFacts(log));
  section.html += "<p>Weighted read starts: " + svg::fNumber(upperSum) + " on the + strand, " +
                  svg::fNumber(lowerSum) + " on the \xE2\x88\x92 strand, over " + svg::fBases(static_cast<double>(length)) +
                  ".</p>";
  length = std::max<int64_t>(length, 1);
  section.html += svg::fStrandTracks("Weighted read starts along the genome (" +
                                         std::to_string(fGenomeBins(upper, length).size()) + " bins)",
                                     "weighted reads per bin", length, fGenomeBins(upper, length),
                                     fGenomeBins(lower, length));
  return true;
}

// Histogram rows "length TAB count" after a header line, as a bar per length (or bins of lengths).
std::string fLengthHistogram(const std::string& title, const std::string& xLabel, const std::string& yLabel,
                             const std::vector<std::pair<double, double>>& rows) {
  if (rows.empty()) return "<p>No rows to plot.</p>";
  double low = rows.front().first, high = rows.front().first;
  for (const auto& r : rows) {
    low = std::min(low, r.first);
    high = std::max(high, r.first);
  }
  int bins = static_cast<int>(std::min(60.0, high - low + 1));
  std::vector<double> edges(bins + 1), counts(bins, 0);
  double width = (high - low + 1) / bins;
  for (int i = 0; i <= bins; ++i) edges[i] = low - 0.5 + i * width;
  for (const auto& r : rows) counts[std::min(bins - 1, static_cast<int>((r.first - low) / width))] += r.second;
  return svg::fHistogram(title, xLabel, yLabel, edges, counts);
}

bool fStretches(const fs::path& dir, const std::string& name, const std::string& text, Section& section) {
  if (!fStartsWith(text, "program= fMapReadsOnToSeq")) return false;
  size_t in = name.find("_In[");
  const std::string stem = in == std::string::npos ? name : name.substr(0, in);
  std::vector<std::pair<double, double>> rows;
  bool table = false;
  for (const std::string& line : fLines(text)) {
    if (line == "readSz\tcases") {
      table = true;
      continue;
    }
    if (!table) continue;
    double length = 0, count = 0;
    if (std::sscanf(line.c_str(), "%lf\t%lf", &length, &count) == 2) rows.emplace_back(length, count);
  }
  Facts log = fLogFacts(text.substr(0, text.find("readSz\tcases")));
  section.sortKey = stem + ".stretches";
  section.html = fHeading("stretches", "fMapReadsOnToSeq", stem) + fRunFacts(fSummary(dir, stem, "stretches"), log) +
                 fLengthHistogram("Longest exact stretch per read", "stretch length (bases)", "reads", rows);
  return true;
}

bool fAbsent(const fs::path& dir, const std::string& name, const std::string& text, Section& section) {
  bool coded = fStartsWith(text, "program= Vantrels::fReadsOutOfSeq");
  if (!coded && !fStartsWith(text, "program= Vantrels::fGetReadsThatOutOfSeq")) return false;
  const std::string stem = name.substr(0, name.find("_Out"));
  Facts log = fLogFacts(text);
  double input = fFactNumber(log, "input reads");
  double absent = fFactNumber(log, coded ? "reads nout of genome" : "reads out of genome");
  std::vector<std::string> labels = {"input reads", "absent"};
  std::vector<double> values = {input, absent};
  if (!coded) {
    labels.push_back("defective");
    values.push_back(fFactNumber(log, "dfective"));
  }
  section.sortKey = stem + ".absent";
  section.html = fHeading("absent", coded ? "fReadsOutOfSeq" : "fGetReadsThatOutOfSeq", stem) +
                 fRunFacts(fSummary(dir, stem, "absent"), log) + svg::fBars("Reads absent from the genome", "reads", labels, values);
  return true;
}

bool fOnce(const fs::path& dir, const std::string& name, const std::string& text, Section& section) {
  if (!fStartsWith(text, "program= fMapReadsOneInSeq")) return false;
  const std::string stem = name.substr(0, name.find("[One]"));
  Facts log = fLogFacts(text);
  section.sortKey = stem + ".once";
  section.html = fHeading("once", "fMapReadsOneInSeq", stem) + fRunFacts(fSummary(dir, stem, "once"), log);
  section.html += svg::fBars("Reads by number of places on the + strand", "reads", {"out of genome", "once", "many"},
                             {fFactNumber(log, "out of genome"), fFactNumber(log, "Loc once"),
                              fFactNumber(log, "Loc many")});
  std::string clusters;
  std::vector<std::pair<double, double>> rows;
  if (fRead(dir / (name.substr(0, name.size() - std::strlen("_Log.txt")) + "_Clust.txt"), clusters)) {
    std::map<double, double> tally;
    for (const std::string& line : fLines(clusters)) {
      long long start = 0, last = 0, length = 0;
      if (std::sscanf(line.c_str(), "%lld\t%lld\t%lld", &start, &last, &length) == 3) tally[static_cast<double>(length)] += 1;
    }
    rows.assign(tally.begin(), tally.end());
  }
  section.html += fLengthHistogram("Lengths of the clusters of reads located once", "cluster length (bases)",
                                   "clusters", rows);
  return true;
}

bool fAssembly(const fs::path& dir, const std::string& name, const std::string& text, Section& section) {
  if (!fStartsWith(name, "RepTest_") || !fStartsWith(text, "code\tsqSize\treMax\trepNu/sqSize")) return false;
  const std::string genome = name.substr(8, name.size() - 8 - std::strlen("_Log.txt"));
  Facts log;
  std::vector<std::string> lines = fLines(text);
  if (lines.size() > 1) {
    std::vector<std::string> keys = {"code", "sqSize", "reMax", "repNu/sqSize"};
    std::stringstream row(lines[1]);
    std::string cell;
    for (size_t i = 0; i < keys.size() && std::getline(row, cell, '\t'); ++i) log.emplace_back(keys[i], cell);
  }
  double tested = 0, wrong = 0;
  for (const std::string& line : lines) {
    std::sscanf(line.c_str(), "rinput multyLocation reads=%lf", &tested);
    std::sscanf(line.c_str(), "nonCorrect assembly reads %lf", &wrong);
  }
  log.emplace_back("multi-location reads", svg::fNumber(tested));
  log.emplace_back("non-correct reads", svg::fNumber(wrong));
  section.sortKey = genome + ".assembly-test";
  section.html = fHeading("assembly-test", "fTestGenomeSborka", genome) + "<h3>Log</h3>" + fFactsTable(log);
  Facts summary = fSummary(dir, genome, "assembly-test");
  if (!summary.empty()) section.html += "<h3>Run</h3>" + fFactsTable(summary);
  section.html += svg::fBars("Multi-location reads tested against the repeats", "reads",
                             {"tested", "correct", "non-correct"}, {tested, tested - wrong, wrong});
  return true;
}

// A hit of a parted or circular table: strand, segment start, segment text.
struct Hit {
  char strand;
  int64_t position;
  std::string text;
};

std::string fJunctions(const std::string& what, const std::vector<Hit>& hits, int64_t length) {
  std::vector<std::pair<int64_t, double>> upper, lower;
  std::map<std::pair<int64_t, char>, std::pair<int, std::string>> segments;
  for (const Hit& h : hits) {
    (h.strand == '+' ? upper : lower).emplace_back(h.position, 1.0);
    auto& s = segments[{h.position, h.strand}];
    s.first += 1;
    if (s.second.empty()) s.second = h.text;
  }
  std::string out = svg::fStrandTracks(what + " along the genome (segment starts)", "hits per bin", length,
                                       fGenomeBins(upper, length), fGenomeBins(lower, length));
  std::vector<std::pair<std::pair<int64_t, char>, std::pair<int, std::string>>> top(segments.begin(), segments.end());
  std::stable_sort(top.begin(), top.end(), [](const auto& a, const auto& b) { return a.second.first > b.second.first; });
  if (top.size() > kTopRows) top.resize(kTopRows);
  out += "<h3>Top segments by reads</h3><table><tr><th>segment start</th><th>strand</th><th>reads</th>"
         "<th>segment (seed in upper case)</th></tr>";
  for (const auto& t : top)
    out += "<tr><td class=\"n\">" + std::to_string(t.first.first) + "</td><td>" + (t.first.second == '+' ? "+" : "\xE2\x88\x92") +
           "</td><td class=\"n\">" + std::to_string(t.second.first) + "</td><td><code>" + svg::fEscape(t.second.second) +
           "</code></td></tr>";
  return out + "</table>";
}

bool fParted(const fs::path& dir, const std::string& name, Section& section) {
  if (!fEndsWith(name, "_PartedLog.txt")) return false;
  const std::string base = name.substr(0, name.size() - std::strlen("_PartedLog.txt"));
  const std::string stem = base.substr(0, base.find('['));
  std::string log, table;
  fRead(dir / name, log);
  fRead(dir / (base + "_Parted.txt"), table);
  std::vector<Hit> hits;
  char strand = '+';
  int64_t position = 0, largest = 0;
  for (const std::string& line : fLines(table)) {
    if (fStartsWith(line, "upper strand\t")) strand = '+';
    else if (fStartsWith(line, "lower strand\t")) strand = '-';
    else if (line.empty()) continue;
    else if (line.find_first_not_of("-0123456789") == std::string::npos) position = std::strtoll(line.c_str(), nullptr, 10);
    else {
      hits.push_back({strand, position, line});
      largest = std::max(largest, position + static_cast<int64_t>(line.size()) - 1);
    }
  }
  Facts summary = fSummary(dir, stem, "parted");
  section.sortKey = stem + ".parted";
  section.html = fHeading("parted", "fMatchReadsT_VarSzParted", stem) + fRunFacts(summary, fLogFacts(log)) +
                 fJunctions("Parted reads", hits, fGenomeLength(summary, largest));
  return true;
}

bool fCircular(const fs::path& dir, const std::string& name, Section& section) {
  if (!fEndsWith(name, "_RCircular.txt")) return false;
  const std::string stem = name.substr(0, name.size() - std::strlen("_RCircular.txt"));
  std::string text;
  fRead(dir / name, text);
  size_t tableAt = text.find("possible cycled Rna");
  std::vector<Hit> hits;
  int64_t position = 0, largest = 0;
  for (const std::string& line : fLines(tableAt == std::string::npos ? "" : text.substr(tableAt))) {
    if (line.empty() || (line[0] != '+' && line[0] != '-')) continue;
    const char* at = line.c_str() + 1;
    if (*at == '\t') ++at;
    char* end = nullptr;
    long long p = std::strtoll(at, &end, 10);
    if (end != at) position = p;
    std::string segment = *end == '\t' ? std::string(end + 1) : std::string();
    hits.push_back({line[0], position, segment});
    largest = std::max(largest, position + static_cast<int64_t>(segment.size()) - 1);
  }
  Facts summary = fSummary(dir, stem, "circrna");
  section.sortKey = stem + ".circrna";
  section.html = fHeading("circrna", "fIdentifyCircularRna", stem) +
                 fRunFacts(summary, fLogFacts(text.substr(0, tableAt == std::string::npos ? text.size() : tableAt))) +
                 fJunctions("Circular-RNA junction segments", hits, fGenomeLength(summary, largest));
  return true;
}

bool fRating(const fs::path& dir, const std::string& name, Section& section) {
  if (!fEndsWith(name, "_RatingLog.txt")) return false;
  std::string text;
  fRead(dir / name, text);
  std::vector<std::pair<int64_t, double>> ratings;
  int64_t largest = 0;
  bool table = false;
  for (const std::string& line : fLines(text)) {
    if (line == "pos\trating") {
      table = true;
      continue;
    }
    long long p = 0;
    double r = 0;
    if (table && std::sscanf(line.c_str(), "%lld\t%lf", &p, &r) == 2) {
      ratings.emplace_back(p, r);
      largest = std::max<int64_t>(largest, p);
    }
  }
  std::string stem = name.substr(0, name.size() - std::strlen("_RatingLog.txt"));
  // The rating log carries no stem: the list's own summary names it.
  std::error_code error;
  const bool unnamed = stem.empty();
  for (fs::directory_iterator it(dir, error), end; unnamed && !error && it != end; it.increment(error)) {
    std::string other = it->path().filename().string();
    if (!fEndsWith(other, ".parted-rate.summary.tsv")) continue;
    other.resize(other.size() - std::strlen(".parted-rate.summary.tsv"));
    if (stem.empty() || other < stem) stem = other;  // the first by name, whatever the listing order
  }
  Facts summary = fSummary(dir, stem, "parted-rate");
  int64_t length = fGenomeLength(summary, largest);
  section.sortKey = stem + ".parted-rate";
  section.html = fHeading("parted-rate", "fMatchReadsT_VarSzPartedRate", stem.empty() ? "list" : stem) +
                 fRunFacts(summary, fLogFacts(text.substr(0, text.find("pos\trating"))));
  if (ratings.empty())
    section.html += "<p>No position was rated.</p>";
  else
    section.html += svg::fStrandTracks("Ratings of parted-read positions along the genome", "rating per bin", length,
                                       fGenomeBins(ratings, length), {});
  return true;
}

std::string fEntropyText(double entropy) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", entropy);
  return text;
}

// One end-replacement experiment: its site table and its log.
struct Experiment {
  std::string name;  // the table's name without ".txt"
  std::vector<svg::Site> sites;
  std::vector<std::pair<std::string, std::vector<std::string>>> rows;  // per site: its first cells, its tips
  std::vector<std::string> siteKeys;
  Facts log;
  double mean = NAN, sigma = NAN, meanPlus3 = NAN;
  bool taskList = false;
};

bool fReadExperiment(const fs::path& dir, const std::string& name, Experiment& e) {
  std::string text;
  if (!fRead(dir / name, text) || !fStartsWith(text, kSiteTableHeader)) return false;
  e.name = name.substr(0, name.size() - 4);
  std::vector<std::string> lines = fLines(text);
  // Rows of one site follow each other: (position, strand) starts a new site.
  struct Row {
    long long position;
    long long reads;
    double entropy;
    char strand;
    std::string letters;
    long long tipReads;
  };
  std::vector<Row> sites;
  std::vector<std::string> tips;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::stringstream cells(lines[i]);
    std::string c[6];
    int k = 0;
    while (k < 6 && std::getline(cells, c[k], '\t')) ++k;
    if (k < 6) continue;
    Row r{std::atoll(c[0].c_str()), std::atoll(c[1].c_str()), std::strtod(c[2].c_str(), nullptr),
          c[3].empty() ? '+' : c[3][0], c[4], std::atoll(c[5].c_str())};
    if (sites.empty() || sites.back().position != r.position || sites.back().strand != r.strand) {
      sites.push_back(r);
      e.rows.push_back({c[0], {}});
    }
    std::string tip;
    for (char ch : r.letters)
      if (ch >= 'a' && ch <= 'z') tip += ch;
    e.rows.back().second.push_back(tip + " (" + c[5] + ")");
  }
  for (const Row& r : sites) e.sites.push_back({r.position, r.strand, r.entropy});
  for (size_t i = 0; i < sites.size(); ++i)
    e.rows[i].first = std::to_string(sites[i].position) + "\t" + std::string(1, sites[i].strand) + "\t" +
                      std::to_string(sites[i].reads) + "\t" + fEntropyText(sites[i].entropy);
  std::string log;
  if (fRead(dir / (e.name + "Log.txt"), log)) {
    e.taskList = fStartsWith(log, "proc=Vantrels::fCutRnaReplacedEnd_BaseTaskList");
    size_t at = log.find("entropy statistic report:");
    e.log = fLogFacts(at == std::string::npos ? log : log.substr(0, at));
    if (at != std::string::npos) {
      Facts stats = fLogFacts(log.substr(at));
      e.mean = fFactNumber(stats, "mean");
      e.sigma = fFactNumber(stats, "sigma");
      e.meanPlus3 = fFactNumber(stats, "mean+3sigma");
      for (const auto& s : stats) e.log.push_back(s);
    }
  }
  return true;
}

std::string fExperimentBody(const Experiment& e, bool small) {
  std::string out;
  if (!small) out += "<h3>Log</h3>" + fFactsTable(e.log);
  std::vector<double> entropies;
  double top = 0;
  int64_t largest = 0;
  for (const svg::Site& s : e.sites) {
    entropies.push_back(s.value);
    top = std::max(top, s.value);
    largest = std::max<int64_t>(largest, s.position);
  }
  out += "<p>" + std::to_string(e.sites.size()) + " sites (positions reached by two or more reads).</p>";
  std::vector<double> edges, counts;
  double high = std::max(top, 0.1);
  if (std::isfinite(e.meanPlus3)) high = std::max(high, e.meanPlus3 * 1.02);
  svg::fBin(entropies, 0, high, 30, edges, counts);
  std::vector<svg::Marker> markers;
  if (std::isfinite(e.mean)) markers.push_back({e.mean, "mean " + svg::fNumber(e.mean, 4), svg::kVermillion, false});
  if (std::isfinite(e.meanPlus3))
    markers.push_back({e.meanPlus3, "mean+3 sigma " + svg::fNumber(e.meanPlus3, 4), svg::kGreen, true});
  out += svg::fHistogram("Tip entropy of the sites" + std::string(small ? " (" + e.name + ")" : ""),
                         "tip entropy (nats)", "sites", edges, counts, markers);
  if (small) return out;
  // Draw the sites of highest entropy when there are too many for a readable page.
  std::vector<size_t> order(e.sites.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return e.sites[a].value > e.sites[b].value; });
  std::vector<svg::Site> drawn;
  for (size_t i = 0; i < order.size() && i < kMostSitesDrawn; ++i) drawn.push_back(e.sites[order[i]]);
  std::string title = "Sites along the genome by strand, coloured and raised by tip entropy";
  if (drawn.size() < e.sites.size()) title += " (the " + std::to_string(drawn.size()) + " of highest entropy)";
  out += svg::fSiteMap(title, "tip entropy (nats)", largest, drawn, top);
  out += "<h3>Top sites by entropy</h3><table><tr><th>position</th><th>strand</th><th>reads</th><th>entropy</th>"
         "<th>tips (reads)</th></tr>";
  for (size_t i = 0; i < order.size() && i < kTopRows; ++i) {
    std::stringstream cells(e.rows[order[i]].first);
    std::string c[4];
    for (int k = 0; k < 4; ++k) std::getline(cells, c[k], '\t');
    std::string tips;
    for (const std::string& t : e.rows[order[i]].second) tips += (tips.empty() ? "" : ", ") + t;
    out += "<tr><td class=\"n\">" + c[0] + "</td><td>" + (c[1] == "+" ? "+" : "\xE2\x88\x92") + "</td><td class=\"n\">" +
           c[2] + "</td><td class=\"n\">" + c[3] + "</td><td><code>" + svg::fEscape(tips) + "</code></td></tr>";
  }
  return out + "</table>";
}

// Site tables of one task list share their identity prefix before the sizes.
std::string fIdentity(const std::string& experimentName) {
  size_t bang = experimentName.find('!');
  std::string head = bang == std::string::npos ? experimentName : experimentName.substr(0, bang);
  size_t cut = head.rfind('_');
  return cut == std::string::npos ? head : head.substr(0, cut);
}

void fExperimentSections(const std::vector<Experiment>& experiments, const fs::path& dir,
                         std::vector<Section>& sections) {
  std::map<std::string, std::vector<const Experiment*>> lists;
  for (const Experiment& e : experiments) {
    if (e.taskList) {
      lists[fIdentity(e.name)].push_back(&e);
      continue;
    }
    Section s;
    s.sortKey = e.name + ".randext";
    Facts summary;
    for (const auto& entry : fs::directory_iterator(dir)) {
      std::string n = entry.path().filename().string();
      if (fEndsWith(n, ".summary.tsv") && n.find(".randext.") != std::string::npos) {
        Facts f;
        std::string text;
        fRead(entry.path(), text);
        for (const std::string& line : fLines(text)) {
          size_t tab = line.find('\t');
          if (tab != std::string::npos) f.emplace_back(line.substr(0, tab), line.substr(tab + 1));
        }
        for (const auto& kv : f)
          if (kv.second.find(e.name) != std::string::npos) summary = f;
      }
    }
    s.html = fHeading("randext", "RandExt", e.name);
    if (!summary.empty()) s.html += "<h3>Run</h3>" + fFactsTable(summary);
    s.html += fExperimentBody(e, false);
    sections.push_back(s);
  }
  for (const auto& list : lists) {
    Section s;
    s.sortKey = list.first + ".randext-tasks";
    s.html = fHeading("randext-tasks", "RandExtTaskList", list.first);
    s.html += "<h3>Tasks compared</h3><table><tr><th>task</th><th>sites</th><th>mean entropy</th><th>sigma</th>"
              "<th>mean+3 sigma</th></tr>";
    for (const Experiment* e : list.second)
      s.html += "<tr><td>" + svg::fEscape(e->name) + "</td><td class=\"n\">" + std::to_string(e->sites.size()) +
                "</td><td class=\"n\">" + fEntropyText(e->mean) + "</td><td class=\"n\">" + fEntropyText(e->sigma) +
                "</td><td class=\"n\">" + fEntropyText(e->meanPlus3) + "</td></tr>";
    s.html += "</table>";
    for (const Experiment* e : list.second)
      s.html += "<div class=\"panel\"><h3>" + svg::fEscape(e->name) + "</h3>" + fExperimentBody(*e, true) + "</div>";
    sections.push_back(s);
  }
}
}  // namespace

std::string fReportHtml(const std::string& directory, int& count) {
  const fs::path dir(directory);
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
    if (it->is_regular_file(error)) names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());

  std::vector<Section> sections;
  std::vector<Experiment> experiments;
  for (const std::string& name : names) {
    Section s;
    if (fCoverage(dir, name, s) || fParted(dir, name, s) || fCircular(dir, name, s) || fRating(dir, name, s)) {
      sections.push_back(s);
      continue;
    }
    if (fEndsWith(name, "_Log.txt")) {
      std::string text;
      fRead(dir / name, text);
      if (fStretches(dir, name, text, s) || fAbsent(dir, name, text, s) || fOnce(dir, name, text, s) ||
          fAssembly(dir, name, text, s))
        sections.push_back(s);
      continue;
    }
    Experiment e;
    if (fEndsWith(name, ".txt") && fReadExperiment(dir, name, e)) experiments.push_back(std::move(e));
  }
  fExperimentSections(experiments, dir, sections);
  std::stable_sort(sections.begin(), sections.end(),
                   [](const Section& a, const Section& b) { return a.sortKey < b.sortKey; });
  count = static_cast<int>(sections.size());

  std::string title = "vantrels report: " + dir.filename().string();
  if (dir.filename().empty()) title = "vantrels report: " + dir.parent_path().filename().string();
  std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                     svg::fEscape(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" +
                     svg::fEscape(title) + "</h1>\n<p>" + std::to_string(count) +
                     " run(s) found. Positions are 1-based genome positions as in the result tables; "
                     "+ is the upper strand (the genome itself), \xE2\x88\x92 the lower strand.</p>\n<ul>";
  for (const Section& s : sections) {
    size_t a = s.html.find("id=\""), b = s.html.find('"', a + 4);
    size_t t = s.html.find('>', a), u = s.html.find("</h2>", t);
    html += "<li><a href=\"#" + s.html.substr(a + 4, b - a - 4) + "\">" + s.html.substr(t + 1, u - t - 1) + "</a></li>";
  }
  html += "</ul>\n";
  for (const Section& s : sections) html += "<section>" + s.html + "</section>\n";
  return html + "</body>\n</html>\n";
}

int fWriteReport(const std::string& directory, std::string& problem) {
  std::error_code error;
  if (!fs::is_directory(directory, error)) {
    problem = directory + ": not a directory with results; give the --out folder of a run";
    return 2;
  }
  int sections = 0;
  std::string html = fReportHtml(directory, sections);
  if (sections == 0) {
    problem = directory + ": no results found to report on; give the --out folder of a run";
    return 2;
  }
  // Written whole under a temporary name, then put in place: an earlier report stays until then.
  const fs::path target = fs::path(directory) / "report.html";
  const fs::path part = fs::path(directory) / ".report.html.part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(html.data(), static_cast<std::streamsize>(html.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(part, error);
      problem = target.string() + ": can't be written; check the folder's space and permissions";
      return 3;
    }
  }
  fs::rename(part, target, error);
  if (error) {
    fs::remove(part, error);
    problem = target.string() + ": can't be written; check the folder's permissions";
    return 3;
  }
  return 0;
}
