#include "richtext/document/RVStyle.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "platform/AsciiCase.h"
#include "platform/IniStore.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

// ----------------------------------------------------------- small helpers

std::string IntToStr(long long v) { return std::to_string(v); }

std::string UpperA(std::string s) {
  for (char &c : s)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 32);
  return s;
}

// Stored enumerations outside their range read as the default.
template <typename E> E EnumFromInt(int v, int count, E def) {
  return (v >= 0 && v < count) ? static_cast<E>(v) : def;
}

// A style number read from a store: anything negative is "none".
int32_t StyleNoFromInt(int v) { return v < 0 ? -1 : v; }

// Whether the compared value's reference, taken through the mapping built so
// far, is Ours. One the mapping does not reach yet counts as equal; neither
// entry is touched.
bool SameMappedStyleNo(int32_t Theirs, int32_t Ours, const TRVIntegerList &Mapping) {
  if (Theirs >= 0 && Theirs < Mapping.Count())
    return Mapping[Theirs] == Ours;
  return true;
}

// --- ini conventions: integers and Booleans only when not default

void WriteIntIfNotDef(IniStore &Ini, const std::string &Section, const std::string &Key, int Value, int Def) {
  if (Value != Def)
    Ini.writeInteger(Section, Key, Value);
}

// Stored colours keep the Windows program's numbers, where system colours
// are 0xFF000000 + index (clWindowText is -16777208); in memory they are
// 0x80000000 + index. Both forms are read.
int32_t ColorToStored(TColor c) {
  if (isSysColor(c) && (static_cast<uint32_t>(c) & 0xFF000000u) == 0x80000000u)
    return static_cast<int32_t>(0xFF000000u | (static_cast<uint32_t>(c) & 0x00FFFFFFu));
  return c;
}

TColor ColorFromStored(int32_t v) {
  if ((static_cast<uint32_t>(v) & 0xFF000000u) == 0xFF000000u)
    return sysColor(static_cast<int>(static_cast<uint32_t>(v) & 0x00FFFFFFu));
  return v;
}

void WriteColorIfNotDef(IniStore &Ini, const std::string &Section, const std::string &Key, TColor Value,
                        TColor Def) {
  if (Value != Def)
    Ini.writeInteger(Section, Key, ColorToStored(Value));
}

TColor ReadColor(IniStore &Ini, const std::string &Section, const std::string &Key, TColor Def) {
  return ColorFromStored(Ini.readInteger(Section, Key, ColorToStored(Def)));
}

void WriteBoolIfNotDef(IniStore &Ini, const std::string &Section, const std::string &Key, bool Value, bool Def) {
  if (Value != Def)
    Ini.writeString(Section, Key, Value ? "Yes" : "No");
}

bool ReadBool(IniStore &Ini, const std::string &Section, const std::string &Key, bool Def) {
  return UpperA(Ini.readString(Section, Key, Def ? "Yes" : "No")) == "YES";
}

std::string K(const std::string &KeyFormat, const char *Key) { return RVApplyKeyFormat(KeyFormat, Key); }

// Stored widths and offsets may be anything: sums of them stay within 32 bits.
int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

int32_t ScaleH(int32_t v, const TRVScreenAndDevice &r) { return MulDiv(v, r.ppixDevice, r.ppixScreen); }
int32_t ScaleV(int32_t v, const TRVScreenAndDevice &r) { return MulDiv(v, r.ppiyDevice, r.ppiyScreen); }

} // namespace

// ===================================================================== helpers

std::string RVApplyKeyFormat(const std::string &KeyFormat, const std::string &Text) {
  std::string r;
  r.reserve(KeyFormat.size() + Text.size());
  bool done = false;
  for (size_t i = 0; i < KeyFormat.size(); ++i) {
    if (!done && KeyFormat[i] == '%' && i + 1 < KeyFormat.size() && KeyFormat[i + 1] == 's') {
      r += Text;
      ++i;
      done = true;
    } else {
      r += KeyFormat[i];
    }
  }
  return r;
}

void WriteLongString(IniStore &Ini, const std::string &Section, const std::string &Key, const std::string &Value) {
  constexpr size_t Piece = 500;
  for (size_t i = 0, n = 0; i < Value.size(); i += Piece, ++n)
    Ini.writeString(Section, Key + "_" + IntToStr(static_cast<long long>(n)), Value.substr(i, Piece));
}

std::string ReadLongString(IniStore &Ini, const std::string &Section, const std::string &Key) {
  std::string r;
  for (long long n = 0;; ++n) {
    std::string piece = Ini.readString(Section, Key + "_" + IntToStr(n), "");
    if (piece.empty())
      break;
    r += piece;
  }
  return r;
}

std::string RVBytesToHex(const std::string &Bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string r;
  r.reserve(Bytes.size() * 2);
  for (unsigned char c : Bytes) {
    r += digits[c >> 4];
    r += digits[c & 15];
  }
  return r;
}

bool RVHexToBytes(const std::string &Hex, std::string &Result) {
  Result.clear();
  if (Hex.size() % 2 != 0)
    return false;
  auto val = [](char c) -> int {
    if (c >= '0' && c <= '9')
      return c - '0';
    if (c >= 'A' && c <= 'F')
      return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
      return c - 'a' + 10;
    return -1;
  };
  std::string r;
  r.reserve(Hex.size() / 2);
  for (size_t i = 0; i < Hex.size(); i += 2) {
    int h = val(Hex[i]), l = val(Hex[i + 1]);
    if (h < 0 || l < 0)
      return false;
    r += static_cast<char>(h * 16 + l);
  }
  Result = std::move(r);
  return true;
}

std::string RVFormatMarkerString(const std::string &Format, const std::vector<std::string> &Args) {
  std::string r;
  size_t next = 0; // the argument a plain "%s" takes
  size_t i = 0;
  while (i < Format.size()) {
    char c = Format[i];
    if (c != '%') {
      r += c;
      ++i;
      continue;
    }
    // "%%"
    if (i + 1 < Format.size() && Format[i + 1] == '%') {
      r += '%';
      i += 2;
      continue;
    }
    // "%s"
    if (i + 1 < Format.size() && Format[i + 1] == 's') {
      if (next < Args.size()) {
        r += Args[next++];
        i += 2;
        continue;
      }
      r += c;
      ++i;
      continue;
    }
    // "%n:s": at most three digits so that no number can overflow.
    size_t j = i + 1;
    size_t n = 0;
    while (j < Format.size() && j - i <= 3 && Format[j] >= '0' && Format[j] <= '9')
      n = n * 10 + size_t(Format[j++] - '0');
    if (j > i + 1 && j + 1 < Format.size() && Format[j] == ':' && Format[j + 1] == 's' && n < Args.size()) {
      r += Args[n];
      next = n + 1;
      i = j + 2;
      continue;
    }
    // Anything else stays as it stands.
    r += c;
    ++i;
  }
  return r;
}

TRVParaInfoProperties RVAllParaInfoProperties() {
  return TRVParaInfoProperties::FromRaw((uint64_t(1) << RVParaInfoPropertyCount) - 1);
}

// ===================================================================== TRVRect

void TRVRect::Assign(const TRVRect &Source) {
  Top = Source.Top;
  Left = Source.Left;
  Right = Source.Right;
  Bottom = Source.Bottom;
}

void TRVRect::SetAll(int32_t Value) { Top = Left = Right = Bottom = Value; }

void TRVRect::AssignToRect(TRect &R) const { R = TRect{Left, Top, Right, Bottom}; }

void TRVRect::AssignToRectIfGreater(TRect &R) const {
  R.Left = std::max(R.Left, Left);
  R.Top = std::max(R.Top, Top);
  R.Right = std::max(R.Right, Right);
  R.Bottom = std::max(R.Bottom, Bottom);
}

void TRVRect::InflateRect(TRect &R) const {
  R.Left = Clamp32(int64_t(R.Left) - Left);
  R.Top = Clamp32(int64_t(R.Top) - Top);
  R.Right = Clamp32(int64_t(R.Right) + Right);
  R.Bottom = Clamp32(int64_t(R.Bottom) + Bottom);
}

void TRVRect::InflateRectSaD(TRect &R, const TRVScreenAndDevice &Ratio) const {
  R.Left = Clamp32(int64_t(R.Left) - ScaleH(Left, Ratio));
  R.Top = Clamp32(int64_t(R.Top) - ScaleV(Top, Ratio));
  R.Right = Clamp32(int64_t(R.Right) + ScaleH(Right, Ratio));
  R.Bottom = Clamp32(int64_t(R.Bottom) + ScaleV(Bottom, Ratio));
}

bool TRVRect::IsEqual(const TRVRect &Value) const {
  return Top == Value.Top && Left == Value.Left && Right == Value.Right && Bottom == Value.Bottom;
}

bool TRVRect::IsEqualEx(const TRVRect &Value, bool IgnoreLeft, bool IgnoreTop, bool IgnoreRight,
                        bool IgnoreBottom) const {
  return (IgnoreLeft || Left == Value.Left) && (IgnoreTop || Top == Value.Top) &&
         (IgnoreRight || Right == Value.Right) && (IgnoreBottom || Bottom == Value.Bottom);
}

int64_t TRVRect::SimilarityValue(const TRVRect &Value, int32_t Weight) const {
  return int64_t(IntegerWeight(Left, Value.Left, Weight)) + IntegerWeight(Top, Value.Top, Weight) +
         IntegerWeight(Right, Value.Right, Weight) + IntegerWeight(Bottom, Value.Bottom, Weight);
}

void TRVRect::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Left"), Left, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Right"), Right, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Top"), Top, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Bottom"), Bottom, 0);
}

void TRVRect::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  Left = Ini.readInteger(Section, K(KeyFormat, "Left"), 0);
  Right = Ini.readInteger(Section, K(KeyFormat, "Right"), 0);
  Top = Ini.readInteger(Section, K(KeyFormat, "Top"), 0);
  Bottom = Ini.readInteger(Section, K(KeyFormat, "Bottom"), 0);
}

// ============================================================== TRVBooleanRect

TRVBooleanRect::TRVBooleanRect(bool DefValue) { SetAll(DefValue); }

void TRVBooleanRect::Assign(const TRVBooleanRect &Source) {
  Top = Source.Top;
  Left = Source.Left;
  Right = Source.Right;
  Bottom = Source.Bottom;
}

void TRVBooleanRect::SetAll(bool Value) { Top = Left = Right = Bottom = Value; }

void TRVBooleanRect::SetValues(bool ALeft, bool ATop, bool ARight, bool ABottom) {
  Left = ALeft;
  Top = ATop;
  Right = ARight;
  Bottom = ABottom;
}

bool TRVBooleanRect::IsEqual(const TRVBooleanRect &Value) const {
  return IsEqualValues(Value.Left, Value.Top, Value.Right, Value.Bottom);
}

bool TRVBooleanRect::IsEqualValues(bool ALeft, bool ATop, bool ARight, bool ABottom) const {
  return Left == ALeft && Top == ATop && Right == ARight && Bottom == ABottom;
}

bool TRVBooleanRect::IsAllEqual(bool Value) const { return IsEqualValues(Value, Value, Value, Value); }

bool TRVBooleanRect::IsEqualEx(const TRVBooleanRect &Value, bool IgnoreLeft, bool IgnoreTop, bool IgnoreRight,
                               bool IgnoreBottom) const {
  return (IgnoreLeft || Left == Value.Left) && (IgnoreTop || Top == Value.Top) &&
         (IgnoreRight || Right == Value.Right) && (IgnoreBottom || Bottom == Value.Bottom);
}

void TRVBooleanRect::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Left"), Left, true);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Right"), Right, true);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Top"), Top, true);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Bottom"), Bottom, true);
}

void TRVBooleanRect::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  Left = ReadBool(Ini, Section, K(KeyFormat, "Left"), true);
  Right = ReadBool(Ini, Section, K(KeyFormat, "Right"), true);
  Top = ReadBool(Ini, Section, K(KeyFormat, "Top"), true);
  Bottom = ReadBool(Ini, Section, K(KeyFormat, "Bottom"), true);
}

// =================================================================== TRVBorder

void TRVBorder::Assign(const TRVBorder &Source) {
  Width = Source.Width;
  Style = Source.Style;
  Color = Source.Color;
  InternalWidth = Source.InternalWidth;
  VisibleBorders.Assign(Source.VisibleBorders);
  BorderOffsets.Assign(Source.BorderOffsets);
}

int32_t TRVBorder::GetTotalWidth() const {
  // 64-bit so that stored widths near the limits cannot wrap.
  int64_t w = Width, iw = InternalWidth, r = 0;
  switch (Style) {
  case rvbSingle:
    r = w;
    break;
  case rvbDouble:
    r = 2 * w + iw;
    break;
  case rvbTriple:
    r = 3 * w + 2 * iw;
    break;
  case rvbThickInside:
  case rvbThickOutside:
    r = 3 * w + iw;
    break;
  case rvbNone:
    r = 0;
    break;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
}

void TRVBorder::DrawSimple(const TRect &Rect, TCanvas &ACanvas) const {
  if (Style == rvbNone)
    return;
  TRect R = Rect;
  BorderOffsets.InflateRect(R);
  DoDraw(R, ACanvas, 1, Width, InternalWidth, 0);
}

void TRVBorder::Draw(const TRect &Rect, TCanvas &ACanvas, uint8_t ColorMode, const TRVScreenAndDevice &Ratio) const {
  if (Style == rvbNone)
    return;
  TRect R = Rect;
  BorderOffsets.InflateRectSaD(R, Ratio);
  DoDraw(R, ACanvas, ScaleV(1, Ratio), ScaleV(Width, Ratio), ScaleV(InternalWidth, Ratio), ColorMode);
}

void TRVBorder::DoDraw(TRect R, TCanvas &ACanvas, int32_t OnePixel, int32_t W, int32_t IW, uint8_t ColorMode) const {
  CanvasPen pen = ACanvas.pen();
  pen.Width = W;
  pen.Style = TPenStyle::psInsideFrame;
  switch (ColorMode) {
  case 0:
    pen.Color = Color;
    break;
  case 1:
    pen.Color = SysColorToPrintColor(Color);
    break;
  case 2:
    pen.Color = ColorToGray(SysColorToPrintColor(Color));
    break;
  default:
    pen.Color = clBlack;
    break;
  }
  int lines = 1;
  switch (Style) {
  case rvbDouble:
  case rvbThickInside:
  case rvbThickOutside:
    lines = 2;
    break;
  case rvbTriple:
    lines = 3;
    break;
  default:
    lines = 1;
  }
  for (int k = lines; k >= 1; --k) {
    int pw = W;
    if ((Style == rvbThickInside && k == 2) || (Style == rvbThickOutside && k == 1))
      pw = Clamp32(2 * int64_t(W));
    pen.Width = pw;
    ACanvas.setPen(pen);
    auto side = [&](int x1, int y1, int x2, int y2) {
      ACanvas.moveTo(x1, y1);
      ACanvas.lineTo(x2, y2);
      ACanvas.moveTo(x2, y2);
      ACanvas.lineTo(x1, y1);
    };
    if (VisibleBorders.Top)
      side(R.Left, R.Top, R.Right, R.Top);
    if (VisibleBorders.Right)
      side(R.Right, R.Top, R.Right, R.Bottom);
    if (VisibleBorders.Bottom)
      side(R.Right, R.Bottom, R.Left, R.Bottom);
    if (VisibleBorders.Left)
      side(R.Left, R.Bottom, R.Left, R.Top);
    const int64_t grow = int64_t(IW) + OnePixel;
    R.Left = Clamp32(R.Left - grow);
    R.Top = Clamp32(R.Top - grow);
    R.Right = Clamp32(R.Right + grow);
    R.Bottom = Clamp32(R.Bottom + grow);
    if (W == 1) {
      if (Style == rvbThickOutside) {
        R.Right = Clamp32(int64_t(R.Right) + OnePixel);
        R.Bottom = Clamp32(int64_t(R.Bottom) + OnePixel);
      } else if (Style == rvbThickInside) {
        R.Left = Clamp32(int64_t(R.Left) + OnePixel);
        R.Top = Clamp32(int64_t(R.Top) + OnePixel);
      }
    }
  }
  pen.Width = 1;
  ACanvas.setPen(pen);
}

bool TRVBorder::IsEqual(const TRVBorder &Value) const {
  return Style == Value.Style && Color == Value.Color && Width == Value.Width &&
         InternalWidth == Value.InternalWidth && BorderOffsets.IsEqual(Value.BorderOffsets) &&
         VisibleBorders.IsEqual(Value.VisibleBorders);
}

bool TRVBorder::IsEqual_Para(const TRVBorder &Value, TRVParaInfoProperties I) const {
  return (I.Has(rvpiBorder_Style) || Style == Value.Style) && (I.Has(rvpiBorder_Color) || Color == Value.Color) &&
         (I.Has(rvpiBorder_Width) || Width == Value.Width) &&
         (I.Has(rvpiBorder_InternalWidth) || InternalWidth == Value.InternalWidth) &&
         BorderOffsets.IsEqualEx(Value.BorderOffsets, I.Has(rvpiBorder_BO_Left), I.Has(rvpiBorder_BO_Top),
                                 I.Has(rvpiBorder_BO_Right), I.Has(rvpiBorder_BO_Bottom)) &&
         VisibleBorders.IsEqualEx(Value.VisibleBorders, I.Has(rvpiBorder_Vis_Left), I.Has(rvpiBorder_Vis_Top),
                                  I.Has(rvpiBorder_Vis_Right), I.Has(rvpiBorder_Vis_Bottom));
}

int64_t TRVBorder::SimilarityValue(const TRVBorder &Value) const {
  const bool mine[4] = {Style != rvbNone && VisibleBorders.Left, Style != rvbNone && VisibleBorders.Top,
                        Style != rvbNone && VisibleBorders.Right, Style != rvbNone && VisibleBorders.Bottom};
  const bool theirs[4] = {Value.Style != rvbNone && Value.VisibleBorders.Left,
                          Value.Style != rvbNone && Value.VisibleBorders.Top,
                          Value.Style != rvbNone && Value.VisibleBorders.Right,
                          Value.Style != rvbNone && Value.VisibleBorders.Bottom};
  const int32_t myOffs[4] = {BorderOffsets.Left, BorderOffsets.Top, BorderOffsets.Right, BorderOffsets.Bottom};
  const int32_t theirOffs[4] = {Value.BorderOffsets.Left, Value.BorderOffsets.Top, Value.BorderOffsets.Right,
                                Value.BorderOffsets.Bottom};
  int64_t r = 0;
  int n = 0;
  for (int i = 0; i < 4; ++i)
    if (mine[i] && theirs[i])
      ++n;
  if (n > 0)
    r += int64_t(n) * (int64_t(ColorWeight(Color, Value.Color, 3333, 3000)) +
                       IntegerWeight(Width, Value.Width, 1000) +
                       IntegerWeight(InternalWidth, Value.InternalWidth, 1000) + (Style == Value.Style ? 1000 : 0));
  for (int i = 0; i < 4; ++i) {
    if (!mine[i] && !theirs[i])
      r += 20000;
    else if (mine[i] != theirs[i])
      r -= 20000;
    else
      r += IntegerWeight(myOffs[i], theirOffs[i], 100);
  }
  return r;
}

void TRVBorder::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Width"), Width, 1);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Style"), int(Style), int(rvbNone));
  WriteColorIfNotDef(Ini, Section, K(KeyFormat, "Color"), Color, clWindowText);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "InternalWidth"), InternalWidth, 1);
  BorderOffsets.SaveToINI(Ini, Section, RVApplyKeyFormat(KeyFormat, "Offsets%s"));
  VisibleBorders.SaveToINI(Ini, Section, RVApplyKeyFormat(KeyFormat, "Visible%s"));
}

