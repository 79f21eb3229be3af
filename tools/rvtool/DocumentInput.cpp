// What several subcommands share: reading a document from plain text, and a
// GUI application for the real fonts when no fake metrics are asked for.
#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "RvTool.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVUni.h"

namespace rvtool {

bool loadRvf(kc::TCustomRVData &doc, const std::string &bytes, const std::string &file, const char *program,
             kc::TRVLayoutInfo *layout) {
  const kc::TRVFReadResult r = kc::LoadRvfFromStream(doc, bytes, layout);
  if (!r.Ok) {
    std::fprintf(stderr, "%s: %s is not a readable RVF file: %s\n", program, file.c_str(), r.Error.c_str());
    return false;
  }
  if (r.CutShort)
    std::fprintf(stderr, "%s: warning: %s ends inside its last line: it may be only a part of the document\n", program,
                 file.c_str());
  return true;
}

void loadPlainText(kc::TCustomRVData &doc, const std::string &bytes) {
  std::string text = bytes;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  size_t start = 0;
  while (true) {
    const size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const QString q = QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    auto item = kc::RichVistaTextItemClass(&doc);
    item->StyleNo = 0;
    item->ParaNo = 0;
    item->ItemOptions.Include(kc::rvioUnicode);
    doc.AddItem(kc::WideStringToRaw(
                    std::u16string_view(reinterpret_cast<const char16_t *>(q.utf16()), static_cast<size_t>(q.size()))),
                std::move(item));
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

std::unique_ptr<QGuiApplication> guiApplicationUnless(bool fake) {
  if (fake || QGuiApplication::instance()) return nullptr;
  // The tool measures with the installed fonts and draws into pictures: it
  // needs no display. Unless a platform is named it uses none, so that it
  // runs anywhere and its figures do not depend on the desktop.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int qargc = 1;
  static char name[] = "rvtool";
  static char *qargv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(qargc, qargv);
}

} // namespace rvtool
