// The hit subcommand: which place of a document a point lands on, as a
// mouse selection would take it (the nearest place of the nearest line).
#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "RvTool.h"
#include "platform/QtCanvas.h"
#include "platform/RecordingCanvas.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVUni.h"
#include "richtext/tables/RVTableDump.h"

namespace rvtool {

namespace {

int hitUsage() {
  std::fputs("usage: rvtool hit --width N [--fake W,A,D] FILE X Y\n", stderr);
  return 2;
}

bool parseInt(const std::string &s, int &v) {
  char *end = nullptr;
  const long n = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || n < -(1L << 30) || n > (1L << 30)) return false;
  v = int(n);
  return true;
}

} // namespace

int hitTest(int argc, char **argv) {
  int width = -1, w = 7, a = 11, d = 3, x = 0, y = 0;
  bool fake = false;
  std::vector<std::string> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string s = argv[i];
    if (s == "--width" && i + 1 < argc) {
      if (!parseInt(argv[++i], width)) return hitUsage();
    } else if (s == "--fake" && i + 1 < argc) {
      fake = true;
      if (std::sscanf(argv[++i], "%d,%d,%d", &w, &a, &d) != 3) return hitUsage();
    } else {
      rest.push_back(s);
    }
  }
  if (width < 0 || rest.size() != 3 || !parseInt(rest[1], x) || !parseInt(rest[2], y)) return hitUsage();
  const auto app = guiApplicationUnless(fake);
  std::string bytes;
  if (!readFile(rest[0], bytes)) return 1;
  std::unique_ptr<kc::TCanvas> canvas;
  if (fake) {
    kc::RecordingCanvas::Metrics m;
    m.charWidth = w;
    m.ascent = a;
    m.descent = d;
    canvas = std::make_unique<kc::RecordingCanvas>(m);
  } else {
    canvas = std::make_unique<kc::QtCanvas>();
  }
  kc::TRVStyle style;
  kc::TRVFixedHost host(canvas.get(), width, 1 << 20);
  host.Style = &style;
  kc::TRichVistaRVData doc(&host);
  const std::string &file = rest[0];
  if (file.size() >= 4 && file.compare(file.size() - 4, 4, ".rvf") == 0) {
    host.RVFOptions = kc::TRVFOptions{kc::rvfoSavePicturesBody, kc::rvfoSaveControlsBody, kc::rvfoSaveTextStyles,
                                      kc::rvfoSaveParaStyles};
    if (!rvtool::loadRvf(doc, bytes, file, "rvtool")) return 1;
  } else {
    style.TextStyles().Items(0)->Unicode = true;
    loadPlainText(doc, bytes);
  }
  doc.ReformatAllForced(true);
  std::fputs(kc::RVDescribeHit(doc, x, y).c_str(), stdout);
  return 0;
}

} // namespace rvtool
