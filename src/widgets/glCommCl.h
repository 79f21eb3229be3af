#pragma once
// The small setting objects of the group box: colours, gradients, bevels,
// lighting and a point. Each tells its owner of a change through OnChange
// so that the owner repaints; setters store and tell only when the value
// changed, except where noted.
#include <functional>

#include "platform/CanvasTypes.h"
#include "widgets/glTypes.h"

namespace kc {

class TglPersistent {
public:
  std::function<void()> OnChange;

protected:
  void Changed() const {
    if (OnChange) OnChange();
  }
  template <typename T> void setField(T &field, T value) {
    if (field == value) return;
    field = value;
    Changed();
  }
};

class TTwainColors : public TglPersistent {
public:
  TColor FromColor() const { return FFromColor; }
  void SetFromColor(TColor c);
  TColor ToColor() const { return FToColor; }
  void SetToColor(TColor c);
  // The colours as RGB values (system colours resolved).
  TColor RGBFromColor() const { return FRGBFrom; }
  TColor RGBToColor() const { return FRGBTo; }

private:
  TColor FFromColor = 0x808080, FToColor = clBlack;
  TColor FRGBFrom = 0x808080, FRGBTo = clBlack;
};

class TGradient : public TTwainColors {
public:
  static constexpr int kMaxSteps = 255;
  bool Active() const { return FActive; }
  void SetActive(bool on) { setField(FActive, on); }
  TglGradientDir Orientation() const { return FOrientation; }
  // Tells only while the gradient is active.
  void SetOrientation(TglGradientDir d);
  int Steps() const { return FSteps; }
  void SetSteps(int n); // kept within 1..255
  int PercentFilling() const { return FPercentFilling; }
  void SetPercentFilling(int p); // kept within 0..100
  TglBrushStyle BrushStyle() const { return FBrushStyle; }
  void SetBrushStyle(TglBrushStyle s); // tells always

private:
  bool FActive = false;
  TglGradientDir FOrientation = TglGradientDir::fgdHorizontal;
  int FSteps = kMaxSteps;
  int FPercentFilling = 100;
  TglBrushStyle FBrushStyle = TglBrushStyle::bsSolid;
};
using TCustomGradient = TGradient;

class T2DAlign : public TglPersistent {
public:
  TglHorAlign Horizontal() const { return FHorizontal; }
  void SetHorizontal(TglHorAlign a) { setField(FHorizontal, a); }
  TglVertAlign Vertical() const { return FVertical; }
  void SetVertical(TglVertAlign a) { setField(FVertical, a); }

private:
  TglHorAlign FHorizontal = TglHorAlign::fhaLeft;
  TglVertAlign FVertical = TglVertAlign::fvaTop;
};

class TIllumination : public T2DAlign {
public:
  int ShadowDepth() const { return FShadowDepth; }
  void SetShadowDepth(int d) { setField(FShadowDepth, d); }

private:
  int FShadowDepth = 2;
};

class TPointClass : public TglPersistent {
public:
  int X() const { return FX; }
  void SetX(int x) { setField(FX, x); }
  int Y() const { return FY; }
  void SetY(int y) { setField(FY, y); }

private:
  int FX = 0, FY = 0;
};

class TglBevel : public TglPersistent {
public:
  TglBevelCut Inner() const { return FInner; }
  void SetInner(TglBevelCut c) { setField(FInner, c); }
  TglBevelCut Outer() const { return FOuter; }
  void SetOuter(TglBevelCut c) { setField(FOuter, c); }
  TglSides Sides() const { return FSides; }
  void SetSides(TglSides s) { setField(FSides, static_cast<TglSides>(s & kAllSides)); }
  bool Bold() const { return FBold; }
  void SetBold(bool b) { setField(FBold, b); }

private:
  TglBevelCut FInner = TglBevelCut::bvNone, FOuter = TglBevelCut::bvNone;
  TglSides FSides = kAllSides;
  bool FBold = false;
};

class TglCustomTextColors : public TglPersistent {
public:
  TColor Text() const { return FText; }
  void SetText(TColor c) { setField(FText, c); }
  TColor Delineate() const { return FDelineate; }
  void SetDelineate(TColor c) { setField(FDelineate, c); }
  TColor Highlight() const { return FHighlight; }
  void SetHighlight(TColor c) { setField(FHighlight, c); }
  TColor Shadow() const { return FShadow; }
  void SetShadow(TColor c) { setField(FShadow, c); }

private:
  TColor FText = clBlack, FDelineate = clWhite, FHighlight = clBtnHighlight, FShadow = clBtnShadow;
};

class TglCustomLabelColors : public TglCustomTextColors {
public:
  TColor TextActive() const { return FTextActive; }
  void SetTextActive(TColor c) { setField(FTextActive, c); }
  TColor DelineateActive() const { return FDelineateActive; }
  void SetDelineateActive(TColor c) { setField(FDelineateActive, c); }
  TColor HighlightActive() const { return FHighlightActive; }
  void SetHighlightActive(TColor c) { setField(FHighlightActive, c); }
  TColor ShadowActive() const { return FShadowActive; }
  void SetShadowActive(TColor c) { setField(FShadowActive, c); }

private:
  TColor FTextActive = clBlack, FDelineateActive = clWhite, FHighlightActive = clBtnHighlight,
         FShadowActive = clBtnShadow;
};

class TglGrBoxColors : public TglCustomLabelColors {
public:
  // These four tell on every assignment.
  TColor Caption() const { return FCaption; }
  void SetCaption(TColor c) { FCaption = c, Changed(); }
  TColor CaptionActive() const { return FCaptionActive; }
  void SetCaptionActive(TColor c) { FCaptionActive = c, Changed(); }
  TColor Client() const { return FClient; }
  void SetClient(TColor c) { FClient = c, Changed(); }
  TColor ClientActive() const { return FClientActive; }
  void SetClientActive(TColor c) { FClientActive = c, Changed(); }

private:
  TColor FCaption = clBtnFace, FCaptionActive = clBtnFace, FClient = clBtnFace, FClientActive = clBtnFace;
};

} // namespace kc
