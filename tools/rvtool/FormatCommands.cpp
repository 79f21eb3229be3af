// The formatting and painting subcommands: a document laid out at a width,
// printed as draw lines or painted into a PNG file.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "RvTool.h"
#include "platform/Files.h"
#include "platform/QtCanvas.h"
#include "platform/RecordingCanvas.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVUni.h"
#include "richtext/tables/RVTableDump.h"

namespace rvtool {

namespace {

struct Options {
  int width = -1;
  bool fake = false;
  int w = 7, a = 11, d = 3;
  std::string file, out;
};

bool parse(int argc, char **argv, Options &o, int files) {
  std::vector<std::string> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string s = argv[i];
    if (s == "--width" && i + 1 < argc) o.width = std::atoi(argv[++i]);
    else if (s == "--fake" && i + 1 < argc) {
      o.fake = true;
      if (std::sscanf(argv[++i], "%d,%d,%d", &o.w, &o.a, &o.d) != 3) return false;
    } else rest.push_back(s);
  }
  if (o.width < 0 || static_cast<int>(rest.size()) != files) return false;
  o.file = rest[0];
  if (files > 1) o.out = rest[1];
  return true;
}

struct Formatted {
  kc::TRVStyle style;
  std::unique_ptr<kc::TCanvas> canvas;
  std::unique_ptr<kc::TRVFixedHost> host;
  std::unique_ptr<kc::TRichVistaRVData> doc;
};

bool formatFile(const Options &o, Formatted &f) {
  std::string bytes;
  if (!kc::ReadWholeFile(o.file, bytes)) {
    std::fprintf(stderr, "rvtool: cannot read \"%s\"\n", o.file.c_str());
    return false;
  }
  if (o.fake) {
    kc::RecordingCanvas::Metrics m;
    m.charWidth = o.w;
    m.ascent = o.a;
    m.descent = o.d;
    f.canvas = std::make_unique<kc::RecordingCanvas>(m);
  } else {
    f.canvas = std::make_unique<kc::QtCanvas>();
  }
  f.host = std::make_unique<kc::TRVFixedHost>(f.canvas.get(), o.width, 1 << 20);
  f.host->Style = &f.style;
  f.doc = std::make_unique<kc::TRichVistaRVData>(f.host.get());
  const bool rvf = o.file.size() >= 4 && o.file.compare(o.file.size() - 4, 4, ".rvf") == 0;
  const bool rtf = o.file.size() >= 4 && o.file.compare(o.file.size() - 4, 4, ".rtf") == 0;
  if (rtf) {
    // The file's fonts and paragraphs become styles of their own, as a paste
    // of the file would make them.
    f.style.TextStyles().Items(0)->Unicode = true;
    kc::TRVRTFReaderProperties settings;
    settings.UnicodeMode = kc::rvruOnlyUnicode;
    settings.TextStyleMode = kc::rvrsAddIfNeeded;
    settings.ParaStyleMode = kc::rvrsAddIfNeeded;
    const int code = kc::ImportRTFIntoDocument(bytes, *f.doc, settings);
    if (code != 0 && settings.Warning().empty()) {
      std::fprintf(stderr, "rvtool: %s is not a readable RTF file (code %d)\n", o.file.c_str(), code);
      return false;
    }
  } else if (rvf) {
    // The file's own styles and document properties replace the defaults.
    f.host->RVFOptions =
        kc::TRVFOptions{kc::rvfoSavePicturesBody, kc::rvfoSaveControlsBody,  kc::rvfoSaveTextStyles,
                        kc::rvfoSaveParaStyles,   kc::rvfoSaveDocProperties, kc::rvfoLoadDocProperties};
    if (!rvtool::loadRvf(*f.doc, bytes, o.file, "rvtool")) return false;
  } else {
    f.style.TextStyles().Items(0)->Unicode = true;
    loadPlainText(*f.doc, bytes);
  }
  f.doc->ReformatAllForced(true);
  return true;
}

} // namespace

int formatText(int argc, char **argv) {
  Options o;
  if (!parse(argc, argv, o, 1)) {
    std::fputs("usage: rvtool format --width N [--fake W,A,D] FILE\n", stderr);
    return 2;
  }
  const auto app = guiApplicationUnless(o.fake);
  Formatted f;
  if (!formatFile(o, f)) return 1;
  std::fputs(kc::RVDumpDrawLines(*f.doc).c_str(), stdout);
  std::printf("height %d\n", f.doc->DocumentHeight);
  // The width the document asks of its view, margins included.
  std::printf("width %d\n", f.host->AreaWidth());
  return 0;
}

int renderPng(int argc, char **argv) {
  Options o;
  if (!parse(argc, argv, o, 2) || o.fake) {
    std::fputs("usage: rvtool render --width N FILE OUT.png\n", stderr);
    return 2;
  }
  const auto app = guiApplicationUnless(false);
  Formatted f;
  if (!formatFile(o, f)) return 1;
  const int h = std::max(1, std::min(f.doc->DocumentHeight, 1 << 15));
  QImage img(o.width, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  {
    kc::QtCanvas canvas(&img);
    f.doc->PaintBackground(kc::TRect{0, 0, o.width, h}, canvas);
    f.doc->PaintVisibleLines(kc::TRect{0, 0, o.width, h}, canvas);
  }
  QByteArray png;
  {
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
  }
  if (!kc::WriteFileAtomically(o.out, std::string(png.constData(), static_cast<size_t>(png.size())))) {
    std::fprintf(stderr, "rvtool: cannot write \"%s\"\n", o.out.c_str());
    return 1;
  }
  return 0;
}

} // namespace rvtool
