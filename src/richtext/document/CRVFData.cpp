// The formatted document: its state, host answers, minimal widths, and the
// two ways of naming a place (item positions and draw positions) with the
// conversions and hit tests between them.
#include "richtext/document/CRVFData.h"

#include <algorithm>
#include <climits>

#include "platform/Canvas.h"
#include "platform/GraphemeClusters.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"
#include "richtext/document/RVUniClusters.h"

namespace kc {

TCustomRVFormattedData::TCustomRVFormattedData() = default;
TCustomRVFormattedData::~TCustomRVFormattedData() = default;

TCanvas *TCustomRVFormattedData::GetCanvas() const {
  const TCustomRVData *root = GetRootData();
  if (root && root != this) {
    if (auto *f = dynamic_cast<const TCustomRVFormattedData *>(root)) return f->GetCanvas();
  }
  return nullptr;
}

TColor TCustomRVFormattedData::GetColor() const {
  const TRVStyle *s = GetRVStyle();
  return s ? s->Color : clWindow;
}

void TCustomRVFormattedData::GetFormatResolution(TCanvas &Canvas, TRVScreenAndDevice &sad) const {
  GetResolutionRatio(Canvas, sad);
  if (sad.ppixScreen <= 0) sad.ppixScreen = 96;
  if (sad.ppiyScreen <= 0) sad.ppiyScreen = 96;
  if (sad.ppixDevice <= 0) sad.ppixDevice = sad.ppixScreen;
  if (sad.ppiyDevice <= 0) sad.ppiyDevice = sad.ppiyScreen;
}

void TCustomRVFormattedData::ClearFormatting() {
  DrawLines.Clear();
  Jumps.clear();
  JumpCounter = 0;
  DocumentWidth = -1;
  TextWidth = -1;
  DocumentHeight = 0;
  LastFormattedItem = -1;
  // Shown items keep the draw lines of the document that owns them.
  if (!SharesItems())
    for (int i = 0; i < GetItemCount(); ++i) GetItem(i)->DrawLineMark = -1;
}

void TCustomRVFormattedData::UpdateJumpRects(size_t From) {
  if (From == 0) FJumpsOrigin = GetOrigin();
  for (size_t k = From; k < Jumps.size(); ++k) {
    TRVJumpInfo *j = Jumps[k].get();
    const TRVDrawLineInfo *d = j->DrawLineNo >= 0 && j->DrawLineNo < j->RVData->DrawLines.Count()
                                   ? j->RVData->DrawLines.Items(j->DrawLineNo)
                                   : nullptr;
    if (!d) continue;
    const TPoint o = j->RVData->GetOrigin();
    j->Left = RVSatAdd(d->Left, o.x);
    j->Top = RVSatAdd(d->Top, o.y);
  }
}

void TCustomRVFormattedData::PlaceInlineControls(int FromDrawLine) {
  if ((GetFlags() & rvflNoControlPlacing) || !HasHostWindow() || (State & rvstNoControlPlacing)) return;
  // Only the items that keep a window are visited: a transcript of text
  // and pictures costs nothing here however long it grows.
  const std::vector<TCustomRVItemInfo *> &windowed = Items.WindowedItems();
  if (windowed.empty()) return;
  const int hoffs = GetHOffs(), voffs = GetVOffs();
  auto place = [&](TCustomRVItemInfo *Item, const TRVDrawLineInfo *d) {
    if (auto *nt = dynamic_cast<TRVNonTextItemInfo *>(Item))
      nt->AdjustPosition(d->Left - hoffs, d->Top - voffs, false, this);
  };
  if (SharesItems()) {
    // The items' first draw lines are those of the document that owns them.
    for (int i = std::max(0, FromDrawLine); i < DrawLines.Count(); ++i) {
      const TRVDrawLineInfo *d = DrawLines.Items(i);
      if (GetItemStyle(d->ItemNo) < 0 && GetItem(d->ItemNo)->PlacesWindow()) place(GetItem(d->ItemNo), d);
    }
    return;
  }
  for (TCustomRVItemInfo *item : windowed) {
    const int dl = FirstDrawLineOf(item);
    if (dl < std::max(0, FromDrawLine) || dl >= DrawLines.Count()) continue;
    const TRVDrawLineInfo *d = DrawLines.Items(dl);
    // An item not laid out yet keeps a stale first line.
    if (!d || d->ItemNo < 0 || d->ItemNo >= GetItemCount() || GetItem(d->ItemNo) != item) continue;
    place(item, d);
  }
}

// ------------------------------------------------------------ minimal widths

int TCustomRVFormattedData::TextMinWidth(int ItemNo, TCanvas &Canvas, const TRVScreenAndDevice *sad, bool Apply) {
  (void)sad;
  if (FMinWidths && ItemNo >= FMinWidthsStart && ItemNo - FMinWidthsStart < int(FMinWidths->size()) &&
      (*FMinWidths)[size_t(ItemNo - FMinWidthsStart)] >= 0)
    return (*FMinWidths)[size_t(ItemNo - FMinWidthsStart)];
  const int styleNo = GetActualStyle(GetItem(ItemNo));
  if (Apply) GetRVStyle()->ApplyStyle(Canvas, styleNo, GetItemBiDiMode(ItemNo));
  const std::string &t = GetItemTextRaw(ItemNo);
  const bool uni = GetItem(ItemNo)->IsUnicode();
  const TParaInfo *p = GetRVStyle()->ParaStyles().GetParaStyleSafe(GetItemPara(ItemNo));
  if (p && p->Options.Has(rvpaoNoWrap)) return GetTextWidth(t, Canvas, uni ? rvuniUnicodeBit : 0);
  const uint8_t opt = uni ? rvuniUnicodeBit : 0;
  const int len = GetTextLength(t, opt);
  if (len == 0) return 0;
  // A word wider than the line is cut between clusters, so the narrowest a
  // wrapping paragraph can be is its widest cluster (a character of 8-bit
  // text): text never makes the document wider than its view. One
  // measurement of the whole text; a cluster's width is the difference of
  // the extents around it.
  std::vector<int> ext;
  int fit = 0;
  GetTextFit(Canvas, t, INT_MAX / 2, opt, &ext, fit);
  if (static_cast<int>(ext.size()) < len) return GetTextWidth(t, Canvas, opt);
  auto width = [&](int from, int to) { return ext[size_t(to - 1)] - (from > 0 ? ext[size_t(from - 1)] : 0); };
  int best = 0;
  if (uni) {
    const std::vector<int> bounds = GraphemeBoundaryList(RawToWideString(t));
    for (size_t k = 1; k < bounds.size(); ++k)
      if (bounds[k] <= len) best = std::max(best, width(bounds[k - 1], bounds[k]));
  } else {
    for (int i = 1; i <= len; ++i) best = std::max(best, width(i - 1, i));
  }
  return best;
}

int TCustomRVFormattedData::CalcParaMinWidth(int ItemNo, const TRVScreenAndDevice *sad, TCanvas &Canvas) {
  const TRVStyle *style = GetRVStyle();
  const int first = GetFirstParaItemNo(ItemNo);
  const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(GetItemPara(first));
  auto hs = [&](int v) { return sad ? MulDiv(v, sad->ppixDevice, sad->ppixScreen) : v; };
  int indent = 0;
  if (p) {
    indent = RVSatAdd(p->LeftIndent, p->RightIndent);
    if (p->FirstIndent > 0 && !GetItem(first)->GetFlag(rvbpFullWidth)) indent = RVSatAdd(indent, p->FirstIndent);
  }
  if (GetItemStyle(first) == rvsListMarker) {
    if (const TRVListLevel *L = static_cast<TRVMarkerItemInfo *>(GetItem(first))->GetLevelInfo(style))
      indent = RVSatAdd(RVSatAdd(L->LeftIndent, std::max(0, L->FirstIndent)), p ? p->RightIndent : 0);
  }
  indent = hs(indent);
  const bool noWrap = p && p->Options.Has(rvpaoNoWrap);
  int64_t sum = indent;
  int best = 0;
  int markerWidth = 0;
  for (int i = first; i < GetItemCount(); ++i) {
    if (i > first && GetItem(i)->IsParaStart()) break;
    int w;
    if (GetItemStyle(i) >= 0) w = TextMinWidth(i, Canvas, sad);
    else w = GetItem(i)->GetMinWidth(sad, &Canvas, this);
    w = std::clamp(w, 0, RVMaxCoord / 4);
    if (noWrap) {
      sum += w;
    } else if (GetItemStyle(i) == rvsListMarker) {
      markerWidth = w;
    } else {
      best = std::max<int>(best, RVSatAdd(RVSatAdd(indent, w), markerWidth));
      markerWidth = 0;
    }
  }
  if (noWrap) return RVSatAdd(sum, 0);
  return std::max(best, RVSatAdd(indent, markerWidth));
}

int TCustomRVFormattedData::CalcDocumentMinWidth(const TRVScreenAndDevice *sad, TCanvas &Canvas) {
  return CalcItemsMinWidth(0, sad, Canvas);
}

int TCustomRVFormattedData::CalcItemsMinWidth(int From, const TRVScreenAndDevice *sad, TCanvas &Canvas) {
  if (GetItemCount() == 0) return 0;
  const int start = std::max(0, GetFirstParaItemNo(std::clamp(From, 0, GetItemCount() - 1)));
  // The text items are measured style by style, so that the canvas changes
  // its font once per style rather than once per item.
  std::vector<int> widths(size_t(GetItemCount() - start), -1);
  std::vector<std::pair<int, int>> order; // (style and direction, item)
  for (int i = start; i < GetItemCount(); ++i)
    if (GetItemStyle(i) >= 0) order.emplace_back(GetActualStyle(GetItem(i)) * 4 + GetItemBiDiMode(i), i);
  std::stable_sort(order.begin(), order.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
  int applied = -1;
  for (const auto &[key, i] : order) {
    if (key != applied) {
      GetRVStyle()->ApplyStyle(Canvas, key / 4, static_cast<TRVBiDiMode>(key % 4));
      applied = key;
    }
    widths[size_t(i - start)] = TextMinWidth(i, Canvas, sad, false);
  }
  FMinWidths = &widths;
  FMinWidthsStart = start;
  struct Done {
    TCustomRVFormattedData *D;
    ~Done() { D->FMinWidths = nullptr; }
  } done{this};
  int best = 0;
  for (int i = start; i < GetItemCount(); ++i)
    if (i == start || GetItem(i)->IsParaStart()) best = std::max(best, CalcParaMinWidth(i, sad, Canvas));
  return best;
}

// ------------------------------------------------------------ positions

int TCustomRVFormattedData::DrawLineStartOffset(int DrawLineNo) const {
  return IsTextItem(DrawLines.Items(DrawLineNo)->ItemNo) ? 1 : 0;
}

int TCustomRVFormattedData::DrawLineEndOffset(int DrawLineNo) const {
  const TRVDrawLineInfo *d = DrawLines.Items(DrawLineNo);
  return IsTextItem(d->ItemNo) ? d->Length + 1 : 1;
}

void TCustomRVFormattedData::DrawPosToItemPos(int DrawLineNo, int DrawOffs, int &ItemNo, int &ItemOffs) const {
  // Positions kept across a reformat may name lines that are gone.
  if (DrawLineNo < 0 || DrawLines.Count() == 0) {
    ItemNo = -1;
    ItemOffs = DrawOffs;
    return;
  }
  if (DrawLineNo >= DrawLines.Count()) {
    DrawLineNo = DrawLines.Count() - 1;
    DrawOffs = DrawLineEndOffset(DrawLineNo);
  }
  const TRVDrawLineInfo *d = DrawLines.Items(DrawLineNo);
  ItemNo = d->ItemNo;
  if (IsTextItem(d->ItemNo)) {
    DrawOffs = std::clamp(DrawOffs, 1, d->Length + 1);
    ItemOffs = DrawOffs + d->Offs - 1;
  } else {
    ItemOffs = std::clamp(DrawOffs, 0, 1);
  }
}

void TCustomRVFormattedData::ItemPosToDrawPos(int ItemNo, int ItemOffs, int &DrawLineNo, int &DrawOffs) const {
  DrawLineNo = -1;
  DrawOffs = ItemOffs;
  if (ItemNo < 0 || DrawLines.Count() == 0) return;
  if (ItemNo >= GetItemCount()) {
    DrawLineNo = DrawLines.Count() - 1;
    DrawOffs = DrawLineEndOffset(DrawLineNo);
    return;
  }
  int dl = FirstDrawLineOfItem(ItemNo);
  if (dl < 0 || dl >= DrawLines.Count() || DrawLines.Items(dl)->ItemNo != ItemNo) {
    DrawLineNo = DrawLines.Count() - 1;
    DrawOffs = DrawLineEndOffset(DrawLineNo);
    return;
  }
  if (!IsTextItem(ItemNo)) {
    DrawLineNo = dl;
    DrawOffs = std::clamp(ItemOffs, 0, 1);
    return;
  }
  for (int i = dl; i < DrawLines.Count() && DrawLines.Items(i)->ItemNo == ItemNo; ++i) {
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    if (ItemOffs < d->Offs) {
      // Inside a space left out at a wrap point: the start of this piece.
      DrawLineNo = i;
      DrawOffs = 1;
      return;
    }
    if (ItemOffs <= d->Offs + d->Length) {
      DrawLineNo = i;
      DrawOffs = ItemOffs - d->Offs + 1;
      return;
    }
    dl = i;
  }
  // Past the item's last piece: the start of the next line, or the end of
  // the document.
  if (dl + 1 < DrawLines.Count()) {
    DrawLineNo = dl + 1;
    DrawOffs = DrawLineStartOffset(dl + 1);
  } else {
    DrawLineNo = dl;
    DrawOffs = DrawLineEndOffset(dl);
  }
}

int TCustomRVFormattedData::FirstDrawLineOfItem(int ItemNo) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return -1;
  return FirstDrawLineOf(GetItem(ItemNo));
}

void TCustomRVFormattedData::GetScreenLineRange(int DrawLineNo, int &First, int &Last) const {
  First = std::clamp(DrawLineNo, 0, std::max(0, DrawLines.Count() - 1));
  while (First > 0 && !DrawLines.Items(First)->FromNewLine) --First;
  Last = std::clamp(DrawLineNo, 0, std::max(0, DrawLines.Count() - 1));
  while (Last + 1 < DrawLines.Count() && !DrawLines.Items(Last + 1)->FromNewLine) ++Last;
}

int TCustomRVFormattedData::ScreenLineTop(int DrawLineNo) const {
  int f = 0, l = 0;
  GetScreenLineRange(DrawLineNo, f, l);
  int top = INT_MAX;
  for (int i = f; i <= l; ++i) top = std::min(top, DrawLines.Items(i)->Top);
  return top;
}

int TCustomRVFormattedData::ScreenLineBottom(int DrawLineNo, bool WithSpaceBelow) const {
  int f = 0, l = 0;
  GetScreenLineRange(DrawLineNo, f, l);
  int bottom = INT_MIN;
  for (int i = f; i <= l; ++i) {
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    bottom = std::max<int>(bottom, RVSatAdd(RVSatAdd(d->Top, d->Height), WithSpaceBelow ? d->ExtraSpaceBelow : 0));
  }
  return bottom;
}

int TCustomRVFormattedData::GetPieceOffsetInLine(int A, int B) const {
  return DrawLines.Items(B)->Left - DrawLines.Items(A)->Left;
}

int TCustomRVFormattedData::FindDrawLineAtY(int Y, TFindMode Mode) const {
  const int n = DrawLines.Count();
  if (n == 0) return 0;
  // The last line whose Top <= Y (0 when none).
  int lo = 0, hi = n - 1, found = 0;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    if (DrawLines.Items(mid)->Top <= Y) found = mid, lo = mid + 1;
    else hi = mid - 1;
  }
  switch (Mode) {
  case fdlPrevLine: {
    int f = found;
    while (f > 0 && !DrawLines.Items(f)->FromNewLine) --f;
    if (f > 0) {
      --f;
      while (f > 0 && !DrawLines.Items(f)->FromNewLine) --f;
    }
    return f;
  }
  case fdlLast:
    if (DrawLines.Items(n - 1)->Top < Y) return n - 1;
    return found;
  default: {
    int f = found;
    while (f < n - 1 && DrawLines.Items(f)->Top < Y) ++f;
    return f;
  }
  }
}

