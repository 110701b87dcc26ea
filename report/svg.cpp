#include "report/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace svg {
namespace {
constexpr int kWidth = 760;
constexpr int kLeft = 78;
constexpr int kRight = 24;
constexpr int kTop = 40;
constexpr int kBottom = 52;

std::string fCoord(double v) { return fNumber(v, 1); }

// The opening of a plot: its frame, title and accessible name.
std::string fOpen(const std::string& title, int height) {
  std::string out = "<svg class=\"plot\" role=\"img\" viewBox=\"0 0 " +
                    std::to_string(kWidth) + " " + std::to_string(height) + "\" width=\"" +
                    std::to_string(kWidth) + "\" height=\"" + std::to_string(height) + "\">";
  out += "<title>" + fEscape(title) + "</title>";
  out += "<text class=\"title\" x=\"" + std::to_string(kWidth / 2) + "\" y=\"22\" text-anchor=\"middle\">" +
         fEscape(title) + "</text>";
  return out;
}

std::string fText(double x, double y, const std::string& text, const char* anchor, const char* cls = "tick") {
  return "<text class=\"" + std::string(cls) + "\" x=\"" + fCoord(x) + "\" y=\"" + fCoord(y) +
         "\" text-anchor=\"" + anchor + "\">" + fEscape(text) + "</text>";
}

std::string fLine(double x1, double y1, double x2, double y2, const char* colour, const char* extra = "") {
  return "<line x1=\"" + fCoord(x1) + "\" y1=\"" + fCoord(y1) + "\" x2=\"" + fCoord(x2) + "\" y2=\"" +
         fCoord(y2) + "\" stroke=\"" + colour + "\"" + extra + "/>";
}

std::string fRect(double x, double y, double w, double h, const std::string& fill, const char* extra = "") {
  return "<rect x=\"" + fCoord(x) + "\" y=\"" + fCoord(y) + "\" width=\"" + fCoord(std::max(w, 0.0)) +
         "\" height=\"" + fCoord(std::max(h, 0.0)) + "\" fill=\"" + fill + "\"" + extra + "/>";
}

// A value axis mirrored about the genome axis at axisY: the upper strand's
// values above it, the lower strand's below, `half` pixels for `top`.
std::string fMirroredAxis(double axisY, double half, double top, const std::vector<double>& ticks,
                          const std::string& label) {
  std::string out = fLine(kLeft, axisY - half, kLeft, axisY + half, "#000");
  auto tick = [&](double y, double t) {
    out += fLine(kLeft - 5, y, kLeft, y, "#000") + fText(kLeft - 8, y + 4, fNumber(t), "end");
  };
  for (double t : ticks) {
    tick(axisY - t / top * half, t);
    if (t > 0) tick(axisY + t / top * half, t);
  }
  return out + "<text class=\"axis\" transform=\"translate(16," + fCoord(axisY) +
         ") rotate(-90)\" text-anchor=\"middle\">" + fEscape(label) + "</text>";
}

// The y axis of a plot area with ticks from 0 to top, labelled.
std::string fYAxis(double top, double y0, double y1, const std::string& label, bool genomeUnits = false) {
  std::string out = fLine(kLeft, y0, kLeft, y1, "#000");
  for (double t : fTicks(0, top, 5)) {
    double y = y0 - (top > 0 ? t / top : 0) * (y0 - y1);
    out += fLine(kLeft - 5, y, kLeft, y, "#000");
    out += fText(kLeft - 8, y + 4, genomeUnits ? fBases(t) : fNumber(t), "end");
  }
  double mid = (y0 + y1) / 2;
  out += "<text class=\"axis\" transform=\"translate(16," + fCoord(mid) +
         ") rotate(-90)\" text-anchor=\"middle\">" + fEscape(label) + "</text>";
  return out;
}

// The x axis along the genome: ticks in b/kb/Mb.
std::string fGenomeAxis(int64_t length, double y) {
  const double plotWidth = kWidth - kLeft - kRight;
  std::string out = fLine(kLeft, y, kLeft + plotWidth, y, "#000");
  for (double t : fTicks(0, static_cast<double>(length), 8)) {
    if (t > length) break;
    double x = kLeft + (length > 0 ? t / length : 0) * plotWidth;
    out += fLine(x, y, x, y + 5, "#000");
    out += fText(x, y + 18, fBases(t), "middle");
  }
  return out;
}

// Viridis stops: a sequential scale that stays readable without colour vision.
std::string fScale(double fraction) {
  static const int stops[6][3] = {{68, 1, 84}, {65, 68, 135}, {42, 120, 142},
                                  {34, 168, 132}, {122, 209, 81}, {253, 231, 37}};
  if (!(fraction > 0)) fraction = 0;
  if (fraction > 1) fraction = 1;
  double at = fraction * 5;
  int i = std::min(4, static_cast<int>(at));
  double f = at - i;
  char out[8];
  int rgb[3];
  for (int c = 0; c < 3; ++c) rgb[c] = static_cast<int>(std::lround(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f));
  std::snprintf(out, sizeof out, "#%02X%02X%02X", rgb[0], rgb[1], rgb[2]);
  return out;
}
}  // namespace

