#include "richtext/document/RVStyle.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "platform/AsciiCase.h"
#include "platform/IniStore.h"
#include "richtext/document/RVStyleIni.h"
#include "richtext/document/RVStyleProps.h"
#include "richtext/document/RVStyleStored.h"
#include "richtext/document/RVUni.h"

namespace kc {

using namespace styleio;

namespace {

// Whether the compared value's reference, taken through the mapping built so
// far, is Ours. One the mapping does not reach yet counts as equal; neither
// entry is touched.
bool SameMappedStyleNo(int32_t Theirs, int32_t Ours, const TRVIntegerList &Mapping) {
  if (Theirs >= 0 && Theirs < Mapping.Count())
    return Mapping[Theirs] == Ours;
  return true;
}

} // namespace

// ===================================================================== helpers

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


// ============================================================ property tables

namespace {

const TRVSetMember FontStyleMembers[] = {
    // bit  ini key      ignore bit   similarity
    {0, "Bold", rvfiBold, 50000},
    {2, "Underline", rvfiUnderline, 50000},
    {3, "StrikeOut", rvfiStrikeOut, 50000},
    {1, "Italic", rvfiItalic, 50000},
};
const TRVSetMember FontStyleExMembers[] = {
    {rvfsOverline, "Overline", rvfiOverline, 50000},
    {rvfsAllCaps, "Caps", rvfiAllCaps, 50000},
};
const TRVSetMember TextOptionMembers[] = {
    {rvteoRTFCode, "RTFCode", rvfiRTFCode, 50000},
    {rvteoHTMLCode, "HTMLCode", rvfiHTMLCode, 50000},
};
const TRVSetMember ParaOptionMembers[] = {
    {rvpaoNoWrap, "NoWrap", rvpiNoWrap, 1000},
    {rvpaoReadOnly, "ReadOnly", rvpiReadOnly, 100000},
    {rvpaoStyleProtect, "StyleProtect", rvpiStyleProtect, 1000},
    {rvpaoDoNotWantReturns, "DoNotWantReturns", rvpiDoNotWantReturns, 10000},
    {rvpaoKeepLinesTogether, "KeepLinesTogether", rvpiKeepLinesTogether, 500},
    {rvpaoKeepWithNext, "KeepWithNext", rvpiKeepWithNext, 500},
};

constexpr TRVPropCompare NoCase(int Bit) { return TRVPropCompare{static_cast<int8_t>(Bit), TRVPropWhen::Always, true}; }
constexpr TRVPropCompare PerMember{};

} // namespace

// The ini keys keep the order of the older files; the plain-text bonus and the
// charset's score are TFontInfo::SimilarityValue's own.
const TRVPropTable &RVTextStyleProps() {
  using enum TRVPropKind;
  using enum TRVPropWhen;
  static const TRVProp rows[] = {
      // name           member                                 type                                            default          compare                            weight                          ini                                    stored    css
      {"BiDiMode",       RVMember<&TFontInfo::BiDiMode>(),       RVEnum(BiDiNames),                              rvbdUnspecified, RVMask(rvfiBiDiMode),              RVSameWeight(10000),            RVIni("BiDiMode", 11),                 RVStored, nullptr},
      {"Jump",           RVMember<&TFontInfo::Jump>(),           RVKind(Bool),                                   0,               RVMask(rvfiJump),                  RVNoWeight,                     RVIni("Jump", 1, TRVIniForm::Always),  RVStored, nullptr},
      {"JumpCursor",     RVMember<&TFontInfo::JumpCursor>(),     RVKind(Cursor),                                 crJump,          RVMask(rvfiJumpCursor, LinkOnly),  RVSameWeight(5000),             RVIni("JumpCursor", 7),                RVStored, nullptr},
      {"FontName",       RVMember<&TFontInfo::FontName>(),       RVStr("Arial"),                                 0,               NoCase(rvfiFontName),              RVSameWeight(10000),            RVIni("Name", 0, TRVIniForm::Always),  RVStored, "font-family"},
      {"Size",           RVMember<&TFontInfo::Size>(),           RVKind(Int),                                    10,              RVMask(rvfiSize),                  RVIntegerWeight(10000),         RVIni("Size", 2),                      RVStored, "font-size"},
      {"Color",          RVMember<&TFontInfo::Color>(),          RVKind(Color),                                  clWindowText,    RVMask(rvfiColor),                 RVColorWeight(3333, 3000),      RVIni("Color", 3),                     RVStored, "color"},
      {"BackColor",      RVMember<&TFontInfo::BackColor>(),      RVKind(Color),                                  clNone,          RVMask(rvfiBackColor),             RVColorWeight(10000, 50000),    RVIni("BackColor", 4),                 RVStored, "background-color"},
      {"HoverColor",     RVMember<&TFontInfo::HoverColor>(),     RVKind(Color),                                  clNone,          RVMask(rvfiHoverColor, LinkOnly),  RVColorWeight(3333, 3000, 2),   RVIni("HoverColor", 6),                RVStored, nullptr},
      {"HoverBackColor", RVMember<&TFontInfo::HoverBackColor>(), RVKind(Color),                                  clNone,          RVMask(rvfiHoverBackColor, LinkOnly), RVColorWeight(10000, 50000, 2), RVIni("HoverBackColor", 5),         RVStored, nullptr},
      {"Style",          RVMember<&TFontInfo::Style>(),          RVSet(FontStyleNames, FontStyleMembers),        0,               PerMember,                         RVMembersWeight,                RVIni(nullptr, 12, TRVIniForm::Bits),  RVStored, nullptr},
      {"StyleEx",        RVMember<&TFontInfo::StyleEx>(),        RVSet(FontStyleExNames, FontStyleExMembers),    0,               PerMember,                         RVMembersWeight,                RVIni(nullptr, 13, TRVIniForm::Bits),  RVStored, nullptr},
      {"VShift",         RVMember<&TFontInfo::VShift>(),         RVKind(Int),                                    0,               RVMask(rvfiVShift),                RVIntegerWeight(1000),          RVIni("VShift", 16),                   RVStored, "vertical-align"},
      {"NextStyleNo",    RVMember<&TFontInfo::NextStyleNo>(),    RVKind(StyleNo),                                -1,              RVMask(rvfiNextStyleNo, Reference), RVNoWeight,                    RVIni("NextStyleNo", 17),              RVStored, nullptr},
      {"Charset",        RVMember<&TFontInfo::Charset>(),        RVKind(Charset),                                DEFAULT_CHARSET, RVMask(rvfiCharset),               RVNoWeight,                     RVIni("Charset", 8),                   RVStored, nullptr},
      {"Unicode",        RVMember<&TFontInfo::Unicode>(),        RVKind(Bool),                                   0,               RVMask(rvfiUnicode),               RVNoWeight,                     RVIni("Unicode", 18),                  RVStored, nullptr},
      {"Protection",     RVMember<&TFontInfo::Protection>(),     RVSet(ProtectNames),                            0,               RVMask(rvfiProtection),            RVDifferWeight(100000),         RVIni("Protection", 14),               RVStored, nullptr},
      {"Options",        RVMember<&TFontInfo::Options>(),        RVSet(TextOptionNames, TextOptionMembers),      0,               PerMember,                         RVMembersWeight,                RVIni(nullptr, 15, TRVIniForm::Bits),  RVStored, nullptr},
      {"CharScale",      RVMember<&TFontInfo::CharScale>(),      RVKind(Int),                                    100,             RVMask(rvfiCharScale),             RVIntegerWeight(300),           RVIni("CharScale", 9),                 RVStored, nullptr},
      {"CharSpacing",    RVMember<&TFontInfo::CharSpacing>(),    RVKind(Int),                                    0,               RVMask(rvfiCharSpacing),           RVIntegerWeight(1000),          RVIni("CharSpacing", 10),              RVStored, "letter-spacing"},
  };
  static const TRVPropTable table{rows, [](const void *o) { return static_cast<const TFontInfo *>(o)->Jump; }, true};
  return table;
}

// The border's score and the line spacing's are TParaInfo::SimilarityValue's own.
const TRVPropTable &RVParaStyleProps() {
  using enum TRVPropKind;
  using enum TRVPropWhen;
  static const TRVProp rows[] = {
      // name            member                                  type                                          default  compare                                weight                 ini                                            stored    css
      {"FirstIndent",     RVMember<&TParaInfo::FirstIndent>(),     RVKind(Int),                                  0,       RVMask(rvpiFirstIndent),               RVIntegerWeight(1000), RVIni("FirstIndent", 4),                       RVStored, "text-indent"},
      {"LeftIndent",      RVMember<&TParaInfo::LeftIndent>(),      RVKind(Int),                                  0,       RVMask(rvpiLeftIndent),                RVIntegerWeight(1000), RVIni("LeftIndent", 2),                        RVStored, "margin-left"},
      {"RightIndent",     RVMember<&TParaInfo::RightIndent>(),     RVKind(Int),                                  0,       RVMask(rvpiRightIndent),               RVIntegerWeight(1000), RVIni("RightIndent", 3),                       RVStored, "margin-right"},
      {"SpaceBefore",     RVMember<&TParaInfo::SpaceBefore>(),     RVKind(Int),                                  0,       RVMask(rvpiSpaceBefore),               RVIntegerWeight(1000), RVIni("SpaceBefore", 0),                       RVStored, "margin-top"},
      {"SpaceAfter",      RVMember<&TParaInfo::SpaceAfter>(),      RVKind(Int),                                  0,       RVMask(rvpiSpaceAfter),                RVIntegerWeight(1000), RVIni("SpaceAfter", 1),                        RVStored, "margin-bottom"},
      {"LineSpacing",     RVMember<&TParaInfo::LineSpacing>(),     RVKind(Int),                                  100,     RVMask(rvpiLineSpacing),               RVNoWeight,            RVIni("LineSpacing", 5),                       RVStored, "line-height"},
      {"LineSpacingType", RVMember<&TParaInfo::LineSpacingType>(), RVEnum(LineSpacingNames),                     rvlsPercent, RVMask(rvpiLineSpacingType),       RVNoWeight,            RVIni("LSType", 6),                            RVStored, nullptr},
      {"Alignment",       RVMember<&TParaInfo::Alignment>(),       RVEnum(AlignmentNames),                       rvaLeft, RVMask(rvpiAlignment),                 RVSameWeight(50000),   RVIni("Alignment", 9),                         RVStored, "text-align"},
      {"Border",          RVMember<&TParaInfo::Border>(),          RVObject(RVBorderProps()),                    0,       RVMask(rvpiBorder_Color),              RVNoWeight,            RVIni("Border%s", 12, TRVIniForm::Prefix),     RVStored, "border"},
      {"NextParaNo",      RVMember<&TParaInfo::NextParaNo>(),      RVKind(StyleNo),                              -1,      RVMask(rvpiNextParaNo, Reference),     RVNoWeight,            RVIni("NextParaNo", 7),                        RVStored, nullptr},
      {"Background",      RVMember<&TParaInfo::Background>(),      RVObject(RVBackgroundProps()),                0,       RVMask(rvpiBackground_Color),          RVObjectWeight(),      RVIni("Background%s", 13, TRVIniForm::Prefix), RVStored, "background"},
      {"Options",         RVMember<&TParaInfo::Options>(),         RVSet(ParaOptionNames, ParaOptionMembers),    0,       PerMember,                             RVMembersWeight,       RVIni(nullptr, 11, TRVIniForm::Bits),          RVStored, nullptr},
      {"BiDiMode",        RVMember<&TParaInfo::BiDiMode>(),        RVEnum(BiDiNames),                            rvbdUnspecified, RVMask(rvpiBiDiMode),          RVSameWeight(10000),   RVIni("BiDiMode", 10),                         RVStored, nullptr},
      {"DefStyleNo",      RVMember<&TParaInfo::DefStyleNo>(),      RVKind(StyleNo),                              -1,      RVMask(rvpiDefStyleNo, Reference),     RVNoWeight,            RVIni("DefStyleNo", 8),                        RVStored, nullptr},
  };
  static const TRVPropTable table{rows};
  return table;
}

// =================================================================== TFontInfo

TFontInfo::TFontInfo() { StyleName = "Font Style"; }

void TFontInfo::Assign(const TCustomRVInfo &Source) {
  if (&Source == this)
    return;
  if (auto *s = dynamic_cast<const TFontInfo *>(&Source))
    RVPropsAssign(RVTextStyleProps(), this, s);
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
  // Advances in 64 bits: a style's spacing may be any number.
  std::vector<int64_t> adv(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    adv[size_t(i)] = int64_t(ext[size_t(i)]) - (i > 0 ? ext[size_t(i - 1)] : 0);
  if (FitMode) {
    int own = Unicode ? ACanvas.textExtentW(w).cx : ACanvas.textExtent(s).cx;
    int64_t diff = int64_t(Width) - SpaceBefore - own;
    if (diff == 0)
      return false;
    for (int i = 0; i < n && diff != 0; ++i) {
      int64_t add = diff / (n - i);
      adv[size_t(i)] += add;
      diff -= add;
    }
  } else {
    for (int64_t &d : adv)
      d += Extra;
  }
  std::vector<int> dx(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    dx[size_t(i)] = static_cast<int>(std::clamp<int64_t>(adv[size_t(i)], INT32_MIN, INT32_MAX));
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
    int64_t x = X;
    for (int v = 0; v < n; ++v) {
      int l = logicalAt[size_t(v)];
      if (l < 0)
        continue;
      if (isSpace(l))
        dot(static_cast<int>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)));
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
        dot(static_cast<int>(std::clamp<int64_t>(
            int64_t(X) + (i > 0 && size_t(i - 1) < ext.size() ? ext[size_t(i - 1)] : 0), INT32_MIN, INT32_MAX)));
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
  return v && RVPropsEqual(RVTextStyleProps(), this, v, IgnoreReferences);
}

bool TFontInfo::IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &Mapping) const {
  if (!IsEqualTo(Value, true))
    return false;
  return SameMappedStyleNo(static_cast<const TFontInfo &>(Value).NextStyleNo, NextStyleNo, Mapping);
}

bool TFontInfo::IsEqualEx(const TFontInfo &v, TRVFontInfoProperties I) const {
  return RVPropsEqualEx(RVTextStyleProps(), this, &v, I.Raw_()) && (I.Has(rvfiBaseStyleNo) || BaseStyleNo == v.BaseStyleNo);
}

int64_t TFontInfo::SimilarityValue(const TCustomRVInfo &Value) const {
  auto *v = dynamic_cast<const TFontInfo *>(&Value);
  if (!v)
    return 0;
  int64_t r = RVPropsSimilarity(RVTextStyleProps(), this, v);
  const bool plain = Style == 0 && StyleEx.Empty(), vplain = v->Style == 0 && v->StyleEx.Empty();
  if (plain == vplain)
    r += 50000;
  if (Charset == v->Charset)
    r += 50000;
  else if (Charset == DEFAULT_CHARSET || v->Charset == DEFAULT_CHARSET)
    r += 12500;
  return r;
}

void TFontInfo::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  TCustomRVInfo::SaveToINI(Ini, Section, KeyFormat);
  RVPropsWriteIni(RVTextStyleProps(), this, Ini, Section, KeyFormat);
}

void TFontInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  LoadFromINI(Ini, Section, KeyFormat, false, crJump);
}

void TFontInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat,
                            bool JumpByDefault, TCursor DefJumpCursor) {
  TCustomRVInfo::LoadFromINI(Ini, Section, KeyFormat);
  RVPropsReadIni(RVTextStyleProps(), this, Ini, Section, KeyFormat);
  // A section without the key is no hyperlink's own: the caller says.
  if (Ini.readString(Section, K(KeyFormat, "Jump"), "?") == "?") {
    Jump = JumpByDefault;
    JumpCursor = DefJumpCursor;
  }
  if (ReadBool(Ini, Section, K(KeyFormat, "SingleSymbols"), false))
    Protection.Include(rvprStyleProtect).Include(rvprDoNotAutoSwitch);
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
  if (auto *s = dynamic_cast<const TParaInfo *>(&Source))
    RVPropsAssign(RVParaStyleProps(), this, s);
  TCustomRVInfo::Assign(Source);
}

bool TParaInfo::IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const {
  auto *v = dynamic_cast<const TParaInfo *>(&Value);
  return v && RVPropsEqual(RVParaStyleProps(), this, v, IgnoreReferences);
}

bool TParaInfo::IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &Mapping) const {
  if (!IsEqualTo(Value, true))
    return false;
  return SameMappedStyleNo(static_cast<const TParaInfo &>(Value).NextParaNo, NextParaNo, Mapping);
}

