// Rectangles of offsets and visible sides, borders and backgrounds of
// paragraphs: their property tables, painting and comparisons.
#include <algorithm>

#include "richtext/document/RVStyle.h"
#include "richtext/document/RVStyleProps.h"
#include "richtext/document/RVStyleStored.h"
#include "platform/Canvas.h"

namespace kc {

using namespace styleio;

namespace {

// Stored widths and offsets may be anything: sums of them stay within 32 bits.
int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

int32_t ScaleH(int32_t v, const TRVScreenAndDevice &r) { return MulDiv(v, r.ppixDevice, r.ppixScreen); }
int32_t ScaleV(int32_t v, const TRVScreenAndDevice &r) { return MulDiv(v, r.ppiyDevice, r.ppiyScreen); }

// Sides of rectangles in the masks of their owners: left, top, right, bottom.
enum : int8_t { MaskLeft, MaskTop, MaskRight, MaskBottom };

} // namespace

// ================================================================== tables

// The ini keys of the sides come left, right, top, bottom; the stored names in
// declared order. Integer sides are weighed by the owner's weight.
const TRVPropTable &RVRectProps() {
  static const TRVProp rows[] = {
      // name    member                        type                       default compare             weight             ini                 stored    css
      {"Top", RVMember<&TRVRect::Top>(), RVKind(TRVPropKind::Int), 0, RVMask(MaskTop), RVIntegerWeight(),
       RVIni("Top", 2), RVStored, nullptr},
      {"Left", RVMember<&TRVRect::Left>(), RVKind(TRVPropKind::Int), 0, RVMask(MaskLeft), RVIntegerWeight(),
       RVIni("Left", 0), RVStored, nullptr},
      {"Right", RVMember<&TRVRect::Right>(), RVKind(TRVPropKind::Int), 0, RVMask(MaskRight), RVIntegerWeight(),
       RVIni("Right", 1), RVStored, nullptr},
      {"Bottom", RVMember<&TRVRect::Bottom>(), RVKind(TRVPropKind::Int), 0, RVMask(MaskBottom), RVIntegerWeight(),
       RVIni("Bottom", 3), RVStored, nullptr},
  };
  static const TRVPropTable table{rows};
  return table;
}

const TRVPropTable &RVBooleanRectProps() {
  static const TRVProp rows[] = {
      {"Top", RVMember<&TRVBooleanRect::Top>(), RVKind(TRVPropKind::Bool), 1, RVMask(MaskTop), RVNoWeight,
       RVIni("Top", 2), RVStored, nullptr},
      {"Left", RVMember<&TRVBooleanRect::Left>(), RVKind(TRVPropKind::Bool), 1, RVMask(MaskLeft), RVNoWeight,
       RVIni("Left", 0), RVStored, nullptr},
      {"Right", RVMember<&TRVBooleanRect::Right>(), RVKind(TRVPropKind::Bool), 1, RVMask(MaskRight), RVNoWeight,
       RVIni("Right", 1), RVStored, nullptr},
      {"Bottom", RVMember<&TRVBooleanRect::Bottom>(), RVKind(TRVPropKind::Bool), 1, RVMask(MaskBottom), RVNoWeight,
       RVIni("Bottom", 3), RVStored, nullptr},
  };
  static const TRVPropTable table{rows};
  return table;
}

// Mask bits count from the border's colour (the paragraph's border bits). The
// border's score depends on which sides show: TRVBorder::SimilarityValue.
const TRVPropTable &RVBorderProps() {
  constexpr int B = rvpiBorder_Color;
  static const TRVProp rows[] = {
      {"Color", RVMember<&TRVBorder::Color>(), RVKind(TRVPropKind::Color), clWindowText, RVMask(rvpiBorder_Color - B),
       RVNoWeight, RVIni("Color", 2), RVStored, "border-color"},
      {"Style", RVMember<&TRVBorder::Style>(), RVEnum(BorderStyleNames), rvbNone, RVMask(rvpiBorder_Style - B),
       RVNoWeight, RVIni("Style", 1), RVStored, "border-style"},
      {"Width", RVMember<&TRVBorder::Width>(), RVKind(TRVPropKind::Int), 1, RVMask(rvpiBorder_Width - B), RVNoWeight,
       RVIni("Width", 0), RVStored, "border-width"},
      {"InternalWidth", RVMember<&TRVBorder::InternalWidth>(), RVKind(TRVPropKind::Int), 1,
       RVMask(rvpiBorder_InternalWidth - B), RVNoWeight, RVIni("InternalWidth", 3), RVStored, nullptr},
      {"VisibleBorders", RVMember<&TRVBorder::VisibleBorders>(), RVObject(RVBooleanRectProps()), 0,
       RVMask(rvpiBorder_Vis_Left - B), RVNoWeight, RVIni("Visible%s", 5, TRVIniForm::Prefix), RVStored, nullptr},
      {"BorderOffsets", RVMember<&TRVBorder::BorderOffsets>(), RVObject(RVRectProps()), 0,
       RVMask(rvpiBorder_BO_Left - B), RVNoWeight, RVIni("Offsets%s", 4, TRVIniForm::Prefix), RVStored, "padding"},
  };
  static const TRVPropTable table{rows};
  return table;
}

// Mask bits count from the background's colour (the paragraph's background bits).
const TRVPropTable &RVBackgroundProps() {
  constexpr int B = rvpiBackground_Color;
  static const TRVProp rows[] = {
      {"BorderOffsets", RVMember<&TRVBackgroundRect::BorderOffsets>(), RVObject(RVRectProps()), 0,
       RVMask(rvpiBackground_BO_Left - B), RVObjectWeight(100), RVIni("Offsets%s", 1, TRVIniForm::Prefix), RVStored,
       nullptr},
      {"Color", RVMember<&TRVBackgroundRect::Color>(), RVKind(TRVPropKind::Color), clNone,
       RVMask(rvpiBackground_Color - B), RVColorWeight(10000, 50000), RVIni("Color", 0), RVStored, "background"},
  };
  static const TRVPropTable table{rows};
  return table;
}

// ===================================================================== TRVRect

void TRVRect::Assign(const TRVRect &Source) { RVPropsAssign(RVRectProps(), this, &Source); }

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

bool TRVRect::IsEqual(const TRVRect &Value) const { return RVPropsEqual(RVRectProps(), this, &Value, false); }

bool TRVRect::IsEqualEx(const TRVRect &Value, bool IgnoreLeft, bool IgnoreTop, bool IgnoreRight,
                        bool IgnoreBottom) const {
  const uint64_t ignore = uint64_t(IgnoreLeft) << MaskLeft | uint64_t(IgnoreTop) << MaskTop |
                          uint64_t(IgnoreRight) << MaskRight | uint64_t(IgnoreBottom) << MaskBottom;
  return RVPropsEqualEx(RVRectProps(), this, &Value, ignore);
}

int64_t TRVRect::SimilarityValue(const TRVRect &Value, int32_t Weight) const {
  return RVPropsSimilarity(RVRectProps(), this, &Value, Weight);
}

void TRVRect::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  RVPropsWriteIni(RVRectProps(), this, Ini, Section, KeyFormat);
}

