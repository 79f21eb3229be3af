// The selection of a formatted document: reading and setting it in item
// positions, asking about it, words and paragraphs, the word under a point,
// and the selection a mouse drag makes (by characters, words, paragraphs or
// whole screen lines).
#include <algorithm>
#include <climits>

#include "richtext/document/CRVFData.h"
#include "richtext/document/RVUni.h"
#include "platform/Canvas.h"

namespace kc {

namespace {

// Draw positions compared: line first, then offset.
int ComparePos(int LineA, int OffsA, int LineB, int OffsB) {
  if (LineA != LineB) return LineA < LineB ? -1 : 1;
  if (OffsA != OffsB) return OffsA < OffsB ? -1 : 1;
  return 0;
}

} // namespace

void TCustomRVFormattedData::GetSelectionBounds(int &StartItem, int &StartOffs, int &EndItem, int &EndOffs,
                                                bool Ordered) const {
  GetSelectionItemBoundsRaw(Ordered, StartItem, StartOffs, EndItem, EndOffs);
}

void TCustomRVFormattedData::SetSelectionBounds(int StartItem, int StartOffs, int EndItem, int EndOffs) {
  const int count = GetItemCount();
  // A list marker cannot hold a place: the place moves to the item after
  // it, or stays at the marker's end when nothing follows.
  auto offMarker = [&](int &Item, int &Offs) {
    if (Item < 0 || count == 0) return;
    Item = std::min(Item, count - 1);
    if (GetItemStyle(Item) != rvsListMarker) return;
    if (Item + 1 < count) {
      ++Item;
      Offs = GetOffsBeforeItem(Item);
    } else {
      Offs = std::clamp(Offs, 0, 1);
    }
  };
  offMarker(StartItem, StartOffs);
  offMarker(EndItem, EndOffs);
  SetSelectionFromItems(StartItem, StartOffs, EndItem, EndOffs);
  AfterSelectionSet();
  SelectionChanged();
}

bool TCustomRVFormattedData::HasSelection(bool ResetEmpty, bool CheckPartial) {
  if (auto *sub = dynamic_cast<TCustomRVFormattedData *>(GetActiveSubData()); sub && sub != this)
    return sub->HasSelection(ResetEmpty, CheckPartial);
  if (CheckPartial && FPartialSelectedItem) return true;
  if (SelectionExists()) return true;
  if (ResetEmpty && SelStartLine >= 0) {
    SelStartLine = SelEndLine = -1;
    SelStartOffs = SelEndOffs = 0;
  }
  return false;
}

bool TCustomRVFormattedData::SelectionExists() const {
  int sl, so, el, eo;
  GetSelectionDrawBounds(false, sl, so, el, eo);
  return sl >= 0 && el >= 0 && (sl != el || so != eo);
}

void TCustomRVFormattedData::GetAnchorDrawPos(int &Line, int &Offs) const {
  int el, eo;
  GetSelectionDrawBounds(false, Line, Offs, el, eo);
}

bool TCustomRVFormattedData::IsPosInSelection(int ItemNo, int Offs) const {
  // Inside a nested document the owning item may be selected whole in the
  // parent.
  if (auto *parent = dynamic_cast<const TCustomRVFormattedData *>(GetParentData()); parent && parent != this) {
    int owner = -1;
    void *location = nullptr;
    GetParentInfo(owner, location);
    if (owner >= 0 && parent->IsPosInSelection(owner, 0) && parent->IsPosInSelection(owner, 1)) return true;
  }
  if (!SelectionExists() || ItemNo < 0 || ItemNo >= GetItemCount()) return false;
  int si, so, ei, eo;
  GetSelectionBounds(si, so, ei, eo, true);
  auto before = [](int ia, int oa, int ib, int ob) { return ia < ib || (ia == ib && oa < ob); };
  return !before(ItemNo, Offs, si, so) && !before(ei, eo, ItemNo, Offs);
}

TGraphic *TCustomRVFormattedData::GetSelectedImage() const {
  if (auto *sub = dynamic_cast<TCustomRVFormattedData *>(GetActiveSubData()); sub && sub != this)
    return sub->GetSelectedImage();
  if (!SelectionExists()) return nullptr;
  int si, so, ei, eo;
  GetSelectionBounds(si, so, ei, eo, true);
  if (si != ei || si < 0 || IsTextItem(si) || so != 0 || eo != 1) return nullptr;
  return GetItem(si)->GetPicture();
}

bool TCustomRVFormattedData::ExpandSelectionToParagraphs(bool OnlyIfMultiple) {
  if (!SelectionExists()) return false;
  int si, so, ei, eo;
  GetSelectionBounds(si, so, ei, eo, false);
  const bool backwards = si > ei || (si == ei && so > eo);
  if (backwards) std::swap(si, ei), std::swap(so, eo);
  const int firstPara = GetFirstParaItemNo(si);
  if (OnlyIfMultiple && GetFirstParaItemNo(ei) == firstPara) return false;
  int last = ei;
  while (last + 1 < GetItemCount() && !GetItem(last + 1)->IsParaStart()) ++last;
  const int a = firstPara, ao = GetOffsBeforeItem(firstPara), b = last, bo = GetItemEndOffset(last);
  if (backwards) SetSelectionFromItems(b, bo, a, ao);
  else SetSelectionFromItems(a, ao, b, bo);
  return true;
}

bool TCustomRVFormattedData::IsParagraphStartLine(int DrawLineNo) const {
  if (DrawLineNo == 0) return true;
  if (DrawLineNo < 0 || DrawLineNo >= DrawLines.Count()) return false;
  const int item = DrawLines.Items(DrawLineNo)->ItemNo;
  return FirstDrawLineOfItem(item) == DrawLineNo && IsParaStart(item);
}

bool TCustomRVFormattedData::SelectionSpansParagraphs() const {
  if (!SelectionExists()) return false;
  int sl, so, el, eo;
  GetSelectionDrawBounds(true, sl, so, el, eo);
  for (int i = sl + 1; i <= el; ++i)
    if (IsParagraphStartLine(i)) return true;
  return false;
}

int TCustomRVFormattedData::GetLineNumber(int ItemNo, int Offs) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return 0;
  int line = -1, offs = 0;
  ItemPosToDrawPos(ItemNo, Offs, line, offs);
  if (line < 0) return 0;
  int n = 0;
  for (int i = 0; i <= line; ++i)
    if (i == 0 || DrawLines.Items(i)->FromNewLine) ++n;
  return n;
}