int TCustomRVFormattedData::FindDrawLineAtPoint(int X, int Y) const {
  const int n = DrawLines.Count();
  if (n == 0) return -1;
  auto contains = [&](int i) {
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    return PointInRect(X, Y, d->Left, d->Top, d->Width, d->Height);
  };
  if (contains(0)) return 0;
  int lo = 0, hi = n - 1, found = 0;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    if (DrawLines.Items(mid)->Top <= Y) found = mid, lo = mid + 1;
    else hi = mid - 1;
  }
  int first = 0, last = 0;
  GetScreenLineRange(found, first, last);
  // Lines may overlap: look at this screen line and the one before it.
  int from = first;
  if (from > 0) {
    int pf = 0, pl = 0;
    GetScreenLineRange(from - 1, pf, pl);
    from = pf;
  }
  int to = last;
  if (to + 1 < n) {
    int nf = 0, nl = 0;
    GetScreenLineRange(to + 1, nf, nl);
    to = nl;
  }
  for (int i = from; i <= to; ++i)
    if (contains(i)) return i;
  return -1;
}

void TCustomRVFormattedData::ScreenLineAtY(int Y, int &First, int &Last) const {
  const int n = DrawLines.Count();
  int line = 0;
  const TRVDrawLineInfo *d0 = DrawLines.Items(0);
  if (int64_t(Y) >= int64_t(d0->Top) + d0->Height) {
    int lo = 0, hi = n - 1;
    while (lo <= hi) {
      const int mid = lo + (hi - lo) / 2;
      if (DrawLines.Items(mid)->Top <= Y) line = mid, lo = mid + 1;
      else hi = mid - 1;
    }
  }
  GetScreenLineRange(line, First, Last);
  if (Last + 1 < n) {
    int nf = 0, nl = 0;
    GetScreenLineRange(Last + 1, nf, nl);
    for (int i = nf; i <= nl; ++i)
      if (DrawLines.Items(i)->Top <= Y) {
        First = nf, Last = nl;
        break;
      }
  }
}