void TRVBorder::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  Width = Ini.readInteger(Section, K(KeyFormat, "Width"), 1);
  Style = EnumFromInt(Ini.readInteger(Section, K(KeyFormat, "Style"), int(rvbNone)), 6, rvbNone);
  Color = ReadColor(Ini, Section, K(KeyFormat, "Color"), clWindowText);
  InternalWidth = Ini.readInteger(Section, K(KeyFormat, "InternalWidth"), 1);
  BorderOffsets.LoadFromINI(Ini, Section, RVApplyKeyFormat(KeyFormat, "Offsets%s"));
  VisibleBorders.LoadFromINI(Ini, Section, RVApplyKeyFormat(KeyFormat, "Visible%s"));
}

// =========================================================== TRVBackgroundRect

void TRVBackgroundRect::Assign(const TRVBackgroundRect &Source) {
  Color = Source.Color;
  BorderOffsets.Assign(Source.BorderOffsets);
}

void TRVBackgroundRect::PrepareDraw(TRect &Rect) const { BorderOffsets.InflateRect(Rect); }

void TRVBackgroundRect::PrepareDrawSaD(TRect &Rect, const TRVScreenAndDevice &Ratio) const {
  BorderOffsets.InflateRectSaD(Rect, Ratio);
}

void TRVBackgroundRect::Draw(const TRect &Rect, TCanvas &ACanvas, bool Printing, uint8_t ColorMode) const {
  if (Color == clNone)
    return;
  if (Printing && (ColorMode == 3 || ColorMode == 4))
    return;
  TColor c = SysColorToPrintColor(Color);
  if (ColorMode == 2)
    c = ColorToGray(c);
  CanvasPen pen = ACanvas.pen();
  pen.Style = TPenStyle::psClear;
  ACanvas.setPen(pen);
  ACanvas.setBrush(CanvasBrush{c, TBrushStyle::bsSolid});
  ACanvas.fillRect(TRect{Rect.Left, Rect.Top, Clamp32(int64_t(Rect.Right) + 1), Clamp32(int64_t(Rect.Bottom) + 1)});
  pen.Style = TPenStyle::psSolid;
  ACanvas.setPen(pen);
  CanvasBrush b = ACanvas.brush();
  b.Style = TBrushStyle::bsClear;
  ACanvas.setBrush(b);
}

bool TRVBackgroundRect::IsEqual(const TRVBackgroundRect &Value) const {
  return Color == Value.Color && BorderOffsets.IsEqual(Value.BorderOffsets);
}

bool TRVBackgroundRect::IsEqual_Para(const TRVBackgroundRect &Value, TRVParaInfoProperties I) const {
  return (I.Has(rvpiBackground_Color) || Color == Value.Color) &&
         BorderOffsets.IsEqualEx(Value.BorderOffsets, I.Has(rvpiBackground_BO_Left), I.Has(rvpiBackground_BO_Top),
                                 I.Has(rvpiBackground_BO_Right), I.Has(rvpiBackground_BO_Bottom));
}

int64_t TRVBackgroundRect::SimilarityValue(const TRVBackgroundRect &Value) const {
  return int64_t(ColorWeight(Color, Value.Color, 10000, 50000)) + BorderOffsets.SimilarityValue(Value.BorderOffsets, 100);
}

void TRVBackgroundRect::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  WriteColorIfNotDef(Ini, Section, K(KeyFormat, "Color"), Color, clNone);
  BorderOffsets.SaveToINI(Ini, Section, RVApplyKeyFormat(KeyFormat, "Offsets%s"));
}

void TRVBackgroundRect::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  Color = ReadColor(Ini, Section, K(KeyFormat, "Color"), clNone);
  BorderOffsets.LoadFromINI(Ini, Section, RVApplyKeyFormat(KeyFormat, "Offsets%s"));
}

// =============================================================== TCustomRVInfo

TCustomRVInfo::~TCustomRVInfo() = default;

int TCustomRVInfo::Index() const { return FCollection ? FCollection->IndexOf(this) : -1; }

void TCustomRVInfo::Assign(const TCustomRVInfo &Source) {
  if (&Source == this)
    return;
  BaseStyleNo = Source.BaseStyleNo;
  StyleName = Source.StyleName;
  Standard = Source.Standard;
}

bool TCustomRVInfo::IsEqualTo(const TCustomRVInfo &, bool) const { return false; }

bool TCustomRVInfo::IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &) const {
  return IsEqualTo(Value, true);
}

int64_t TCustomRVInfo::SimilarityValue(const TCustomRVInfo &) const { return 0; }

void TCustomRVInfo::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  Ini.writeString(Section, K(KeyFormat, "StyleName"), StyleName);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "BaseStyleNo"), BaseStyleNo, -1);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Standard"), Standard ? 1 : 0, 1);
}

void TCustomRVInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  StyleName = Ini.readString(Section, K(KeyFormat, "StyleName"), DefaultStyleName());
  BaseStyleNo = StyleNoFromInt(Ini.readInteger(Section, K(KeyFormat, "BaseStyleNo"), -1));
  Standard = Ini.readInteger(Section, K(KeyFormat, "Standard"), 1) != 0;
}

// =================================================================== TFontInfo

TFontInfo::TFontInfo() { StyleName = "Font Style"; }

void TFontInfo::Assign(const TCustomRVInfo &Source) {
  if (&Source == this)
    return;
  if (auto *s = dynamic_cast<const TFontInfo *>(&Source)) {
    BiDiMode = s->BiDiMode;
    Jump = s->Jump;
    JumpCursor = s->JumpCursor;
    FontName = s->FontName;
    Size = s->Size;
    Color = s->Color;
    BackColor = s->BackColor;
    HoverColor = s->HoverColor;
    HoverBackColor = s->HoverBackColor;
    Style = s->Style;
    StyleEx = s->StyleEx;
    VShift = s->VShift;
    NextStyleNo = s->NextStyleNo;
    Charset = s->Charset;
    Unicode = s->Unicode;
    Protection = s->Protection;
    Options = s->Options;
    CharScale = s->CharScale;
    CharSpacing = s->CharSpacing;
  }
  TCustomRVInfo::Assign(Source);
}

void TFontInfo::AssignFont(const TLogFont &Source, TColor SourceColor) {
  FontName = Source.lfFaceName;
  Size = FontSizeOfHeight(Source.lfHeight);
  Color = SourceColor;
  Style = FontStylesOf(Source);
  Charset = Source.lfCharSet;
}

void TFontInfo::AssignToFont(TLogFont &Dest, TColor &DestColor) const {
  Dest.lfFaceName = FontName;
  Dest.lfHeight = FontHeightOfSize(Size);
  DestColor = Color;
  SetFontStyles(Dest, Style);
  if (!Unicode)
    Dest.lfCharSet = Charset;
}

namespace {
int TablePPI(const TCustomRVInfos *Collection) {
  auto *t = dynamic_cast<const TFontInfos *>(Collection);
  return t ? t->PixelsPerInch : 0;
}
} // namespace

void TFontInfo::GetLogFont(TLogFont &LogFont, TCanvas &ACanvas) const {
  LogFont = TLogFont{};
  int ppi = TablePPI(Collection());
  if (ppi == 0)
    ppi = ACanvas.pixelsPerInchY();
  LogFont.lfHeight = -MulDiv(Size, ppi, 72);
  LogFont.lfWidth = 0;
  LogFont.lfWeight = (Style & fsBold) ? 700 : 400;
  LogFont.lfItalic = (Style & fsItalic) ? 1 : 0;
  LogFont.lfUnderline = (Style & fsUnderline) ? 1 : 0;
  LogFont.lfStrikeOut = (Style & fsStrikeOut) ? 1 : 0;
  LogFont.lfCharSet = Charset;
  LogFont.lfFaceName = FontName;
}

void TFontInfo::Apply(TCanvas &ACanvas, TRVBiDiMode DefBiDiMode) const {
  if (CharScale != 100) {
    TLogFont lf;
    GetLogFont(lf, ACanvas);
    ACanvas.setFont(lf);
    int base = ACanvas.textMetrics().tmAveCharWidth;
    if (base <= 0)
      base = ACanvas.textExtent("x").cx;
    lf.lfWidth = static_cast<int>(std::clamp<int64_t>(int64_t(base) * CharScale / 100, INT32_MIN, INT32_MAX));
    ACanvas.setFont(lf);
  } else {
    // The class library's font keeps no width: a scaled font is replaced.
    TLogFont f = ACanvas.font();
    SetFontStyles(f, Style);
    int ppi = TablePPI(Collection());
    f.lfHeight = -MulDiv(Size, ppi != 0 ? ppi : ACanvas.pixelsPerInchY(), 72);
    f.lfWidth = 0;
    f.lfFaceName = FontName;
    f.lfCharSet = Charset;
    ACanvas.setFont(f);
  }
  TRVBiDiMode mode = BiDiMode == rvbdUnspecified ? DefBiDiMode : BiDiMode;
  switch (mode) {
  case rvbdLeftToRight:
    ACanvas.setTextCharacterExtra(0);
    ACanvas.setTextAlign(TA_LEFT);
    break;
  case rvbdRightToLeft:
    ACanvas.setTextCharacterExtra(0);
    ACanvas.setTextAlign(TA_RTLREADING);
    break;
  default:
    ACanvas.setTextCharacterExtra(CharSpacing);
    break;
  }
}

namespace {
int Brightness(TColor c) {
  c = ColorToRGB(c);
  double v = 0.3 * GetRValue(c) + 0.59 * GetGValue(c) + 0.11 * GetBValue(c);
  return static_cast<int>(v + 0.5);
}
} // namespace

void TFontInfo::ApplyColor(TCanvas &ACanvas, const TRVStyle &Sheet, TRVTextDrawStates DrawState, bool Printing,
                           uint8_t ColorMode) const {
  TColor fontColor, brushColor;
  if (DrawState.Has(rvtsSelected)) {
    bool focused = DrawState.Has(rvtsControlFocused);
    brushColor = focused ? Sheet.SelColor : Sheet.InactiveSelColor;
    fontColor = focused ? Sheet.SelTextColor : Sheet.InactiveSelTextColor;
    if (fontColor == clNone)
      fontColor = Color;
  } else if (DrawState.Has(rvtsHover)) {
    fontColor = Sheet.GetHoverColorByColor(HoverColor);
    if (fontColor == clNone)
      fontColor = Color;
    brushColor = HoverBackColor;
  } else if (!Printing) {
    fontColor = Color;
    brushColor = BackColor;
  } else {
    switch (ColorMode) {
    case 0:
      fontColor = Color;
      brushColor = BackColor;
      break;
    case 1:
      fontColor = SysColorToPrintColor(Color);
      brushColor = SysColorToPrintColor(BackColor);
      break;
    case 2:
      fontColor = ColorToGray(SysColorToPrintColor(Color));
      brushColor = ColorToGray(SysColorToPrintColor(BackColor));
      break;
    case 3: {
      TColor tc = SysColorToPrintColor(Color);
      if (BackColor == clNone) {
        brushColor = clNone;
        fontColor = tc == clWhite ? clWhite : clBlack;
      } else if (Brightness(SysColorToPrintColor(BackColor)) > Brightness(tc)) {
        brushColor = clWhite;
        fontColor = clBlack;
      } else {
        brushColor = clBlack;
        fontColor = clWhite;
      }
      break;
    }
    default:
      fontColor = clBlack;
      brushColor = clNone;
      break;
    }
  }
  ACanvas.setFontColor(fontColor);
  CanvasBrush b = ACanvas.brush();
  b.Color = brushColor;
  b.Style = brushColor != clNone ? TBrushStyle::bsSolid : TBrushStyle::bsClear;
  ACanvas.setBrush(b);
}

bool TFontInfo::DrawByChars(const std::string &s, TCanvas &ACanvas, int SpaceBefore, int Left, int Top, int Width,
                            bool FitMode, int Extra) const {
  const int n = static_cast<int>(Unicode ? s.size() / 2 : s.size());
  if (n < 2)
    return false;
  const std::u16string w = Unicode ? RawToWideString(s) : std::u16string();
  std::vector<int> ext;
  int fit = 0;
  const int limit = static_cast<int>(std::clamp<int64_t>(int64_t(Width) * 2, 0, INT32_MAX));
  if (Unicode)
    ACanvas.textExtentExW(w, limit, &fit, &ext);
  else
    ACanvas.textExtentEx(s, limit, &fit, &ext);
  ext.resize(size_t(n), ext.empty() ? 0 : ext.back());
  std::vector<int> dx(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    dx[size_t(i)] = ext[size_t(i)] - (i > 0 ? ext[size_t(i - 1)] : 0);
  if (FitMode) {
    int own = Unicode ? ACanvas.textExtentW(w).cx : ACanvas.textExtent(s).cx;
    int64_t diff = int64_t(Width) - SpaceBefore - own;
    if (diff == 0)
      return false;
    for (int i = 0; i < n && diff != 0; ++i) {
      int64_t add = diff / (n - i);
      dx[size_t(i)] += static_cast<int>(add);
      diff -= add;
    }
  } else {
    for (int &d : dx)
      d += Extra;
  }
  if (Unicode)
    ACanvas.extTextOutW(Left + SpaceBefore, Top, 0, nullptr, w, dx);
  else
    ACanvas.extTextOut(Left + SpaceBefore, Top, 0, nullptr, s, dx);
  return true;
}

bool TFontInfo::DrawSpecialDots(const std::string &s, TCanvas &ACanvas, int X, int Top) const {
  const int n = static_cast<int>(Unicode ? s.size() / 2 : s.size());
  if (n == 0)
    return true;
  auto isSpace = [&](int i) {
    return Unicode ? (s[size_t(2 * i)] == ' ' && s[size_t(2 * i + 1)] == 0) : s[size_t(i)] == ' ';
  };
  const std::u16string w = Unicode ? RawToWideString(s) : std::u16string();
  CanvasBrush oldBrush = ACanvas.brush();
  CanvasBrush clear = oldBrush;
  clear.Style = TBrushStyle::bsClear;
  ACanvas.setBrush(clear);
  auto dot = [&](int x) {
    if (Unicode)
      ACanvas.textOutW(x, Top, u"\u00B7");
    else
      ACanvas.textOut(x, Top, "\xB7");
  };
  CharacterPlacement cp;
  const unsigned flags = GCP_REORDER | GCP_USEKERNING | GCP_GLYPHSHAPE | GCP_DIACRITIC;
  bool ok = Unicode ? ACanvas.characterPlacement(w, flags, cp) : ACanvas.characterPlacementA(s, flags, cp);
  if (ok && cp.order.size() == size_t(n) && cp.advances.size() == size_t(n)) {
    std::vector<int> logicalAt(size_t(n), -1);
    for (int l = 0; l < n; ++l)
      if (cp.order[size_t(l)] >= 0 && cp.order[size_t(l)] < n)
        logicalAt[size_t(cp.order[size_t(l)])] = l;
    int x = X;
    for (int v = 0; v < n; ++v) {
      int l = logicalAt[size_t(v)];
      if (l < 0)
        continue;
      if (isSpace(l))
        dot(x);
      // The placement's advances already hold the character extra.
      x += cp.advances[size_t(l)];
    }
  } else {
    std::vector<int> ext;
    int fit = 0;
    if (Unicode)
      ACanvas.textExtentExW(w, -1, &fit, &ext);
    else
      ACanvas.textExtentEx(s, -1, &fit, &ext);
    for (int i = 0; i < n; ++i)
      if (isSpace(i))
        dot(X + (i > 0 && size_t(i - 1) < ext.size() ? ext[size_t(i - 1)] : 0));
  }
  ACanvas.setBrush(oldBrush);
  return true;
}

void TFontInfo::Draw(const std::string &s, TCanvas &ACanvas, int StyleNo, int SpaceBefore, int Left, int Top,
                     int Width, int Height, TRVStyle &Sheet, TRVTextDrawStates DrawState, bool Printing,
                     bool FitToWidth, uint8_t ColorMode, TRVBiDiMode DefBiDiMode) const {
  const TRVBiDiMode dir = BiDiMode == rvbdUnspecified ? DefBiDiMode : BiDiMode;
  bool byChars = false;
  if (Printing && dir == rvbdUnspecified) {
    if (ACanvas.brush().Style != TBrushStyle::bsClear) {
      CanvasPen p = ACanvas.pen();
      p.Style = TPenStyle::psClear;
      ACanvas.setPen(p);
      ACanvas.fillRect(Bounds(Left, Top, Width, Height));
      CanvasBrush b = ACanvas.brush();
      b.Style = TBrushStyle::bsClear;
      ACanvas.setBrush(b);
      p.Style = TPenStyle::psSolid;
      ACanvas.setPen(p);
    }
    if (FitToWidth) {
      byChars = DrawByChars(s, ACanvas, SpaceBefore, Left, Top, Width, true, 0);
    } else {
      int extra = ACanvas.textCharacterExtra();
      if (extra != 0) {
        ACanvas.setTextCharacterExtra(0);
        byChars = DrawByChars(s, ACanvas, SpaceBefore, Left, Top, Width, false, extra);
        ACanvas.setTextCharacterExtra(extra);
      }
    }
  }
  if (!byChars) {
    if (Unicode)
      ACanvas.textOutW(Left + SpaceBefore, Top, RawToWideString(s));
    else
      ACanvas.textOut(Left + SpaceBefore, Top, s);
    if (DrawState.Has(rvtsSpecialCharacters) && !Printing)
      DrawSpecialDots(s, ACanvas, Left + SpaceBefore, Top);
  }
  if (SpaceBefore != 0 && !Printing) {
    if (DrawState.Has(rvtsSelected) && s.empty())
      Sheet.ApplyStyleColor(ACanvas, StyleNo, TRVTextDrawStates(DrawState).Exclude(rvtsSelected), Printing,
                            ColorMode);
    if (ACanvas.brush().Style != TBrushStyle::bsClear)
      ACanvas.fillRect(Bounds(Left, Top, SpaceBefore, Height));
  }
  CanvasBrush b = ACanvas.brush();
  b.Style = TBrushStyle::bsClear;
  ACanvas.setBrush(b);
  OutlineMetrics om;
  if (SpaceBefore != 0 && ACanvas.font().lfUnderline && ACanvas.outlineMetrics(om)) {
    TextMetrics tm = ACanvas.textMetrics();
    CanvasPen p = ACanvas.pen();
    p.Color = ACanvas.fontColor();
    p.Width = om.otmsUnderscoreSize;
    p.Style = TPenStyle::psInsideFrame;
    ACanvas.setPen(p);
    int y = Top + tm.tmAscent - om.otmsUnderscorePosition + om.otmsUnderscoreSize / 2;
    ACanvas.moveTo(Left, y);
    ACanvas.lineTo(Left + SpaceBefore + 1, y);
    p.Style = TPenStyle::psSolid;
    ACanvas.setPen(p);
  }
  if (StyleEx.Has(rvfsOverline)) {
    OutlineMetrics om2;
    CanvasPen p = ACanvas.pen();
    p.Width = ACanvas.outlineMetrics(om2) ? om2.otmsUnderscoreSize : 1;
    p.Color = ACanvas.fontColor();
    ACanvas.setPen(p);
    ACanvas.moveTo(Left, Top);
    ACanvas.lineTo(Left + Width, Top);
  }
}

bool TFontInfo::IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const {
  auto *v = dynamic_cast<const TFontInfo *>(&Value);
  if (!v)
    return false;
  bool r = Size == v->Size && Charset == v->Charset && Unicode == v->Unicode && Style == v->Style &&
           StyleEx == v->StyleEx && asciiEqualNoCase(FontName, v->FontName) && VShift == v->VShift && Color == v->Color &&
           BackColor == v->BackColor && Jump == v->Jump;
  if (r && Jump)
    r = HoverColor == v->HoverColor && HoverBackColor == v->HoverBackColor && JumpCursor == v->JumpCursor;
  if (r && !IgnoreReferences)
    r = NextStyleNo == v->NextStyleNo;
  return r && Protection == v->Protection && Options == v->Options && CharScale == v->CharScale &&
         CharSpacing == v->CharSpacing && BiDiMode == v->BiDiMode;
}

bool TFontInfo::IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &Mapping) const {
  if (!IsEqualTo(Value, true))
    return false;
  return SameMappedStyleNo(static_cast<const TFontInfo &>(Value).NextStyleNo, NextStyleNo, Mapping);
}