std::string fNumber(double value, int decimals) {
  if (!std::isfinite(value)) return "n/a";
  char text[64];
  if (std::fabs(value - std::round(value)) < 1e-9 && std::fabs(value) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", std::round(value) == 0 ? 0.0 : std::round(value));
    return text;
  }
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string out(text);
  while (!out.empty() && out.back() == '0') out.pop_back();
  if (!out.empty() && out.back() == '.') out.pop_back();
  if (out == "-0") out = "0";
  return out;
}

std::string fBases(double bases) {
  if (bases == 0) return "0";
  if (std::fabs(bases) >= 1e6) return fNumber(bases / 1e6, 2) + " Mb";
  if (std::fabs(bases) >= 1e3) return fNumber(bases / 1e3, 1) + " kb";
  return fNumber(bases, 0) + " b";
}

std::vector<double> fTicks(double low, double high, int target) {
  std::vector<double> ticks;
  if (!(high > low) || target < 1) {
    ticks.push_back(low);
    return ticks;
  }
  double raw = (high - low) / target;
  double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  double step = magnitude;
  for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
    if (m * magnitude >= raw) {
      step = m * magnitude;
      break;
    }
  // The last tick reaches `high`, so a plot scaled to it holds every value.
  for (double t = std::ceil(low / step - 1e-9) * step;; t += step) {
    ticks.push_back(std::fabs(t) < step * 1e-9 ? 0 : t);
    if (t >= high - step * 1e-9) break;
  }
  return ticks;
}

std::string fEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

void fBin(const std::vector<double>& values, double low, double high, int bins, std::vector<double>& edges,
          std::vector<double>& counts) {
  if (bins < 1) bins = 1;
  if (!(high > low)) high = low + 1;
  edges.assign(bins + 1, 0);
  counts.assign(bins, 0);
  for (int i = 0; i <= bins; ++i) edges[i] = low + (high - low) * i / bins;
  for (double v : values) {
    int i = static_cast<int>((v - low) / (high - low) * bins);
    counts[std::min(std::max(i, 0), bins - 1)] += 1;
  }
}

