// rvtool convert: reads plain text (UTF-8, a paragraph a line), RTF or RVF and
// writes one of the document formats.
#include "RvTool.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/CRVDataFormats.h"

namespace rvtool {

namespace {

bool endsWith(const std::string &s, const char *tail) {
  const size_t n = std::strlen(tail);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != tail[i]) return false;
  return true;
}

std::string formatOfName(const std::string &path) {
  if (endsWith(path, ".rvf")) return "rvf";
  if (endsWith(path, ".rtf")) return "rtf";
  if (endsWith(path, ".html") || endsWith(path, ".htm")) return "html";
  return "txt";
}

constexpr kc::TRVFOptions kStoredOptions{kc::rvfoSavePicturesBody, kc::rvfoSaveControlsBody,  kc::rvfoSaveTextStyles,
                                         kc::rvfoSaveParaStyles,   kc::rvfoSaveDocProperties, kc::rvfoLoadDocProperties,
                                         kc::rvfoSaveLayout,       kc::rvfoLoadLayout};

void addPlainText(kc::TCustomRVData &doc, const std::string &utf8) {
  size_t start = 0;
  while (start <= utf8.size()) {
    size_t end = utf8.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = utf8.size();
    std::string line = utf8.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!(last && line.empty() && start > 0)) {
      // Style 0 is the sheet's UTF-16 style: every character survives.
      const std::u16string w = kc::utf8ToUtf16(line);
      std::string bytes;
      for (char16_t c : w) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
      }
      auto item = kc::RichVistaTextItemClass(&doc);
      item->StyleNo = 0;
      item->ParaNo = 0;
      item->ItemOptions.Include(kc::rvioUnicode);
      doc.AddItem(bytes, std::move(item));
    }
    if (last) break;
    start = end + 1;
  }
}

} // namespace

int convert(int argc, char **argv) {
  std::string to;
  bool markersAsText = false, usage = false;
  int i = 0;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    if (std::strcmp(argv[i], "--to") == 0 && i + 1 < argc) to = argv[++i];
    else if (std::strncmp(argv[i], "--to=", 5) == 0) to = argv[i] + 5;
    else if (std::strcmp(argv[i], "--markers-as-text") == 0) markersAsText = true;
    else usage = true;
  }
  if (usage || argc - i != 2) {
    std::fputs("usage: rvtool convert [--to rvf|rvf-text|txt|txtw|rtf|html|html-css] [--markers-as-text] IN OUT\n",
               stderr);
    return 2;
  }
  const std::string in = argv[i], out = argv[i + 1];
  if (to.empty()) to = formatOfName(out);
  std::string data;
  if (!readFile(in, data)) return 1;

  kc::TRVStyle style;
  style.TextStyles()[0]->Unicode = true;
  kc::TRVDataHost host;
  host.Style = &style;
  host.Flags = 0x100;
  host.RVFOptions = kStoredOptions;
  kc::TCustomRVData doc;
  doc.SetHost(&host);
  kc::TRVLayoutInfo layout;
  const bool rvfIn = formatOfName(in) == "rvf";
  if (rvfIn) {
    if (!rvtool::loadRvf(doc, data, in, "rvtool", &layout)) return 1;
  } else if (formatOfName(in) == "rtf") {
    // Every run as Unicode with a style of its own format, so that nothing
    // of the text or its formatting is lost on the way.
    kc::TRVRTFReaderProperties settings;
    settings.UnicodeMode = kc::rvruOnlyUnicode;
    settings.TextStyleMode = kc::rvrsAddIfNeeded;
    settings.ParaStyleMode = kc::rvrsAddIfNeeded;
    const int code = kc::ImportRTFIntoDocument(data, doc, settings);
    if (!settings.Warning().empty()) {
      std::fprintf(stderr, "rvtool: %s: %s\n", in.c_str(), settings.Warning().c_str());
    } else if (code != 0) {
      std::fprintf(stderr, "rvtool: %s is not a readable RTF file (code %d)\n", in.c_str(), code);
      return 1;
    }
  } else {
    addPlainText(doc, data);
  }

  std::string result;
  if (to == "rvf" || to == "rvf-text") {
    // "rvf" keeps the form of an RVF input, so that files we wrote come
    // back byte for byte; otherwise it is the binary form.
    bool binary = to == "rvf";
    if (binary && rvfIn) {
      std::string text;
      kc::SaveRvfToStream(doc, text, false, layout.Loaded ? &layout : nullptr);
      binary = text != data;
    }
    host.RVFOptions = binary ? kStoredOptions + kc::TRVFOptions{kc::rvfoSaveBinary} : kStoredOptions;
    kc::SaveRvfToStream(doc, result, false, layout.Loaded ? &layout : nullptr);
  } else if (to == "txt" || to == "txtw") {
    kc::ExportTextToStream(doc, "", result, 80, false, false, to == "txtw", to == "txtw");
  } else if (to == "html" || to == "html-css") {
    const size_t slash = out.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : out.substr(0, slash + 1);
    // Lists are UL and OL elements unless their markers are to be kept as
    // the document shows them.
    const kc::TRVSaveOptions options = markersAsText ? kc::TRVSaveOptions{kc::rvsoMarkersAsText} : kc::TRVSaveOptions{};
    kc::ExportHtmlEx(doc, result, folder, in, "img", options, kc::clNone, to == "html-css");
  } else if (to == "rtf") {
    kc::ExportRtfToStream(doc, result);
  } else {
    std::fprintf(stderr, "rvtool: unknown output format \"%s\"\n", to.c_str());
    return 2;
  }
  std::string error;
  if (!kc::WriteFileAtomically(out, result, &error)) {
    std::fprintf(stderr, "rvtool: cannot write %s: %s\n", out.c_str(), error.c_str());
    return 1;
  }
  return 0;
}

} // namespace rvtool