bool TFontInfo::IsEqualEx(const TFontInfo &v, TRVFontInfoProperties I) const {
  auto same = [&](TRVFontInfoProperty p, bool eq) { return I.Has(p) || eq; };
  auto flag = [](TFontStyles s, int bit) { return (s & bit) != 0; };
  bool r = same(rvfiFontName, asciiEqualNoCase(FontName, v.FontName)) && same(rvfiSize, Size == v.Size) &&
           same(rvfiCharset, Charset == v.Charset) && same(rvfiUnicode, Unicode == v.Unicode) &&
           same(rvfiBold, flag(Style, fsBold) == flag(v.Style, fsBold)) &&
           same(rvfiItalic, flag(Style, fsItalic) == flag(v.Style, fsItalic)) &&
           same(rvfiUnderline, flag(Style, fsUnderline) == flag(v.Style, fsUnderline)) &&
           same(rvfiStrikeOut, flag(Style, fsStrikeOut) == flag(v.Style, fsStrikeOut)) &&
           same(rvfiOverline, StyleEx.Has(rvfsOverline) == v.StyleEx.Has(rvfsOverline)) &&
           same(rvfiAllCaps, StyleEx.Has(rvfsAllCaps) == v.StyleEx.Has(rvfsAllCaps)) &&
           same(rvfiVShift, VShift == v.VShift) && same(rvfiColor, Color == v.Color) &&
           same(rvfiBackColor, BackColor == v.BackColor) && same(rvfiJump, Jump == v.Jump);
  if (r && Jump)
    r = same(rvfiHoverBackColor, HoverBackColor == v.HoverBackColor) &&
        same(rvfiHoverColor, HoverColor == v.HoverColor) && same(rvfiJumpCursor, JumpCursor == v.JumpCursor);
  return r && same(rvfiNextStyleNo, NextStyleNo == v.NextStyleNo) &&
         same(rvfiProtection, Protection == v.Protection) && same(rvfiCharScale, CharScale == v.CharScale) &&
         same(rvfiBiDiMode, BiDiMode == v.BiDiMode) && same(rvfiCharSpacing, CharSpacing == v.CharSpacing) &&
         same(rvfiHTMLCode, Options.Has(rvteoHTMLCode) == v.Options.Has(rvteoHTMLCode)) &&
         same(rvfiRTFCode, Options.Has(rvteoRTFCode) == v.Options.Has(rvteoRTFCode)) &&
         same(rvfiBaseStyleNo, BaseStyleNo == v.BaseStyleNo);
}

int64_t TFontInfo::SimilarityValue(const TCustomRVInfo &Value) const {
  auto *v = dynamic_cast<const TFontInfo *>(&Value);
  if (!v)
    return 0;
  int64_t r = int64_t(IntegerWeight(v->Size, Size, 10000)) + IntegerWeight(v->VShift, VShift, 1000) +
              IntegerWeight(v->CharScale, CharScale, 300) + IntegerWeight(v->CharSpacing, CharSpacing, 1000) +
              ColorWeight(v->Color, Color, 3333, 3000) + ColorWeight(v->BackColor, BackColor, 10000, 50000);
  if (BiDiMode == v->BiDiMode)
    r += 10000;
  if (asciiEqualNoCase(FontName, v->FontName))
    r += 10000;
  for (int bit : {int(fsBold), int(fsItalic), int(fsUnderline), int(fsStrikeOut)})
    if (((Style & bit) != 0) == ((v->Style & bit) != 0))
      r += 50000;
  for (TRVFontStyleEx e : {rvfsOverline, rvfsAllCaps})
    if (StyleEx.Has(e) == v->StyleEx.Has(e))
      r += 50000;
  bool plain = Style == 0 && StyleEx.Empty(), vplain = v->Style == 0 && v->StyleEx.Empty();
  if (plain == vplain)
    r += 50000;
  if (Jump && v->Jump) {
    if (JumpCursor == v->JumpCursor)
      r += 5000;
    r += int64_t(ColorWeight(v->HoverColor, HoverColor, 3333, 3000)) / 2;
    r += int64_t(ColorWeight(v->HoverBackColor, HoverBackColor, 10000, 50000)) / 2;
  }
  if (Protection != v->Protection)
    r -= 100000;
  if (Options.Has(rvteoHTMLCode) == v->Options.Has(rvteoHTMLCode))
    r += 50000;
  if (Options.Has(rvteoRTFCode) == v->Options.Has(rvteoRTFCode))
    r += 50000;
  if (Charset == v->Charset)
    r += 50000;
  else if (Charset == DEFAULT_CHARSET || v->Charset == DEFAULT_CHARSET)
    r += 12500;
  return r;
}

void TFontInfo::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  TCustomRVInfo::SaveToINI(Ini, Section, KeyFormat);
  Ini.writeString(Section, K(KeyFormat, "Name"), FontName);
  Ini.writeString(Section, K(KeyFormat, "Jump"), Jump ? "Yes" : "No");
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Size"), Size, 10);
  WriteColorIfNotDef(Ini, Section, K(KeyFormat, "Color"), Color, clWindowText);
  WriteColorIfNotDef(Ini, Section, K(KeyFormat, "BackColor"), BackColor, clNone);
  WriteColorIfNotDef(Ini, Section, K(KeyFormat, "HoverBackColor"), HoverBackColor, clNone);
  WriteColorIfNotDef(Ini, Section, K(KeyFormat, "HoverColor"), HoverColor, clNone);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "JumpCursor"), JumpCursor, crJump);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Charset"), Charset, DEFAULT_CHARSET);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "CharScale"), CharScale, 100);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "CharSpacing"), CharSpacing, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "BiDiMode"), int(BiDiMode), 0);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Bold"), (Style & fsBold) != 0, false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Underline"), (Style & fsUnderline) != 0, false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "StrikeOut"), (Style & fsStrikeOut) != 0, false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Italic"), (Style & fsItalic) != 0, false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Overline"), StyleEx.Has(rvfsOverline), false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Caps"), StyleEx.Has(rvfsAllCaps), false);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Protection"), Protection.Raw_(), 0);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "RTFCode"), Options.Has(rvteoRTFCode), false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "HTMLCode"), Options.Has(rvteoHTMLCode), false);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "VShift"), VShift, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "NextStyleNo"), NextStyleNo, -1);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Unicode"), Unicode, false);
}

void TFontInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  LoadFromINI(Ini, Section, KeyFormat, false, crJump);
}

void TFontInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat,
                            bool JumpByDefault, TCursor DefJumpCursor) {
  TCustomRVInfo::LoadFromINI(Ini, Section, KeyFormat);
  FontName = Ini.readString(Section, K(KeyFormat, "Name"), "Arial");
  std::string jump = Ini.readString(Section, K(KeyFormat, "Jump"), "?");
  if (jump == "?") {
    Jump = JumpByDefault;
    JumpCursor = DefJumpCursor;
  } else {
    Jump = UpperA(jump) == "YES";
    JumpCursor = static_cast<TCursor>(Ini.readInteger(Section, K(KeyFormat, "JumpCursor"), crJump));
  }
  Size = Ini.readInteger(Section, K(KeyFormat, "Size"), 10);
  Color = ReadColor(Ini, Section, K(KeyFormat, "Color"), clWindowText);
  BackColor = ReadColor(Ini, Section, K(KeyFormat, "BackColor"), clNone);
  HoverBackColor = ReadColor(Ini, Section, K(KeyFormat, "HoverBackColor"), clNone);
  HoverColor = ReadColor(Ini, Section, K(KeyFormat, "HoverColor"), clNone);
  int cs = Ini.readInteger(Section, K(KeyFormat, "Charset"), DEFAULT_CHARSET);
  Charset = (cs >= 0 && cs <= 255) ? uint8_t(cs) : DEFAULT_CHARSET;
  CharScale = Ini.readInteger(Section, K(KeyFormat, "CharScale"), 100);
  CharSpacing = Ini.readInteger(Section, K(KeyFormat, "CharSpacing"), 0);
  BiDiMode = EnumFromInt(Ini.readInteger(Section, K(KeyFormat, "BiDiMode"), 0), 3, rvbdUnspecified);
  int st = 0;
  if (ReadBool(Ini, Section, K(KeyFormat, "Bold"), false))
    st |= fsBold;
  if (ReadBool(Ini, Section, K(KeyFormat, "Underline"), false))
    st |= fsUnderline;
  if (ReadBool(Ini, Section, K(KeyFormat, "StrikeOut"), false))
    st |= fsStrikeOut;
  if (ReadBool(Ini, Section, K(KeyFormat, "Italic"), false))
    st |= fsItalic;
  Style = TFontStyles(st);
  StyleEx = TRVFontStyles();
  StyleEx.Set(rvfsOverline, ReadBool(Ini, Section, K(KeyFormat, "Overline"), false));
  StyleEx.Set(rvfsAllCaps, ReadBool(Ini, Section, K(KeyFormat, "Caps"), false));
  Protection = TRVProtectOptions::FromRaw(
      static_cast<uint16_t>(Ini.readInteger(Section, K(KeyFormat, "Protection"), 0) & 0x3FF));
  if (ReadBool(Ini, Section, K(KeyFormat, "SingleSymbols"), false))
    Protection.Include(rvprStyleProtect).Include(rvprDoNotAutoSwitch);
  Options = TRVTextOptions();
  Options.Set(rvteoRTFCode, ReadBool(Ini, Section, K(KeyFormat, "RTFCode"), false));
  Options.Set(rvteoHTMLCode, ReadBool(Ini, Section, K(KeyFormat, "HTMLCode"), false));
  VShift = Ini.readInteger(Section, K(KeyFormat, "VShift"), 0);
  NextStyleNo = StyleNoFromInt(Ini.readInteger(Section, K(KeyFormat, "NextStyleNo"), -1));
  Unicode = ReadBool(Ini, Section, K(KeyFormat, "Unicode"), false);
}

namespace {
// A text taken from data into a quoted CSS string: quotes, backslashes and
// anything that could end the style block are written as CSS escapes.
std::string CssQuotedText(const std::string &s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string r;
  for (unsigned char c : s) {
    if (c == '\'' || c == '"' || c == '\\' || c == '<' || c == '>' || c == '&' || c < 0x20 || c == 0x7F) {
      r += '\\';
      if (c >= 16)
        r += digits[c >> 4];
      r += digits[c & 15];
      r += ' ';
    } else {
      r += static_cast<char>(c);
    }
  }
  return r;
}

void Decl(std::string &Stream, const std::string &Text, bool Multiline) {
  Stream += ' ';
  Stream += Text;
  Stream += ';';
  if (Multiline)
    Stream += "\r\n";
}

// A style name inside a CSS comment: nothing in it may end the comment or the
// style block.
std::string CommentText(const std::string &s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '*' && i + 1 < s.size() && s[i + 1] == '/')
      r += "* ";
    else if (s[i] == '<' || s[i] == '>')
      r += '_';
    else
      r += s[i];
  }
  return r;
}

const char *VAlignText(int32_t VShift) { return VShift > 0 ? "super" : VShift < 0 ? "sub" : ""; }

std::string DecorationText(const TFontInfo &f) {
  std::string d;
  if (f.Style & fsUnderline)
    d = "underline";
  else if (f.Style & fsStrikeOut)
    d = "line-through";
  if (f.Jump && !d.empty() && d != "underline")
    d = "none " + d;
  if (f.StyleEx.Has(rvfsOverline)) {
    if (!d.empty())
      d += " overline";
    else
      d = f.Jump ? "none overline" : "overline";
  }
  if (d.empty())
    d = "none";
  return d;
}
} // namespace

void TFontInfo::SaveCSSToStream(std::string &Stream, const TFontInfo *B, bool Multiline) const {
  if (!B || B->Size != Size)
    Decl(Stream, "font-size: " + IntToStr(Size) + "pt", Multiline);
  if (!B || !asciiEqualNoCase(B->FontName, FontName))
    Decl(Stream, "font-family: '" + CssQuotedText(FontName) + "'", Multiline);
  if (!B || ((B->Style & fsItalic) != 0) != ((Style & fsItalic) != 0))
    Decl(Stream, std::string("font-style: ") + ((Style & fsItalic) ? "italic" : "normal"), Multiline);
  if (!B || ((B->Style & fsBold) != 0) != ((Style & fsBold) != 0))
    Decl(Stream, std::string("font-weight: ") + ((Style & fsBold) ? "bold" : "normal"), Multiline);
  if (!B || B->Color != Color)
    Decl(Stream, "color: " + ColorToHtml(Color, false), Multiline);
  if (B ? B->CharSpacing != CharSpacing : CharSpacing != 0)
    Decl(Stream, "letter-spacing: " + IntToStr(CharSpacing) + "px", Multiline);
  bool caps = StyleEx.Has(rvfsAllCaps), baseCaps = B && B->StyleEx.Has(rvfsAllCaps);
  if (caps && !baseCaps)
    Decl(Stream, "text-transform: uppercase", Multiline);
  else if (baseCaps && !caps)
    Decl(Stream, "text-transform: none", Multiline);
  if (B ? B->BackColor != BackColor : !(BackColor == clNone && Multiline))
    Decl(Stream, "background-color: " + ColorToCss(BackColor), Multiline);
  std::string va = VAlignText(VShift);
  if (B) {
    std::string bva = VAlignText(B->VShift);
    // A style without shift over a shifted base goes back to the baseline.
    if (va != bva)
      Decl(Stream, "vertical-align: " + (va.empty() ? std::string("baseline") : va), Multiline);
  } else if (!va.empty()) {
    Decl(Stream, "vertical-align: " + va, Multiline);
  }
  // The values are compared: a link over a plain base needs its own "none".
  std::string dec = DecorationText(*this);
  if (!B || dec != DecorationText(*B) || (Jump && dec == "none"))
    Decl(Stream, "text-decoration: " + dec, Multiline);
}

// =================================================================== TParaInfo

TParaInfo::TParaInfo() { StyleName = "Paragraph Style"; }

bool TParaInfo::ExtraLineSpacing() const {
  return (LineSpacingType == rvlsPercent && LineSpacing > 100) ||
         (LineSpacingType == rvlsSpaceBetween && LineSpacing > 0);
}