void TCustomRVFormattedData::SetPartialSelectionItem(TCustomRVItemInfo *Item) {
  ClearSelection(false);
  FPartialSelectedItem = Item;
  SelectionChanged();
}

void TCustomRVFormattedData::ReleasePartialSelection(TCustomRVItemInfo *Except) {
  if (FPartialSelectedItem && FPartialSelectedItem != Except) FPartialSelectedItem = nullptr;
}

void TCustomRVFormattedData::FreeItem(std::unique_ptr<TCustomRVItemInfo> Item, bool Clearing) {
  if (Item && Item.get() == FPartialSelectedItem) FPartialSelectedItem = nullptr;
  TCustomRVData::FreeItem(std::move(Item), Clearing);
}

void TCustomRVFormattedData::SelectDrawRange(int DrawLineNo, int DrawOffs, int Length, bool Backwards) {
  if (DrawLineNo < 0 || DrawLineNo >= DrawLines.Count()) return;
  int item = -1, offs = 0;
  DrawPosToItemPos(DrawLineNo, DrawOffs, item, offs);
  int endItem = item, endOffs = offs;
  // Walk Length characters forward through text items; a non-text item
  // counts as one character.
  int left = std::max(0, Length);
  while (left > 0) {
    const int end = GetItemEndOffset(endItem);
    const int room = end - endOffs;
    if (room >= left) {
      endOffs += left;
      left = 0;
    } else if (endItem + 1 < GetItemCount()) {
      left -= room;
      ++endItem;
      endOffs = GetOffsBeforeItem(endItem);
    } else {
      endOffs = end;
      left = 0;
    }
  }
  if (Backwards) SetSelectionFromItems(endItem, endOffs, item, offs);
  else SetSelectionFromItems(item, offs, endItem, endOffs);
  const TRVDrawLineInfo *d = DrawLines.Items(DrawLineNo);
  ScrollRectIntoView(d->Left, d->Top, d->Height, d->Width);
  AfterSelectionSet();
  SelectionChanged();
}

bool TCustomRVFormattedData::GetItemCoords(int ItemNo, int &Left, int &Top) const {
  const int dl = FirstDrawLineOfItem(ItemNo);
  if (dl < 0 || dl >= DrawLines.Count()) return false;
  Left = DrawLines.Items(dl)->Left;
  Top = DrawLines.Items(dl)->Top;
  return true;
}

