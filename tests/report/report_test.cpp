// The HTML report: a section and the expected plots for each kind of run
// found in a results folder, nothing fetched from elsewhere, the same bytes for
// the same results. The command's messages are pinned end to end in tests/cli.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/report.h"
#include "report/svg.h"
#include "support/run_folder.h"

namespace {

int fCount(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(Report, EachRunGetsItsSectionAndPlotsAndTheSameResultsGiveTheSameBytes) {
  RunFolder dir;
  // Native result files of several runs, as the procedures write them.
  dir.write("s1[20-40]chr_Log.txt",
            "program= fMatchReadsT_VarSzO\ngenome= chr.bin\nreads= s1.bin\nuser size scope=[20,40]\ninput reads= 5");
  dir.write("s1[20-40]chr_Up1.txt", "1\t0.00\n2\t1.50\n3\t0.00\n4\t2.00\n");
  dir.write("s1[20-40]chr_Lw1.txt", "1\t1.00\n2\t0.00\n3\t0.50\n4\t0.00\n");
  dir.write("exp_20!5!1!.txt",
            "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu"
            "\n7\t3\t0.6365\t+\tACGTACGTACGTACGTACGTaaaaa\t2\n7\t3\t0.6365\t+\tACGTACGTACGTACGTACGTccccc\t1"
            "\n90\t2\t0.0000\t-\tTTTTACGTACGTACGTACGTggggg\t2");
  dir.write("exp_20!5!1!Log.txt",
            "proc=Vantrels::fCutRnaWithReplacedEnd\ngenome=g.txt\nreads=r.txt\nentropy statistic report:\n"
            "range=[0.0000,0.6365];\tmean=0.3183;\tsigma=0.4501;\nmean+3sigma=1.6686;");
  dir.write("r_RCircular.txt",
            "program= Vantrels::fIdentifyCircularRna\ngenome= g\nreads= r\npossible cycled Rna"
            "\n+12\tacGTACGTACGTACgt\n+\t12\tacGTACGTACGTACgt\n-40\tttACGTACGTACGTaa");
  dir.write("s1.coverage.summary.tsv", "version\t1\ncommand\tcoverage\ngenome_length\t4\n");

  std::string problem;
  ASSERT_EQ(fWriteReport(dir.dir(), problem), 0) << problem;
  const std::string html = dir.read("report.html");
  EXPECT_FALSE(dir.exists(".report.html.part"));
  int sections = 0;
  EXPECT_EQ(fReportHtml(dir.dir(), sections), html);
  EXPECT_EQ(sections, 3);
  const char* shown[] = {
      // Coverage: both strands as tracks; the summary's facts in its header table.
      "Weighted read starts along the genome", "<td>genome_length</td><td>4</td>",
      "Weighted read starts: 3.5 on the + strand, 1.5 on the",
      // End replacement: entropy histogram with mean and mean+3 sigma, site map, top sites.
      "Tip entropy of the sites", "mean 0.3183", "mean+3 sigma 1.6686", "Sites along the genome by strand",
      "<code>aaaaa (2), ccccc (1)</code>",
      // Circular RNA: junction track and the segment read twice on top.
      "Circular-RNA junction segments along the genome", "<td class=\"n\">12</td><td>+</td><td class=\"n\">2</td>"};
  for (const char* text : shown) EXPECT_NE(html.find(text), std::string::npos) << text;
  EXPECT_EQ(fCount(html, "<tr><td class=\"n\">"), 2 + 2);  // two sites, two circular segments
  EXPECT_EQ(fCount(html, "<svg "), 4);
  // Self-contained: no script, no link, no address of anything outside the page.
  for (const char* outside : {"http:", "https:", "<script", "<link", "src=", "@import", "url(h", "url(/"})
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
}

TEST(ReportPlots, TicksAndGenomeUnitsReadAtAGlance) {
  const struct {
    double bases;
    const char* text;
  } cases[] = {{0, "0"}, {850, "850 b"}, {20000, "20 kb"}, {1500000, "1.5 Mb"}, {4938920, "4.94 Mb"}};
  for (const auto& c : cases) EXPECT_EQ(svg::fBases(c.bases), c.text);
  // The last tick reaches the largest value, so nothing is drawn off the axis.
  std::vector<double> ticks = svg::fTicks(0, 1.72, 3);
  EXPECT_GE(ticks.back(), 1.72);
  EXPECT_EQ(ticks.front(), 0);
  EXPECT_EQ(svg::fNumber(0.5), "0.5");
  EXPECT_EQ(svg::fNumber(2), "2");
  EXPECT_EQ(svg::fEscape("a<b&\"c\">"), "a&lt;b&amp;&quot;c&quot;&gt;");
}

}  // namespace
