// Plain-text output: 8-bit text in the ANSI code page or UTF-16 text, one
// line end between paragraphs and lines, none after the last.
#include "platform/Files.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

class TRVTextWriter {
public:
  TRVTextWriter(TCustomRVData &D, const std::string &Path, int LineWidth, bool TextOnly, bool Unicode)
      : D(D), Path(Path), LineWidth(LineWidth), TextOnly(TextOnly), Unicode(Unicode) {}

  void LineEnd(std::string &Out) const { Out += Unicode ? std::string("\r\0\n\0", 4) : std::string("\r\n"); }

  void Item(std::string &Out, int ItemNo, int From, int To) const {
    TCustomRVItemInfo *item = D.GetItem(ItemNo);
    std::string s;
    if (item->IsText()) {
      const std::string &t = D.GetItemTextRaw(ItemNo);
      const int w = item->IsUnicode() ? 2 : 1;
      const size_t a = size_t(std::max(0, From - 1)) * w;
      const size_t b = std::min(t.size(), size_t(std::max(0, To - 1)) * w);
      if (a < b) s = t.substr(a, b - a);
      std::string hooked;
      if (D.DoSaveItemToFile(Path, ItemNo, rvsfText, Unicode, hooked)) {
        Out += hooked;
        return;
      }
      if (item->IsUnicode() && !Unicode) s = UnicodeToAnsi(D.GetDefCodePage(), s);
      else if (!item->IsUnicode() && Unicode) s = AnsiToUnicode(D.GetStyleCodePage(D.GetActualStyle(item)), s);
      Out += s;
      return;
    }
    if (TextOnly && !item->GetFlag(6)) return;
    if (D.DoSaveItemToFile(Path, ItemNo, rvsfText, Unicode, s)) {
      Out += s;
      return;
    }
    const bool wantW = Unicode && item->GetFlag(5);
    s = item->AsText(LineWidth, '-', &D, D.GetItemTextRaw(ItemNo), Path, TextOnly, wantW);
    if (Unicode && !wantW) s = AnsiToUnicode(D.GetDefCodePage(), s);
    Out += s;
  }

private:
  TCustomRVData &D;
  const std::string &Path;
  int LineWidth;
  bool TextOnly, Unicode;
};

} // namespace

bool ExportTextToStream(TCustomRVData &RVData, const std::string &Path, std::string &Stream, int LineWidth,
                        bool SelectionOnly, bool TextOnly, bool Unicode, bool UnicodeBOM) {
  int first = -1, firstOffs = 0, last = -1, lastOffs = 0, d1 = 0, d2 = 0;
  RVData.GetExportRange(first, firstOffs, last, lastOffs, d1, d2);
  if (first < 0 || first > last) return true;
  const TRVTextWriter w(RVData, Path, LineWidth, TextOnly, Unicode);
  std::string &out = Stream;
  if (Unicode && UnicodeBOM) out += "\xFF\xFE";
  if (SelectionOnly) {
    const int p = RVData.GetFirstParaItemNo(first);
    if (p < first && RVData.GetItem(p)->StyleNo == rvsListMarker)
      w.Item(out, p, RVData.GetOffsBeforeItem(p), RVData.GetItemEndOffset(p));
  }
  for (int i = first; i <= last; ++i) {
    if (i > first && !RVData.GetItem(i)->GetContinuePara()) w.LineEnd(out);
    w.Item(out, i, i == first ? firstOffs : RVData.GetOffsBeforeItem(i),
           i == last ? lastOffs : RVData.GetItemEndOffset(i));
  }
  return true;
}

bool ExportTextToFile(TCustomRVData &RVData, const std::string &FileName, int LineWidth, bool Unicode,
                      std::string *Error) {
  std::string path = FileName;
  const size_t slash = path.find_last_of('/');
  path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string data;
  if (!ExportTextToStream(RVData, path, data, LineWidth, false, false, Unicode, Unicode)) return false;
  return WriteFileAtomically(FileName, data, Error);
}

} // namespace kc