int TCustomRVFormattedData::TextOffsetAtX(int DrawLineNo, int X) const {
  const TRVDrawLineInfo *d = DrawLines.Items(DrawLineNo);
  TCanvas *canvas = GetCanvas();
  const bool uni = GetItem(d->ItemNo)->IsUnicode();
  const uint8_t opt = uni ? rvuniUnicodeBit : 0;
  const std::string piece = CopyChars(GetItemTextRaw(d->ItemNo), d->Offs, d->Length, opt);
  int best = 1;
  // Only boundaries between characters are candidates: never inside a
  // surrogate pair, a letter with its marks or an emoji sequence.
  const std::vector<bool> stop = ItemCharBoundaries(GetItemTextRaw(d->ItemNo), d->Offs, d->Length, opt);
  if (canvas) {
    const TRVBiDiMode itemBiDi = GetItemBiDiMode(d->ItemNo);
    GetRVStyle()->ApplyStyle(*canvas, GetActualStyle(GetItem(d->ItemNo)), itemBiDi);
    const int64_t x = int64_t(X) - d->Left - d->ExtraSpaceBefore;
    // Right-to-left and reordered text: the boundary drawn nearest the
    // point, wherever it lies in the text.
    std::vector<int> placed;
    if (itemBiDi != rvbdUnspecified && GetCharPlacement(*canvas, piece, placed, d->Width - d->ExtraSpaceBefore, opt) &&
        static_cast<int>(placed.size()) == d->Length + 1) {
      int64_t bestDist = INT64_MAX;
      for (int i = 0; i <= d->Length; ++i) {
        if (!stop[static_cast<size_t>(i)]) continue;
        const int64_t dist = std::abs(x - placed[static_cast<size_t>(i)]);
        if (dist < bestDist) bestDist = dist, best = i + 1;
      }
    } else {
      std::vector<int> ext;
      int fit = 0;
      GetTextFit(*canvas, piece, INT_MAX / 2, opt, &ext, fit);
      int64_t bestDist = x < 0 ? -x : x;
      for (int i = 1; i <= d->Length && static_cast<size_t>(i - 1) < ext.size(); ++i) {
        if (!stop[static_cast<size_t>(i)]) continue;
        const int64_t dist = std::abs(x - ext[static_cast<size_t>(i - 1)]);
        if (dist < bestDist) bestDist = dist, best = i + 1;
      }
    }
  }
  return std::clamp(best, 1, d->Length + 1);
}

