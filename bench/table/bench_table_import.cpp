// Importing tables: an RTF table of 200 x 6 and one of 2,000 x 6 cells (3
// to 10 words a cell, some cells merged across and down, as a word
// processor writes them) read into a document by our import, beside
// QTextDocument::setHtml of the same cells as an HTML table and pandoc
// reading the RTF, with the ratios. The goal: ten times pandoc's speed.
#include <QGuiApplication>
#include <QTextDocument>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVStyle.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// The same table as RTF (Word's way of writing merges) and as HTML.
void makeTable(int Rows, std::string &Rtf, std::string &Html) {
  static const char *const words[] = {"alpha", "beta",  "gamma", "delta", "table", "cell",
                                      "row",   "merge", "width", "chat",  "text",  "word"};
  std::mt19937 rng(Rows);
  Rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20\n";
  Html = "<html><body><table border=1>\n";
  bool downOpen = false; // column 5 merged with the row above
  for (int r = 0; r < Rows; ++r) {
    const bool across = r % 7 == 3;                  // cells 1 and 2 merged
    const bool downStart = !downOpen && r % 11 == 5; // column 5 merged down two rows
    std::string def = "\\trowd\\trgaph108\\trleft-108";
    for (int c = 0; c < 6; ++c) {
      if (across && c == 1) def += "\\clmgf";
      if (across && c == 2) def += "\\clmrg";
      if (c == 5 && downStart) def += "\\clvmgf";
      if (c == 5 && downOpen) def += "\\clvmrg";
      def += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\cellx" + std::to_string(1500 * (c + 1));
    }
    Rtf += def + "\n\\pard\\intbl ";
    Html += "<tr>";
    for (int c = 0; c < 6; ++c) {
      std::string text;
      const int n = 3 + int(rng() % 8);
      for (int k = 0; k < n; ++k) text += std::string(k ? " " : "") + words[rng() % 12];
      const bool covered = (across && c == 2) || (c == 5 && downOpen);
      if (!covered) Rtf += text;
      Rtf += "\\cell ";
      if (covered) continue;
      Html += "<td";
      if (across && c == 1) Html += " colspan=2";
      if (c == 5 && downStart) Html += " rowspan=2";
      Html += ">" + text + "</td>";
    }
    Rtf += "\\row\n";
    Html += "</tr>\n";
    downOpen = downStart;
  }
  Rtf += "\\pard\\par}";
  Html += "</table></body></html>";
}

template <typename F> double best(int Runs, F f) {
  double b = -1;
  for (int i = 0; i < Runs; ++i) {
    const auto t0 = Clock::now();
    f();
    const double s = seconds(t0, Clock::now());
    if (b < 0 || s < b) b = s;
  }
  return b;
}

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  for (int rows : {200, 2000}) {
    std::string rtf, html;
    makeTable(rows, rtf, html);
    int code = 0, items = 0;
    const double ours = best(5, [&] {
      kc::TRVStyle style;
      kc::TRVDataHost host;
      host.Style = &style;
      kc::TCustomRVData doc;
      doc.SetHost(&host);
      kc::TRVRTFReaderProperties settings = kc::EditorRTFReadProperties();
      code = kc::ImportRTFIntoDocument(rtf, doc, settings);
      items = doc.GetItemCount();
    });
    const double qt = best(3, [&] {
      QTextDocument d;
      d.setHtml(QString::fromStdString(html));
    });
    std::printf("%d x 6 (%zu KB of RTF): our import %.4f s (code %d, %d items); QTextDocument::setHtml %.4f s, "
                "ratio %.2f\n",
                rows, rtf.size() / 1024, ours, code, items, qt, qt / ours);
    if (rows == 2000 && std::system("command -v pandoc >/dev/null 2>&1") == 0) {
      const std::filesystem::path file = std::filesystem::temp_directory_path() / "kc-bench-table.rtf";
      std::ofstream(file, std::ios::binary) << rtf;
      const std::string net = std::system("unshare -n true >/dev/null 2>&1") == 0 ? "unshare -n " : "";
      const double pandoc = best(1, [&] {
        const std::string cmd = net + "pandoc --sandbox -f rtf -t native '" + file.string() + "' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "pandoc failed\n");
      });
      std::printf("pandoc -f rtf: %.3f s; our import is %.1fx faster (goal: 10x)\n", pandoc, pandoc / ours);
      std::filesystem::remove(file);
    }
  }
  return 0;
}
