// Painting the visible part of a formatted document: paragraph and text
// backgrounds, borders, marks, text pieces with selection and hover, items
// and special characters. Everything is cut to the painted rectangle before
// it reaches the canvas, so nothing costs in proportion to geometry outside
// it.
#include <algorithm>
#include <climits>

#include "richtext/document/CRVFData.h"
#include "richtext/document/RVBack.h"
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

} // namespace

void TCustomRVFormattedData::PaintBackground(const TRect &Clip, TCanvas &Canvas) {
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

void TCustomRVFormattedData::PaintVisibleLines(const TRect &Clip, TCanvas &Canvas) {
  TRVStyle *style = GetRVStyle();
  if (!style) return;
  const TRVOptions options = GetOptions();
  const int hoffs = GetHOffs(), voffs = GetVOffs();
  // Document point (x, y) is drawn at (x + dx, y + dy).
  const int64_t dx = -int64_t(hoffs) - Clip.Left, dy = -int64_t(voffs) - Clip.Top;
  const int64_t docTop = int64_t(Clip.Top) + voffs, docBottom = int64_t(Clip.Bottom) + voffs;
  const TRect area{0, 0, Clip.width(), Clip.height()};
  auto cx = [&](int64_t x) { return int(std::clamp<int64_t>(x + dx, -RVMaxCoord, RVMaxCoord)); };
  auto cy = [&](int64_t y) { return int(std::clamp<int64_t>(y + dy, -RVMaxCoord, RVMaxCoord)); };

  const int n = DrawLines.Count();
  if (n > 0) {
    int sl, so, el, eo;
    GetSelectionDrawBounds(true, sl, so, el, eo);
    const bool hasSel = sl >= 0 && el >= 0 && !(sl == el && so == eo);
    TRVTextDrawStates base;
    if (IsFocusedDeep()) base.Include(rvtsControlFocused);
    const bool special = options.Has(rvoShowSpecialCharacters);

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

    // Paragraph backgrounds and borders.
    for (int i = first; i <= last;) {
      const int itemNo = DrawLines.Items(i)->ItemNo;
      int j = i + 1;
      while (j < n && !(GetItem(DrawLines.Items(j)->ItemNo)->IsParaStart() &&
                        DrawLines.Items(j)->ItemNo != DrawLines.Items(j - 1)->ItemNo))
        ++j;
      const int paraNo = GetItemPara(itemNo);
      const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(paraNo);
      if (p && GetItemStyle(itemNo) != rvsBreak &&
          (p->Border.Style != rvbNone || p->Background.Color != clNone || style->OnDrawParaBack)) {
        int64_t l = int64_t(GetLeftMargin()) + p->LeftIndent + std::min(0, p->FirstIndent);
        int64_t r;
        if (options.Has(rvoClientTextWidth)) r = int64_t(GetWidth()) - GetRightMargin() - p->RightIndent;
        else if (GetMaxTextWidth() < 1) r = int64_t(GetAreaWidth()) - GetRightMargin() - p->RightIndent;
        else r = int64_t(GetLeftMargin()) + GetMaxTextWidth() - p->RightIndent;
        int64_t t = INT64_MAX, b = INT64_MIN;
        for (int k = i; k < j; ++k) {
          const TRVDrawLineInfo *d = DrawLines.Items(k);
          r = std::max<int64_t>(r, int64_t(d->Left) + d->Width);
          t = std::min<int64_t>(t, d->Top);
          b = std::max<int64_t>(b, int64_t(d->Top) + d->Height + d->ExtraSpaceBelow);
        }
        TRect rc = ClipToArea(l + dx, t + dy, r + dx, b + dy, area);
        if (!rc.isEmpty()) {
          TRect back = rc;
          p->Background.PrepareDraw(back);
          back = ClipToArea(back.Left, back.Top, back.Right, back.Bottom, area);
          style->DrawParaBack(Canvas, paraNo, back, false, 0);
          if (p->Border.Style != rvbNone) {
            TRect br = ClipToArea(rc.Left, rc.Top, rc.Right, rc.Bottom, area);
            p->Border.DrawSimple(br, Canvas);
          }
        }
      }
      i = j;
    }

    // Text backgrounds.
    if (style->OnDrawTextBack) {
      for (int i = first; i <= last; ++i) {
        const TRVDrawLineInfo *d = DrawLines.Items(i);
        const int styleNo = GetItemStyle(d->ItemNo);
        if (styleNo < 0) continue;
        TRVTextDrawStates st;
        if ((State & rvstHoverActive) && GetItem(d->ItemNo)->JumpID == HoveredJump) st.Include(rvtsHover);
        style->DrawTextBack(Canvas, d->ItemNo, styleNo, this, cx(d->Left), cy(d->Top), d->Width, d->Height, st);
      }
    }

    // Soft page breaks, from the first visible item on.
    if (SoftPageBreaks && options.Has(rvoShowPageBreaks)) {
      // The smallest Top of the screen line holding a draw line.
      auto lineTop = [&](int dl) {
        int a = dl;
        while (a > 0 && !DrawLines.Items(a)->FromNewLine) --a;
        int top = DrawLines.Items(a)->Top;
        for (int k = a + 1; k < n && !DrawLines.Items(k)->FromNewLine; ++k)
          top = std::min(top, DrawLines.Items(k)->Top);
        return top;
      };
      const int firstItem = GetFirstItemVisible();
      for (const TRVSoftPageBreakInfo &pb : *SoftPageBreaks) {
        if (pb.ItemNo < firstItem || pb.ItemNo >= GetItemCount()) continue;
        int dl = FirstDrawLineOfItem(pb.ItemNo);
        if (dl < 0 || dl >= n || DrawLines.Items(dl)->ItemNo != pb.ItemNo) continue;
        // The piece holding the character the break stands before.
        while (dl + 1 < n && DrawLines.Items(dl + 1)->ItemNo == pb.ItemNo && DrawLines.Items(dl + 1)->Offs <= pb.Offset)
          ++dl;
        if (dl > last) break;
        style->DrawPageBreak(Canvas, cy(lineTop(dl)), hoffs + Clip.Left, rvpbSoftPageBreak, GetScroller(), GetWidth());
      }
    }

    int lastStyle = -1;
    for (int i = first; i <= last; ++i) {
      TRVDrawLineInfo *d = DrawLines.Items(i);
      TCustomRVItemInfo *item = GetItem(d->ItemNo);
      const bool firstOfItem = i == 0 || DrawLines.Items(i - 1)->ItemNo != d->ItemNo;
      if (item->GetPageBreakBefore() && options.Has(rvoShowPageBreaks) && firstOfItem)
        style->DrawPageBreak(Canvas, cy(d->Top), hoffs + Clip.Left, rvpbPageBreak, GetScroller(), GetWidth());
      if (item->Checkpoint && options.Has(rvoShowCheckpoints) && firstOfItem)
        style->DrawCheckpoint(Canvas, hoffs - Clip.Left, cy(d->Top), d->ItemNo, hoffs + Clip.Left,
                              item->Checkpoint->RaiseEvent, GetScroller(), GetWidth());
      const int styleNo = GetItemStyle(d->ItemNo);
      const TRVBiDiMode paraBiDi = GetParaBiDiMode(item->ParaNo);
      if (styleNo < 0) {
        TRVItemDrawStates st;
        const bool inSel = hasSel && i >= sl && i <= el && !(i == el && eo == 0) && !(i == sl && so == 1);
        if (inSel || (State & rvstWholeSelected)) st.Include(rvidsSelected);
        if ((State & rvstHoverActive) && item->JumpID == HoveredJump) st.Include(rvidsHover);
        if (d->ItemNo == CurrentItem) st.Include(rvidsCurrent);
        if (base.Has(rvtsControlFocused)) st.Include(rvidsControlFocused);
        if (item->GetFlag(rvbpFullWidth)) {
          int64_t w = options.Has(rvoClientTextWidth) ? GetWidth() : GetAreaWidth();
          if (GetMaxTextWidth() > 0)
            w = std::min<int64_t>(w, int64_t(GetLeftMargin()) + GetMaxTextWidth() + GetRightMargin());
          const TRect c = ClipToArea(cx(d->Left), cy(d->Top), w + dx, cy(int64_t(d->Top) + d->Height), area);
          // A rule is drawn from edge to edge and is cut here; anything else
          // (a table) places its content from its real left edge, which
          // lies further left when the view is scrolled sideways.
          item->PaintFullWidth(styleNo == rvsBreak ? c.Left : cx(d->Left), c.Right, cy(d->Top), Canvas, st, style,
                               area, 0);
        } else {
          const int64_t top = int64_t(d->Top) + dy, left = int64_t(d->Left) + dx;
          if (top < area.Bottom + kPaintSlack && top + d->Height > -kPaintSlack && left < area.Right + kPaintSlack &&
              left + d->Width > -kPaintSlack) {
            if (st.Has(rvidsSelected) && style->SelectionStyle == rvssLines && styleNo != rvsListMarker) {
              Canvas.setBrush(CanvasBrush{base.Has(rvtsControlFocused) ? style->SelColor : style->InactiveSelColor,
                                          TBrushStyle::bsSolid});
              Canvas.fillRect(ClipToArea(left, top, left + d->Width, top + d->Height, area));
            }
            item->Paint(int(left), int(top), Canvas, st, style, d);
          }
        }
        if (item->GetFlag(rvbpDrawingChangesFont)) lastStyle = -1;
        continue;
      }
      const int64_t top = int64_t(d->Top) + dy, left = int64_t(d->Left) + dx;
      const bool visible = top < area.Bottom && top + d->Height > 0 && left < area.Right && left + d->Width > 0;
      if (visible && d->Length > 0) {
        if (styleNo != lastStyle) {
          style->ApplyStyle(Canvas, styleNo, paraBiDi);
          lastStyle = styleNo;
        }
        const uint8_t opt = GetItemOptions(d->ItemNo).Raw_();
        const std::string text = CopyChars(GetItemTextRaw(d->ItemNo), d->Offs, d->Length, opt);
        TRVTextDrawStates st = base;
        const TFontInfo *fi = style->TextStyles().GetTextStyleSafe(styleNo);
        if (fi && fi->Jump && (State & rvstHoverActive) && item->JumpID == HoveredJump) st.Include(rvtsHover);
        if (style->OnDrawStyleText) {
          st.Include(rvtsDrawItemStart).Include(rvtsDrawItemEnd);
          if (d->Offs == 1) st.Include(rvtsItemStart);
          if (d->Offs + d->Length - 1 >= GetTextLength(GetItemTextRaw(d->ItemNo), opt)) st.Include(rvtsItemEnd);
        }
        int a = 0, b = -1;
        if (hasSel && i >= sl && i <= el) {
          a = i == sl ? std::max(1, so) : 1;
          b = i == el ? std::min(d->Length, eo - 1) : d->Length;
        }
        const bool whole = a == 1 && b >= d->Length;
        auto draw = [&](const std::string &s, int x, int w, int spaceBefore, TRVTextDrawStates s2, int offs) {
          style->ApplyStyleColor(Canvas, styleNo, s2, false, 0);
          if (s2.Has(rvtsSelected) && style->SelectionStyle == rvssLines) {
            Canvas.setBrush(CanvasBrush{style->SelColor, TBrushStyle::bsSolid});
            Canvas.fillRect(TRect{x, int(top), x + w, int(top + d->Height)});
          }
          style->DrawStyleText(s, Canvas, d->ItemNo, offs, styleNo, this, spaceBefore, x, int(top), w, d->Height, s2,
                               false, false, 0, paraBiDi);
        };
        TRVTextDrawStates sel = st;
        sel.Include(rvtsSelected);
        if (whole) {
          draw(text, int(left), d->Width, d->ExtraSpaceBefore, sel, d->Offs);
        } else {
          draw(text, int(left), d->Width, d->ExtraSpaceBefore, st, d->Offs);
          std::vector<int> placed;
          if (a <= b && GetItemBiDiMode(d->ItemNo) != rvbdUnspecified &&
              GetCharPlacement(Canvas, text, placed, d->Width - d->ExtraSpaceBefore, opt) &&
              int(placed.size()) == d->Length + 1) {
            // Right-to-left and reordered text: the selected characters are
            // the whole piece drawn again, clipped to where they stand.
            // Shaped alone, joined letters (Arabic) would take other forms,
            // and a part stands elsewhere than its logical place.
            const int x0 = int(left) + d->ExtraSpaceBefore;
            std::vector<std::pair<int, int>> spans;
            for (int u = a - 1; u < b; ++u) {
              const int p = placed[size_t(u)], q = placed[size_t(u) + 1];
              if (p != q) spans.push_back({x0 + std::min(p, q), x0 + std::max(p, q)});
            }
            std::sort(spans.begin(), spans.end());
            std::vector<std::pair<int, int>> merged;
            for (const auto &sp : spans) {
              if (!merged.empty() && sp.first <= merged.back().second)
                merged.back().second = std::max(merged.back().second, sp.second);
              else
                merged.push_back(sp);
            }
            for (const auto &sp : merged) {
              const int level = Canvas.saveDC();
              Canvas.intersectClipRect(TRect{sp.first, int(top), sp.second, int(top + d->Height)});
              draw(text, int(left), d->Width, d->ExtraSpaceBefore, sel, d->Offs);
              Canvas.restoreDC(level);
            }
          } else if (a <= b) {
            const std::string part = CopyChars(text, a, b - a + 1, opt);
            const int before = a > 1 ? GetTextWidth(CopyChars(text, 1, a - 1, opt), Canvas, opt) : 0;
            const int w = GetTextWidth(part, Canvas, opt);
            if (a == 1) draw(part, int(left), w + d->ExtraSpaceBefore, d->ExtraSpaceBefore, sel, d->Offs);
            else draw(part, int(left) + before + d->ExtraSpaceBefore, w, 0, sel, d->Offs + a - 1);
          }
        }
      }
      // The end of a paragraph and a line break, when special characters are shown.
      if (special && visible) {
        const bool lastOfItem = i + 1 >= n || DrawLines.Items(i + 1)->ItemNo != d->ItemNo;
        if (lastOfItem) {
          const bool docEnd = i + 1 >= n;
          const TCustomRVItemInfo *next = docEnd ? nullptr : GetItem(DrawLines.Items(i + 1)->ItemNo);
          if (docEnd || next->IsParaStart() || next->GetLineBreakBefore()) {
            if (styleNo != lastStyle) {
              style->ApplyStyle(Canvas, styleNo, paraBiDi);
              lastStyle = styleNo;
            }
            style->ApplyStyleColor(Canvas, styleNo, base, false, 0);
            Canvas.setBrush(CanvasBrush{clWhite, TBrushStyle::bsClear});
            const int x = int(left + d->Width);
            if (docEnd || next->IsParaStart()) Canvas.textOutW(x, int(top), u"\u00B6");
            else Canvas.textOutW(x, int(top), u"\u21B5");
          }
        }
      }
    }
  }
  if (NotAddedCP && options.Has(rvoShowCheckpoints))
    style->DrawCheckpoint(Canvas, hoffs - Clip.Left, cy(DocumentHeight), -1, hoffs + Clip.Left, NotAddedCP->RaiseEvent,
                          GetScroller(), GetWidth());
}

} // namespace kc