void TCustomRVFormattedData::HitTestDrawLine(int X, int Y, bool Strict, int &DrawLineNo, int &DrawOffs) {
  DrawLineNo = -1;
  DrawOffs = -1;
  const int n = DrawLines.Count();
  if (n == 0) return;
  int first = 0, last = 0;
  ScreenLineAtY(Y, first, last);
  std::vector<int> visit;
  for (int i = first; i <= last; ++i) visit.push_back(i);
  const TRVBiDiMode bidi = GetParaBiDiMode(GetItemPara(DrawLines.Items(first)->ItemNo));
  if (bidi != rvbdUnspecified)
    std::stable_sort(visit.begin(), visit.end(),
                     [&](int a, int b) { return DrawLines.Items(a)->Left < DrawLines.Items(b)->Left; });
  const bool rtl = bidi == rvbdRightToLeft;
  int hit = -1;
  for (size_t k = 0; k < visit.size(); ++k) {
    const TRVDrawLineInfo *d = DrawLines.Items(visit[k]);
    if (Strict) {
      if (X >= d->Left && int64_t(X) < int64_t(d->Left) + d->Width && Y >= d->Top &&
          int64_t(Y) <= int64_t(d->Top) + d->Height) {
        hit = visit[k];
        break;
      }
    } else {
      const bool lastOne = k + 1 == visit.size();
      if ((X >= d->Left && (lastOne || X < DrawLines.Items(visit[k + 1])->Left)) || (k == 0 && X < d->Left)) {
        hit = visit[k];
        break;
      }
    }
  }
  if (hit < 0) return;
  const TRVDrawLineInfo *d = DrawLines.Items(hit);
  DrawLineNo = hit;
  if (!IsTextItem(d->ItemNo)) {
    const bool leftHalf = int64_t(X) - d->Left < int64_t(d->Width) / 2 + (d->Width & 1);
    DrawOffs = (leftHalf != rtl) ? 0 : 1;
  } else if (d->Length == 0) {
    DrawOffs = 1;
  } else {
    DrawOffs = TextOffsetAtX(hit, X);
  }
  if (!Strict && GetItemStyle(d->ItemNo) == rvsListMarker && hit + 1 < n) {
    DrawLineNo = hit + 1;
    DrawOffs = DrawLineStartOffset(hit + 1);
  }
}