bool TParaInfo::IsEqualEx(const TParaInfo &v, TRVParaInfoProperties I) const {
  return RVPropsEqualEx(RVParaStyleProps(), this, &v, I.Raw_());
}

int64_t TParaInfo::SimilarityValue(const TCustomRVInfo &Value) const {
  auto *v = dynamic_cast<const TParaInfo *>(&Value);
  if (!v)
    return 0;
  int64_t r = RVPropsSimilarity(RVParaStyleProps(), this, v) + Border.SimilarityValue(v->Border);
  if (LineSpacingType == v->LineSpacingType)
    r += IntegerWeight(LineSpacing, v->LineSpacing, 5000);
  else if (ExtraLineSpacing() != v->ExtraLineSpacing())
    r -= 20000;
  return r;
}

void TParaInfo::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  TCustomRVInfo::SaveToINI(Ini, Section, KeyFormat);
  RVPropsWriteIni(RVParaStyleProps(), this, Ini, Section, KeyFormat);
}

void TParaInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  TCustomRVInfo::LoadFromINI(Ini, Section, KeyFormat);
  RVPropsReadIni(RVParaStyleProps(), this, Ini, Section, KeyFormat);
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
  if (&Source != this)
    RVPropsAssign(RVListLevelProps(), this, &Source);
}

