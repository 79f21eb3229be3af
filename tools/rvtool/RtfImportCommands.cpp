// rtf-import: imports an RTF file into an empty document with the default
// style sheet and the talk input boxes' settings (pictures kept) and prints the styles and items it made, or with --text
// only the document's text, a paragraph a line (a table's cells in row order).
#include <cstdio>
#include <cstring>
#include <string>

#include "RvTool.h"
#include "platform/CodePage.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVStyle.h"

namespace rvtool {

std::string itemTextUtf8(const kc::TCustomRVData &d, int i) {
  const std::string &raw = d.GetItemTextRaw(i);
  if (d.GetItem(i)->IsUnicode()) {
    std::u16string w;
    for (size_t k = 0; k + 1 < raw.size(); k += 2) w += char16_t(uint8_t(raw[k]) | (uint8_t(raw[k + 1]) << 8));
    return kc::utf16ToUtf8(w);
  }
  return kc::ansiToUtf8(raw, d.GetStyleCodePage(d.GetItemStyle(i)));
}

std::string documentText(const kc::TCustomRVData &d) {
  std::string out;
  for (int i = 0; i < d.GetItemCount(); ++i) {
    if (i > 0 && d.IsFromNewLine(i)) out += '\n';
    if (d.IsTextItem(i)) {
      out += itemTextUtf8(d, i);
      continue;
    }
    // Nested documents (a table's cells, row by row) end their lines.
    auto *item = const_cast<kc::TCustomRVItemInfo *>(d.GetItem(i));
    int loc = -1;
    for (kc::TCustomRVData *sub = item->GetSubRVData(loc, kc::rvdFirst); sub;
         sub = item->GetSubRVData(loc, kc::rvdNext))
      out += documentText(*sub);
  }
  if (d.GetItemCount() > 0) out += '\n';
  return out;
}

namespace {

std::string quoted(const std::string &s) {
  std::string o = "\"";
  for (char c : s)
    if (c == '"' || c == '\\') o += std::string("\\") + c;
    else o += c;
  return o + "\"";
}

void dump(const kc::TCustomRVData &d, const kc::TRVStyle &st, std::string &out) {
  char buf[256];
  out += "text-styles\n";
  for (int i = 0; i < st.TextStyles().Count(); ++i) {
    const kc::TFontInfo *f = st.TextStyles().Items(i);
    std::snprintf(buf, sizeof buf, "  %d %s size=%d style=%d color=%06x back=%d charset=%d vshift=%d%s%s%s\n", i,
                  quoted(f->FontName).c_str(), f->Size, int(f->Style), unsigned(f->Color) & 0xFFFFFFu,
                  int(f->BackColor), int(f->Charset), f->VShift, f->Unicode ? " unicode" : "", f->Jump ? " jump" : "",
                  f->StyleEx.Has(kc::rvfsAllCaps) ? " caps" : "");
    out += buf;
  }
  out += "para-styles\n";
  for (int i = 0; i < st.ParaStyles().Count(); ++i) {
    const kc::TParaInfo *p = st.ParaStyles().Items(i);
    std::snprintf(buf, sizeof buf, "  %d align=%d left=%d right=%d first=%d before=%d after=%d\n", i, int(p->Alignment),
                  p->LeftIndent, p->RightIndent, p->FirstIndent, p->SpaceBefore, p->SpaceAfter);
    out += buf;
  }
  out += "list-styles\n";
  for (int i = 0; i < st.ListStyles().Count(); ++i) {
    const kc::TRVListInfo *l = st.ListStyles().Items(i);
    std::snprintf(buf, sizeof buf, "  %d levels=%d", i, l->Levels.Count());
    out += buf;
    for (int k = 0; k < l->Levels.Count(); ++k) {
      std::snprintf(buf, sizeof buf, " [type=%d %s]", int(l->Levels.Items(k)->ListType),
                    quoted(l->Levels.Items(k)->FormatString).c_str());
      out += buf;
    }
    out += '\n';
  }
  out += "items\n";
  for (int i = 0; i < d.GetItemCount(); ++i) {
    const kc::TCustomRVItemInfo *it = d.GetItem(i);
    const char *where = d.IsParaStart(i) ? "para" : (d.IsFromNewLine(i) ? "line" : "cont");
    std::snprintf(buf, sizeof buf, "  %d %s style=%d para=%d%s", i, where, it->StyleNo, it->ParaNo,
                  it->GetPageBreakBefore() ? " pagebreak" : "");
    out += buf;
    if (d.IsTextItem(i)) {
      out += " " + quoted(itemTextUtf8(d, i));
    } else if (it->StyleNo == kc::rvsListMarker) {
      auto *m = static_cast<const kc::TRVMarkerItemInfo *>(it);
      std::snprintf(buf, sizeof buf, " marker list=%d level=%d", m->ListNo, m->Level);
      out += buf;
    }
    out += '\n';
  }
}

} // namespace

int rtfImport(int argc, char **argv) {
  bool textOnly = false;
  if (argc == 2 && std::strcmp(argv[0], "--text") == 0) {
    textOnly = true;
    ++argv;
    --argc;
  }
  if (argc != 1) {
    std::fputs("usage: rvtool rtf-import [--text] FILE\n", stderr);
    return 2;
  }
  std::string data;
  if (!readFile(argv[0], data)) return 1;
  kc::TRVStyle style;
  kc::TRVDataHost host;
  host.Style = &style;
  kc::TCustomRVData doc;
  doc.SetHost(&host);
  // As the talk input boxes import, but with pictures kept.
  kc::TRVRTFReaderProperties settings = kc::ChatInputRTFReadProperties();
  settings.IgnorePictures = false;
  const int code = kc::ImportRTFIntoDocument(data, doc, settings);
  std::string out = textOnly ? documentText(doc) : std::string();
  if (!textOnly) {
    dump(doc, style, out);
    out += "code " + std::to_string(code) + "\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (!settings.Warning().empty()) std::fprintf(stderr, "rvtool: %s\n", settings.Warning().c_str());
  return code == 0 || !settings.Warning().empty() ? 0 : 1;
}

} // namespace rvtool