void TCustomRVFormattedData::GetSelectionDrawBounds(bool Ordered, int &StartLine, int &StartOffs, int &EndLine,
                                                    int &EndOffs) const {
  StartLine = SelStartLine, StartOffs = SelStartOffs, EndLine = SelEndLine, EndOffs = SelEndOffs;
  // Draw positions kept across a reformat or a deletion may name lines or
  // offsets that are gone: they are read as the nearest that exist.
  const int n = DrawLines.Count();
  auto clamp = [&](int &Line, int &Offs) {
    if (Line < 0) return;
    if (n == 0) {
      Line = -1, Offs = 0;
      return;
    }
    if (Line >= n) Line = n - 1, Offs = DrawLineEndOffset(n - 1);
    Offs = std::clamp(Offs, DrawLineStartOffset(Line), DrawLineEndOffset(Line));
  };
  clamp(StartLine, StartOffs);
  clamp(EndLine, EndOffs);
  if (StartLine < 0 || EndLine < 0) StartLine = EndLine = -1, StartOffs = EndOffs = 0;
  if (Ordered && (StartLine > EndLine || (StartLine == EndLine && StartOffs > EndOffs))) {
    std::swap(StartLine, EndLine);
    std::swap(StartOffs, EndOffs);
  }
}

void TCustomRVFormattedData::GetSelectionItemBoundsRaw(bool Ordered, int &StartItem, int &StartOffs, int &EndItem,
                                                       int &EndOffs) const {
  int sl, so, el, eo;
  GetSelectionDrawBounds(Ordered, sl, so, el, eo);
  DrawPosToItemPos(sl, so, StartItem, StartOffs);
  DrawPosToItemPos(el, eo, EndItem, EndOffs);
}