void TRVRect::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  RVPropsReadIni(RVRectProps(), this, Ini, Section, KeyFormat);
}

// ============================================================== TRVBooleanRect

TRVBooleanRect::TRVBooleanRect(bool DefValue) { SetAll(DefValue); }

void TRVBooleanRect::Assign(const TRVBooleanRect &Source) { RVPropsAssign(RVBooleanRectProps(), this, &Source); }

void TRVBooleanRect::SetAll(bool Value) { Top = Left = Right = Bottom = Value; }

void TRVBooleanRect::SetValues(bool ALeft, bool ATop, bool ARight, bool ABottom) {
  Left = ALeft;
  Top = ATop;
  Right = ARight;
  Bottom = ABottom;
}

bool TRVBooleanRect::IsEqual(const TRVBooleanRect &Value) const {
  return RVPropsEqual(RVBooleanRectProps(), this, &Value, false);
}

bool TRVBooleanRect::IsEqualValues(bool ALeft, bool ATop, bool ARight, bool ABottom) const {
  return Left == ALeft && Top == ATop && Right == ARight && Bottom == ABottom;
}

bool TRVBooleanRect::IsAllEqual(bool Value) const { return IsEqualValues(Value, Value, Value, Value); }

bool TRVBooleanRect::IsEqualEx(const TRVBooleanRect &Value, bool IgnoreLeft, bool IgnoreTop, bool IgnoreRight,
                               bool IgnoreBottom) const {
  const uint64_t ignore = uint64_t(IgnoreLeft) << MaskLeft | uint64_t(IgnoreTop) << MaskTop |
                          uint64_t(IgnoreRight) << MaskRight | uint64_t(IgnoreBottom) << MaskBottom;
  return RVPropsEqualEx(RVBooleanRectProps(), this, &Value, ignore);
}