void TParaInfo::Assign(const TCustomRVInfo &Source) {
  if (&Source == this)
    return;
  if (auto *s = dynamic_cast<const TParaInfo *>(&Source)) {
    FirstIndent = s->FirstIndent;
    LeftIndent = s->LeftIndent;
    RightIndent = s->RightIndent;
    SpaceBefore = s->SpaceBefore;
    SpaceAfter = s->SpaceAfter;
    LineSpacing = s->LineSpacing;
    LineSpacingType = s->LineSpacingType;
    Alignment = s->Alignment;
    Border.Assign(s->Border);
    NextParaNo = s->NextParaNo;
    Background.Assign(s->Background);
    Options = s->Options;
    BiDiMode = s->BiDiMode;
    DefStyleNo = s->DefStyleNo;
  }
  TCustomRVInfo::Assign(Source);
}

bool TParaInfo::IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const {
  auto *v = dynamic_cast<const TParaInfo *>(&Value);
  if (!v)
    return false;
  bool r = Alignment == v->Alignment && FirstIndent == v->FirstIndent && LeftIndent == v->LeftIndent &&
           RightIndent == v->RightIndent && SpaceBefore == v->SpaceBefore && SpaceAfter == v->SpaceAfter &&
           LineSpacing == v->LineSpacing && LineSpacingType == v->LineSpacingType && Options == v->Options &&
           BiDiMode == v->BiDiMode;
  if (r && !IgnoreReferences)
    r = NextParaNo == v->NextParaNo && DefStyleNo == v->DefStyleNo;
  return r && Background.IsEqual(v->Background) && Border.IsEqual(v->Border);
}

bool TParaInfo::IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &Mapping) const {
  if (!IsEqualTo(Value, true))
    return false;
  return SameMappedStyleNo(static_cast<const TParaInfo &>(Value).NextParaNo, NextParaNo, Mapping);
}

bool TParaInfo::IsEqualEx(const TParaInfo &v, TRVParaInfoProperties I) const {
  auto same = [&](TRVParaInfoProperty p, bool eq) { return I.Has(p) || eq; };
  return same(rvpiFirstIndent, FirstIndent == v.FirstIndent) && same(rvpiLeftIndent, LeftIndent == v.LeftIndent) &&
         same(rvpiRightIndent, RightIndent == v.RightIndent) &&
         same(rvpiSpaceBefore, SpaceBefore == v.SpaceBefore) && same(rvpiSpaceAfter, SpaceAfter == v.SpaceAfter) &&
         same(rvpiAlignment, Alignment == v.Alignment) && same(rvpiNextParaNo, NextParaNo == v.NextParaNo) &&
         same(rvpiDefStyleNo, DefStyleNo == v.DefStyleNo) && same(rvpiLineSpacing, LineSpacing == v.LineSpacing) &&
         same(rvpiLineSpacingType, LineSpacingType == v.LineSpacingType) && Background.IsEqual_Para(v.Background, I) &&
         Border.IsEqual_Para(v.Border, I) && same(rvpiNoWrap, Options.Has(rvpaoNoWrap) == v.Options.Has(rvpaoNoWrap)) &&
         same(rvpiReadOnly, Options.Has(rvpaoReadOnly) == v.Options.Has(rvpaoReadOnly)) &&
         same(rvpiStyleProtect, Options.Has(rvpaoStyleProtect) == v.Options.Has(rvpaoStyleProtect)) &&
         same(rvpiDoNotWantReturns, Options.Has(rvpaoDoNotWantReturns) == v.Options.Has(rvpaoDoNotWantReturns)) &&
         same(rvpiKeepLinesTogether, Options.Has(rvpaoKeepLinesTogether) == v.Options.Has(rvpaoKeepLinesTogether)) &&
         same(rvpiKeepWithNext, Options.Has(rvpaoKeepWithNext) == v.Options.Has(rvpaoKeepWithNext)) &&
         same(rvpiBiDiMode, BiDiMode == v.BiDiMode);
}

int64_t TParaInfo::SimilarityValue(const TCustomRVInfo &Value) const {
  auto *v = dynamic_cast<const TParaInfo *>(&Value);
  if (!v)
    return 0;
  int64_t r = IntegerWeight(FirstIndent, v->FirstIndent, 1000) + IntegerWeight(LeftIndent, v->LeftIndent, 1000) +
              IntegerWeight(RightIndent, v->RightIndent, 1000) + IntegerWeight(SpaceBefore, v->SpaceBefore, 1000) +
              IntegerWeight(SpaceAfter, v->SpaceAfter, 1000);
  r += Background.SimilarityValue(v->Background);
  r += Border.SimilarityValue(v->Border);
  if (Alignment == v->Alignment)
    r += 50000;
  if (BiDiMode == v->BiDiMode)
    r += 10000;
  const std::pair<TRVParaOption, int> weights[] = {{rvpaoNoWrap, 1000},          {rvpaoReadOnly, 100000},
                                                   {rvpaoStyleProtect, 1000},    {rvpaoDoNotWantReturns, 10000},
                                                   {rvpaoKeepLinesTogether, 500}, {rvpaoKeepWithNext, 500}};
  for (auto [o, w] : weights)
    if (Options.Has(o) == v->Options.Has(o))
      r += w;
  if (LineSpacingType == v->LineSpacingType)
    r += IntegerWeight(LineSpacing, v->LineSpacing, 5000);
  else if (ExtraLineSpacing() != v->ExtraLineSpacing())
    r -= 20000;
  return r;
}

void TParaInfo::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  TCustomRVInfo::SaveToINI(Ini, Section, KeyFormat);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "SpaceBefore"), SpaceBefore, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "SpaceAfter"), SpaceAfter, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "LeftIndent"), LeftIndent, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "RightIndent"), RightIndent, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "FirstIndent"), FirstIndent, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "LineSpacing"), LineSpacing, 100);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "LSType"), int(LineSpacingType), 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "NextParaNo"), NextParaNo, -1);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "DefStyleNo"), DefStyleNo, -1);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Alignment"), int(Alignment), 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "BiDiMode"), int(BiDiMode), 0);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "NoWrap"), Options.Has(rvpaoNoWrap), false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "ReadOnly"), Options.Has(rvpaoReadOnly), false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "StyleProtect"), Options.Has(rvpaoStyleProtect), false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "DoNotWantReturns"), Options.Has(rvpaoDoNotWantReturns), false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "KeepLinesTogether"), Options.Has(rvpaoKeepLinesTogether), false);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "KeepWithNext"), Options.Has(rvpaoKeepWithNext), false);
  Border.SaveToINI(Ini, Section, RVApplyKeyFormat(KeyFormat, "Border%s"));
  Background.SaveToINI(Ini, Section, RVApplyKeyFormat(KeyFormat, "Background%s"));
}

void TParaInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  TCustomRVInfo::LoadFromINI(Ini, Section, KeyFormat);
  SpaceBefore = Ini.readInteger(Section, K(KeyFormat, "SpaceBefore"), 0);
  SpaceAfter = Ini.readInteger(Section, K(KeyFormat, "SpaceAfter"), 0);
  LeftIndent = Ini.readInteger(Section, K(KeyFormat, "LeftIndent"), 0);
  RightIndent = Ini.readInteger(Section, K(KeyFormat, "RightIndent"), 0);
  FirstIndent = Ini.readInteger(Section, K(KeyFormat, "FirstIndent"), 0);
  LineSpacing = Ini.readInteger(Section, K(KeyFormat, "LineSpacing"), 100);
  LineSpacingType = EnumFromInt(Ini.readInteger(Section, K(KeyFormat, "LSType"), 0), 2, rvlsPercent);
  NextParaNo = StyleNoFromInt(Ini.readInteger(Section, K(KeyFormat, "NextParaNo"), -1));
  DefStyleNo = StyleNoFromInt(Ini.readInteger(Section, K(KeyFormat, "DefStyleNo"), -1));
  Alignment = EnumFromInt(Ini.readInteger(Section, K(KeyFormat, "Alignment"), 0), 4, rvaLeft);
  BiDiMode = EnumFromInt(Ini.readInteger(Section, K(KeyFormat, "BiDiMode"), 0), 3, rvbdUnspecified);
  Options = TRVParaOptions();
  Options.Set(rvpaoNoWrap, ReadBool(Ini, Section, K(KeyFormat, "NoWrap"), false));
  Options.Set(rvpaoReadOnly, ReadBool(Ini, Section, K(KeyFormat, "ReadOnly"), false));
  Options.Set(rvpaoStyleProtect, ReadBool(Ini, Section, K(KeyFormat, "StyleProtect"), false));
  Options.Set(rvpaoDoNotWantReturns, ReadBool(Ini, Section, K(KeyFormat, "DoNotWantReturns"), false));
  Options.Set(rvpaoKeepLinesTogether, ReadBool(Ini, Section, K(KeyFormat, "KeepLinesTogether"), false));
  Options.Set(rvpaoKeepWithNext, ReadBool(Ini, Section, K(KeyFormat, "KeepWithNext"), false));
  Border.LoadFromINI(Ini, Section, RVApplyKeyFormat(KeyFormat, "Border%s"));
  Background.LoadFromINI(Ini, Section, RVApplyKeyFormat(KeyFormat, "Background%s"));
}

namespace {
bool BorderShown(const TRVBorder &b) { return b.Style != rvbNone && b.Color != clNone; }

std::string Px(int64_t v) { return IntToStr(v) + "px"; }

std::string LineHeightText(int32_t ls) {
  int64_t v = ls;
  std::string sign = v < 0 ? "-" : "";
  if (v < 0)
    v = -v;
  int64_t rem = v % 100;
  return sign + IntToStr(v / 100) + "." + (rem < 10 ? "0" : "") + IntToStr(rem);
}
} // namespace

void TParaInfo::SaveCSSToStream(std::string &Stream, const TParaInfo *B, bool Multiline, bool IgnoreLeftAlignment,
                                bool ForListItem) const {
  static const char *const AlignNames[] = {"left", "right", "center", "justify"};
  if (B ? B->Alignment != Alignment : !(IgnoreLeftAlignment && Alignment == rvaLeft))
    Decl(Stream, std::string("text-align: ") + AlignNames[Alignment & 3], Multiline);
  if (!ForListItem && (!B || B->FirstIndent != FirstIndent))
    Decl(Stream, "text-indent: " + Px(FirstIndent), Multiline);
  if (LineSpacingType == rvlsPercent) {
    bool write = B ? (B->LineSpacingType == rvlsPercent && B->LineSpacing != LineSpacing) : LineSpacing != 100;
    if (write)
      Decl(Stream, "line-height: " + LineHeightText(LineSpacing), Multiline);
  } else if (B && B->LineSpacingType == rvlsPercent && B->LineSpacing != 100) {
    Decl(Stream, "line-height: normal", Multiline);
  }
  if (Options.Has(rvpaoNoWrap))
    Decl(Stream, "white-space: nowrap", Multiline);
  else if (B && B->Options.Has(rvpaoNoWrap))
    Decl(Stream, "white-space: normal", Multiline);
  if (Options.Has(rvpaoKeepLinesTogether))
    Decl(Stream, "page-break-inside: avoid", Multiline);
  else if (B && B->Options.Has(rvpaoKeepLinesTogether))
    Decl(Stream, "page-break-inside: auto", Multiline);
  if (Options.Has(rvpaoKeepWithNext))
    Decl(Stream, "page-break-after: avoid", Multiline);
  else if (B && B->Options.Has(rvpaoKeepWithNext))
    Decl(Stream, "page-break-after: auto", Multiline);

  // Padding as top, right, bottom, left.
  int64_t pad[4] = {0, 0, 0, 0};
  if (!BorderShown(Border)) {
    if (B && BorderShown(B->Border))
      Decl(Stream, "border: none", Multiline);
  } else {
    Decl(Stream, "border-color: " + ColorToHtml(Border.Color, false), Multiline);
    Decl(Stream, std::string("border-style: ") + (Border.Style == rvbSingle ? "solid" : "double"), Multiline);
    int64_t w = Border.Width, iw = Border.InternalWidth, bw = w;
    switch (Border.Style) {
    case rvbDouble:
      bw = w + iw;
      break;
    case rvbTriple:
      bw = w + 2 * iw;
      break;
    case rvbThickInside:
    case rvbThickOutside:
      bw = 3 * w / 2 + iw;
      break;
    default:
      bw = w;
    }
    Decl(Stream, "border-width: " + Px(bw), Multiline);
    if (!Border.VisibleBorders.Top)
      Decl(Stream, "border-top: none", Multiline);
    if (!Border.VisibleBorders.Right)
      Decl(Stream, "border-right: none", Multiline);
    if (!Border.VisibleBorders.Bottom)
      Decl(Stream, "border-bottom: none", Multiline);
    if (!Border.VisibleBorders.Left)
      Decl(Stream, "border-left: none", Multiline);
    pad[0] = Border.BorderOffsets.Top;
    pad[1] = Border.BorderOffsets.Right;
    pad[2] = Border.BorderOffsets.Bottom;
    pad[3] = Border.BorderOffsets.Left;
  }
  if (B ? B->Background.Color != Background.Color : Background.Color != clNone)
    Decl(Stream, "background: " + ColorToCss(Background.Color), Multiline);
  if (Background.Color != clNone) {
    const TRVRect &o = Background.BorderOffsets;
    pad[0] = std::max<int64_t>(pad[0], o.Top);
    pad[1] = std::max<int64_t>(pad[1], o.Right);
    pad[2] = std::max<int64_t>(pad[2], o.Bottom);
    pad[3] = std::max<int64_t>(pad[3], o.Left);
  }
  int64_t bpad[4] = {0, 0, 0, 0};
  if (B && BorderShown(B->Border)) {
    bpad[0] = B->Border.BorderOffsets.Top;
    bpad[1] = B->Border.BorderOffsets.Right;
    bpad[2] = B->Border.BorderOffsets.Bottom;
    bpad[3] = B->Border.BorderOffsets.Left;
  }
  if (!B || !std::equal(pad, pad + 4, bpad))
    Decl(Stream, "padding: " + Px(pad[0]) + " " + Px(pad[1]) + " " + Px(pad[2]) + " " + Px(pad[3]), Multiline);
  // Margins as left, right, top, bottom.
  int64_t m[4] = {LeftIndent - pad[3], RightIndent - pad[1], SpaceBefore - pad[0], SpaceAfter - pad[2]};
  bool writeMargins = true;
  if (B) {
    int64_t bm[4] = {B->LeftIndent - bpad[3], B->RightIndent - bpad[1], B->SpaceBefore - bpad[0],
                     B->SpaceAfter - bpad[2]};
    writeMargins = !std::equal(m, m + 4, bm);
  }
  if (writeMargins) {
    if (ForListItem) {
      Decl(Stream, "margin-top: " + Px(m[2]), Multiline);
      Decl(Stream, "margin-right: " + Px(m[1]), Multiline);
      Decl(Stream, "margin-bottom: " + Px(m[3]), Multiline);
    } else {
      Decl(Stream, "margin: " + Px(m[2]) + " " + Px(m[1]) + " " + Px(m[3]) + " " + Px(m[0]), Multiline);
    }
  }
}

// =============================================================== TRVMarkerFont

int32_t TRVMarkerFont::Height() const { return FontHeightOfSize(Size); }

void TRVMarkerFont::SetHeight(int32_t Value) { Size = FontSizeOfHeight(Value); }

bool TRVMarkerFont::IsDefault() const {
  return Size == 8 && Color == clWindowText && Charset == DEFAULT_CHARSET && Style == 0 && asciiEqualNoCase(Name, "Arial");
}

bool TRVMarkerFont::IsEqual(const TRVMarkerFont &Value) const {
  return Height() == Value.Height() && Style == Value.Style && Color == Value.Color && Charset == Value.Charset &&
         asciiEqualNoCase(Name, Value.Name);
}

void TRVMarkerFont::AssignTo(TLogFont &Font) const {
  Font.lfFaceName = Name;
  Font.lfHeight = Height();
  Font.lfWidth = 0;
  SetFontStyles(Font, Style);
  Font.lfCharSet = Charset;
}

