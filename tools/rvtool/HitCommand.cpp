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

namespace rvtool {

namespace {

// UTF-8 text, one paragraph a line, in text and paragraph style 0, as
// rvtool format reads it.
void loadText(kc::TCustomRVData &Doc, kc::TRVStyle &Style, std::string Text) {
  Style.TextStyles().Items(0)->Unicode = true;
  if (!Text.empty() && Text.back() == '\n') Text.pop_back();
  size_t start = 0;
  while (true) {
    const size_t end = Text.find('\n', start);
    std::string line = Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::u16string u = QString::fromUtf8(line.data(), qsizetype(line.size())).toStdU16String();
    auto item = kc::RichVistaTextItemClass(&Doc);
    item->StyleNo = 0;
    item->ParaNo = 0;
    item->ItemOptions.Include(kc::rvioUnicode);
    Doc.AddItem(kc::WideStringToRaw(u), std::move(item));
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

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
  std::unique_ptr<QGuiApplication> app;
  if (!fake && !QGuiApplication::instance()) {
    static int qargc = 1;
    static char name[] = "rvtool";
    static char *qargv[] = {name, nullptr};
    app = std::make_unique<QGuiApplication>(qargc, qargv);
  }
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
    const kc::TRVFReadResult r = kc::LoadRvfFromStream(doc, bytes, nullptr);
    if (!r.Ok) {
      std::fprintf(stderr, "rvtool: %s is not a readable RVF file: %s\n", file.c_str(), r.Error.c_str());
      return 1;
    }
  } else {
    loadText(doc, style, bytes);
  }
  doc.ReformatAllForced(true);
  int line = -1, offs = -1;
  doc.HitTestDrawLine(x, y, false, line, offs);
  if (line < 0) {
    std::puts("none");
    return 0;
  }
  int item = -1, itemOffs = 0;
  doc.DrawPosToItemPos(line, offs, item, itemOffs);
  std::printf("%d %d\n", item, itemOffs);
  return 0;
}

} // namespace rvtool