void TCustomRVFormattedData::SetSelectionFromItems(int StartItem, int StartOffs, int EndItem, int EndOffs) {
  ItemPosToDrawPos(StartItem, StartOffs, SelStartLine, SelStartOffs);
  ItemPosToDrawPos(EndItem, EndOffs, SelEndLine, SelEndOffs);
}

void TCustomRVFormattedData::ClearSelection(bool FireEvent) {
  if (State & rvstClearingSelection) return;
  State |= rvstClearingSelection;
  EndMouseSelection();
  SelStartLine = SelEndLine = -1;
  SelStartOffs = SelEndOffs = 0;
  FocusedControlItem = -1;
  FPartialSelectedItem = nullptr;
  if (FireEvent) DoSelect();
  State &= ~rvstClearingSelection;
}

int TCustomRVFormattedData::FindFocusPlace(int From, bool Backwards, TCustomRVFormattedData *&Data, int &ItemNo) {
  Data = nullptr;
  ItemNo = -1;
  const TRVStyle *style = GetRVStyle();
  const int count = GetItemCount();
  const int step = Backwards ? -1 : 1;
  if (From >= count) From = -1;
  // The item the focus is in now goes on from its inner focus.
  if (From >= 0 && GetItem(From)->MoveFocus(!Backwards, Data, ItemNo)) return From;
  for (int i = From < 0 ? (Backwards ? count - 1 : 0) : From + step; i >= 0 && i < count; i += step) {
    TCustomRVItemInfo *item = GetItem(i);
    item->ClearFocus();
    if (item->MoveFocus(!Backwards, Data, ItemNo)) return i;
    if (item->GetStyleFlag(rvbsfAllowFocus, style)) {
      Data = this;
      ItemNo = i;
      return i;
    }
  }
  Data = nullptr;
  ItemNo = -1;
  return -1;
}