// ----------------------------------------------------------- property table

namespace {

bool NonDefaultFont(const TRVMarkerFont *f) { return f && !f->IsDefault(); }
bool FontsMatch(const TRVMarkerFont *a, const TRVMarkerFont *b) {
  if (NonDefaultFont(a) || NonDefaultFont(b))
    return a && b && a->IsEqual(*b);
  return true;
}

const TRVListLevel &Lvl(const void *o) { return *static_cast<const TRVListLevel *>(o); }
TRVListLevel &Lvl(void *o) { return *static_cast<TRVListLevel *>(o); }

// The picture: its class name and data in the ini form, the class name as a
// short string before the graphic's own data in the stored form.
const TRVPropCustom PictureOps = {
    [](void *d, const void *s) { Lvl(d).SetPicture(Lvl(s).PictureIfAny()); },
    [](const void *a, const void *b) { return GraphicsEqual(Lvl(a).PictureIfAny(), Lvl(b).PictureIfAny()); },
    [](const void *o, IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
      if (const TGraphic *g = Lvl(o).PictureIfAny()) {
        Ini.writeString(Section, K(KeyFormat, "GraphicClass"), g->className());
        WriteLongString(Ini, Section, K(KeyFormat, "Picture"), RVBytesToHex(g->saveToBytes()));
      }
    },
    [](void *o, IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
      Lvl(o).SetPicture(nullptr);
      std::string cls = Ini.readString(Section, K(KeyFormat, "GraphicClass"), "");
      if (cls.empty())
        return;
      std::unique_ptr<TGraphic> g = createGraphic(cls);
      std::string bytes;
      if (g && RVHexToBytes(ReadLongString(Ini, Section, K(KeyFormat, "Picture")), bytes) && g->loadFromBytes(bytes))
        Lvl(o).SetPicture(g.get());
    },
    [](const void *o, TRVPropertyWriter &W, const TRVStyleStreamLinks *) {
      if (const TGraphic *g = Lvl(o).PictureIfAny()) {
        TRVPropertyWriter data;
        data.ShortStr(g->className());
        data.Out += g->saveToBytes();
        W.Binary("Picture.Data", data.Out);
      }
    },
    [](void *o, const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *) {
      if (N != "Picture.Data" || v.Kind != TRVStoredValue::Binary)
        return false;
      TRVPropertyReader r(v.S);
      std::string cls;
      std::unique_ptr<TGraphic> g;
      if (!r.ShortStr(cls) || !(g = createGraphic(cls)) || !g->loadFromBytes(v.S.substr(r.P)))
        return false;
      Lvl(o).SetPicture(g.get());
      return true;
    },
};

// The image list is a reference: stored by the document's tag (ILTag), never
// in the ini form.
const TRVPropCustom ImageListOps = {
    [](void *d, const void *s) { Lvl(d).ImageList = Lvl(s).ImageList; },
    [](const void *a, const void *b) { return Lvl(a).ImageList == Lvl(b).ImageList; },
    nullptr, nullptr, nullptr, nullptr,
};

// The marker font, made on first need: a default font and none are equal. One
// ini key of six fields; stored as the font's own published properties.
const TRVPropCustom FontOps = {
    [](void *d, const void *s) { Lvl(d).SetFont(Lvl(s).FontIfAny()); },
    [](const void *a, const void *b) { return FontsMatch(Lvl(a).FontIfAny(), Lvl(b).FontIfAny()); },
    [](const void *o, IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
      if (const TRVMarkerFont *f = Lvl(o).FontIfAny())
        Ini.writeString(Section, K(KeyFormat, "Font"), FontToIniText(*f));
    },
    [](void *o, IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
      std::string text = Ini.readString(Section, K(KeyFormat, "Font"), "");
      if (text.empty()) {
        Lvl(o).SetFont(nullptr);
        return;
      }
      TRVMarkerFont f;
      FontFromIniText(text, f);
      Lvl(o).SetFont(&f);
    },
    [](const void *o, TRVPropertyWriter &W, const TRVStyleStreamLinks *) {
      const TRVMarkerFont *f = Lvl(o).FontIfAny();
      if (!f)
        return;
      W.CharsetIfNot("Font.Charset", f->Charset, DEFAULT_CHARSET);
      W.ColorIfNot("Font.Color", f->Color, clWindowText);
      if (f->Size != 8)
        W.Int("Font.Height", f->Height());
      if (f->Name != "Arial")
        W.Str("Font.Name", f->Name);
      if (f->Pitch != 0)
        W.Ident("Font.Pitch", PitchNames[f->Pitch % 3]);
      if (f->Style != 0)
        W.SetOf("Font.Style", SetNames(f->Style, FontStyleNames));
    },
    [](void *o, const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *) {
      int32_t i = 0;
      int e = 0;
      uint32_t bits = 0;
      TColor c;
      uint8_t cs = DEFAULT_CHARSET;
      TRVListLevel &l = Lvl(o);
      if (N == "Font.Charset" && ValueCharset(v, cs))
        l.GetFont()->Charset = cs;
      else if (N == "Font.Color" && ValueColor(v, c))
        l.GetFont()->Color = c;
      else if (N == "Font.Height" && ValueInt(v, i))
        l.GetFont()->SetHeight(i);
      else if (N == "Font.Name" && v.Kind == TRVStoredValue::Str)
        l.GetFont()->Name = v.S;
      else if (N == "Font.Pitch" && ValueEnum(v, PitchNames, e))
        l.GetFont()->Pitch = uint8_t(e);
      else if (N == "Font.Style" && ValueSet(v, FontStyleNames, bits))
        l.GetFont()->Style = TFontStyles(bits);
      else
        return false;
      return true;
    },
};

const TRVSetMember LevelOptionMembers[] = {
    {rvloContinuous, "Continuous", -1, 0},
    {rvloLevelReset, "LevelReset", -1, 0},
};

} // namespace

