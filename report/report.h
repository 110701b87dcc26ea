// `vantrels report DIR`: one self-contained HTML page (inline SVG and CSS, no
// script, nothing fetched) with a section per run found in DIR, drawn from the
// result files themselves. The same results give the same bytes.
#pragma once
#include <string>

// Writes DIR/report.html. Returns 0, or the exit code with `problem` set:
// 2 when DIR can't be read or holds no result this report knows, 3 when the
// page can't be written.
int fWriteReport(const std::string& directory, std::string& problem);

// The page itself, for the tests.
std::string fReportHtml(const std::string& directory, int& sections);
