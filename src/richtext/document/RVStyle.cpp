#include "richtext/document/RVStyle.h"

#include <algorithm>

#include "richtext/document/RVUni.h"

namespace kc {

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
  if (!FInvalidPicture) FInvalidPicture = makeInvalidPicture();
  return FInvalidPicture.get();
}

void TRVStyle::SetInvalidPicture(const TGraphic *Value) {
  if (Value == FInvalidPicture.get()) return;
  if (!Value) FInvalidPicture.reset();
  else FInvalidPicture = Value->clone();
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
  if (OnStyleHoverSensitive) OnStyleHoverSensitive(this, StyleNo, sensitive);
  return sensitive;
}

void TRVStyle::ApplyStyle(TCanvas &ACanvas, int StyleNo, TRVBiDiMode DefBiDiMode) {
  bool doDefault = true;
  if (OnApplyStyle) OnApplyStyle(this, ACanvas, StyleNo, doDefault);
  if (doDefault) FTextStyles->GetTextStyleSafe(StyleNo)->Apply(ACanvas, DefBiDiMode);
}

void TRVStyle::ApplyStyleColor(TCanvas &ACanvas, int StyleNo, TRVTextDrawStates DrawState, bool Printing,
                               uint8_t ColorMode) {
  bool doDefault = true;
  if (OnApplyStyleColor) OnApplyStyleColor(this, ACanvas, StyleNo, DrawState, doDefault);
  if (doDefault) FTextStyles->GetTextStyleSafe(StyleNo)->ApplyColor(ACanvas, *this, DrawState, Printing, ColorMode);
}

void TRVStyle::DrawStyleText(const std::string &s, TCanvas &ACanvas, int AItemNo, int AOffsetInItem, int StyleNo,
                             const TCustomRVData *ARVData, int SpaceBefore, int Left, int Top, int Width, int Height,
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

void TRVStyle::DrawTextBack(TCanvas &ACanvas, int AItemNo, int StyleNo, const TCustomRVData *ARVData, int Left, int Top,
                            int Width, int Height, TRVTextDrawStates DrawState) {
  if (!OnDrawTextBack) return;
  ItemNo = AItemNo;
  RVData = ARVData;
  bool doDefault = true;
  OnDrawTextBack(this, ACanvas, StyleNo, Left, Top, Width, Height, DrawState, doDefault);
}

void TRVStyle::DrawCheckpoint(TCanvas &ACanvas, int X, int Y, int AItemNo, int XShift, bool RaiseEvent,
                              TRVScroller *Control, int ControlWidth) {
  bool doDefault = true;
  if (OnDrawCheckpoint) OnDrawCheckpoint(this, ACanvas, X, Y, AItemNo, XShift, RaiseEvent, Control, doDefault);
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

void TRVStyle::DrawPageBreak(TCanvas &ACanvas, int Y, int XShift, TRVPageBreakType PageBreakType, TRVScroller *Control,
                             int ControlClientWidth) {
  bool doDefault = true;
  if (OnDrawPageBreak) OnDrawPageBreak(this, ACanvas, Y, XShift, PageBreakType, Control, doDefault);
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
  if (OnDrawParaBack) OnDrawParaBack(this, ACanvas, ParaNo, ARect, doDefault);
  if (doDefault) FParaStyles->GetParaStyleSafe(ParaNo)->Background.Draw(ARect, ACanvas, Printing, ColorMode);
}

void TRVStyle::ImageListRemoved(const TCustomImageList *ImageList) { FListStyles->RemoveImageList(ImageList); }

} // namespace kc