namespace {
// The class library's colour texts.
struct ColorIdent {
  TColor Color;
  const char *Name;
};
const ColorIdent ColorIdents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {TColor(0xC0DCC0), "clMoneyGreen"},
    {TColor(0xF0CAA6), "clSkyBlue"},
    {TColor(0xF0FBFF), "clCream"},
    {TColor(0xA4A0A0), "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

std::string ColorToString(TColor c) {
  for (const auto &ci : ColorIdents)
    if (ci.Color == c)
      return ci.Name;
  static const char digits[] = "0123456789ABCDEF";
  std::string r = "$";
  uint32_t u = static_cast<uint32_t>(ColorToStored(c));
  for (int sh = 28; sh >= 0; sh -= 4)
    r += digits[(u >> sh) & 15];
  return r;
}

// Decimal or "$" hexadecimal within 32 bits; false for anything else.
bool StrToInt32(const std::string &s, int32_t &v) {
  if (s.empty())
    return false;
  size_t i = 0;
  bool neg = false;
  if (s[0] == '-' || s[0] == '+') {
    neg = s[0] == '-';
    i = 1;
  }
  int64_t r = 0;
  if (i < s.size() && s[i] == '$') {
    ++i;
    if (i >= s.size() || s.size() - i > 8)
      return false;
    for (; i < s.size(); ++i) {
      char c = s[i];
      int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
      if (d < 0)
        return false;
      r = r * 16 + d;
    }
    v = static_cast<int32_t>(static_cast<uint32_t>(neg ? -r : r));
    return true;
  }
  if (i >= s.size() || s.size() - i > 10)
    return false;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9')
      return false;
    r = r * 10 + (s[i] - '0');
  }
  if (neg)
    r = -r;
  if (r < INT32_MIN || r > INT32_MAX)
    return false;
  v = static_cast<int32_t>(r);
  return true;
}

bool StringToColor(const std::string &s, TColor &c) {
  for (const auto &ci : ColorIdents)
    if (asciiEqualNoCase(ci.Name, s)) {
      c = ci.Color;
      return true;
    }
  int32_t v = 0;
  if (!StrToInt32(s, v))
    return false;
  c = ColorFromStored(v);
  return true;
}

std::string FontToIniText(const TRVMarkerFont &f) {
  std::string st;
  if (f.Style & fsBold)
    st += 'B';
  if (f.Style & fsItalic)
    st += 'I';
  if (f.Style & fsUnderline)
    st += 'U';
  if (f.Style & fsStrikeOut)
    st += 'S';
  return f.Name + "," + IntToStr(f.Height()) + "," + st + "," + IntToStr(f.Pitch) + "," + ColorToString(f.Color) +
         "," + IntToStr(f.Charset);
}

// The name comes first and may itself hold commas, so the five other fields
// are taken from the right.
void FontFromIniText(const std::string &s, TRVMarkerFont &f) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t p = s.find(',', start);
    if (p == std::string::npos) {
      parts.push_back(s.substr(start));
      break;
    }
    parts.push_back(s.substr(start, p - start));
    start = p + 1;
  }
  std::vector<std::string> fields(6);
  if (parts.size() >= 6) {
    size_t nameParts = parts.size() - 5;
    std::string name = parts[0];
    for (size_t i = 1; i < nameParts; ++i)
      name += "," + parts[i];
    fields[0] = name;
    for (size_t i = 0; i < 5; ++i)
      fields[i + 1] = parts[nameParts + i];
  } else {
    for (size_t i = 0; i < parts.size(); ++i)
      fields[i] = parts[i];
  }
  f.Name = fields[0];
  int32_t v = 0;
  if (StrToInt32(fields[1], v))
    f.SetHeight(v);
  int st = 0;
  for (char c : fields[2]) {
    switch (c) {
    case 'B':
    case 'b':
      st |= fsBold;
      break;
    case 'I':
    case 'i':
      st |= fsItalic;
      break;
    case 'U':
    case 'u':
      st |= fsUnderline;
      break;
    case 'S':
    case 's':
      st |= fsStrikeOut;
      break;
    default:
      break;
    }
  }
  f.Style = TFontStyles(st);
  if (StrToInt32(fields[3], v) && v >= 0 && v <= 2)
    f.Pitch = uint8_t(v);
  TColor c;
  if (StringToColor(fields[4], c))
    f.Color = c;
  if (StrToInt32(fields[5], v) && v >= 0 && v <= 255)
    f.Charset = uint8_t(v);
}

bool GraphicsEqual(const TGraphic *a, const TGraphic *b) {
  if (!a && !b)
    return true;
  if (!a || !b)
    return false;
  return std::string(a->className()) == b->className() && a->width() == b->width() && a->height() == b->height() &&
         a->saveToBytes() == b->saveToBytes();
}

// Largest number of levels a stored list style may bring.
constexpr int MaxStoredLevels = 256;
} // namespace

// ================================================================ TRVListLevel

TRVListLevel::TRVListLevel() = default;
TRVListLevel::~TRVListLevel() = default;

int TRVListLevel::Index() const {
  if (!FCollection)
    return -1;
  for (int i = 0; i < FCollection->Count(); ++i)
    if (FCollection->Items(i) == this)
      return i;
  return -1;
}

std::string TRVListLevel::DisplayName() const { return "List Level " + IntToStr(Index()); }

TGraphic *TRVListLevel::GetPicture() { return FPicture.get(); }

void TRVListLevel::SetPicture(const TGraphic *Value) {
  if (Value == FPicture.get())
    return;
  if (!Value) {
    FPicture.reset();
    return;
  }
  FPicture = Value->clone();
  if (auto *bmp = dynamic_cast<TBitmap *>(FPicture.get()))
    bmp->transparent = true;
}

bool TRVListLevel::HasPicture() const { return FPicture != nullptr; }

TRVMarkerFont *TRVListLevel::GetFont() {
  if (!FFont)
    FFont = std::make_unique<TRVMarkerFont>();
  return FFont.get();
}

void TRVListLevel::SetFont(const TRVMarkerFont *Value) {
  if (Value == FFont.get())
    return;
  if (!Value)
    FFont.reset();
  else
    FFont = std::make_unique<TRVMarkerFont>(*Value);
}

bool TRVListLevel::HasNumbering() const { return ListType >= rvlstDecimal && ListType <= rvlstImageListCounter; }

bool TRVListLevel::HasTextNumbering() const { return ListType >= rvlstDecimal && ListType <= rvlstUpperRoman; }

bool TRVListLevel::UsesFont() const {
  return ListType == rvlstBullet || HasTextNumbering() || ListType == rvlstUnicodeBullet;
}

void TRVListLevel::Assign(const TRVListLevel &Source) {
  if (&Source == this)
    return;
  ListType = Source.ListType;
  StartFrom = Source.StartFrom;
  ImageList = Source.ImageList;
  ImageIndex = Source.ImageIndex;
  FormatString = Source.FormatString;
  FormatStringW = Source.FormatStringW;
  LeftIndent = Source.LeftIndent;
  FirstIndent = Source.FirstIndent;
  MarkerIndent = Source.MarkerIndent;
  MarkerAlignment = Source.MarkerAlignment;
  SetPicture(Source.FPicture.get());
  SetFont(Source.FFont.get());
  Options = Source.Options;
}

namespace {
bool NonDefaultFont(const TRVMarkerFont *f) { return f && !f->IsDefault(); }
bool FontsMatch(const TRVMarkerFont *a, const TRVMarkerFont *b) {
  if (NonDefaultFont(a) || NonDefaultFont(b))
    return a && b && a->IsEqual(*b);
  return true;
}
} // namespace

bool TRVListLevel::IsEqual(const TRVListLevel &v) const {
  return ListType == v.ListType && StartFrom == v.StartFrom && ImageList == v.ImageList &&
         ImageIndex == v.ImageIndex && FormatString == v.FormatString && FormatStringW == v.FormatStringW &&
         LeftIndent == v.LeftIndent && FirstIndent == v.FirstIndent && MarkerIndent == v.MarkerIndent &&
         MarkerAlignment == v.MarkerAlignment && FontsMatch(FFont.get(), v.FFont.get()) && Options == v.Options &&
         GraphicsEqual(FPicture.get(), v.FPicture.get());
}

int64_t TRVListLevel::SimilarityValue(const TRVListLevel &v) const {
  int64_t r = 0;
  if (ListType == v.ListType)
    r += 5000;
  const bool same100[] = {StartFrom == v.StartFrom,       ImageList == v.ImageList,
                          ImageIndex == v.ImageIndex,     FormatString == v.FormatString,
                          FormatStringW == v.FormatStringW, LeftIndent == v.LeftIndent,
                          MarkerIndent == v.MarkerIndent, MarkerAlignment == v.MarkerAlignment,
                          Options == v.Options};
  for (bool b : same100)
    if (b)
      r += 100;
  if (FirstIndent == v.FirstIndent)
    r += 200;
  if ((!NonDefaultFont(FFont.get()) && !NonDefaultFont(v.FFont.get())) ||
      (FFont && v.FFont && FFont->IsEqual(*v.FFont)))
    r += 100;
  if (GraphicsEqual(FPicture.get(), v.FPicture.get()))
    r += 100;
  return r;
}

void TRVListLevel::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "ListType"), int(ListType), 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "ImageIndex"), ImageIndex, 0);
  Ini.writeString(Section, K(KeyFormat, "FormatString"), FormatString);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "LeftIndent"), LeftIndent, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "FirstIndent"), FirstIndent, 10);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "MarkerIndent"), MarkerIndent, 0);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "MarkerAlignment"), int(MarkerAlignment), 0);
  if (FPicture) {
    Ini.writeString(Section, K(KeyFormat, "GraphicClass"), FPicture->className());
    WriteLongString(Ini, Section, K(KeyFormat, "Picture"), RVBytesToHex(FPicture->saveToBytes()));
  }
  if (FFont)
    Ini.writeString(Section, K(KeyFormat, "Font"), FontToIniText(*FFont));
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "Continuous"), Options.Has(rvloContinuous), true);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "LevelReset"), Options.Has(rvloLevelReset), true);
  if (!FormatStringW.empty())
    Ini.writeString(Section, K(KeyFormat, "FormatStringW"), RVBytesToHex(WideStringToRaw(FormatStringW)));
}

void TRVListLevel::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  ListType = EnumFromInt(Ini.readInteger(Section, K(KeyFormat, "ListType"), 0), 10, rvlstBullet);
  ImageIndex = Ini.readInteger(Section, K(KeyFormat, "ImageIndex"), 0);
  FormatString = Ini.readString(Section, K(KeyFormat, "FormatString"), std::string(1, char(0xB7)));
  LeftIndent = Ini.readInteger(Section, K(KeyFormat, "LeftIndent"), 0);
  FirstIndent = Ini.readInteger(Section, K(KeyFormat, "FirstIndent"), 10);
  MarkerIndent = Ini.readInteger(Section, K(KeyFormat, "MarkerIndent"), 0);
  MarkerAlignment = EnumFromInt(Ini.readInteger(Section, K(KeyFormat, "MarkerAlignment"), 0), 3, rvmaLeft);
  FPicture.reset();
  std::string cls = Ini.readString(Section, K(KeyFormat, "GraphicClass"), "");
  if (!cls.empty()) {
    std::unique_ptr<TGraphic> g = createGraphic(cls);
    std::string bytes;
    if (g && RVHexToBytes(ReadLongString(Ini, Section, K(KeyFormat, "Picture")), bytes) && g->loadFromBytes(bytes))
      SetPicture(g.get());
  }
  std::string font = Ini.readString(Section, K(KeyFormat, "Font"), "");
  if (font.empty()) {
    FFont.reset();
  } else {
    FFont = std::make_unique<TRVMarkerFont>();
    FontFromIniText(font, *FFont);
  }
  Options.Set(rvloContinuous, ReadBool(Ini, Section, K(KeyFormat, "Continuous"), true));
  Options.Set(rvloLevelReset, ReadBool(Ini, Section, K(KeyFormat, "LevelReset"), true));
  FormatStringW.clear();
  std::string bytes;
  // Hex text of an odd length, or of an odd number of bytes, is not UTF-16.
  if (RVHexToBytes(Ini.readString(Section, K(KeyFormat, "FormatStringW"), ""), bytes) && bytes.size() % 2 == 0)
    FormatStringW = RawToWideString(bytes);
}

std::string TRVListLevel::GetIndentCSSForTextVersion() const {
  return "text-indent: " + Px(int64_t(MarkerIndent) - LeftIndent) + "; margin-left: " + Px(LeftIndent) + ";";
}

std::string TRVListLevel::GetHTMLOpenTagForCSS() const {
  if (LeftIndent > MarkerIndent)
    return "text-indent: " + Px(FirstIndent) + "; margin-left: " + Px(LeftIndent) + "; list-style:outside;";
  return "text-indent: " + Px(int64_t(MarkerIndent) - LeftIndent) + "; margin-left: " + Px(LeftIndent) +
         "; list-style:inside;";
}

void TRVListLevel::HTMLOpenTag(std::string &Stream, bool UseStyle) const {
  std::string style = UseStyle ? " style=\"" + GetHTMLOpenTagForCSS() + "\"" : std::string();
  if (HasNumbering()) {
    std::string type;
    switch (ListType) {
    case rvlstLowerAlpha:
      type = " type=a";
      break;
    case rvlstUpperAlpha:
      type = " type=A";
      break;
    case rvlstLowerRoman:
      type = " type=i";
      break;
    case rvlstUpperRoman:
      type = " type=I";
      break;
    default:
      break;
    }
    Stream += "<OL" + type + style + ">";
  } else {
    Stream += "<UL" + style + ">";
  }
}

void TRVListLevel::HTMLCloseTag(std::string &Stream) const { Stream += HasNumbering() ? "</OL>" : "</UL>"; }

// ====================================================== TRVListLevelCollection

TRVListLevel *TRVListLevelCollection::Items(int Index) const {
  return (Index >= 0 && Index < Count()) ? FItems[size_t(Index)].get() : nullptr;
}

TRVListLevel *TRVListLevelCollection::Add() {
  FItems.push_back(std::make_unique<TRVListLevel>());
  FItems.back()->FCollection = this;
  return FItems.back().get();
}

void TRVListLevelCollection::Delete(int Index) {
  if (Index >= 0 && Index < Count())
    FItems.erase(FItems.begin() + Index);
}

void TRVListLevelCollection::Assign(const TRVListLevelCollection &Source) {
  if (&Source == this)
    return;
  FItems.clear();
  for (const auto &l : Source.FItems)
    Add()->Assign(*l);
}

bool TRVListLevelCollection::IsEqual(const TRVListLevelCollection &Value) const {
  if (Count() != Value.Count())
    return false;
  for (int i = 0; i < Count(); ++i)
    if (!FItems[size_t(i)]->IsEqual(*Value.FItems[size_t(i)]))
      return false;
  return true;
}

// ================================================================= TRVListInfo

TRVListInfo::TRVListInfo() { StyleName = "List Style"; }

int32_t TRVListInfo::GetListID() const {
  if (FListID == 0) {
    static std::mt19937 gen{std::random_device{}()};
    std::uniform_int_distribution<int32_t> dist(1, 2147483646);
    while (FListID == 0)
      FListID = dist(gen);
  }
  return FListID;
}

bool TRVListInfo::HasNumbering() const {
  for (int i = 0; i < Levels.Count(); ++i)
    if (Levels.Items(i)->HasNumbering())
      return true;
  return false;
}

bool TRVListInfo::HasTextNumbering() const {
  for (int i = 0; i < Levels.Count(); ++i)
    if (Levels.Items(i)->HasTextNumbering())
      return true;
  return false;
}

void TRVListInfo::Assign(const TCustomRVInfo &Source) {
  if (&Source == this)
    return;
  if (auto *s = dynamic_cast<const TRVListInfo *>(&Source)) {
    Levels.Assign(s->Levels);
    OneLevelPreview = s->OneLevelPreview;
  }
  TCustomRVInfo::Assign(Source);
}

bool TRVListInfo::IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const {
  auto *v = dynamic_cast<const TRVListInfo *>(&Value);
  if (!v)
    return false;
  // The identifiers are compared as they stand: asking would draw new ones.
  return OneLevelPreview == v->OneLevelPreview && Levels.Count() == v->Levels.Count() &&
         (IgnoreReferences || FListID == v->FListID) && Levels.IsEqual(v->Levels);
}

bool TRVListInfo::IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &) const {
  return IsEqualTo(Value, true);
}

int64_t TRVListInfo::SimilarityValue(const TCustomRVInfo &Value) const {
  auto *v = dynamic_cast<const TRVListInfo *>(&Value);
  if (!v)
    return 0;
  int64_t r = 0;
  if (OneLevelPreview == v->OneLevelPreview)
    r += 100;
  if (FListID == v->FListID)
    r += 50;
  int common = std::min(Levels.Count(), v->Levels.Count());
  r -= 100 * int64_t(std::max(Levels.Count(), v->Levels.Count()) - common);
  for (int i = 0; i < common; ++i)
    r += Levels.Items(i)->SimilarityValue(*v->Levels.Items(i));
  return r;
}

void TRVListInfo::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  TCustomRVInfo::SaveToINI(Ini, Section, KeyFormat);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "LevelsCount"), Levels.Count(), 0);
  WriteBoolIfNotDef(Ini, Section, K(KeyFormat, "OneLevelPreview"), OneLevelPreview, false);
  const std::string prefix = RVApplyKeyFormat(KeyFormat, "");
  for (int i = 0; i < Levels.Count(); ++i)
    Levels.Items(i)->SaveToINI(Ini, Section, prefix + "Lvl%s" + IntToStr(i));
}

void TRVListInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  TCustomRVInfo::LoadFromINI(Ini, Section, KeyFormat);
  int n = std::clamp(Ini.readInteger(Section, K(KeyFormat, "LevelsCount"), 0), 0, MaxStoredLevels);
  OneLevelPreview = ReadBool(Ini, Section, K(KeyFormat, "OneLevelPreview"), false);
  Levels.Clear();
  const std::string prefix = RVApplyKeyFormat(KeyFormat, "");
  for (int i = 0; i < n; ++i)
    Levels.Add()->LoadFromINI(Ini, Section, prefix + "Lvl%s" + IntToStr(i));
}

// ============================================================== TCustomRVInfos

TCustomRVInfos::TCustomRVInfos(TRVStyle *Owner, EntryFactory Factory) : FFactory(std::move(Factory)), FOwner(Owner) {}

TCustomRVInfos::~TCustomRVInfos() = default;

TCustomRVInfo *TCustomRVInfos::GetItem(int Index) const {
  return (Index >= 0 && Index < Count()) ? FItems[size_t(Index)].get() : nullptr;
}

int TCustomRVInfos::IndexOf(const TCustomRVInfo *Item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == Item)
      return int(i);
  return -1;
}

TCustomRVInfo *TCustomRVInfos::AddEntry() {
  std::unique_ptr<TCustomRVInfo> e = FFactory();
  e->FCollection = this;
  FItems.push_back(std::move(e));
  return FItems.back().get();
}

void TCustomRVInfos::Delete(int Index) {
  if (Index >= 0 && Index < Count())
    FItems.erase(FItems.begin() + Index);
}

void TCustomRVInfos::Clear() { FItems.clear(); }

void TCustomRVInfos::Assign(const TCustomRVInfos &Source) {
  if (&Source == this)
    return;
  Clear();
  for (const auto &e : Source.FItems)
    AddEntry()->Assign(*e);
}

void TCustomRVInfos::AssignTo(std::vector<std::string> &Strings) const {
  Strings.clear();
  for (const auto &e : FItems)
    Strings.push_back(e->StyleName);
}

namespace {
// A style number taken through a mapping; one the mapping does not know is "none".
int32_t MapStyleNo(int32_t No, const TRVIntegerList &Mapping) {
  if (No < 0)
    return No;
  if (No >= Mapping.Count())
    return -1;
  int32_t r = Mapping[No];
  return r < 0 ? -1 : r;
}
} // namespace

