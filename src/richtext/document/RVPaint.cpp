// Painting the visible part of a formatted document: paragraph and text
// backgrounds, borders, marks, text pieces with selection and hover, items
// and special characters. Everything is cut to the painted rectangle before
// it reaches the canvas, so nothing costs in proportion to geometry outside
// it. The paragraph pass is shared with printed pages.
#include <algorithm>
#include <climits>

#include "richtext/document/CRVFData.h"
#include "richtext/document/RVBack.h"
#include "richtext/document/RVMultiDrawItem.h"
#include "richtext/document/RVUni.h"
#include "platform/Canvas.h"

namespace kc {

namespace {

// Rectangles are cut to the visible area widened by this margin, which
// covers border widths and offsets drawn outside a paragraph's rectangle.
constexpr int kPaintSlack = 64;

TRect ClipToArea(int64_t l, int64_t t, int64_t r, int64_t b, const TRect &Area) {
  const int64_t al = int64_t(Area.Left) - kPaintSlack, at = int64_t(Area.Top) - kPaintSlack;
  const int64_t ar = int64_t(Area.Right) + kPaintSlack, ab = int64_t(Area.Bottom) + kPaintSlack;
  return TRect{int(std::clamp(l, al, ar)), int(std::clamp(t, at, ab)), int(std::clamp(r, al, ar)),
               int(std::clamp(b, at, ab))};
}

// The screen spans of the characters A..B (1-based) of a piece whose
// character edges stand at Placed (from X0), joined where they touch.
std::vector<std::pair<int, int>> SelectedSpans(const std::vector<int> &Placed, int A, int B, int X0) {
  std::vector<std::pair<int, int>> spans;
  for (int u = A - 1; u < B; ++u) {
    const int p = Placed[size_t(u)], q = Placed[size_t(u) + 1];
    if (p != q) spans.push_back({X0 + std::min(p, q), X0 + std::max(p, q)});
  }
  std::sort(spans.begin(), spans.end());
  std::vector<std::pair<int, int>> merged;
  for (const auto &sp : spans) {
    if (!merged.empty() && sp.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, sp.second);
    else merged.push_back(sp);
  }
  return merged;
}

} // namespace

// ------------------------------------------------------- painted lines

int TCustomRVFormattedData::PartOnPage(const TPaintedLines &Lines, int DrawLineNo) const {
  if (!Lines.Paged) return -1;
  const auto *multi = dynamic_cast<const TRVMultiDrawItemInfo *>(DrawLines.Items(DrawLineNo));
  if (!multi || multi->PartsList.Count() == 0) return -1;
  const int part = DrawLineNo == Lines.First && Lines.StartPart > 0 ? Lines.StartPart : 0;
  return std::min(part, multi->PartsList.Count() - 1);
}

void TCustomRVFormattedData::PartExtent(const TRVDrawLineInfo *DrawLine, int Part, int &Top, int &Height) {
  Top = DrawLine->Top;
  Height = DrawLine->Height;
  if (Part < 0) return;
  const auto *multi = dynamic_cast<const TRVMultiDrawItemInfo *>(DrawLine);
  if (!multi || multi->PartsList.Count() == 0) return;
  Part = std::min(Part, multi->PartsList.Count() - 1);
  // Parts follow each other down the document, so that a page that starts
  // with a later part starts where that part does.
  int64_t top = DrawLine->Top;
  for (int k = 0; k < Part; ++k) top += multi->PartsList.Parts(k)->Height;
  Top = RVSatAdd(top, 0);
  Height = multi->PartsList.Parts(Part)->Height;
}

TCustomRVFormattedData::TLineOnPage TCustomRVFormattedData::LineOnPage(const TPaintedLines &Lines,
                                                                       int DrawLineNo) const {
  TLineOnPage r;
  r.Part = PartOnPage(Lines, DrawLineNo);
  int top = 0;
  PartExtent(DrawLines.Items(DrawLineNo), r.Part, top, r.Height);
  const size_t k = size_t(DrawLineNo - Lines.First);
  r.Top = int64_t(top) + (DrawLineNo >= Lines.First && k < Lines.Extras.size() ? Lines.Extras[k] : 0);
  return r;
}

void TCustomRVFormattedData::DrawParaBackgrounds(TCanvas &Canvas, const TPaintedLines &Lines) const {
  TRVStyle *style = GetRVStyle();
  auto startsPara = [&](int dl) {
    const TRVDrawLineInfo *d = DrawLines.Items(dl);
    return GetItem(d->ItemNo)->IsParaStart() && (dl == 0 || DrawLines.Items(dl - 1)->ItemNo != d->ItemNo);
  };
  // Canvas rectangles: cut to the screen's area, whole on a page.
  auto place = [&](int64_t l, int64_t t, int64_t r, int64_t b) {
    if (Lines.Area) return ClipToArea(l, t, r, b, *Lines.Area);
    return TRect{RVSatAdd(l, 0), RVSatAdd(t, 0), RVSatAdd(r, 0), RVSatAdd(b, 0)};
  };
  for (int i = Lines.First; i <= Lines.Last;) {
    int j = i + 1;
    while (j <= Lines.ParaEnd && !startsPara(j)) ++j;
    const int itemNo = DrawLines.Items(i)->ItemNo;
    const int paraNo = GetItemPara(itemNo);
    const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(paraNo);
    if (p && GetItemStyle(itemNo) != rvsBreak &&
        (p->Border.Style != rvbNone || p->Background.Color != clNone || style->OnDrawParaBack)) {
      const int64_t l =
          Lines.TextLeft + ScaleXToDevice(RVSatAdd(p->LeftIndent, std::min(0, p->FirstIndent)), Lines.sad);
      int64_t r = Lines.TextRight - ScaleXToDevice(p->RightIndent, Lines.sad);
      int64_t t = INT64_MAX, b = INT64_MIN;
      for (int k = i; k < j; ++k) {
        // On a page only the lines on it count, a split line with its part
        // on it, so the background is cut to the page.
        const TRVDrawLineInfo *d = DrawLines.Items(k);
        const TLineOnPage on = LineOnPage(Lines, k);
        r = std::max<int64_t>(r, int64_t(d->Left) + d->Width);
        t = std::min<int64_t>(t, on.Top);
        b = std::max<int64_t>(b, on.Top + on.Height + (on.Part < 0 ? d->ExtraSpaceBelow : 0));
      }
      const TRect rc = place(l + Lines.Dx, t + Lines.Dy, r + Lines.Dx, b + Lines.Dy);
      if (!Lines.Area || !rc.isEmpty()) {
        TRect back = rc;
        p->Background.PrepareDrawSaD(back, Lines.sad);
        if (Lines.Area) back = ClipToArea(back.Left, back.Top, back.Right, back.Bottom, *Lines.Area);
        style->DrawParaBack(Canvas, paraNo, back, Lines.Printing, Lines.ColorMode);
        p->Border.Draw(rc, Canvas, Lines.ColorMode, Lines.sad);
      }
    }
    i = j;
  }
}

// ------------------------------------------------------------- screen

void TCustomRVFormattedData::PaintBackground(const TRect &Clip, TCanvas &Canvas) const {
  const TColor color = GetColor();
  const int w = Clip.width(), h = Clip.height();
  if (TRVBackground *bg = GetBackground()) {
    const TPoint o = GetOrigin();
    bg->Draw(Canvas, TRect{0, 0, w, h}, GetHOffs() + o.x, GetVOffs() + o.y, -Clip.Left, -Clip.Top, GetWidth(),
             GetHeight(), color, false);
    return;
  }
  if (color == clNone) return;
  Canvas.setBrush(CanvasBrush{color, TBrushStyle::bsSolid});
  Canvas.fillRect(TRect{0, 0, w, h});
}

int TCustomRVFormattedData::GetFirstItemVisible() const {
  if (DrawLines.Count() == 0) return -1;
  const int dl = std::min(FindDrawLineAtY(GetVOffs(), fdlNext), DrawLines.Count() - 1);
  return DrawLines.Items(dl)->ItemNo;
}

int TCustomRVFormattedData::GetLastItemVisible() const {
  if (DrawLines.Count() == 0) return -1;
  const int dl = std::min(FindDrawLineAtY(RVSatAdd(GetVOffs(), GetHeight()), fdlLast), DrawLines.Count() - 1);
  return DrawLines.Items(dl)->ItemNo;
}

struct TCustomRVFormattedData::TScreenPaint {
  TScreenPaint(TCanvas &ACanvas, TRVStyle *AStyle, TRVOptions AOptions, const TRect &AClip)
      : Canvas(ACanvas), Style(AStyle), Options(AOptions), Clip(AClip) {}
  TCanvas &Canvas;
  TRVStyle *Style;
  TRVOptions Options;
  TRect Clip;
  int HOffs = 0;
  // The visible lines; Area is the canvas.
  TPaintedLines Lines;
  // The selection as ordered draw-line bounds.
  int SelStartLine = -1, SelStartOffs = 0, SelEndLine = -1, SelEndOffs = 0;
  bool HasSel = false;
  TRVTextDrawStates Base;
  // The text style applied to the canvas last; -1 when unknown.
  int LastStyle = -1;