bool TCustomRVFormattedData::GetItemClientCoords(int ItemNo, int &Left, int &Top) const {
  if (!GetItemCoords(ItemNo, Left, Top)) return false;
  Left = RVSatAdd(Left, -int64_t(GetHOffs()));
  Top = RVSatAdd(Top, -int64_t(GetVOffs()));
  return true;
}

void TCustomRVFormattedData::ScrollRectIntoView(int Left, int Top, int Height, int Width) {
  const int hoffs = GetHOffs(), voffs = GetVOffs(), cw = GetWidth(), ch = GetHeight();
  if (Left < hoffs || int64_t(Left) + Width > int64_t(hoffs) + cw) HScrollTo(std::max(0, Left - cw / 4));
  const int64_t bottom = int64_t(Top) + Height;
  const int step = std::max(1, GetVSmallStep());
  const int64_t visBottom = int64_t(voffs) + ch;
  if (visBottom - 2 * step < bottom && Top < int64_t(voffs) + step && Top >= voffs) return;
  if (bottom <= visBottom && Top < voffs) ScrollTo(Top, true);
  else if (bottom > visBottom) ScrollTo(RVSatAdd(bottom - ch, step), true);
}

void TCustomRVFormattedData::SelectionChanged() {
  InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
  DoSelect();
}

// ------------------------------------------------------------------ words

bool TCustomRVFormattedData::IsInsideWord(int DrawLineNo, int DrawOffs, int &First, int &Last) const {
  First = Last = -1;
  if (DrawLineNo < 0 || DrawLineNo >= DrawLines.Count()) return false;
  const TRVDrawLineInfo *d = DrawLines.Items(DrawLineNo);
  if (!IsTextItem(d->ItemNo)) return false;
  if (DrawOffs <= 1 || DrawOffs >= d->Length + 1) return false;
  const std::string &s = GetItemTextRaw(d->ItemNo);
  const TRVItemOptions opt = GetItemOptions(d->ItemNo);
  auto delim = [&](int drawOffs) { return IsDelimiter(s, drawOffs + d->Offs - 1, opt); };
  if (delim(DrawOffs - 1) || delim(DrawOffs)) return false;
  First = DrawOffs;
  while (First > 1 && !delim(First - 1)) --First;
  Last = DrawOffs;
  while (Last <= d->Length && !delim(Last)) ++Last;
  return true;
}

bool TCustomRVFormattedData::FindWordAt(int X, int Y, TRVWordHit &Hit) {
  Hit = TRVWordHit{};
  const int x = RVSatAdd(X, GetHOffs()), y = RVSatAdd(Y, GetVOffs());
  const int dl = FindDrawLineAtPoint(x, y);
  if (dl < 0) return false;
  const TRVDrawLineInfo *d = DrawLines.Items(dl);
  Hit.RVData = this;
  Hit.ItemNo = d->ItemNo;
  Hit.StyleNo = GetItemStyle(d->ItemNo);
  if (!IsTextItem(d->ItemNo)) return true;
  const std::string &s = GetItemTextRaw(d->ItemNo);
  const TRVItemOptions opt = GetItemOptions(d->ItemNo);
  const uint8_t uopt = opt.Has(rvioUnicode) ? rvuniUnicodeBit : 0;
  const int len = GetTextLength(s, uopt);
  if (len == 0) return false;
  int fit = 0;
  if (TCanvas *canvas = GetCanvas()) {
    GetRVStyle()->ApplyStyle(*canvas, GetActualStyle(GetItem(d->ItemNo)), GetItemBiDiMode(d->ItemNo));
    const std::string piece = CopyChars(s, d->Offs, d->Length, uopt);
    std::vector<int> ext;
    int f = 0;
    GetTextFit(*canvas, piece, INT_MAX / 2, uopt, &ext, f);
    const int64_t px = int64_t(x) - d->Left - d->ExtraSpaceBefore;
    while (fit < int(ext.size()) && fit < d->Length && ext[size_t(fit)] <= px) ++fit;
  }
  Hit.Offs = std::min(fit + d->Offs, len);
  if (IsDelimiter(s, Hit.Offs, opt)) return true;
  int first = Hit.Offs, last = Hit.Offs;
  while (first > 1 && !IsDelimiter(s, first - 1, opt)) --first;
  while (last < len && !IsDelimiter(s, last + 1, opt)) ++last;
  Hit.WordStart = first;
  Hit.Word = CopyChars(s, first, last - first + 1, uopt);
  return true;
}