void TCustomRVInfos::MergeWith(const TCustomRVInfos &Source, TRVStyleMergeMode Mode, TRVIntegerList &Mapping,
                               const TRVIntegerList *TextStyleMapping) {
  Mapping.Clear();
  const int oldCount = Count();
  const bool isText = dynamic_cast<const TFontInfos *>(this) != nullptr;
  const bool isList = dynamic_cast<const TRVListInfos *>(this) != nullptr;
  auto append = [&](const TCustomRVInfo &src) {
    int idx = Count();
    AddEntry()->Assign(src);
    return idx;
  };
  switch (Mode) {
  case rvs_merge_Append:
    for (int i = 0; i < Source.Count(); ++i)
      Mapping.Add(append(*Source.GetItem(i)));
    break;
  case rvs_merge_Map:
    for (int i = 0; i < Source.Count(); ++i) {
      const TCustomRVInfo &src = *Source.GetItem(i);
      int best = -1;
      int64_t bestValue = 0;
      auto pass = [&](auto accept) {
        for (int j = 0; j < Count(); ++j) {
          if (!accept(*GetItem(j)))
            continue;
          int64_t v = src.SimilarityValue(*GetItem(j));
          if (best < 0 || v > bestValue) {
            best = j;
            bestValue = v;
          }
        }
        return best >= 0;
      };
      if (isText) {
        auto &s = static_cast<const TFontInfo &>(src);
        auto sameJump = [&](const TCustomRVInfo &t) { return static_cast<const TFontInfo &>(t).Jump == s.Jump; };
        auto sameUni = [&](const TCustomRVInfo &t) {
          return static_cast<const TFontInfo &>(t).Unicode == s.Unicode;
        };
        if (!pass([&](const TCustomRVInfo &t) { return sameJump(t) && sameUni(t); }))
          if (!pass(sameJump))
            pass(sameUni);
      }
      if (best < 0)
        pass([](const TCustomRVInfo &) { return true; });
      Mapping.Add(best);
    }
    break;
  case rvs_merge_SmartMerge: {
    std::vector<bool> used;
    auto isUsed = [&](int j) { return isList && j < int(used.size()) && used[size_t(j)]; };
    for (int i = 0; i < Source.Count(); ++i) {
      const TCustomRVInfo &src = *Source.GetItem(i);
      // The existing entry is the one compared and the entry read is the
      // value: the mapping turns the read entry's references (source
      // numbers) into target numbers, which only then compare with the
      // existing entry's. Comparing the other way round would look target
      // numbers up in a source-to-target mapping. Neither entry is changed.
      auto fits = [&](int j) { return !isUsed(j) && GetItem(j)->IsEqualToMapped(src, Mapping); };
      int chosen = -1;
      if (i < Count() && fits(i))
        chosen = i;
      else
        for (int j = 0; j < Count() && chosen < 0; ++j)
          if (fits(j))
            chosen = j;
      if (chosen < 0)
        chosen = append(src);
      if (isList && static_cast<const TRVListInfo &>(src).HasNumbering()) {
        if (int(used.size()) <= chosen)
          used.resize(size_t(chosen) + 1, false);
        used[size_t(chosen)] = true;
      }
      Mapping.Add(chosen);
    }
    break;
  }
  }
  for (int i = oldCount; i < Count(); ++i) {
    TCustomRVInfo *e = GetItem(i);
    e->Standard = false;
    e->BaseStyleNo = MapStyleNo(e->BaseStyleNo, Mapping);
    if (auto *f = dynamic_cast<TFontInfo *>(e)) {
      f->NextStyleNo = MapStyleNo(f->NextStyleNo, Mapping);
    } else if (auto *p = dynamic_cast<TParaInfo *>(e)) {
      p->NextParaNo = MapStyleNo(p->NextParaNo, Mapping);
      if (TextStyleMapping)
        p->DefStyleNo = MapStyleNo(p->DefStyleNo, *TextStyleMapping);
    }
  }
}

namespace {
// What a table answers for a style number out of range, made once: a new
// entry, copied from the first one when there is one, that Mark then makes
// stand out.
template <class Entry, class Table, class MarkFn>
Entry *StandIn(const Table &T, std::unique_ptr<Entry> &Slot, MarkFn Mark) {
  if (!Slot) {
    Slot.reset(static_cast<Entry *>(T.NewEntry().release()));
    if (T.Count() > 0)
      Slot->Assign(*T.Items(0));
    Mark(*Slot);
  }
  return Slot.get();
}
} // namespace

// ================================================================== TFontInfos

TFontInfos::TFontInfos(TRVStyle *Owner, EntryFactory Factory)
    : TCustomRVInfos(Owner, Factory ? std::move(Factory) : EntryFactory([] { return std::make_unique<TFontInfo>(); })) {}

TFontInfos::~TFontInfos() = default;

TFontInfo *TFontInfos::AddTextStyle(const std::string &FontName, int32_t Size, TColor Color, TColor BackColor,
                                    TFontStyles Style) {
  TFontInfo *f = Add();
  f->FontName = FontName;
  f->Size = Size;
  f->Color = Color;
  f->BackColor = BackColor;
  f->Style = Style;
  return f;
}

TFontInfo *TFontInfos::AddTextStyle(const std::string &Name, const std::string &FontName, TFontStyles Style,
                                    int32_t Size, TColor Color) {
  TFontInfo *f = Add();
  f->StyleName = Name;
  f->FontName = FontName;
  f->Style = Style;
  f->Size = Size;
  f->Color = Color;
  return f;
}

TFontInfo *TFontInfos::GetTextStyleSafe(int Index) const {
  if (Index >= 0 && Index < Count())
    return Items(Index);
  return StandIn(*this, FInvalidItem, [](TFontInfo &f) {
    f.Color = 0xFFFFFF;
    f.BackColor = 0x0000FF;
  });
}

int TFontInfos::FindStyleWithCharset(int StyleNo, uint8_t Charset) const {
  const TFontInfo *s = Items(StyleNo);
  if (!s)
    return -1;
  if (s->Charset == Charset && !s->Unicode)
    return StyleNo;
  const TRVFontInfoProperties ignore{rvfiCharset, rvfiUnicode};
  for (int i = 0; i < Count(); ++i) {
    const TFontInfo *f = Items(i);
    if (i != StyleNo && f->Charset == Charset && !f->Unicode && s->IsEqualEx(*f, ignore))
      return i;
  }
  return -1;
}

// ================================================================== TParaInfos

TParaInfos::TParaInfos(TRVStyle *Owner, EntryFactory Factory)
    : TCustomRVInfos(Owner, Factory ? std::move(Factory) : EntryFactory([] { return std::make_unique<TParaInfo>(); })) {}

TParaInfos::~TParaInfos() = default;

TParaInfo *TParaInfos::GetParaStyleSafe(int Index) const {
  if (Index >= 0 && Index < Count())
    return Items(Index);
  return StandIn(*this, FInvalidItem, [](TParaInfo &p) {
    p.LeftIndent = 1;
    p.RightIndent = 1;
    p.SpaceBefore = 1;
    p.SpaceAfter = 1;
    p.Border.Style = rvbSingle;
    p.Border.Color = 0x0000FF;
    p.Border.Width = 2;
    p.Border.BorderOffsets.SetAll(1);
  });
}

int TParaInfos::FindSuchStyle(int BaseStyle, const TParaInfo &Style, TRVParaInfoProperties Mask) const {
  const TRVParaInfoProperties ignore = RVAllParaInfoProperties() - Mask;
  if (const TParaInfo *p = Items(BaseStyle); p && p->IsEqualEx(Style, ignore))
    return BaseStyle;
  for (int i = 0; i < Count(); ++i)
    if (i != BaseStyle && Items(i)->IsEqualEx(Style, ignore))
      return i;
  return -1;
}

// ================================================================ TRVListInfos

TRVListInfos::TRVListInfos(TRVStyle *Owner, EntryFactory Factory)
    : TCustomRVInfos(Owner,
                     Factory ? std::move(Factory) : EntryFactory([] { return std::make_unique<TRVListInfo>(); })) {}

void TRVListInfos::RemoveImageList(const TCustomImageList *ImageList) {
  for (int i = 0; i < Count(); ++i) {
    TRVListInfo *l = Items(i);
    for (int j = 0; j < l->Levels.Count(); ++j)
      if (l->Levels.Items(j)->ImageList == ImageList)
        l->Levels.Items(j)->ImageList = nullptr;
  }
}

// ==================================================================== TRVStyle

TRVStyle::TRVStyle() { Init(nullptr, nullptr, nullptr); }

TRVStyle::TRVStyle(TCustomRVInfos::EntryFactory TextStyleClass, TCustomRVInfos::EntryFactory ParaStyleClass,
                   TCustomRVInfos::EntryFactory ListStyleClass) {
  Init(std::move(TextStyleClass), std::move(ParaStyleClass), std::move(ListStyleClass));
}

void TRVStyle::Init(TCustomRVInfos::EntryFactory TextStyleClass, TCustomRVInfos::EntryFactory ParaStyleClass,
                    TCustomRVInfos::EntryFactory ListStyleClass) {
  // The system's hand where there is one; a missing resource leaves the
  // number to the default cursor.
  std::optional<CursorImage> hand = systemHandCursor();
  setScreenCursor(crJump, hand ? hand : loadCursorResource("RV_JUMP_CURSOR"));
  setScreenCursor(crRVFlipArrow, loadCursorResource("RV_FLIPARROW_CURSOR"));
  FTextStyles = std::make_unique<TFontInfos>(this, std::move(TextStyleClass));
  FParaStyles = std::make_unique<TParaInfos>(this, std::move(ParaStyleClass));
  FListStyles = std::make_unique<TRVListInfos>(this, std::move(ListStyleClass));
  ResetParaStyles();
  ResetTextStyles();
}

TRVStyle::~TRVStyle() = default;

void TRVStyle::SetTextStyles(const TFontInfos &Value) { FTextStyles->Assign(Value); }
void TRVStyle::SetParaStyles(const TParaInfos &Value) { FParaStyles->Assign(Value); }
void TRVStyle::SetListStyles(const TRVListInfos &Value) { FListStyles->Assign(Value); }

void TRVStyle::SetSpacesInTab(int Value) { FSpacesInTab = static_cast<int16_t>(std::clamp(Value, 0, 32767)); }

TGraphic *TRVStyle::GetInvalidPicture() {
  if (!FInvalidPicture)
    FInvalidPicture = makeInvalidPicture();
  return FInvalidPicture.get();
}

void TRVStyle::SetInvalidPicture(const TGraphic *Value) {
  if (Value == FInvalidPicture.get())
    return;
  if (!Value)
    FInvalidPicture.reset();
  else
    FInvalidPicture = Value->clone();
}

void TRVStyle::ResetTextStyles() {
  FTextStyles->Clear();
  struct Def {
    const char *Name;
    TFontStyles Style;
    TColor Color;
    bool Jump;
  };
  const Def defs[] = {{"Normal text", 0, clWindowText, false}, {"Heading", fsBold, clBlue, false},
                      {"Subheading", fsBold, clNavy, false},   {"Keywords", fsItalic, clMaroon, false},
                      {"Jump 1", fsUnderline, clGreen, true},  {"Jump 2", fsUnderline, clGreen, true}};
  for (const Def &d : defs) {
    TFontInfo *f = FTextStyles->Add();
    f->StyleName = d.Name;
    f->Style = d.Style;
    f->Color = d.Color;
    if (d.Jump) {
      f->Jump = true;
      f->JumpCursor = JumpCursor;
    }
  }
}

void TRVStyle::ResetParaStyles() {
  FParaStyles->Clear();
  FParaStyles->Add();
  TParaInfo *p = FParaStyles->Add();
  p->StyleName = "Centered";
  p->Alignment = rvaCenter;
}

TColor TRVStyle::GetHoverColor(int StyleNo) const {
  return GetHoverColorByColor(FTextStyles->GetTextStyleSafe(StyleNo)->HoverColor);
}

TColor TRVStyle::GetHoverColorByColor(TColor AColor) const { return AColor != clNone ? AColor : HoverColor; }

bool TRVStyle::StyleHoverSensitive(int StyleNo) {
  const TFontInfo *f = FTextStyles->GetTextStyleSafe(StyleNo);
  bool sensitive = GetHoverColor(StyleNo) != clNone || f->HoverBackColor != f->BackColor;
  if (OnStyleHoverSensitive)
    OnStyleHoverSensitive(this, StyleNo, sensitive);
  return sensitive;
}

void TRVStyle::ApplyStyle(TCanvas &ACanvas, int StyleNo, TRVBiDiMode DefBiDiMode) {
  bool doDefault = true;
  if (OnApplyStyle)
    OnApplyStyle(this, ACanvas, StyleNo, doDefault);
  if (doDefault)
    FTextStyles->GetTextStyleSafe(StyleNo)->Apply(ACanvas, DefBiDiMode);
}

void TRVStyle::ApplyStyleColor(TCanvas &ACanvas, int StyleNo, TRVTextDrawStates DrawState, bool Printing,
                               uint8_t ColorMode) {
  bool doDefault = true;
  if (OnApplyStyleColor)
    OnApplyStyleColor(this, ACanvas, StyleNo, DrawState, doDefault);
  if (doDefault)
    FTextStyles->GetTextStyleSafe(StyleNo)->ApplyColor(ACanvas, *this, DrawState, Printing, ColorMode);
}

void TRVStyle::DrawStyleText(const std::string &s, TCanvas &ACanvas, int AItemNo, int AOffsetInItem, int StyleNo,
                             TCustomRVData *ARVData, int SpaceBefore, int Left, int Top, int Width, int Height,
                             TRVTextDrawStates DrawState, bool Printing, bool FitToWidth, uint8_t ColorMode,
                             TRVBiDiMode DefBiDiMode) {
  const TFontInfo *f = FTextStyles->GetTextStyleSafe(StyleNo);
  const std::string text = ApplyAllCaps(s, f->StyleEx.Has(rvfsAllCaps), f->Unicode);
  bool doDefault = true;
  if (OnDrawStyleText) {
    ItemNo = AItemNo;
    OffsetInItem = AOffsetInItem;
    RVData = ARVData;
    OnDrawStyleText(this, text, ACanvas, StyleNo, SpaceBefore, Left, Top, Width, Height, DrawState, doDefault);
  }
  if (doDefault)
    f->Draw(text, ACanvas, StyleNo, SpaceBefore, Left, Top, Width, Height, *this, DrawState, Printing, FitToWidth,
            ColorMode, DefBiDiMode);
}

void TRVStyle::DrawTextBack(TCanvas &ACanvas, int AItemNo, int StyleNo, TCustomRVData *ARVData, int Left, int Top,
                            int Width, int Height, TRVTextDrawStates DrawState) {
  if (!OnDrawTextBack)
    return;
  ItemNo = AItemNo;
  RVData = ARVData;
  bool doDefault = true;
  OnDrawTextBack(this, ACanvas, StyleNo, Left, Top, Width, Height, DrawState, doDefault);
}

void TRVStyle::DrawCheckpoint(TCanvas &ACanvas, int X, int Y, int AItemNo, int XShift, bool RaiseEvent,
                              TRVScroller *Control, int ControlWidth) {
  bool doDefault = true;
  if (OnDrawCheckpoint)
    OnDrawCheckpoint(this, ACanvas, X, Y, AItemNo, XShift, RaiseEvent, Control, doDefault);
  CanvasPen pen = ACanvas.pen();
  CanvasBrush brush = ACanvas.brush();
  if (doDefault) {
    pen.Width = 1;
    pen.Color = RaiseEvent ? CheckpointEvColor : CheckpointColor;
    brush.Style = TBrushStyle::bsClear;
    ACanvas.setBrush(brush);
    if (AItemNo != -1) {
      pen.Style = TPenStyle::psSolid;
      ACanvas.setPen(pen);
      ACanvas.ellipse(TRect{X - 2, Y - 2, X + 2, Y + 2});
    }
    pen.Style = TPenStyle::psDot;
    ACanvas.setPen(pen);
    ACanvas.moveTo(-XShift, Y);
    ACanvas.lineTo(ControlWidth, Y);
  }
  pen = ACanvas.pen();
  pen.Style = TPenStyle::psSolid;
  ACanvas.setPen(pen);
  brush = ACanvas.brush();
  brush.Style = TBrushStyle::bsClear;
  ACanvas.setBrush(brush);
}

void TRVStyle::DrawPageBreak(TCanvas &ACanvas, int Y, int XShift, TRVPageBreakType PageBreakType,
                             TRVScroller *Control, int ControlClientWidth) {
  bool doDefault = true;
  if (OnDrawPageBreak)
    OnDrawPageBreak(this, ACanvas, Y, XShift, PageBreakType, Control, doDefault);
  if (doDefault) {
    CanvasPen pen = ACanvas.pen();
    pen.Color = PageBreakType == rvpbPageBreak ? PageBreakColor : SoftPageBreakColor;
    pen.Width = 1;
    pen.Style = TPenStyle::psSolid;
    ACanvas.setPen(pen);
    const int x2 = ControlClientWidth - XShift - 8;
    ACanvas.moveTo(-XShift, Y);
    ACanvas.lineTo(x2, Y);
    ACanvas.setBrush(CanvasBrush{clWindow, TBrushStyle::bsSolid});
    const TPoint pts[] = {{x2, Y}, {x2 + 8, Y + 8}, {x2, Y + 8}};
    ACanvas.polygon(pts);
  }
  CanvasPen pen = ACanvas.pen();
  pen.Style = TPenStyle::psSolid;
  ACanvas.setPen(pen);
  CanvasBrush brush = ACanvas.brush();
  brush.Style = TBrushStyle::bsClear;
  ACanvas.setBrush(brush);
}

void TRVStyle::DrawParaBack(TCanvas &ACanvas, int ParaNo, TRect &ARect, bool Printing, uint8_t ColorMode) {
  bool doDefault = true;
  if (OnDrawParaBack)
    OnDrawParaBack(this, ACanvas, ParaNo, ARect, doDefault);
  if (doDefault)
    FParaStyles->GetParaStyleSafe(ParaNo)->Background.Draw(ARect, ACanvas, Printing, ColorMode);
}