  const TRect &Area() const { return *Lines.Area; }
  int X(int64_t x) const { return int(std::clamp<int64_t>(x + Lines.Dx, -RVMaxCoord, RVMaxCoord)); }
  int Y(int64_t y) const { return int(std::clamp<int64_t>(y + Lines.Dy, -RVMaxCoord, RVMaxCoord)); }
};

struct TCustomRVFormattedData::TPaintedPiece {
  const TRVDrawLineInfo *D;
  int StyleNo;
  TRVBiDiMode ParaBiDi;
  // Canvas place; inside the canvas, since the piece is visible.
  int Left, Top;
  uint8_t Opt;
  std::string Text;
};

void TCustomRVFormattedData::PaintVisibleLines(const TRect &Clip, TCanvas &Canvas) const {
  TRVStyle *style = GetRVStyle();
  if (!style) return;
  TScreenPaint P(Canvas, style, GetOptions(), Clip);
  P.HOffs = GetHOffs();
  P.Lines.Dx = -int64_t(P.HOffs) - Clip.Left;
  P.Lines.Dy = -int64_t(GetVOffs()) - Clip.Top;
  P.Lines.Area = TRect{0, 0, Clip.width(), Clip.height()};

  if (DrawLines.Count() > 0) {
    GetSelectionDrawBounds(true, P.SelStartLine, P.SelStartOffs, P.SelEndLine, P.SelEndOffs);
    P.HasSel =
        P.SelStartLine >= 0 && P.SelEndLine >= 0 && !(P.SelStartLine == P.SelEndLine && P.SelStartOffs == P.SelEndOffs);
    if (IsFocusedDeep()) P.Base.Include(rvtsControlFocused);
    FindPaintedLines(P);

    DrawParaBackgrounds(Canvas, P.Lines);
    if (style->OnDrawTextBack) PaintTextBacks(P);
    if (SoftPageBreaks && P.Options.Has(rvoShowPageBreaks)) PaintSoftPageBreaks(P);
    for (int i = P.Lines.First; i <= P.Lines.Last; ++i) {
      PaintLineMarks(P, i);
      if (GetItemStyle(DrawLines.Items(i)->ItemNo) < 0) {
        PaintItemLine(P, i);
        continue;
      }
      PaintTextLine(P, i);
      if (P.Options.Has(rvoShowSpecialCharacters)) PaintSpecialMark(P, i);
    }
  }
  if (NotAddedCP && P.Options.Has(rvoShowCheckpoints))
    style->DrawCheckpoint(Canvas, P.HOffs - Clip.Left, P.Y(DocumentHeight), -1, P.HOffs + Clip.Left,
                          NotAddedCP->RaiseEvent, GetScroller(), GetWidth());
}

void TCustomRVFormattedData::FindPaintedLines(TScreenPaint &P) const {
  const int n = DrawLines.Count();
  const int64_t docTop = int64_t(P.Clip.Top) + GetVOffs(), docBottom = int64_t(P.Clip.Bottom) + GetVOffs();
  int first = std::min(FindDrawLineAtY(int(std::clamp<int64_t>(docTop, INT_MIN, INT_MAX)), fdlLast), n - 1);
  {
    int f = 0, l = 0;
    GetScreenLineRange(first, f, l);
    first = f;
    // A line above may reach down into the rectangle (negative spacing).
    if (first > 0) {
      GetScreenLineRange(first - 1, f, l);
      first = f;
    }
  }
  // Back to the start of the paragraph, so that its background is drawn whole.
  while (first > 0 && !(GetItem(DrawLines.Items(first)->ItemNo)->IsParaStart() &&
                        DrawLines.Items(first - 1)->ItemNo != DrawLines.Items(first)->ItemNo))
    --first;
  int last = first;
  while (last + 1 < n) {
    const TRVDrawLineInfo *d = DrawLines.Items(last + 1);
    if (d->FromNewLine && d->Top > docBottom) break;
    ++last;
  }
  TPaintedLines &L = P.Lines;
  L.First = first;
  L.Last = last;
  L.ParaEnd = n - 1;
  L.TextLeft = GetLeftMargin();
  if (P.Options.Has(rvoClientTextWidth)) L.TextRight = int64_t(GetWidth()) - GetRightMargin();
  else if (GetMaxTextWidth() < 1) L.TextRight = int64_t(GetAreaWidth()) - GetRightMargin();
  else L.TextRight = int64_t(GetLeftMargin()) + GetMaxTextWidth();
}

void TCustomRVFormattedData::PaintTextBacks(const TScreenPaint &P) const {
  for (int i = P.Lines.First; i <= P.Lines.Last; ++i) {
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    const int styleNo = GetItemStyle(d->ItemNo);
    if (styleNo < 0) continue;
    TRVTextDrawStates st;
    if ((State & rvstHoverActive) && GetItem(d->ItemNo)->JumpID == HoveredJump) st.Include(rvtsHover);
    P.Style->DrawTextBack(P.Canvas, d->ItemNo, styleNo, this, P.X(d->Left), P.Y(d->Top), d->Width, d->Height, st);
  }
}

// From the first visible item on.
void TCustomRVFormattedData::PaintSoftPageBreaks(const TScreenPaint &P) const {
  const int n = DrawLines.Count();
  const int firstItem = GetFirstItemVisible();
  for (const TRVSoftPageBreakInfo &pb : *SoftPageBreaks) {
    if (pb.ItemNo < firstItem || pb.ItemNo >= GetItemCount()) continue;
    int dl = FirstDrawLineOfItem(pb.ItemNo);
    if (dl < 0 || dl >= n || DrawLines.Items(dl)->ItemNo != pb.ItemNo) continue;
    // The piece holding the character the break stands before.
    while (dl + 1 < n && DrawLines.Items(dl + 1)->ItemNo == pb.ItemNo && DrawLines.Items(dl + 1)->Offs <= pb.Offset)
      ++dl;
    if (dl > P.Lines.Last) break;
    P.Style->DrawPageBreak(P.Canvas, P.Y(ScreenLineTop(dl)), P.HOffs + P.Clip.Left, rvpbSoftPageBreak, GetScroller(),
                           GetWidth());
  }
}

// The hard page break and the checkpoint at an item's first line.
void TCustomRVFormattedData::PaintLineMarks(const TScreenPaint &P, int DrawLineNo) const {
  const TRVDrawLineInfo *d = DrawLines.Items(DrawLineNo);
  if (DrawLineNo > 0 && DrawLines.Items(DrawLineNo - 1)->ItemNo == d->ItemNo) return;
  const TCustomRVItemInfo *item = GetItem(d->ItemNo);
  if (item->GetPageBreakBefore() && P.Options.Has(rvoShowPageBreaks))
    P.Style->DrawPageBreak(P.Canvas, P.Y(d->Top), P.HOffs + P.Clip.Left, rvpbPageBreak, GetScroller(), GetWidth());
  if (item->Checkpoint && P.Options.Has(rvoShowCheckpoints))
    P.Style->DrawCheckpoint(P.Canvas, P.HOffs - P.Clip.Left, P.Y(d->Top), d->ItemNo, P.HOffs + P.Clip.Left,
                            item->Checkpoint->RaiseEvent, GetScroller(), GetWidth());
}

void TCustomRVFormattedData::PaintItemLine(TScreenPaint &P, int DrawLineNo) const {
  const int i = DrawLineNo;
  TRVDrawLineInfo *d = DrawLines.Items(i);
  TCustomRVItemInfo *item = GetItem(d->ItemNo);
  const int styleNo = GetItemStyle(d->ItemNo);
  const TRect &area = P.Area();
  TRVItemDrawStates st;
  const bool inSel = P.HasSel && i >= P.SelStartLine && i <= P.SelEndLine &&
                     !(i == P.SelEndLine && P.SelEndOffs == 0) && !(i == P.SelStartLine && P.SelStartOffs == 1);
  if (inSel || (State & rvstWholeSelected)) st.Include(rvidsSelected);
  if ((State & rvstHoverActive) && item->JumpID == HoveredJump) st.Include(rvidsHover);
  if (d->ItemNo == CurrentItem) st.Include(rvidsCurrent);
  if (P.Base.Has(rvtsControlFocused)) st.Include(rvidsControlFocused);
  if (item->GetFlag(rvbpFullWidth)) {
    int64_t w = P.Options.Has(rvoClientTextWidth) ? GetWidth() : GetAreaWidth();
    if (GetMaxTextWidth() > 0)
      w = std::min<int64_t>(w, int64_t(GetLeftMargin()) + GetMaxTextWidth() + GetRightMargin());
    const TRect c = ClipToArea(P.X(d->Left), P.Y(d->Top), w + P.Lines.Dx, P.Y(int64_t(d->Top) + d->Height), area);
    // A rule is drawn from edge to edge and is cut here; anything else
    // (a table) places its content from its real left edge, which lies
    // further left when the view is scrolled sideways.
    item->PaintFullWidth(styleNo == rvsBreak ? c.Left : P.X(d->Left), c.Right, P.Y(d->Top), P.Canvas, st, P.Style, area,
                         0);
  } else {
    const int64_t top = int64_t(d->Top) + P.Lines.Dy, left = int64_t(d->Left) + P.Lines.Dx;
    if (top < area.Bottom + kPaintSlack && top + d->Height > -kPaintSlack && left < area.Right + kPaintSlack &&
        left + d->Width > -kPaintSlack) {
      if (st.Has(rvidsSelected) && P.Style->SelectionStyle == rvssLines && styleNo != rvsListMarker) {
        P.Canvas.setBrush(CanvasBrush{P.Base.Has(rvtsControlFocused) ? P.Style->SelColor : P.Style->InactiveSelColor,
                                      TBrushStyle::bsSolid});
        P.Canvas.fillRect(ClipToArea(left, top, left + d->Width, top + d->Height, area));
      }
      item->Paint(int(left), int(top), P.Canvas, st, P.Style, d);
    }
  }
  if (item->GetFlag(rvbpDrawingChangesFont)) P.LastStyle = -1;
}

void TCustomRVFormattedData::ApplyPaintStyle(TScreenPaint &P, int StyleNo, TRVBiDiMode ParaBiDi) const {
  if (StyleNo == P.LastStyle) return;
  P.Style->ApplyStyle(P.Canvas, StyleNo, ParaBiDi);
  P.LastStyle = StyleNo;
}

void TCustomRVFormattedData::PaintTextLine(TScreenPaint &P, int DrawLineNo) const {
  const int i = DrawLineNo;
  const TRVDrawLineInfo *d = DrawLines.Items(i);
  const TCustomRVItemInfo *item = GetItem(d->ItemNo);
  const int64_t top = int64_t(d->Top) + P.Lines.Dy, left = int64_t(d->Left) + P.Lines.Dx;
  const TRect &area = P.Area();
  if (d->Length <= 0 || !(top < area.Bottom && top + d->Height > 0 && left < area.Right && left + d->Width > 0)) return;
  const uint8_t opt = GetItemOptions(d->ItemNo).Raw_();
  const TPaintedPiece T{d,
                        GetItemStyle(d->ItemNo),
                        GetParaBiDiMode(item->ParaNo),
                        int(left),
                        int(top),
                        opt,
                        CopyChars(GetItemTextRaw(d->ItemNo), d->Offs, d->Length, opt)};
  ApplyPaintStyle(P, T.StyleNo, T.ParaBiDi);
  TRVTextDrawStates st = P.Base;
  const TFontInfo *fi = P.Style->TextStyles().GetTextStyleSafe(T.StyleNo);
  if (fi && fi->Jump && (State & rvstHoverActive) && item->JumpID == HoveredJump) st.Include(rvtsHover);
  if (P.Style->OnDrawStyleText) {
    st.Include(rvtsDrawItemStart).Include(rvtsDrawItemEnd);
    if (d->Offs == 1) st.Include(rvtsItemStart);
    if (d->Offs + d->Length - 1 >= GetTextLength(GetItemTextRaw(d->ItemNo), opt)) st.Include(rvtsItemEnd);
  }
  // The selected characters a..b of the piece.
  int a = 0, b = -1;
  if (State & rvstWholeSelected) {
    a = 1;
    b = d->Length;
  } else if (P.HasSel && i >= P.SelStartLine && i <= P.SelEndLine) {
    a = i == P.SelStartLine ? std::max(1, P.SelStartOffs) : 1;
    b = i == P.SelEndLine ? std::min(d->Length, P.SelEndOffs - 1) : d->Length;
  }
  TRVTextDrawStates sel = st;
  sel.Include(rvtsSelected);
  if (a == 1 && b >= d->Length) {
    DrawPiece(P, T, T.Text, T.Left, d->Width, d->ExtraSpaceBefore, sel, d->Offs);
    return;
  }
  DrawPiece(P, T, T.Text, T.Left, d->Width, d->ExtraSpaceBefore, st, d->Offs);
  if (a <= b) PaintSelectedChars(P, T, a, b, sel);
}

void TCustomRVFormattedData::DrawPiece(const TScreenPaint &P, const TPaintedPiece &T, const std::string &S, int X,
                                       int W, int SpaceBefore, TRVTextDrawStates States, int Offs) const {
  P.Style->ApplyStyleColor(P.Canvas, T.StyleNo, States, false, 0);
  if (States.Has(rvtsSelected) && P.Style->SelectionStyle == rvssLines) {
    P.Canvas.setBrush(CanvasBrush{P.Style->SelColor, TBrushStyle::bsSolid});
    P.Canvas.fillRect(TRect{X, T.Top, X + W, int(int64_t(T.Top) + T.D->Height)});
  }
  P.Style->DrawStyleText(S, P.Canvas, T.D->ItemNo, Offs, T.StyleNo, this, SpaceBefore, X, T.Top, W, T.D->Height, States,
                         false, false, 0, T.ParaBiDi);
}

void TCustomRVFormattedData::PaintSelectedChars(const TScreenPaint &P, const TPaintedPiece &T, int A, int B,
                                                TRVTextDrawStates Sel) const {
  const TRVDrawLineInfo *d = T.D;
  std::vector<int> placed;
  if (GetItemBiDiMode(d->ItemNo) != rvbdUnspecified &&
      GetCharPlacement(P.Canvas, T.Text, placed, d->Width - d->ExtraSpaceBefore, T.Opt) &&
      int(placed.size()) == d->Length + 1) {
    // Right-to-left and reordered text: the selected characters are the
    // whole piece drawn again, clipped to where they stand. Shaped alone,
    // joined letters (Arabic) would take other forms, and a part stands
    // elsewhere than its logical place.
    for (const auto &sp : SelectedSpans(placed, A, B, T.Left + d->ExtraSpaceBefore)) {
      const int level = P.Canvas.saveDC();
      P.Canvas.intersectClipRect(TRect{sp.first, T.Top, sp.second, int(int64_t(T.Top) + d->Height)});
      DrawPiece(P, T, T.Text, T.Left, d->Width, d->ExtraSpaceBefore, Sel, d->Offs);
      P.Canvas.restoreDC(level);
    }
    return;
  }
  const std::string part = CopyChars(T.Text, A, B - A + 1, T.Opt);
  const int before = A > 1 ? GetTextWidth(CopyChars(T.Text, 1, A - 1, T.Opt), P.Canvas, T.Opt) : 0;
  const int w = GetTextWidth(part, P.Canvas, T.Opt);
  if (A == 1) DrawPiece(P, T, part, T.Left, w + d->ExtraSpaceBefore, d->ExtraSpaceBefore, Sel, d->Offs);
  else DrawPiece(P, T, part, T.Left + before + d->ExtraSpaceBefore, w, 0, Sel, d->Offs + A - 1);
}

// The end of a paragraph and a line break, when special characters are
// shown: after the last piece of an item.
void TCustomRVFormattedData::PaintSpecialMark(TScreenPaint &P, int DrawLineNo) const {
  const int i = DrawLineNo, n = DrawLines.Count();
  const TRVDrawLineInfo *d = DrawLines.Items(i);
  const int64_t top = int64_t(d->Top) + P.Lines.Dy, left = int64_t(d->Left) + P.Lines.Dx;
  const TRect &area = P.Area();
  if (!(top < area.Bottom && top + d->Height > 0 && left < area.Right && left + d->Width > 0)) return;
  if (i + 1 < n && DrawLines.Items(i + 1)->ItemNo == d->ItemNo) return;
  const bool docEnd = i + 1 >= n;
  const TCustomRVItemInfo *next = docEnd ? nullptr : GetItem(DrawLines.Items(i + 1)->ItemNo);
  if (!(docEnd || next->IsParaStart() || next->GetLineBreakBefore())) return;
  const int styleNo = GetItemStyle(d->ItemNo);
  ApplyPaintStyle(P, styleNo, GetParaBiDiMode(GetItem(d->ItemNo)->ParaNo));
  P.Style->ApplyStyleColor(P.Canvas, styleNo, P.Base, false, 0);
  P.Canvas.setBrush(CanvasBrush{clWhite, TBrushStyle::bsClear});
  const int x = int(left + d->Width);
  if (docEnd || next->IsParaStart()) P.Canvas.textOutW(x, int(top), u"\u00B6");
  else P.Canvas.textOutW(x, int(top), u"\u21B5");
}

} // namespace kc