// Every property scores 100 when equal but the type (5000) and the first
// indent (200). The marker texts are stored after the published properties.
const TRVPropTable &RVListLevelProps() {
  using enum TRVPropKind;
  static const TRVProp rows[] = {
      // name            member                                  type                                        default      compare   weight               ini                                         stored                           css
      {"ListType",        RVMember<&TRVListLevel::ListType>(),        RVEnum(ListTypeNames),                      rvlstBullet, {},       RVSameWeight(5000),  RVIni("ListType", 0),                       RVStored,                        nullptr},
      {"Picture",         RVCustom(PictureOps),                       RVKind(Custom),                             0,           {},       RVSameWeight(100),   RVIni("Picture", 7, TRVIniForm::Always),    RVStored,                        nullptr},
      {"ImageList",       RVCustom(ImageListOps),                     RVKind(Custom),                             0,           {},       RVSameWeight(100),   RVNoIni,                                    RVNotStored,                     nullptr},
      {"ImageIndex",      RVMember<&TRVListLevel::ImageIndex>(),      RVKind(Int),                                0,           {},       RVSameWeight(100),   RVIni("ImageIndex", 1),                     RVStored,                        nullptr},
      {"FormatString",    RVMember<&TRVListLevel::FormatString>(),    RVStr("\xB7"),                              0,           {},       RVSameWeight(100),   RVIni("FormatString", 2, TRVIniForm::Always), RVDefined("FormatStringCode"), nullptr},
      {"FormatStringW",   RVMember<&TRVListLevel::FormatStringW>(),   RVKind(WStr),                               0,           {},       RVSameWeight(100),   RVIni("FormatStringW", 11, TRVIniForm::Hex), RVDefined("FormatStringWCode"), nullptr},
      {"LeftIndent",      RVMember<&TRVListLevel::LeftIndent>(),      RVKind(Int),                                0,           {},       RVSameWeight(100),   RVIni("LeftIndent", 3),                     RVStored,                        "margin-left"},
      {"FirstIndent",     RVMember<&TRVListLevel::FirstIndent>(),     RVKind(Int),                                10,          {},       RVSameWeight(200),   RVIni("FirstIndent", 4),                    RVStored,                        "text-indent"},
      {"MarkerIndent",    RVMember<&TRVListLevel::MarkerIndent>(),    RVKind(Int),                                0,           {},       RVSameWeight(100),   RVIni("MarkerIndent", 5),                   RVStored,                        nullptr},
      {"MarkerAlignment", RVMember<&TRVListLevel::MarkerAlignment>(), RVEnum(MarkerAlignmentNames),               rvmaLeft,    {},       RVSameWeight(100),   RVIni("MarkerAlignment", 6),                RVStored,                        nullptr},
      {"Font",            RVCustom(FontOps),                          RVKind(Custom),                             0,           {},       RVSameWeight(100),   RVIni("Font", 8, TRVIniForm::Always),       RVStored,                        nullptr},
      {"Options",         RVMember<&TRVListLevel::Options>(),         RVSet(LevelOptionNames, LevelOptionMembers), 3,          {},       RVSameWeight(100),   RVIni(nullptr, 10, TRVIniForm::Bits),       RVStored,                        nullptr},
      {"StartFrom",       RVMember<&TRVListLevel::StartFrom>(),       RVKind(Int),                                1,           {},       RVSameWeight(100),   RVNoIni,                                    RVStored,                        nullptr},
  };
  static const TRVPropTable table{rows};
  return table;
}