void TRVStyle::ImageListRemoved(const TCustomImageList *ImageList) { FListStyles->RemoveImageList(ImageList); }

void TRVStyle::WriteCssStyleSheet(std::string &Stream, int Options) const {
  const bool diffFromBase = (Options & 1) != 0, ignoreLeft = (Options & 2) != 0, noDefault = (Options & 4) != 0;
  auto line = [&](const std::string &s) {
    Stream += s;
    Stream += "\r\n";
  };
  auto comment = [](const TCustomRVInfo &e) {
    return e.Standard ? " /* " + CommentText(e.StyleName) + " */" : std::string();
  };
  const TFontInfos &ts = *FTextStyles;
  line("/*----------Text Styles----------*/");
  line("HR { color: " + ColorToHtml(ts.Count() > 0 ? ts.Items(0)->Color : clWindowText, false) + "}");
  const bool zeroIsDefault =
      ts.Count() > 0 && !ts.Items(0)->Jump && ts.Items(0)->BackColor == clNone && !noDefault;
  for (int i = 0; i < ts.Count(); ++i) {
    const TFontInfo &f = *ts.Items(i);
    const std::string n = IntToStr(i);
    if (i == 0 && zeroIsDefault)
      line("BODY, TABLE" + comment(f));
    else if (f.Jump)
      line("A.RVTS" + n + ", SPAN.RVTS" + n + comment(f));
    else
      line("SPAN.RVTS" + n + comment(f));
    const TFontInfo *base = nullptr;
    if (diffFromBase && f.BaseStyleNo >= 0 && f.BaseStyleNo < ts.Count())
      base = ts.Items(f.BaseStyleNo);
    else if (i > 0 && zeroIsDefault)
      base = ts.Items(0);
    line("{");
    f.SaveCSSToStream(Stream, base, true);
    line("}");
    if (f.Jump) {
      TColor hover = GetHoverColorByColor(f.HoverColor);
      if (hover != clNone || f.HoverBackColor != clNone) {
        Stream += "A.RVTS" + n + ":hover {";
        const bool baseJump = base && base->Jump;
        if ((!baseJump && hover != clNone) || (base && GetHoverColorByColor(base->HoverColor) != hover))
          Stream += " color: " + ColorToCss(hover) + ";";
        if ((!baseJump && f.HoverBackColor != clNone) || (base && base->HoverBackColor != f.HoverBackColor))
          Stream += " background-color: " + ColorToCss(f.HoverBackColor) + ";";
        line(" }");
      }
    }
  }
  const TParaInfos &ps = *FParaStyles;
  line("/*----------Para Styles----------*/");
  for (int i = 0; i < ps.Count(); ++i) {
    const TParaInfo &p = *ps.Items(i);
    if (i == 0 && !noDefault)
      line("P,UL,OL" + comment(p));
    else
      line(".RVPS" + IntToStr(i) + comment(p));
    const TParaInfo *base = nullptr;
    if (diffFromBase && p.BaseStyleNo >= 0 && p.BaseStyleNo < ps.Count())
      base = ps.Items(p.BaseStyleNo);
    else if (i > 0 && !noDefault)
      base = ps.Items(0);
    line("{");
    p.SaveCSSToStream(Stream, base, true, ignoreLeft, false);
    line("}");
  }
}

// ================================================================ stored form
//
// The class library's component-stream values: a type byte, then the value.
// Names are short strings (a length byte and the bytes).

namespace {
enum : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaInt64 = 19,
};
// Collections inside collections (the levels of a list style) and no deeper.
constexpr int MaxStreamDepth = 3;
} // namespace

struct TRVStoredValue {
  enum TKind { Int, Bool, Str, Ident, Set, Binary, Collection, Nil } Kind = Nil;
  int64_t I = 0;
  bool B = false;
  std::string S; // text, identifier or binary bytes
  std::vector<std::string> Members;
  // One entry of a collection: its properties in stream order.
  struct TItem {
    std::vector<std::string> Names;
    std::vector<TRVStoredValue> Values;
  };
  std::vector<TItem> Items;
};

class TRVPropertyWriter {
public:
  std::string Out;

  void Name(const std::string &n) {
    ShortStr(n);
  }
  void Int(const char *n, int64_t v) {
    Name(n);
    if (v >= -128 && v <= 127) {
      Out += char(vaInt8);
      Out += char(static_cast<int8_t>(v));
    } else if (v >= -32768 && v <= 32767) {
      Out += char(vaInt16);
      LE(uint64_t(v), 2);
    } else if (v >= INT32_MIN && v <= INT32_MAX) {
      Out += char(vaInt32);
      LE(uint64_t(v), 4);
    } else {
      Out += char(vaInt64);
      LE(uint64_t(v), 8);
    }
  }
  void IntIfNot(const char *n, int64_t v, int64_t def) {
    if (v != def)
      Int(n, v);
  }
  void Bool(const char *n, bool v) {
    Name(n);
    Out += char(v ? vaTrue : vaFalse);
  }
  void BoolIfNot(const char *n, bool v, bool def) {
    if (v != def)
      Bool(n, v);
  }
  void Str(const char *n, const std::string &v) {
    Name(n);
    if (v.size() <= 255) {
      Out += char(vaString);
      Out += char(v.size());
    } else {
      Out += char(vaLString);
      LE(v.size(), 4);
    }
    Out += v;
  }
  void Ident(const char *n, const std::string &v) {
    Name(n);
    Out += char(vaIdent);
    ShortStr(v);
  }
  void SetOf(const char *n, const std::vector<std::string> &members) {
    Name(n);
    Out += char(vaSet);
    for (const auto &m : members)
      ShortStr(m);
    Out += char(0);
  }
  void Binary(const char *n, const std::string &bytes) {
    Name(n);
    Out += char(vaBinary);
    LE(bytes.size(), 4);
    Out += bytes;
  }
  void ColorIfNot(const char *n, TColor c, TColor def);
  void CharsetIfNot(const char *n, uint8_t c, uint8_t def);
  // Built-in cursors by their names, as the class library writes them.
  void CursorIfNot(const char *n, TCursor c, TCursor def) {
    if (c == def)
      return;
    std::string ident;
    if (cursorToIdent(c, ident))
      Ident(n, ident);
    else
      Int(n, c);
  }
  void BeginCollection(const char *n) {
    Name(n);
    Out += char(vaCollection);
  }
  void BeginItem() { Out += char(vaList); }
  void EndList() { Out += char(vaNull); }

  void ShortStr(const std::string &s) {
    size_t n = std::min<size_t>(s.size(), 255);
    Out += char(n);
    Out.append(s, 0, n);
  }
  void LE(uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
      Out += char((v >> (8 * i)) & 0xFF);
  }
};

namespace {

class TRVPropertyReader {
public:
  explicit TRVPropertyReader(std::string_view d) : D(d) {}
  std::string_view D;
  size_t P = 0;

  bool Byte(uint8_t &b) {
    if (P >= D.size())
      return false;
    b = uint8_t(D[P++]);
    return true;
  }
  bool LE(int bytes, uint64_t &v) {
    if (D.size() - P < size_t(bytes))
      return false;
    v = 0;
    for (int i = 0; i < bytes; ++i)
      v |= uint64_t(uint8_t(D[P + size_t(i)])) << (8 * i);
    P += size_t(bytes);
    return true;
  }
  bool Bytes(size_t n, std::string &s) {
    if (D.size() - P < n)
      return false;
    s.assign(D.substr(P, n));
    P += n;
    return true;
  }
  bool ShortStr(std::string &s) {
    uint8_t n;
    return Byte(n) && Bytes(n, s);
  }
  // A signed little-endian integer of T's size.
  template <typename T> bool Int(TRVStoredValue &v) {
    uint64_t u;
    if (!LE(int(sizeof(T)), u))
      return false;
    v.Kind = TRVStoredValue::Int;
    v.I = static_cast<T>(u);
    return true;
  }
  // One value of any kind; collections are read with their items.
  bool Value(TRVStoredValue &v, int depth) {
    uint8_t t;
    if (!Byte(t))
      return false;
    uint64_t u = 0;
    switch (t) {
    case vaInt8:
      return Int<int8_t>(v);
    case vaInt16:
      return Int<int16_t>(v);
    case vaInt32:
      return Int<int32_t>(v);
    case vaInt64:
      return Int<int64_t>(v);
    case vaFalse:
    case vaTrue:
      v.Kind = TRVStoredValue::Bool;
      v.B = t == vaTrue;
      return true;
    case vaString:
      v.Kind = TRVStoredValue::Str;
      return ShortStr(v.S);
    case vaLString:
      v.Kind = TRVStoredValue::Str;
      return LE(4, u) && Bytes(size_t(u), v.S);
    case vaIdent:
      v.Kind = TRVStoredValue::Ident;
      return ShortStr(v.S);
    case vaNil:
    case vaNull:
      v.Kind = TRVStoredValue::Nil;
      return true;
    case vaBinary:
      v.Kind = TRVStoredValue::Binary;
      return LE(4, u) && Bytes(size_t(u), v.S);
    case vaSet:
      v.Kind = TRVStoredValue::Set;
      for (;;) {
        std::string m;
        if (!ShortStr(m))
          return false;
        if (m.empty())
          return true;
        v.Members.push_back(std::move(m));
      }
    case vaCollection:
      v.Kind = TRVStoredValue::Collection;
      return Items(v.Items, depth + 1);
    default:
      return false;
    }
  }
  // The items of a collection after its type byte, up to the closing 0.
  bool Items(std::vector<TRVStoredValue::TItem> &items, int depth) {
    if (depth > MaxStreamDepth)
      return false;
    for (;;) {
      uint8_t t;
      if (!Byte(t))
        return false;
      if (t == vaNull)
        return true;
      // An item may be preceded by its order number.
      if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
        uint64_t skip;
        if (!LE(t == vaInt8 ? 1 : t == vaInt16 ? 2 : 4, skip) || !Byte(t))
          return false;
      }
      if (t != vaList)
        return false;
      TRVStoredValue::TItem item;
      for (;;) {
        std::string name;
        if (!ShortStr(name))
          return false;
        if (name.empty())
          break; // the 0 that ends the item
        TRVStoredValue v;
        if (!Value(v, depth))
          return false;
        item.Names.push_back(std::move(name));
        item.Values.push_back(std::move(v));
      }
      items.push_back(std::move(item));
    }
  }
};

bool ValueInt(const TRVStoredValue &v, int32_t &out) {
  if (v.Kind != TRVStoredValue::Int || v.I < INT32_MIN || v.I > INT32_MAX)
    return false;
  out = static_cast<int32_t>(v.I);
  return true;
}

bool ValueColor(const TRVStoredValue &v, TColor &out) {
  if (v.Kind == TRVStoredValue::Ident)
    return StringToColor(v.S, out) && !v.S.empty() && v.S[0] != '$' && !(v.S[0] >= '0' && v.S[0] <= '9');
  int32_t i;
  if (!ValueInt(v, i))
    return false;
  out = ColorFromStored(i);
  return true;
}

// The class library's names of the font charsets, as stored forms write them.
struct CharsetIdent {
  uint8_t Charset;
  const char *Name;
};
const CharsetIdent CharsetIdents[] = {
    {0, "ANSI_CHARSET"},        {1, "DEFAULT_CHARSET"},     {2, "SYMBOL_CHARSET"},   {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"},   {130, "JOHAB_CHARSET"},  {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"}, {177, "HEBREW_CHARSET"},
    {178, "ARABIC_CHARSET"},    {186, "BALTIC_CHARSET"},    {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"},
    {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
};

// A charset: the class library's name of a known one, or its number.
bool ValueCharset(const TRVStoredValue &v, uint8_t &out) {
  if (v.Kind == TRVStoredValue::Ident) {
    for (const auto &ci : CharsetIdents)
      if (asciiEqualNoCase(v.S, ci.Name)) {
        out = ci.Charset;
        return true;
      }
    return false;
  }
  int32_t i;
  if (!ValueInt(v, i) || i < 0 || i > 255)
    return false;
  out = uint8_t(i);
  return true;
}

// A cursor: the class library's name of a built-in one, or its number.
bool ValueCursor(const TRVStoredValue &v, TCursor &out) {
  if (v.Kind == TRVStoredValue::Ident)
    return identToCursor(v.S, out);
  if (v.Kind != TRVStoredValue::Int || v.I < INT16_MIN || v.I > INT16_MAX)
    return false;
  out = static_cast<TCursor>(v.I);
  return true;
}

template <size_t N> bool ValueEnum(const TRVStoredValue &v, const char *const (&names)[N], int &out) {
  if (v.Kind != TRVStoredValue::Ident)
    return false;
  for (size_t i = 0; i < N; ++i)
    if (asciiEqualNoCase(v.S, names[i])) {
      out = int(i);
      return true;
    }
  return false;
}

template <size_t N> bool ValueSet(const TRVStoredValue &v, const char *const (&names)[N], uint32_t &out) {
  if (v.Kind != TRVStoredValue::Set)
    return false;
  out = 0;
  for (const auto &m : v.Members)
    for (size_t i = 0; i < N; ++i)
      if (asciiEqualNoCase(m, names[i]))
        out |= 1u << i;
  return true;
}

template <size_t N> std::vector<std::string> SetNames(uint32_t bits, const char *const (&names)[N]) {
  std::vector<std::string> r;
  for (size_t i = 0; i < N; ++i)
    if (bits & (1u << i))
      r.push_back(names[i]);
  return r;
}

const char *const BiDiNames[] = {"rvbdUnspecified", "rvbdLeftToRight", "rvbdRightToLeft"};
const char *const FontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const char *const FontStyleExNames[] = {"rvfsOverline", "rvfsAllCaps"};
const char *const ProtectNames[] = {"rvprStyleProtect",     "rvprModifyProtect", "rvprDeleteProtect",
                                    "rvprConcateProtect",   "rvprRVFInsertProtect", "rvprDoNotAutoSwitch",
                                    "rvprParaStartProtect", "rvprSticking",      "rvprStickToTop",
                                    "rvprStickToBottom"};
const char *const TextOptionNames[] = {"rvteoHTMLCode", "rvteoRTFCode"};
const char *const AlignmentNames[] = {"rvaLeft", "rvaRight", "rvaCenter", "rvaJustify"};
const char *const LineSpacingNames[] = {"rvlsPercent", "rvlsSpaceBetween"};
const char *const ParaOptionNames[] = {"rvpaoNoWrap",           "rvpaoReadOnly",          "rvpaoStyleProtect",
                                       "rvpaoDoNotWantReturns", "rvpaoKeepLinesTogether", "rvpaoKeepWithNext"};
const char *const BorderStyleNames[] = {"rvbNone",  "rvbSingle",      "rvbDouble",
                                        "rvbTriple", "rvbThickInside", "rvbThickOutside"};
const char *const ListTypeNames[] = {"rvlstBullet",     "rvlstPicture",     "rvlstImageList",       "rvlstDecimal",
                                     "rvlstLowerAlpha", "rvlstUpperAlpha",  "rvlstLowerRoman",      "rvlstUpperRoman",
                                     "rvlstImageListCounter", "rvlstUnicodeBullet"};
const char *const MarkerAlignmentNames[] = {"rvmaLeft", "rvmaRight", "rvmaCenter"};
const char *const LevelOptionNames[] = {"rvloContinuous", "rvloLevelReset", "rvloLegalStyleNumbering"};
const char *const PitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};

// The font style bits in the order of their names.
uint32_t FontStyleToBits(TFontStyles s) {
  return ((s & fsBold) ? 1u : 0u) | ((s & fsItalic) ? 2u : 0u) | ((s & fsUnderline) ? 4u : 0u) |
         ((s & fsStrikeOut) ? 8u : 0u);
}
TFontStyles BitsToFontStyle(uint32_t b) {
  return TFontStyles(((b & 1) ? fsBold : 0) | ((b & 2) ? fsItalic : 0) | ((b & 4) ? fsUnderline : 0) |
                     ((b & 8) ? fsStrikeOut : 0));
}

bool BytesToU16(const std::string &bytes, std::u16string &w) {
  if (bytes.size() % 2 != 0)
    return false;
  w = RawToWideString(bytes);
  return true;
}

// Rectangles and Boolean rectangles of the paragraph's border and background,
// their sides in the order the classes declare them.
void WriteRect(TRVPropertyWriter &W, const std::string &prefix, const TRVRect &r) {
  W.IntIfNot((prefix + ".Top").c_str(), r.Top, 0);
  W.IntIfNot((prefix + ".Left").c_str(), r.Left, 0);
  W.IntIfNot((prefix + ".Right").c_str(), r.Right, 0);
  W.IntIfNot((prefix + ".Bottom").c_str(), r.Bottom, 0);
}

void WriteBoolRect(TRVPropertyWriter &W, const std::string &prefix, const TRVBooleanRect &r) {
  W.BoolIfNot((prefix + ".Top").c_str(), r.Top, true);
  W.BoolIfNot((prefix + ".Left").c_str(), r.Left, true);
  W.BoolIfNot((prefix + ".Right").c_str(), r.Right, true);
  W.BoolIfNot((prefix + ".Bottom").c_str(), r.Bottom, true);
}

bool ReadRectSide(const std::string &rest, const TRVStoredValue &v, TRVRect &r) {
  int32_t i;
  if (!ValueInt(v, i))
    return false;
  if (rest == "Left")
    r.Left = i;
  else if (rest == "Top")
    r.Top = i;
  else if (rest == "Right")
    r.Right = i;
  else if (rest == "Bottom")
    r.Bottom = i;
  else
    return false;
  return true;
}

bool ReadBoolRectSide(const std::string &rest, const TRVStoredValue &v, TRVBooleanRect &r) {
  if (v.Kind != TRVStoredValue::Bool)
    return false;
  if (rest == "Left")
    r.Left = v.B;
  else if (rest == "Top")
    r.Top = v.B;
  else if (rest == "Right")
    r.Right = v.B;
  else if (rest == "Bottom")
    r.Bottom = v.B;
  else
    return false;
  return true;
}

bool StartsWith(const std::string &s, const char *p, std::string &rest) {
  size_t n = std::char_traits<char>::length(p);
  if (s.size() < n || s.compare(0, n, p) != 0)
    return false;
  rest = s.substr(n);
  return true;
}

} // namespace