void TRVBooleanRect::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  RVPropsWriteIni(RVBooleanRectProps(), this, Ini, Section, KeyFormat);
}

void TRVBooleanRect::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  RVPropsReadIni(RVBooleanRectProps(), this, Ini, Section, KeyFormat);
}

// =================================================================== TRVBorder

void TRVBorder::Assign(const TRVBorder &Source) { RVPropsAssign(RVBorderProps(), this, &Source); }

int32_t TRVBorder::GetTotalWidth() const {
  // 64-bit so that stored widths near the limits cannot wrap.
  int64_t w = Width, iw = InternalWidth, r = 0;
  switch (Style) {
  case rvbSingle: r = w; break;
  case rvbDouble: r = 2 * w + iw; break;
  case rvbTriple: r = 3 * w + 2 * iw; break;
  case rvbThickInside:
  case rvbThickOutside: r = 3 * w + iw; break;
  case rvbNone: r = 0; break;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
}

void TRVBorder::DrawSimple(const TRect &Rect, TCanvas &ACanvas) const {
  if (Style == rvbNone) return;
  TRect R = Rect;
  BorderOffsets.InflateRect(R);
  DoDraw(R, ACanvas, 1, Width, InternalWidth, 0);
}

void TRVBorder::Draw(const TRect &Rect, TCanvas &ACanvas, uint8_t ColorMode, const TRVScreenAndDevice &Ratio) const {
  if (Style == rvbNone) return;
  TRect R = Rect;
  BorderOffsets.InflateRectSaD(R, Ratio);
  DoDraw(R, ACanvas, ScaleV(1, Ratio), ScaleV(Width, Ratio), ScaleV(InternalWidth, Ratio), ColorMode);
}

void TRVBorder::DoDraw(TRect R, TCanvas &ACanvas, int32_t OnePixel, int32_t W, int32_t IW, uint8_t ColorMode) const {
  CanvasPen pen = ACanvas.pen();
  pen.Width = W;
  pen.Style = TPenStyle::psInsideFrame;
  switch (ColorMode) {
  case 0: pen.Color = Color; break;
  case 1: pen.Color = SysColorToPrintColor(Color); break;
  case 2: pen.Color = ColorToGray(SysColorToPrintColor(Color)); break;
  default: pen.Color = clBlack; break;
  }
  int lines = 1;
  switch (Style) {
  case rvbDouble:
  case rvbThickInside:
  case rvbThickOutside: lines = 2; break;
  case rvbTriple: lines = 3; break;
  default: lines = 1;
  }
  for (int k = lines; k >= 1; --k) {
    int pw = W;
    if ((Style == rvbThickInside && k == 2) || (Style == rvbThickOutside && k == 1)) pw = Clamp32(2 * int64_t(W));
    pen.Width = pw;
    ACanvas.setPen(pen);
    auto side = [&](int x1, int y1, int x2, int y2) {
      ACanvas.moveTo(x1, y1);
      ACanvas.lineTo(x2, y2);
      ACanvas.moveTo(x2, y2);
      ACanvas.lineTo(x1, y1);
    };
    if (VisibleBorders.Top) side(R.Left, R.Top, R.Right, R.Top);
    if (VisibleBorders.Right) side(R.Right, R.Top, R.Right, R.Bottom);
    if (VisibleBorders.Bottom) side(R.Right, R.Bottom, R.Left, R.Bottom);
    if (VisibleBorders.Left) side(R.Left, R.Bottom, R.Left, R.Top);
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

bool TRVBorder::IsEqual(const TRVBorder &Value) const { return RVPropsEqual(RVBorderProps(), this, &Value, false); }

bool TRVBorder::IsEqual_Para(const TRVBorder &Value, TRVParaInfoProperties IgnoreList) const {
  return RVPropsEqualEx(RVBorderProps(), this, &Value, IgnoreList.Raw_(), rvpiBorder_Color);
}

int64_t TRVBorder::SimilarityValue(const TRVBorder &Value) const {
  const bool mine[4] = {Style != rvbNone && VisibleBorders.Left, Style != rvbNone && VisibleBorders.Top,
                        Style != rvbNone && VisibleBorders.Right, Style != rvbNone && VisibleBorders.Bottom};
  const bool theirs[4] = {
      Value.Style != rvbNone && Value.VisibleBorders.Left, Value.Style != rvbNone && Value.VisibleBorders.Top,
      Value.Style != rvbNone && Value.VisibleBorders.Right, Value.Style != rvbNone && Value.VisibleBorders.Bottom};
  const int32_t myOffs[4] = {BorderOffsets.Left, BorderOffsets.Top, BorderOffsets.Right, BorderOffsets.Bottom};
  const int32_t theirOffs[4] = {Value.BorderOffsets.Left, Value.BorderOffsets.Top, Value.BorderOffsets.Right,
                                Value.BorderOffsets.Bottom};
  int64_t r = 0;
  int n = 0;
  for (int i = 0; i < 4; ++i)
    if (mine[i] && theirs[i]) ++n;
  if (n > 0)
    r += int64_t(n) * (int64_t(ColorWeight(Color, Value.Color, 3333, 3000)) + IntegerWeight(Width, Value.Width, 1000) +
                       IntegerWeight(InternalWidth, Value.InternalWidth, 1000) + (Style == Value.Style ? 1000 : 0));
  for (int i = 0; i < 4; ++i) {
    if (!mine[i] && !theirs[i]) r += 20000;
    else if (mine[i] != theirs[i]) r -= 20000;
    else r += IntegerWeight(myOffs[i], theirOffs[i], 100);
  }
  return r;
}

void TRVBorder::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  RVPropsWriteIni(RVBorderProps(), this, Ini, Section, KeyFormat);
}

void TRVBorder::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  RVPropsReadIni(RVBorderProps(), this, Ini, Section, KeyFormat);
}

// =========================================================== TRVBackgroundRect

void TRVBackgroundRect::Assign(const TRVBackgroundRect &Source) { RVPropsAssign(RVBackgroundProps(), this, &Source); }

void TRVBackgroundRect::PrepareDraw(TRect &Rect) const { BorderOffsets.InflateRect(Rect); }

void TRVBackgroundRect::PrepareDrawSaD(TRect &Rect, const TRVScreenAndDevice &Ratio) const {
  BorderOffsets.InflateRectSaD(Rect, Ratio);
}

void TRVBackgroundRect::Draw(const TRect &Rect, TCanvas &ACanvas, bool Printing, uint8_t ColorMode) const {
  if (Color == clNone) return;
  if (Printing && (ColorMode == 3 || ColorMode == 4)) return;
  TColor c = SysColorToPrintColor(Color);
  if (ColorMode == 2) c = ColorToGray(c);
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
  return RVPropsEqual(RVBackgroundProps(), this, &Value, false);
}

bool TRVBackgroundRect::IsEqual_Para(const TRVBackgroundRect &Value, TRVParaInfoProperties IgnoreList) const {
  return RVPropsEqualEx(RVBackgroundProps(), this, &Value, IgnoreList.Raw_(), rvpiBackground_Color);
}

int64_t TRVBackgroundRect::SimilarityValue(const TRVBackgroundRect &Value) const {
  return RVPropsSimilarity(RVBackgroundProps(), this, &Value);
}

void TRVBackgroundRect::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  RVPropsWriteIni(RVBackgroundProps(), this, Ini, Section, KeyFormat);
}

void TRVBackgroundRect::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  RVPropsReadIni(RVBackgroundProps(), this, Ini, Section, KeyFormat);
}

} // namespace kc