bool TRVListLevel::IsEqual(const TRVListLevel &v) const { return RVPropsEqual(RVListLevelProps(), this, &v, false); }

int64_t TRVListLevel::SimilarityValue(const TRVListLevel &v) const {
  return RVPropsSimilarity(RVListLevelProps(), this, &v);
}

void TRVListLevel::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  RVPropsWriteIni(RVListLevelProps(), this, Ini, Section, KeyFormat);
}

void TRVListLevel::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  RVPropsReadIni(RVListLevelProps(), this, Ini, Section, KeyFormat);
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
  RVPropsWriteStored(RVTextStyleProps(), this, W, Links);
}

bool TFontInfo::ReadStoredProperty(const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *Links) {
  if (TCustomRVInfo::ReadStoredProperty(N, v, Links) || RVPropsReadStored(RVTextStyleProps(), this, N, v, Links))
    return true;
  if (N == "SingleSymbols" && v.Kind == TRVStoredValue::Bool) {
    if (v.B)
      Protection.Include(rvprStyleProtect).Include(rvprDoNotAutoSwitch);
    return true;
  }
  return false;
}

void TParaInfo::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *Links) const {
  TCustomRVInfo::WriteStoredProperties(W, Links);
  RVPropsWriteStored(RVParaStyleProps(), this, W, Links);
}

bool TParaInfo::ReadStoredProperty(const std::string &N, const TRVStoredValue &v, const TRVStyleStreamLinks *Links) {
  return TCustomRVInfo::ReadStoredProperty(N, v, Links) || RVPropsReadStored(RVParaStyleProps(), this, N, v, Links);
}

void TRVListLevel::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *Links) const {
  RVPropsWriteStored(RVListLevelProps(), this, W, Links);
  // The image list by the tag the document gives it.
  if (ImageList && Links && Links->TagOf)
    W.Int("ILTag", Links->TagOf(ImageList));
}

bool TRVListLevel::ReadStoredProperty(const std::string &N, const TRVStoredValue &v,
                                      const TRVStyleStreamLinks *Links) {
  int32_t i = 0;
  if (N == "ILTag" && ValueInt(v, i)) {
    ImageList = Links && Links->ImageListOf ? Links->ImageListOf(i) : nullptr;
    return true;
  }
  return RVPropsReadStored(RVListLevelProps(), this, N, v, Links);
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