void TCustomRVFormattedData::SelectWholeDocument() {
  if (GetItemCount() == 0 || DrawLines.Count() == 0) return;
  ReleasePartialSelection(nullptr);
  SelStartLine = 0;
  SelStartOffs = DrawLineStartOffset(0);
  SelEndLine = DrawLines.Count() - 1;
  SelEndOffs = DrawLineEndOffset(SelEndLine);
  AfterSelectionSet();
  DoSelect();
}

void TCustomRVFormattedData::Clear() {
  ClearSoftPageBreaks();
  FLastReportedCP = nullptr;
  const uint32_t was = State & rvstClearing;
  State |= rvstClearing;
  ClearSelection(false);
  ClearFormatting();
  TCustomRVData::Clear();
  State = (State & ~rvstClearing) | was;
}

// ------------------------------------------------------------ the view's document

TRichVistaRVData::TRichVistaRVData(TRVFormatHost *Host) : FFormatHost(Host) { SetHost(Host); }

int TRichVistaRVData::VCenterShift() const {
  const int ch = FFormatHost->ClientHeight();
  int shift = 0;
  if (FFormatHost->VAlign == tlCenter) shift = (ch - DocumentHeight) / 2;
  else if (FFormatHost->VAlign == tlBottom) shift = ch - DocumentHeight;
  return std::max(0, shift);
}

int TRichVistaRVData::GetVOffs() const {
  return RVSatAdd(int64_t(FFormatHost->VScrollPos()) * FFormatHost->VSmallStep(), -int64_t(VCenterShift()));
}

void TRichVistaRVData::SetDocumentAreaSize(int Width, int Height, bool Redraw) {
  const int step = std::max(1, FFormatHost->VSmallStep());
  FFormatHost->UpdateScrollBars(Width, static_cast<int>((int64_t(Height) + step - 1) / step), Redraw);
}

void TRichVistaRVData::AdjustVScrollUnits() {
  int step = std::max(1, FFormatHost->VSmallStep());
  const int h = std::max(0, DocumentHeight);
  if (h / step < RVMaxScrollUnits + 1) {
    if (step > 10 && h / 10 < RVMaxScrollUnits + 1) step = 10;
  } else {
    step = h / RVMaxScrollUnits;
    if (h / step > RVMaxScrollUnits) ++step;
  }
  FFormatHost->SetVSmallStep(step);
}

void TRichVistaRVData::ScrollTo(int Y, bool Redraw) {
  if (State & rvstNoScroll) return;
  FFormatHost->ScrollTo(Y, Redraw);
}

void TRichVistaRVData::HScrollTo(int X) {
  if (State & rvstNoScroll) return;
  FFormatHost->HScrollTo(X);
}

TColor TRichVistaRVData::GetColor() const {
  if (FFormatHost->Color != clNone) return FFormatHost->Color;
  return TCustomRVFormattedData::GetColor();
}

} // namespace kc