std::string TCustomRVFormattedData::WordForEvent(const TRVWordHit &Hit) const {
  if (!Hit.RVData || Hit.ItemNo < 0 || Hit.ItemNo >= Hit.RVData->GetItemCount()) return {};
  const TCustomRVItemInfo *item = Hit.RVData->GetItem(Hit.ItemNo);
  if (!item->IsUnicode()) return Hit.Word;
  return UnicodeToAnsi(Hit.RVData->GetStyleCodePage(Hit.RVData->GetActualStyle(item)), Hit.Word);
}

bool TCustomRVFormattedData::SelectWordAt(int X, int Y) {
  TRVWordHit hit;
  if (!FindWordAt(X, Y, hit) || !hit.RVData) return false;
  TCustomRVFormattedData *d = hit.RVData;
  if (!d->IsTextItem(hit.ItemNo)) {
    d->SetSelectionFromItems(hit.ItemNo, 0, hit.ItemNo, 1);
  } else {
    const uint8_t uopt = d->GetItem(hit.ItemNo)->IsUnicode() ? rvuniUnicodeBit : 0;
    const int start = hit.Word.empty() ? hit.Offs : hit.WordStart;
    d->SetSelectionFromItems(hit.ItemNo, start, hit.ItemNo, start + GetTextLength(hit.Word, uopt));
  }
  d->MouseSel.DblClickedWord = true;
  d->MouseSel.Selecting = false;
  d->AfterSelectionSet();
  return true;
}

// -------------------------------------------------------- mouse selection

void TCustomRVFormattedData::StartMouseSelection(int X, int Y, TRVShiftState Shift) {
  FSelectingInfo.reset();
  MouseSel.LineSelecting = false;
  int line = -1, offs = -1;
  HitTestDrawLine(X, Y, false, line, offs);
  if (line < 0) return;
  const bool shift = Shift & TRVShift::Shift;
  const bool had = SelectionExists();
  SelEndLine = line, SelEndOffs = offs;
  if (!shift || !had) SelStartLine = line, SelStartOffs = offs;
  MouseSel.Selecting = true;
  if (X < GetLeftMargin() && GetBiDiMode() != rvbdRightToLeft && !shift) {
    MouseSel.LineSelecting = true;
    MouseSel.LineAnchor = line;
    ExtendLineSelection(line);
    return;
  }
  const TRVStyle *style = GetRVStyle();
  const TRVSelectionMode mode = style ? style->SelectionMode : rvsmChar;
  if (mode == rvsmChar) return;
  auto info = std::make_unique<TRVSelectingInfo>();
  info->StartLine = SelStartLine;
  info->StartOffs = SelStartOffs;
  info->LastEndOffs = SelEndOffs;
  if (mode == rvsmParagraph) {
    info->StartState = 3;
    FSelectingInfo = std::move(info);
    // A press in paragraph mode takes its whole paragraph at once.
    ExtendMouseSelection(X, Y);
    return;
  }
  int first = -1, last = -1;
  if (IsInsideWord(info->StartLine, info->StartOffs, first, last)) {
    info->StartWordFirst = first;
    info->StartWordLast = last;
    info->StartState = 0;
  } else {
    info->StartState = 2;
  }
  FSelectingInfo = std::move(info);
}

void TCustomRVFormattedData::ExtendLineSelection(int HitLine) {
  int af = 0, al = 0, hf = 0, hl = 0;
  GetScreenLineRange(MouseSel.LineAnchor, af, al);
  GetScreenLineRange(HitLine, hf, hl);
  if (hf >= af) {
    SelStartLine = af, SelStartOffs = DrawLineStartOffset(af);
    SelEndLine = hl, SelEndOffs = DrawLineEndOffset(hl);
  } else {
    SelStartLine = al, SelStartOffs = DrawLineEndOffset(al);
    SelEndLine = hf, SelEndOffs = DrawLineStartOffset(hf);
  }
  if (FSelectingInfo && FSelectingInfo->StartState == 3) ExpandSelectionToParagraphs(false);
}

