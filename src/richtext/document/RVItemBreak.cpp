// Horizontal rules.
#include "richtext/document/RVItem.h"

#include <algorithm>
#include <cmath>

#include "richtext/document/CRVData.h"
#include "richtext/document/RVItemParts.h"
#include "platform/Canvas.h"

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

namespace {

// The rule between Left and Right below Top. Inset is its distance from the
// three edges and One a screen pixel, both in the canvas's units; Width is
// the line's thickness there.
void DrawRule(TCanvas &Canvas, int Left, int Right, int Top, int Inset, int One, int Width, uint8_t BreakStyle,
              TColor Color, uint8_t ColorMode) {
  const int y = Top + Inset;
  const int l = Left + Inset, r = Right - Inset;
  const int lw = Width;
  switch (BreakStyle) {
  case 0:
    Canvas.setPen(CanvasPen{Color, lw, TPenStyle::psSolid, TPenMode::pmCopy});
    Canvas.moveTo(l, y);
    Canvas.lineTo(r, y);
    break;
  case 1:
    FramePen(Canvas, Color);
    if (One != 1) Canvas.setPen(CanvasPen{Color, One, TPenStyle::psSolid, TPenMode::pmCopy});
    Canvas.rectangle(Rect(l, y - lw / 2, r, y - lw / 2 + lw));
    break;
  case 2: {
    // Sunken: shadow on the top and left, face on the bottom and right.
    const int t = y - lw / 2, b = t + lw - One, rr = r - One;
    Canvas.setPen(CanvasPen{ColorForColorMode(clBtnShadow, ColorMode), One, TPenStyle::psSolid, TPenMode::pmCopy});
    Canvas.moveTo(l, b);
    Canvas.lineTo(l, t);
    Canvas.lineTo(rr, t);
    Canvas.setPen(CanvasPen{ColorForColorMode(clBtnFace, ColorMode), One, TPenStyle::psSolid, TPenMode::pmCopy});
    Canvas.moveTo(rr, t);
    Canvas.lineTo(rr, b);
    Canvas.lineTo(l - One, b);
    break;
  }
  default: break;
  }
}

} // namespace

TColor TRVBreakItemInfo::RuleColor(const TRVStyle *Style, uint8_t ColorMode) const {
  TColor c = Color;
  if (c == clNone) c = Style ? Style->TextStyles().GetTextStyleSafe(0)->Color : clWindowText;
  return ColorForColorMode(c, ColorMode);
}

void TRVBreakItemInfo::PaintFullWidth(int Left, int Right, int Top, TCanvas &Canvas, TRVItemDrawStates State,
                                      TRVStyle *Style, const TRect &ClipRect, uint8_t ColorMode) {
  (void)ClipRect;
  const int lw = LineWidth;
  DrawRule(Canvas, Left, Right, Top, 5, 1, lw, BreakStyle, RuleColor(Style, ColorMode), ColorMode);
  if (State.Has(rvidsSelected)) {
    const TColor sc = SelectionColor(State, Style);
    if (sc != clNone) {
      Canvas.setPen(CanvasPen{sc, lw, TPenStyle::psSolid, TPenMode::pmCopy});
      Canvas.moveTo(Left + 5, Top + 5);
      Canvas.lineTo(Right - 5, Top + 5);
    }
  }
  Canvas.setPen(CanvasPen{Canvas.pen().Color, 1, TPenStyle::psSolid, TPenMode::pmCopy});
}

void TRVBreakItemInfo::Print(TCanvas &Canvas, int X, int Y, int X2, bool, bool, const TRVScreenAndDevice &sad,
                             TRVDrawLineInfo *, int, uint8_t ColorMode, TCustomRVData *RVData) {
  // The rule's distances are screen pixels: on a printer they grow with its
  // resolution, so that the rule lies in the middle of its line and keeps
  // its thickness on paper.
  const int one = std::max(1, ScaleYToDevice(1, sad));
  const int lw = std::max(1, ScaleYToDevice(LineWidth, sad));
  DrawRule(Canvas, X, X2, Y, ScaleYToDevice(5, sad), one, lw, BreakStyle,
           RuleColor(RVData ? RVData->GetRVStyle() : nullptr, ColorMode), ColorMode);
  Canvas.setPen(CanvasPen{Canvas.pen().Color, 1, TPenStyle::psSolid, TPenMode::pmCopy});
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
