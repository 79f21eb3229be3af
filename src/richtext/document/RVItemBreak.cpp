// Horizontal rules.
#include "richtext/document/RVItem.h"

#include <algorithm>
#include <cmath>

#include "richtext/document/CRVData.h"
#include "richtext/document/RVItemParts.h"

namespace kc {

using namespace rvitem;

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData *RVData) : TRVFullLineItemInfo(RVData) { StyleNo = rvsBreak; }

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData *RVData, TColor AColor, uint8_t ABreakStyle, uint8_t ALineWidth)
    : TRVFullLineItemInfo(RVData) {
  StyleNo = rvsBreak;
  Color = AColor;
  BreakStyle = ABreakStyle;
  LineWidth = ALineWidth;
}

std::unique_ptr<TCustomRVItemInfo> TRVBreakItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVBreakItemInfo>(RVData);
}

bool TRVBreakItemInfo::GetFlag(int Property) const {
  if (Property == rvbpRequiresRVFLines) return false;
  return TRVFullLineItemInfo::GetFlag(Property);
}

bool TRVBreakItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  if (Property == rvbsfPrintToBMP) return false;
  return TRVFullLineItemInfo::GetStyleFlag(Property, RVStyle);
}

void TRVBreakItemInfo::PaintFullWidth(int Left, int Right, int Top, TCanvas &Canvas, TRVItemDrawStates State,
                                      TRVStyle *Style, const TRect &ClipRect, uint8_t ColorMode) {
  (void)ClipRect;
  const int y = Top + 5;
  const int l = Left + 5, r = Right - 5;
  TColor c = Color;
  if (c == clNone) c = Style ? Style->TextStyles().GetTextStyleSafe(0)->Color : clWindowText;
  c = ColorForColorMode(c, ColorMode);
  const int lw = LineWidth;
  switch (BreakStyle) {
  case 0:
    Canvas.setPen(CanvasPen{c, lw, TPenStyle::psSolid, TPenMode::pmCopy});
    Canvas.moveTo(l, y);
    Canvas.lineTo(r, y);
    break;
  case 1:
    FramePen(Canvas, c);
    Canvas.rectangle(Rect(l, y - lw / 2, r, y - lw / 2 + lw));
    break;
  case 2: {
    // Sunken: shadow on the top and left, face on the bottom and right.
    const int t = y - lw / 2, b = t + lw - 1, rr = r - 1;
    Canvas.setPen(CanvasPen{ColorForColorMode(clBtnShadow, ColorMode), 1, TPenStyle::psSolid, TPenMode::pmCopy});
    Canvas.moveTo(l, b);
    Canvas.lineTo(l, t);
    Canvas.lineTo(rr, t);
    Canvas.setPen(CanvasPen{ColorForColorMode(clBtnFace, ColorMode), 1, TPenStyle::psSolid, TPenMode::pmCopy});
    Canvas.moveTo(rr, t);
    Canvas.lineTo(rr, b);
    Canvas.lineTo(l - 1, b);
    break;
  }
  default: break;
  }
  if (State.Has(rvidsSelected)) {
    const TColor sc = SelectionColor(State, Style);
    if (sc != clNone) {
      Canvas.setPen(CanvasPen{sc, lw, TPenStyle::psSolid, TPenMode::pmCopy});
      Canvas.moveTo(l, y);
      Canvas.lineTo(r, y);
    }
  }
  Canvas.setPen(CanvasPen{Canvas.pen().Color, 1, TPenStyle::psSolid, TPenMode::pmCopy});
}

void TRVBreakItemInfo::Print(TCanvas &Canvas, int X, int Y, int X2, bool, bool, const TRVScreenAndDevice &,
                             TRVDrawLineInfo *, int, uint8_t ColorMode, TCustomRVData *RVData) {
  PaintFullWidth(X, X2, Y, Canvas, TRVItemDrawStates{}, RVData ? RVData->GetRVStyle() : nullptr, TRect{}, ColorMode);
}

void TRVBreakItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVFullLineItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVBreakItemInfo *>(&Source)) {
    LineWidth = s->LineWidth;
    BreakStyle = s->BreakStyle;
    Color = s->Color;
  }
}

std::string TRVBreakItemInfo::WriteRvfHeaderTail(TCustomRVData *) const {
  return std::to_string(Color) + " " + std::to_string(int(BreakStyle)) + " " + std::to_string(int(LineWidth));
}

bool TRVBreakItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *) {
  Color = clNone;
  BreakStyle = 0;
  LineWidth = 1;
  if (EmptyTail(Field)) return true;
  size_t pos = 0;
  int c = 0, s = 0, w = 1;
  if (!ReadInt(Field, pos, c)) return false;
  Color = c;
  if (pos < Field.size() && !EmptyTail(Field.substr(pos))) {
    if (!ReadInt(Field, pos, s)) return false;
    BreakStyle = uint8_t(s);
    if (pos < Field.size() && !EmptyTail(Field.substr(pos))) {
      if (!ReadInt(Field, pos, w)) return false;
      LineWidth = uint8_t(w);
    }
  }
  return true;
}

void TRVBreakItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int, const std::string &,
                               bool ForceSameAsPrev) {
  WriteRvfHeader(Stream, RVData, 0, 0, ForceSameAsPrev);
}

void TRVBreakItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *, int, const std::string &,
                                  TRVHTMLSaveContext &Context) {
  const std::string size = std::to_string(int(LineWidth));
  const std::string title = HtmlTitleBlank(Hint);
  if (Color != clNone && Context.UseCSS)
    Stream += "<HR noshade size=" + size + " " + title + "style=\"{color : " + ColorToHtml(Color) + "}\">";
  else if (Color != clNone)
    Stream += "<HR noshade size=" + size + " color=" + ColorToHtml(Color, true) + " " + title + ">";
  else Stream += "<HR noshade size=" + size + " " + title + ">";
}

namespace {
std::string RtfTableNesting(int Level) {
  if (Level <= 0) return std::string();
  if (Level == 1) return "\\intbl\\itap1";
  return "\\itap" + std::to_string(Level);
}
} // namespace

void TRVBreakItemInfo::SaveRTF(std::string &Stream, TCustomRVData *, int, const std::string &,
                               TRVRTFSaveContext &Context) {
  const std::string nest = RtfTableNesting(Context.Level);
  const int width = int(std::lround(LineWidth * Context.TwipsFactor));
  int colorIndex = 0;
  if (Color != clNone && Context.ColorList) colorIndex = std::max(0, Context.ColorList->IndexOf(Color));
  Stream += "\\pard" + nest + "\\plain\\fs6\\brdrb\\brdrs\\brdrw" + std::to_string(width) + "\\brdrcf" +
            std::to_string(colorIndex) + "\\par\\pard" + nest;
}

void TRVBreakItemInfo::FillRTFTables(TRVColorList &ColorList, TRVRTFFontTable &, TCustomRVData *) {
  if (Color != clNone) ColorList.AddUnique(Color);
}

std::string TRVBreakItemInfo::AsText(int LineWidth_, char LineChar, TCustomRVData *, const std::string &,
                                     const std::string &, bool, bool) {
  return std::string(size_t(std::max(LineWidth_, 1)), LineChar);
}

} // namespace kc
