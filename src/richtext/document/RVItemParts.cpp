#include "richtext/document/RVItemParts.h"

#include <charconv>
#include <cstring>

#include "richtext/document/CRVData.h"
#include "richtext/document/RVMultiDrawItem.h"
#include "platform/Canvas.h"

namespace kc::rvitem {

void WriteLine(std::string &Stream, const std::string &s) {
  // A line end or zero byte inside would cut the record there: readers
  // would lose the rest or take it for records of its own.
  const size_t at = Stream.size();
  Stream.append(s);
  for (char *p = Stream.data() + at, *e = Stream.data() + Stream.size(); p != e; ++p)
    if (*p == '\r' || *p == '\n' || *p == '\0') *p = ' ';
  Stream += "\r\n";
}

// A binary block: 4-byte little-endian count, the bytes, no line end.
void WriteBinaryBlock(std::string &Stream, const std::string &Bytes) {
  const uint32_t n = uint32_t(Bytes.size());
  for (int i = 0; i < 4; ++i) Stream += char((n >> (8 * i)) & 0xFF);
  Stream += Bytes;
}

std::string Quoted(const std::string &s) {
  std::string r = "\"";
  for (char c : s) {
    if (c == '"') r += '"';
    r += c;
  }
  r += '"';
  return r;
}

std::string TagToText(const TRVTag &Tag, bool TagsArePChars) {
  if (!TagsArePChars) return std::to_string(Tag.AsInt());
  if (Tag.AsText().empty()) return "0";
  return Quoted(Tag.AsText());
}

// Reads a decimal integer (optional '-') at Pos, passing over one blank
// after it. False without moving when there is none.
bool ReadInt(const std::string &s, size_t &Pos, int &Value) {
  size_t p = Pos;
  if (p < s.size() && s[p] == '-') ++p;
  if (p >= s.size() || s[p] < '0' || s[p] > '9') return false;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p;
  if (p < s.size() && s[p] != ' ' && s[p] != '\r' && s[p] != '\n') return false;
  long long v = 0;
  auto res = std::from_chars(s.data() + Pos, s.data() + p, v);
  if (res.ec != std::errc()) {
    // Out of the 32-bit range: keep the low 32 bits, as a typecast would.
    bool neg = s[Pos] == '-';
    unsigned long long u = 0;
    for (size_t i = Pos + (neg ? 1 : 0); i < p; ++i) u = u * 10 + unsigned(s[i] - '0');
    v = neg ? -static_cast<long long>(u) : static_cast<long long>(u);
  }
  Value = static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
  Pos = p;
  if (Pos < s.size() && s[Pos] == ' ') ++Pos;
  return true;
}

bool EmptyTail(const std::string &Field) { return Field.empty() || Field[0] == '\n' || Field[0] == '\r'; }

// Decimal value of an extra-property line; 0 when it is not a number.
int StrToIntDef0(const std::string &s) {
  size_t pos = 0;
  int v = 0;
  std::string t = s;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\r' || t.back() == '\n')) t.pop_back();
  if (!ReadInt(t, pos, v) || pos != t.size()) return 0;
  return v;
}

void AddWarning(TCustomRVData *RVData, TRVFWarning W) {
  if (!RVData) return;
  RVData->SetRVFWarnings(RVData->GetRVFWarnings() + TRVFWarnings{W});
}

bool IsMetafile(const TGraphic *g) { return g && std::strcmp(g->className(), "TMetafile") == 0; }
bool IsIcon(const TGraphic *g) { return g && std::strcmp(g->className(), "TIcon") == 0; }
bool IsJpeg(const TGraphic *g) { return g && std::strcmp(g->className(), "TJPEGImage") == 0; }

// The frame pen: 1 pixel, solid, clear brush.
void FramePen(TCanvas &Canvas, TColor Color) {
  Canvas.setPen(CanvasPen{Color, 1, TPenStyle::psSolid, TPenMode::pmCopy});
  Canvas.setBrush(CanvasBrush{Canvas.brush().Color, TBrushStyle::bsClear});
}

TColor SelectionColor(TRVItemDrawStates State, const TRVStyle *Style) {
  if (!Style) return clNone;
  return State.Has(rvidsControlFocused) ? Style->SelColor : Style->InactiveSelColor;
}

// The title attribute of a hint followed by a blank; empty without a hint.
std::string HtmlTitleBlank(const std::string &Hint) {
  if (Hint.empty()) return std::string();
  return MakeHtmlTitle(Hint) + " ";
}

// A file name relative to the page's folder: the folder part is dropped
// when the name lies inside it.
std::string RelativeToPath(const std::string &FileName, const std::string &Path) {
  if (!Path.empty() && FileName.size() > Path.size() && FileName.compare(0, Path.size(), Path) == 0) {
    std::string r = FileName.substr(Path.size());
    while (!r.empty() && (r[0] == '\\' || r[0] == '/')) r.erase(0, 1);
    return r;
  }
  return FileName;
}

// The top of a piece of a split picture inside the picture; 0 for the whole.
int PieceImageTop(TRVDrawLineInfo *DrawLine, int Part) {
  auto *multi = dynamic_cast<TRVMultiDrawItemInfo *>(DrawLine);
  if (!multi || Part < 0 || Part >= multi->PartsList.Count()) return 0;
  auto *piece = dynamic_cast<TRVImagePrintPart *>(multi->PartsList.Parts(Part));
  return piece ? piece->ImageTop : 0;
}

} // namespace kc::rvitem