void TRVPropertyWriter::CharsetIfNot(const char *n, uint8_t c, uint8_t def) {
  if (c == def)
    return;
  for (const auto &ci : CharsetIdents)
    if (ci.Charset == c) {
      Ident(n, ci.Name);
      return;
    }
  Int(n, c);
}

void TRVPropertyWriter::ColorIfNot(const char *n, TColor c, TColor def) {
  if (c == def)
    return;
  for (const auto &ci : ColorIdents)
    if (ci.Color == c) {
      Ident(n, ci.Name);
      return;
    }
  Int(n, ColorToStored(c));
}

// --------------------------------------------------------------- the entries

void TCustomRVInfo::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *) const {
  W.IntIfNot("BaseStyleNo", BaseStyleNo, -1);
  if (!StyleName.empty())
    W.Str("StyleName", StyleName);
  W.BoolIfNot("Standard", Standard, true);
}

bool TCustomRVInfo::ReadStoredProperty(const std::string &Name, const TRVStoredValue &v,
                                       const TRVStyleStreamLinks *) {
  int32_t i;
  if (Name == "BaseStyleNo" && ValueInt(v, i)) {
    BaseStyleNo = StyleNoFromInt(i);
    return true;
  }
  if (Name == "StyleName" && v.Kind == TRVStoredValue::Str) {
    StyleName = v.S;
    return true;
  }
  if (Name == "Standard" && v.Kind == TRVStoredValue::Bool) {
    Standard = v.B;
    return true;
  }
  return false;
}

void TFontInfo::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *Links) const {
  TCustomRVInfo::WriteStoredProperties(W, Links);
  if (BiDiMode != rvbdUnspecified)
    W.Ident("BiDiMode", BiDiNames[BiDiMode]);
  W.BoolIfNot("Jump", Jump, false);
  W.CursorIfNot("JumpCursor", JumpCursor, crJump);
  if (!FontName.empty())
    W.Str("FontName", FontName);
  W.IntIfNot("Size", Size, 10);
  W.ColorIfNot("Color", Color, clWindowText);
  W.ColorIfNot("BackColor", BackColor, clNone);
  W.ColorIfNot("HoverColor", HoverColor, clNone);
  W.ColorIfNot("HoverBackColor", HoverBackColor, clNone);
  if (Style != 0)
    W.SetOf("Style", SetNames(FontStyleToBits(Style), FontStyleNames));
  if (!StyleEx.Empty())
    W.SetOf("StyleEx", SetNames(StyleEx.Raw_(), FontStyleExNames));
  W.IntIfNot("VShift", VShift, 0);
  W.IntIfNot("NextStyleNo", NextStyleNo, -1);
  W.CharsetIfNot("Charset", Charset, DEFAULT_CHARSET);
  W.BoolIfNot("Unicode", Unicode, false);
  if (!Protection.Empty())
    W.SetOf("Protection", SetNames(Protection.Raw_(), ProtectNames));
  if (!Options.Empty())
    W.SetOf("Options", SetNames(Options.Raw_(), TextOptionNames));
  W.IntIfNot("CharScale", CharScale, 100);
  W.IntIfNot("CharSpacing", CharSpacing, 0);
}

bool TFontInfo::ReadStoredProperty(const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *Links) {
  if (TCustomRVInfo::ReadStoredProperty(N, v, Links))
    return true;
  int32_t i = 0;
  int e = 0;
  uint32_t bits = 0;
  TColor c;
  TCursor cur = crDefault;
  uint8_t cs = DEFAULT_CHARSET;
  if (N == "BiDiMode" && ValueEnum(v, BiDiNames, e))
    BiDiMode = TRVBiDiMode(e);
  else if (N == "Jump" && v.Kind == TRVStoredValue::Bool)
    Jump = v.B;
  else if (N == "JumpCursor" && ValueCursor(v, cur))
    JumpCursor = cur;
  else if (N == "FontName" && v.Kind == TRVStoredValue::Str)
    FontName = v.S;
  else if (N == "Size" && ValueInt(v, i))
    Size = i;
  else if (N == "Color" && ValueColor(v, c))
    Color = c;
  else if (N == "BackColor" && ValueColor(v, c))
    BackColor = c;
  else if (N == "HoverColor" && ValueColor(v, c))
    HoverColor = c;
  else if (N == "HoverBackColor" && ValueColor(v, c))
    HoverBackColor = c;
  else if (N == "Style" && ValueSet(v, FontStyleNames, bits))
    Style = BitsToFontStyle(bits);
  else if (N == "StyleEx" && ValueSet(v, FontStyleExNames, bits))
    StyleEx = TRVFontStyles::FromRaw(uint8_t(bits));
  else if (N == "VShift" && ValueInt(v, i))
    VShift = i;
  else if (N == "NextStyleNo" && ValueInt(v, i))
    NextStyleNo = StyleNoFromInt(i);
  else if (N == "Charset" && ValueCharset(v, cs))
    Charset = cs;
  else if (N == "Unicode" && v.Kind == TRVStoredValue::Bool)
    Unicode = v.B;
  else if (N == "Protection" && ValueSet(v, ProtectNames, bits))
    Protection = TRVProtectOptions::FromRaw(uint16_t(bits));
  else if (N == "Options" && ValueSet(v, TextOptionNames, bits))
    Options = TRVTextOptions::FromRaw(uint8_t(bits));
  else if (N == "CharScale" && ValueInt(v, i))
    CharScale = i;
  else if (N == "CharSpacing" && ValueInt(v, i))
    CharSpacing = i;
  else if (N == "SingleSymbols" && v.Kind == TRVStoredValue::Bool) {
    if (v.B)
      Protection.Include(rvprStyleProtect).Include(rvprDoNotAutoSwitch);
  } else
    return false;
  return true;
}

void TParaInfo::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *Links) const {
  TCustomRVInfo::WriteStoredProperties(W, Links);
  W.IntIfNot("FirstIndent", FirstIndent, 0);
  W.IntIfNot("LeftIndent", LeftIndent, 0);
  W.IntIfNot("RightIndent", RightIndent, 0);
  W.IntIfNot("SpaceBefore", SpaceBefore, 0);
  W.IntIfNot("SpaceAfter", SpaceAfter, 0);
  W.IntIfNot("LineSpacing", LineSpacing, 100);
  if (LineSpacingType != rvlsPercent)
    W.Ident("LineSpacingType", LineSpacingNames[LineSpacingType]);
  if (Alignment != rvaLeft)
    W.Ident("Alignment", AlignmentNames[Alignment]);
  W.ColorIfNot("Border.Color", Border.Color, clWindowText);
  if (Border.Style != rvbNone)
    W.Ident("Border.Style", BorderStyleNames[Border.Style]);
  W.IntIfNot("Border.Width", Border.Width, 1);
  W.IntIfNot("Border.InternalWidth", Border.InternalWidth, 1);
  WriteBoolRect(W, "Border.VisibleBorders", Border.VisibleBorders);
  WriteRect(W, "Border.BorderOffsets", Border.BorderOffsets);
  W.IntIfNot("NextParaNo", NextParaNo, -1);
  WriteRect(W, "Background.BorderOffsets", Background.BorderOffsets);
  W.ColorIfNot("Background.Color", Background.Color, clNone);
  if (!Options.Empty())
    W.SetOf("Options", SetNames(Options.Raw_(), ParaOptionNames));
  if (BiDiMode != rvbdUnspecified)
    W.Ident("BiDiMode", BiDiNames[BiDiMode]);
  W.IntIfNot("DefStyleNo", DefStyleNo, -1);
}

bool TParaInfo::ReadStoredProperty(const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *Links) {
  if (TCustomRVInfo::ReadStoredProperty(N, v, Links))
    return true;
  int32_t i = 0;
  int e = 0;
  uint32_t bits = 0;
  TColor c;
  std::string rest;
  if (N == "FirstIndent" && ValueInt(v, i))
    FirstIndent = i;
  else if (N == "LeftIndent" && ValueInt(v, i))
    LeftIndent = i;
  else if (N == "RightIndent" && ValueInt(v, i))
    RightIndent = i;
  else if (N == "SpaceBefore" && ValueInt(v, i))
    SpaceBefore = i;
  else if (N == "SpaceAfter" && ValueInt(v, i))
    SpaceAfter = i;
  else if (N == "LineSpacing" && ValueInt(v, i))
    LineSpacing = i;
  else if (N == "LineSpacingType" && ValueEnum(v, LineSpacingNames, e))
    LineSpacingType = TRVLineSpacingType(e);
  else if (N == "Alignment" && ValueEnum(v, AlignmentNames, e))
    Alignment = TRVAlignment(e);
  else if (N == "Border.Color" && ValueColor(v, c))
    Border.Color = c;
  else if (N == "Border.Style" && ValueEnum(v, BorderStyleNames, e))
    Border.Style = TRVBorderStyle(e);
  else if (N == "Border.Width" && ValueInt(v, i))
    Border.Width = i;
  else if (N == "Border.InternalWidth" && ValueInt(v, i))
    Border.InternalWidth = i;
  else if (StartsWith(N, "Border.VisibleBorders.", rest))
    return ReadBoolRectSide(rest, v, Border.VisibleBorders);
  else if (StartsWith(N, "Border.BorderOffsets.", rest))
    return ReadRectSide(rest, v, Border.BorderOffsets);
  else if (N == "NextParaNo" && ValueInt(v, i))
    NextParaNo = StyleNoFromInt(i);
  else if (N == "Background.Color" && ValueColor(v, c))
    Background.Color = c;
  else if (StartsWith(N, "Background.BorderOffsets.", rest))
    return ReadRectSide(rest, v, Background.BorderOffsets);
  else if (N == "Options" && ValueSet(v, ParaOptionNames, bits))
    Options = TRVParaOptions::FromRaw(uint8_t(bits));
  else if (N == "BiDiMode" && ValueEnum(v, BiDiNames, e))
    BiDiMode = TRVBiDiMode(e);
  else if (N == "DefStyleNo" && ValueInt(v, i))
    DefStyleNo = StyleNoFromInt(i);
  else
    return false;
  return true;
}

void TRVListLevel::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *Links) const {
  // The published properties in their declared order, then the ones the level
  // defines itself: the marker texts as hexadecimal and the image list's tag.
  if (ListType != rvlstBullet)
    W.Ident("ListType", ListTypeNames[ListType]);
  if (FPicture) {
    // The picture's class name as a short string, then the graphic's own data.
    TRVPropertyWriter data;
    data.ShortStr(FPicture->className());
    data.Out += FPicture->saveToBytes();
    W.Binary("Picture.Data", data.Out);
  }
  W.IntIfNot("ImageIndex", ImageIndex, 0);
  W.IntIfNot("LeftIndent", LeftIndent, 0);
  W.IntIfNot("FirstIndent", FirstIndent, 10);
  W.IntIfNot("MarkerIndent", MarkerIndent, 0);
  if (MarkerAlignment != rvmaLeft)
    W.Ident("MarkerAlignment", MarkerAlignmentNames[MarkerAlignment]);
  if (FFont) {
    W.CharsetIfNot("Font.Charset", FFont->Charset, DEFAULT_CHARSET);
    W.ColorIfNot("Font.Color", FFont->Color, clWindowText);
    if (FFont->Size != 8)
      W.Int("Font.Height", FFont->Height());
    if (FFont->Name != "Arial")
      W.Str("Font.Name", FFont->Name);
    if (FFont->Pitch != 0)
      W.Ident("Font.Pitch", PitchNames[FFont->Pitch % 3]);
    if (FFont->Style != 0)
      W.SetOf("Font.Style", SetNames(FontStyleToBits(FFont->Style), FontStyleNames));
  }
  if (Options != TRVListLevelOptions{rvloContinuous, rvloLevelReset})
    W.SetOf("Options", SetNames(Options.Raw_(), LevelOptionNames));
  W.IntIfNot("StartFrom", StartFrom, 1);
  if (FormatString != std::string(1, char(0xB7)))
    W.Str("FormatStringCode", RVBytesToHex(FormatString));
  if (!FormatStringW.empty())
    W.Str("FormatStringWCode", RVBytesToHex(WideStringToRaw(FormatStringW)));
  if (ImageList && Links && Links->TagOf)
    W.Int("ILTag", Links->TagOf(ImageList));
}

bool TRVListLevel::ReadStoredProperty(const std::string &N, const TRVStoredValue &v,
                                      const TRVStyleStreamLinks *Links) {
  int32_t i = 0;
  int e = 0;
  uint32_t bits = 0;
  TColor c;
  uint8_t cs = DEFAULT_CHARSET;
  std::string bytes;
  if (N == "ListType" && ValueEnum(v, ListTypeNames, e))
    ListType = TRVListType(e);
  else if (N == "ILTag" && ValueInt(v, i))
    ImageList = Links && Links->ImageListOf ? Links->ImageListOf(i) : nullptr;
  else if (N == "ImageIndex" && ValueInt(v, i))
    ImageIndex = i;
  else if (N == "FormatStringCode" && v.Kind == TRVStoredValue::Str && RVHexToBytes(v.S, bytes))
    FormatString = bytes;
  else if (N == "FormatStringWCode" && v.Kind == TRVStoredValue::Str && RVHexToBytes(v.S, bytes)) {
    if (!BytesToU16(bytes, FormatStringW))
      return false;
  } else if (N == "LeftIndent" && ValueInt(v, i))
    LeftIndent = i;
  else if (N == "FirstIndent" && ValueInt(v, i))
    FirstIndent = i;
  else if (N == "MarkerIndent" && ValueInt(v, i))
    MarkerIndent = i;
  else if (N == "MarkerAlignment" && ValueEnum(v, MarkerAlignmentNames, e))
    MarkerAlignment = TRVMarkerAlignment(e);
  else if (N == "Picture.Data" && v.Kind == TRVStoredValue::Binary) {
    TRVPropertyReader r(v.S);
    std::string cls;
    std::unique_ptr<TGraphic> g;
    if (!r.ShortStr(cls) || !(g = createGraphic(cls)) || !g->loadFromBytes(v.S.substr(r.P)))
      return false;
    FPicture = std::move(g);
    if (auto *bmp = dynamic_cast<TBitmap *>(FPicture.get()))
      bmp->transparent = true;
  } else if (N == "Font.Charset" && ValueCharset(v, cs))
    GetFont()->Charset = cs;
  else if (N == "Font.Color" && ValueColor(v, c))
    GetFont()->Color = c;
  else if (N == "Font.Height" && ValueInt(v, i))
    GetFont()->SetHeight(i);
  else if (N == "Font.Name" && v.Kind == TRVStoredValue::Str)
    GetFont()->Name = v.S;
  else if (N == "Font.Pitch" && ValueEnum(v, PitchNames, e))
    GetFont()->Pitch = uint8_t(e);
  else if (N == "Font.Style" && ValueSet(v, FontStyleNames, bits))
    GetFont()->Style = BitsToFontStyle(bits);
  else if (N == "Options" && ValueSet(v, LevelOptionNames, bits))
    Options = TRVListLevelOptions::FromRaw(uint8_t(bits));
  else if (N == "StartFrom" && ValueInt(v, i))
    StartFrom = i;
  else
    return false;
  return true;
}

void TRVListInfo::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *Links) const {
  TCustomRVInfo::WriteStoredProperties(W, Links);
  W.BeginCollection("Levels");
  for (int i = 0; i < Levels.Count(); ++i) {
    W.BeginItem();
    Levels.Items(i)->WriteStoredProperties(W, Links);
    W.EndList();
  }
  W.EndList();
  W.BoolIfNot("OneLevelPreview", OneLevelPreview, false);
  W.Int("LstID", GetListID());
}

bool TRVListInfo::ReadStoredProperty(const std::string &N, const TRVStoredValue &v,
                                     const TRVStyleStreamLinks *Links) {
  if (TCustomRVInfo::ReadStoredProperty(N, v, Links))
    return true;
  int32_t i = 0;
  if (N == "Levels" && v.Kind == TRVStoredValue::Collection) {
    Levels.Clear();
    bool allKnown = true;
    for (const auto &item : v.Items) {
      if (Levels.Count() >= MaxStoredLevels)
        return false;
      TRVListLevel *l = Levels.Add();
      for (size_t k = 0; k < item.Names.size(); ++k)
        allKnown = l->ReadStoredProperty(item.Names[k], item.Values[k], Links) && allKnown;
    }
    return allKnown;
  }
  if (N == "OneLevelPreview" && v.Kind == TRVStoredValue::Bool)
    OneLevelPreview = v.B;
  else if (N == "LstID" && ValueInt(v, i))
    FListID = i;
  else
    return false;
  return true;
}

// ---------------------------------------------------------------- the tables

std::string TCustomRVInfos::SaveToStream(const TRVStyleStreamLinks *Links) const {
  TRVPropertyWriter W;
  W.Out += char(vaCollection);
  for (const auto &e : FItems) {
    W.BeginItem();
    e->WriteStoredProperties(W, Links);
    W.EndList();
  }
  W.EndList();
  return W.Out;
}

bool TCustomRVInfos::LoadFromStream(std::string_view Data, bool &UnknownProperty, const TRVStyleStreamLinks *Links) {
  Clear();
  TRVPropertyReader r(Data);
  uint8_t t;
  if (!r.Byte(t) || t != vaCollection)
    return false;
  std::vector<TRVStoredValue::TItem> items;
  bool complete = r.Items(items, 1);
  for (const auto &item : items) {
    TCustomRVInfo *e = AddEntry();
    for (size_t k = 0; k < item.Names.size(); ++k)
      if (!e->ReadStoredProperty(item.Names[k], item.Values[k], Links))
        UnknownProperty = true;
  }
  return complete;
}

} // namespace kc
