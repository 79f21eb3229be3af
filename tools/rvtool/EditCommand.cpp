// rvtool edit: a headless editor over a document, driven by commands on
// standard input, one a line (see RVEditScript.h); "dump" prints the text
// and the caret.
#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "RvTool.h"
#include "platform/QtCanvas.h"
#include "platform/RecordingCanvas.h"
#include "richtext/controls/RVEditScript.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVUni.h"

namespace rvtool {

int editDocument(int argc, char **argv) {
  int width = 600;
  bool fake = false;
  std::string file;
  for (int i = 0; i < argc; ++i) {
    const std::string s = argv[i];
    if (s == "--width" && i + 1 < argc) width = std::atoi(argv[++i]);
    else if (s == "--fake") fake = true;
    else if (file.empty() && s.rfind("--", 0) != 0) file = s;
    else width = -1;
  }
  if (width <= 0) {
    std::fputs("usage: rvtool edit [--width N] [--fake] [FILE] < COMMANDS\n", stderr);
    return 2;
  }
  const auto app = guiApplicationUnless(fake);
  std::unique_ptr<kc::TCanvas> canvas;
  if (fake) canvas = std::make_unique<kc::RecordingCanvas>(kc::RecordingCanvas::Metrics{});
  else canvas = std::make_unique<kc::QtCanvas>();
  kc::TRVStyle style;
  style.TextStyles().Items(0)->Unicode = true;
  kc::TRVFixedHost host(canvas.get(), width, 400);
  host.Style = &style;
  kc::TRVEditRVData doc(&host);
  if (!file.empty()) {
    std::string bytes;
    if (!readFile(file, bytes)) return 1;
    if (file.size() >= 4 && file.compare(file.size() - 4, 4, ".rvf") == 0) {
      host.RVFOptions = kc::TRVFOptions{kc::rvfoSavePicturesBody, kc::rvfoSaveControlsBody,  kc::rvfoSaveTextStyles,
                                        kc::rvfoSaveParaStyles,   kc::rvfoSaveDocProperties, kc::rvfoLoadDocProperties};
      if (!rvtool::loadRvf(doc, bytes, file, "rvtool")) return 1;
    } else {
      loadPlainText(doc, bytes);
    }
  }
  if (doc.GetItemCount() == 0) loadPlainText(doc, std::string());
  doc.ReformatAllForced(true);
  kc::TRVEditScript script(doc);
  std::string line;
  int lineNo = 0, status = 0;
  while (std::getline(std::cin, line)) {
    ++lineNo;
    std::string out, error;
    if (!script.Run(line, out, error)) {
      std::fprintf(stderr, "rvtool: line %d: %s\n", lineNo, error.c_str());
      status = 1;
    }
    std::fputs(out.c_str(), stdout);
  }
  return status;
}

} // namespace rvtool
