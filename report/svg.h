// The report's own small plotting: histograms, strand tracks along the
// circular genome, bar charts and site maps, each as one inline SVG element.
// Output depends only on the numbers given (no clock, no locale), so the same
// results always give the same bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace svg {

// Okabe-Ito colours: told apart by readers with any common colour vision.
constexpr const char* kBlue = "#0072B2";
constexpr const char* kVermillion = "#D55E00";
constexpr const char* kSkyBlue = "#56B4E9";
constexpr const char* kGreen = "#009E73";
constexpr const char* kOrange = "#E69F00";
constexpr const char* kPurple = "#CC79A7";
constexpr const char* kGrey = "#666666";

// A number as a person reads it: whole numbers without a fraction, others
// with at most `decimals` digits, trailing zeros dropped.
std::string fNumber(double value, int decimals = 2);
// A genome position or length: "0", "850 b", "20 kb", "1.5 Mb".
std::string fBases(double bases);
// About `target` evenly spaced round ticks covering [low, high].
std::vector<double> fTicks(double low, double high, int target);
// Text for SVG and HTML.
std::string fEscape(const std::string& text);

// A vertical line across a histogram at a value, with its label.
struct Marker {
  double at;
  std::string label;
  const char* colour;
  bool dashed;
};

// Bars over [edges[i], edges[i+1]) with height counts[i].
std::string fHistogram(const std::string& title, const std::string& xLabel, const std::string& yLabel,
                       const std::vector<double>& edges, const std::vector<double>& counts,
                       const std::vector<Marker>& markers = {});

// Even bins of `values` between low and high (high included in the last bin).
void fBin(const std::vector<double>& values, double low, double high, int bins, std::vector<double>& edges,
          std::vector<double>& counts);

// Two linear tracks along the genome from a common axis: the upper strand
// filled above it, the lower strand hatched below it; bins cover 1..length.
std::string fStrandTracks(const std::string& title, const std::string& yLabel, int64_t genomeLength,
                          const std::vector<double>& upper, const std::vector<double>& lower);

// One bar per label.
std::string fBars(const std::string& title, const std::string& yLabel, const std::vector<std::string>& labels,
                  const std::vector<double>& values);

// A feature at a genome position on one strand with a value: drawn as a stem
// whose height is the value, upward triangles above the axis for '+',
// downward below it for '-', coloured by the value.
struct Site {
  int64_t position;
  char strand;
  double value;
};
std::string fSiteMap(const std::string& title, const std::string& valueLabel, int64_t genomeLength,
                     const std::vector<Site>& sites, double valueMax);

}  // namespace svg