std::string fHistogram(const std::string& title, const std::string& xLabel, const std::string& yLabel,
                       const std::vector<double>& edges, const std::vector<double>& counts,
                       const std::vector<Marker>& markers) {
  const int height = 300;
  const double y0 = height - kBottom, y1 = kTop;
  const double plotWidth = kWidth - kLeft - kRight;
  double top = 0;
  for (double c : counts) top = std::max(top, c);
  std::vector<double> yTicks = fTicks(0, top > 0 ? top : 1, 5);
  top = std::max(yTicks.back(), 1.0);
  std::string out = fOpen(title, height);
  out += fYAxis(top, y0, y1, yLabel);
  double low = edges.empty() ? 0 : edges.front(), high = edges.empty() ? 1 : edges.back();
  if (!(high > low)) high = low + 1;
  auto xOf = [&](double v) { return kLeft + (v - low) / (high - low) * plotWidth; };
  for (size_t i = 0; i < counts.size(); ++i) {
    double x = xOf(edges[i]), w = xOf(edges[i + 1]) - x;
    double h = counts[i] / top * (y0 - y1);
    if (counts[i] > 0) out += fRect(x, y0 - h, w > 1.5 ? w - 0.5 : w, h, kBlue);
  }
  out += fLine(kLeft, y0, kLeft + plotWidth, y0, "#000");
  for (double t : fTicks(low, high, 8)) {
    out += fLine(xOf(t), y0, xOf(t), y0 + 5, "#000");
    out += fText(xOf(t), y0 + 18, fNumber(t), "middle");
  }
  out += fText(kLeft + plotWidth / 2, height - 10, xLabel, "middle", "axis");
  int row = 0;
  for (const Marker& m : markers) {
    if (!(m.at >= low && m.at <= high)) continue;
    out += fLine(xOf(m.at), y0, xOf(m.at), y1, m.colour,
                 m.dashed ? " stroke-width=\"2\" stroke-dasharray=\"6 4\"" : " stroke-width=\"2\"");
    out += fText(xOf(m.at) + 4, y1 + 12 + 14 * row++, m.label, "start", "note");
  }
  return out + "</svg>";
}

std::string fStrandTracks(const std::string& title, const std::string& yLabel, int64_t genomeLength,
                          const std::vector<double>& upper, const std::vector<double>& lower) {
  const int height = 340;
  const double plotWidth = kWidth - kLeft - kRight;
  const double axisY = kTop + (height - kTop - kBottom) / 2.0, half = (height - kTop - kBottom) / 2.0 - 4;
  double top = 0;
  for (double v : upper) top = std::max(top, v);
  for (double v : lower) top = std::max(top, v);
  std::vector<double> ticks = fTicks(0, top > 0 ? top : 1, 3);
  top = std::max(ticks.back(), 1.0);
  std::string out = fOpen(title, height);
  out += "<defs><pattern id=\"hatch\" patternUnits=\"userSpaceOnUse\" width=\"4\" height=\"4\">"
         "<path d=\"M0,4 L4,0\" stroke=\"" + std::string(kVermillion) + "\" stroke-width=\"1.2\"/></pattern></defs>";
  out += fMirroredAxis(axisY, half, top, ticks, yLabel);
  auto track = [&](const std::vector<double>& bins, bool above) {
    std::string path;
    const double w = bins.empty() ? 0 : plotWidth / bins.size();
    for (size_t i = 0; i < bins.size(); ++i) {
      if (bins[i] <= 0) continue;
      double h = bins[i] / top * half;
      path += fRect(kLeft + i * w, above ? axisY - h : axisY, w, h, above ? kBlue : "url(#hatch)",
                    above ? "" : " stroke=\"#D55E00\" stroke-width=\"0.3\"");
    }
    return path;
  };
  out += "<g class=\"upper\">" + track(upper, true) + "</g>";
  out += "<g class=\"lower\">" + track(lower, false) + "</g>";
  out += fGenomeAxis(genomeLength, axisY);
  out += fText(kLeft + 6, kTop + 10, "+ strand (above the axis, solid)", "start", "note");
  out += fText(kLeft + 6, height - kBottom - 2, "\xE2\x88\x92 strand (below the axis, hatched)", "start", "note");
  out += fText(kLeft + plotWidth / 2, height - 10, "genome position", "middle", "axis");
  return out + "</svg>";
}

