// Text styles on a canvas: fonts, colours in every colour mode, pieces of text.
#include "richtext/document/RVStyle.h"

#include <algorithm>

#include "richtext/document/RVUni.h"
#include "richtext/document/RVStyleIni.h"
#include "richtext/document/RVStyleProps.h"
#include "richtext/document/RVStyleStored.h"
#include "platform/Canvas.h"

namespace kc {

using namespace styleio;

namespace {
int TablePPI(const TCustomRVInfos *Collection) {
  auto *t = dynamic_cast<const TFontInfos *>(Collection);
  return t ? t->PixelsPerInch : 0;
}
} // namespace

void TFontInfo::GetLogFont(TLogFont &LogFont, TCanvas &ACanvas) const {
  LogFont = TLogFont{};
  int ppi = TablePPI(Collection());
  if (ppi == 0) ppi = ACanvas.pixelsPerInchY();
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
    if (base <= 0) base = ACanvas.textExtent("x").cx;
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
  default: ACanvas.setTextCharacterExtra(CharSpacing); break;
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
    if (fontColor == clNone) fontColor = Color;
  } else if (DrawState.Has(rvtsHover)) {
    fontColor = Sheet.GetHoverColorByColor(HoverColor);
    if (fontColor == clNone) fontColor = Color;
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
  if (n < 2) return false;
  const std::u16string w = Unicode ? RawToWideString(s) : std::u16string();
  std::vector<int> ext;
  int fit = 0;
  const int limit = static_cast<int>(std::clamp<int64_t>(int64_t(Width) * 2, 0, INT32_MAX));
  if (Unicode) ACanvas.textExtentExW(w, limit, &fit, &ext);
  else ACanvas.textExtentEx(s, limit, &fit, &ext);
  ext.resize(size_t(n), ext.empty() ? 0 : ext.back());
  // Advances in 64 bits: a style's spacing may be any number.
  std::vector<int64_t> adv(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) adv[size_t(i)] = int64_t(ext[size_t(i)]) - (i > 0 ? ext[size_t(i - 1)] : 0);
  if (FitMode) {
    int own = Unicode ? ACanvas.textExtentW(w).cx : ACanvas.textExtent(s).cx;
    int64_t diff = int64_t(Width) - SpaceBefore - own;
    if (diff == 0) return false;
    for (int i = 0; i < n && diff != 0; ++i) {
      int64_t add = diff / (n - i);
      adv[size_t(i)] += add;
      diff -= add;
    }
  } else {
    for (int64_t &d : adv) d += Extra;
  }
  std::vector<int> dx(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    dx[size_t(i)] = static_cast<int>(std::clamp<int64_t>(adv[size_t(i)], INT32_MIN, INT32_MAX));
  if (Unicode) ACanvas.extTextOutW(Left + SpaceBefore, Top, 0, nullptr, w, dx);
  else ACanvas.extTextOut(Left + SpaceBefore, Top, 0, nullptr, s, dx);
  return true;
}

bool TFontInfo::DrawSpecialDots(const std::string &s, TCanvas &ACanvas, int X, int Top) const {
  const int n = static_cast<int>(Unicode ? s.size() / 2 : s.size());
  if (n == 0) return true;
  auto isSpace = [&](int i) {
    return Unicode ? (s[size_t(2 * i)] == ' ' && s[size_t(2 * i + 1)] == 0) : s[size_t(i)] == ' ';
  };
  const std::u16string w = Unicode ? RawToWideString(s) : std::u16string();
  CanvasBrush oldBrush = ACanvas.brush();
  CanvasBrush clear = oldBrush;
  clear.Style = TBrushStyle::bsClear;
  ACanvas.setBrush(clear);
  auto dot = [&](int x) {
    if (Unicode) ACanvas.textOutW(x, Top, u"\u00B7");
    else ACanvas.textOut(x, Top, "\xB7");
  };
  CharacterPlacement cp;
  const unsigned flags = GCP_REORDER | GCP_USEKERNING | GCP_GLYPHSHAPE | GCP_DIACRITIC;
  bool ok = Unicode ? ACanvas.characterPlacement(w, flags, cp) : ACanvas.characterPlacementA(s, flags, cp);
  if (ok && cp.order.size() == size_t(n) && cp.advances.size() == size_t(n)) {
    std::vector<int> logicalAt(size_t(n), -1);
    for (int l = 0; l < n; ++l)
      if (cp.order[size_t(l)] >= 0 && cp.order[size_t(l)] < n) logicalAt[size_t(cp.order[size_t(l)])] = l;
    int64_t x = X;
    for (int v = 0; v < n; ++v) {
      int l = logicalAt[size_t(v)];
      if (l < 0) continue;
      if (isSpace(l)) dot(static_cast<int>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)));
      // The placement's advances already hold the character extra.
      x += cp.advances[size_t(l)];
    }
  } else {
    std::vector<int> ext;
    int fit = 0;
    if (Unicode) ACanvas.textExtentExW(w, -1, &fit, &ext);
    else ACanvas.textExtentEx(s, -1, &fit, &ext);
    for (int i = 0; i < n; ++i)
      if (isSpace(i))
        dot(static_cast<int>(std::clamp<int64_t>(
            int64_t(X) + (i > 0 && size_t(i - 1) < ext.size() ? ext[size_t(i - 1)] : 0), INT32_MIN, INT32_MAX)));
  }
  ACanvas.setBrush(oldBrush);
  return true;
}

void TFontInfo::Draw(const std::string &s, TCanvas &ACanvas, int StyleNo, int SpaceBefore, int Left, int Top, int Width,
                     int Height, TRVStyle &Sheet, TRVTextDrawStates DrawState, bool Printing, bool FitToWidth,
                     uint8_t ColorMode, TRVBiDiMode DefBiDiMode) const {
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
    if (Unicode) ACanvas.textOutW(Left + SpaceBefore, Top, RawToWideString(s));
    else ACanvas.textOut(Left + SpaceBefore, Top, s);
    if (DrawState.Has(rvtsSpecialCharacters) && !Printing) DrawSpecialDots(s, ACanvas, Left + SpaceBefore, Top);
  }
  if (SpaceBefore != 0 && !Printing) {
    if (DrawState.Has(rvtsSelected) && s.empty())
      Sheet.ApplyStyleColor(ACanvas, StyleNo, TRVTextDrawStates(DrawState).Exclude(rvtsSelected), Printing, ColorMode);
    if (ACanvas.brush().Style != TBrushStyle::bsClear) ACanvas.fillRect(Bounds(Left, Top, SpaceBefore, Height));
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

} // namespace kc