bool TCustomRVFormattedData::ExtendMouseSelection(int X, int Y) {
  const int was[4] = {SelStartLine, SelStartOffs, SelEndLine, SelEndOffs};
  // The point is kept inside the document, so that a drag above the first
  // or below the last line reaches the document's ends.
  const int width = RVSatAdd(RVSatAdd(GetLeftMargin(), std::max(0, DocumentWidth)), GetRightMargin());
  const int n = DrawLines.Count();
  if (n == 0) return false;
  int line = -1, offs = -1;
  const TRVDrawLineInfo *lastLine = DrawLines.Items(n - 1);
  if (Y < DrawLines.Items(0)->Top) {
    line = 0, offs = DrawLineStartOffset(0);
  } else if (int64_t(Y) >= int64_t(lastLine->Top) + lastLine->Height) {
    line = n - 1, offs = DrawLineEndOffset(n - 1);
  } else {
    Y = std::clamp(Y, 0, std::max(0, DocumentHeight));
    X = std::clamp(X, 0, std::max(0, width));
    HitTestDrawLine(X, Y, false, line, offs);
  }
  if (line < 0) return false;
  if (MouseSel.LineSelecting) {
    ExtendLineSelection(line);
  } else {
    SelEndLine = line, SelEndOffs = offs;
    if (TRVSelectingInfo *info = FSelectingInfo.get()) {
      if (info->StartState == 3) {
        SelStartLine = info->StartLine, SelStartOffs = info->StartOffs;
        const bool empty = SelStartLine == SelEndLine && SelStartOffs == SelEndOffs;
        if (empty) {
          // The place pressed alone still takes its paragraph.
          int item = -1, io = 0;
          DrawPosToItemPos(line, offs, item, io);
          int last = item;
          while (last + 1 < GetItemCount() && !GetItem(last + 1)->IsParaStart()) ++last;
          const int first = GetFirstParaItemNo(item);
          SetSelectionFromItems(first, GetOffsBeforeItem(first), last, GetItemEndOffset(last));
        } else {
          ExpandSelectionToParagraphs(false);
        }
      } else {
        SnapWordSelection(line, offs);
      }
    }
  }
  return was[0] != SelStartLine || was[1] != SelStartOffs || was[2] != SelEndLine || was[3] != SelEndOffs;
}

void TCustomRVFormattedData::SnapWordSelection(int Line, int Offs) {
  TRVSelectingInfo &info = *FSelectingInfo;
  const bool hasWord = info.StartWordFirst >= 0;
  // Where the hit lies against the first word (or the place pressed).
  const int lo = hasWord ? info.StartWordFirst : info.StartOffs;
  const int hi = hasWord ? info.StartWordLast : info.StartOffs;
  const bool after = ComparePos(Line, Offs, info.StartLine, hi) > 0;
  const bool before = ComparePos(Line, Offs, info.StartLine, lo) < 0;
  const bool inFirst = hasWord && !after && !before;
  if (info.StartState == 0) {
    if (inFirst) {
      SelStartLine = info.StartLine, SelStartOffs = info.StartOffs;
      return;
    }
    SelStartLine = info.StartLine;
    SelStartOffs = after ? info.StartWordFirst : info.StartWordLast;
    info.StartState = 1;
  } else if (info.StartState == 1 && inFirst) {
    SelStartLine = info.StartLine, SelStartOffs = info.StartOffs;
    info.StartState = 2;
    return;
  }
  int first = -1, last = -1;
  if (!IsInsideWord(Line, Offs, first, last)) {
    info.EndLine = info.EndWordFirst = info.EndWordLast = -1;
    info.EndState = 0;
    return;
  }
  if (Line != info.EndLine || first != info.EndWordFirst || last != info.EndWordLast) {
    info.EndLine = Line, info.EndWordFirst = first, info.EndWordLast = last;
    info.EndState = 0;
    info.LastEndOffs = Offs;
  } else if (info.EndState == 0) {
    const bool back = before ? Offs > info.LastEndOffs : Offs < info.LastEndOffs;
    if (back) info.EndState = 2;
    else info.LastEndOffs = Offs;
  }
  if (info.EndState != 0 || inFirst) return;
  SelEndOffs = before ? first : last;
}

void TCustomRVFormattedData::EndMouseSelection() {
  MouseSel.Selecting = false;
  MouseSel.LineSelecting = false;
  MouseSel.LineAnchor = -1;
  FSelectingInfo.reset();
}

} // namespace kc