std::string fBars(const std::string& title, const std::string& yLabel, const std::vector<std::string>& labels,
                  const std::vector<double>& values) {
  const int height = 280;
  const double y0 = height - kBottom, y1 = kTop;
  const double plotWidth = kWidth - kLeft - kRight;
  double top = 0;
  for (double v : values) top = std::max(top, v);
  std::vector<double> ticks = fTicks(0, top > 0 ? top : 1, 5);
  top = std::max(ticks.back(), 1.0);
  static const char* colours[] = {kBlue, kOrange, kGreen, kVermillion, kSkyBlue, kPurple};
  std::string out = fOpen(title, height);
  out += fYAxis(top, y0, y1, yLabel);
  out += fLine(kLeft, y0, kLeft + plotWidth, y0, "#000");
  const double slot = labels.empty() ? plotWidth : plotWidth / labels.size();
  for (size_t i = 0; i < labels.size() && i < values.size(); ++i) {
    double h = values[i] / top * (y0 - y1);
    double x = kLeft + i * slot + slot * 0.2;
    out += fRect(x, y0 - h, slot * 0.6, h, colours[i % 6]);
    out += fText(x + slot * 0.3, y0 - h - 5, fNumber(values[i]), "middle");
    out += fText(x + slot * 0.3, y0 + 18, labels[i], "middle");
  }
  return out + "</svg>";
}

std::string fSiteMap(const std::string& title, const std::string& valueLabel, int64_t genomeLength,
                     const std::vector<Site>& sites, double valueMax) {
  const int height = 340;
  const double plotWidth = kWidth - kLeft - kRight;
  const double axisY = kTop + (height - kTop - kBottom) / 2.0, half = (height - kTop - kBottom) / 2.0 - 8;
  std::vector<double> ticks = fTicks(0, valueMax > 0 ? valueMax : 1, 3);
  double top = std::max(ticks.back(), 1e-9);
  std::string out = fOpen(title, height);
  out += fMirroredAxis(axisY, half, top, ticks, valueLabel);
  out += "<g class=\"sites\">";
  for (const Site& s : sites) {
    double x = kLeft + (genomeLength > 0 ? static_cast<double>(s.position - 1) / genomeLength : 0) * plotWidth;
    double dy = std::max(s.value, 0.0) / top * half;
    bool up = s.strand == '+';
    std::string colour = fScale(valueMax > 0 ? s.value / valueMax : 0);
    double y = up ? axisY - dy : axisY + dy;
    out += fLine(x, axisY, x, y, "#999", " stroke-width=\"0.6\"");
    std::string tri = up ? "M" + fCoord(x - 3.5) + "," + fCoord(y + 3) + " L" + fCoord(x + 3.5) + "," + fCoord(y + 3) +
                               " L" + fCoord(x) + "," + fCoord(y - 3.5) + " Z"
                         : "M" + fCoord(x - 3.5) + "," + fCoord(y - 3) + " L" + fCoord(x + 3.5) + "," + fCoord(y - 3) +
                               " L" + fCoord(x) + "," + fCoord(y + 3.5) + " Z";
    out += "<path d=\"" + tri + "\" fill=\"" + colour + "\" stroke=\"#333\" stroke-width=\"0.4\"/>";
  }
  out += "</g>";
  out += fGenomeAxis(genomeLength, axisY);
  out += fText(kLeft + 6, kTop + 10, "\xE2\x96\xB2 + strand (above the axis)", "start", "note");
  out += fText(kLeft + 6, height - kBottom - 2, "\xE2\x96\xBC \xE2\x88\x92 strand (below the axis)", "start", "note");
  // Colour key of the value scale, below the plot on the right.
  const double keyX = kWidth - kRight - 120, keyY = height - 24;
  out += fText(keyX - 6, keyY + 8, fEscape(valueLabel) + ":", "end", "tick");
  for (int i = 0; i < 5; ++i) out += fRect(keyX + i * 24, keyY, 24, 9, fScale(i / 4.0));
  out += fText(keyX, keyY + 20, "0", "start", "tick");
  out += fText(keyX + 120, keyY + 20, fNumber(valueMax), "end", "tick");
  out += fText(kLeft + plotWidth / 2 - 60, height - 10, "genome position", "middle", "axis");
  return out + "</svg>";
}

}  // namespace svg
