// Formatting a document into draw lines at a width: wrapping text at spaces
// and line-break opportunities, placing pictures, markers and breaks, and
// stacking lines with paragraph spacing. Line finishing is in RVFormatLine.
#include <algorithm>
#include <climits>

#include "platform/Canvas.h"
#include "platform/CodePage.h"
#include "platform/DictionaryBreaks.h"
#include "platform/GraphemeClusters.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVMultiDrawItem.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

bool IsMarker(const TCustomRVData &D, int ItemNo) {
  return ItemNo >= 0 && ItemNo < D.GetItemCount() && D.GetItem(ItemNo)->StyleNo == rvsListMarker;
}

char16_t CharAt(const std::string &Text, bool Unicode, int i) {
  return Unicode ? UnitAt(Text, static_cast<size_t>(i)) : static_cast<unsigned char>(Text[static_cast<size_t>(i)]);
}

// Count UTF-16 units of raw UTF-16 text from Start.
std::u16string Units(const std::string &Text, int Start, int Count) {
  std::u16string w(static_cast<size_t>(Count), u'\0');
  for (int i = 0; i < Count; ++i) w[static_cast<size_t>(i)] = UnitAt(Text, static_cast<size_t>(Start + i));
  return w;
}

// The length of the cluster at Start, of at most Count units.
int FirstClusterLength(const std::string &Text, int Start, int Count) {
  const std::u16string w = Units(Text, Start, std::min(Count, 64));
  return std::max(1, GraphemeEndAfter(w, 0));
}

// The double-byte code page (Japanese, Chinese, Korean) of 8-bit text in a
// font of this charset, or 0 for a single-byte one.
int DoubleByteCodePage(uint8_t Charset) {
  const int cp = codePageOfCharset(Charset);
  return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361 ? cp : 0;
}

// The length of the 8-bit character at Start: a lead byte and its trail
// are one character, never cut apart.
int CharLength(const std::string &Text, int Start, int Count, int CodePage) {
  return CodePage && Count > 1 && isLeadByte(CodePage, static_cast<uint8_t>(Text[static_cast<size_t>(Start)])) ? 2 : 1;
}

// The largest place at or before N (from Start) where an 8-bit character
// starts.
int CharStartAtOrBefore(const std::string &Text, int Start, int Count, int N, int CodePage) {
  int i = 0, last = 0;
  while (i < N) {
    last = i;
    i += CharLength(Text, Start + i, Count - i, CodePage);
  }
  return i == N ? N : last;
}

// How far the glyphs of the characters Start..Start+Count-1 reach above and
// below the baseline beyond the current font's cell: fallback fonts (other
// scripts, emoji) may be taller than the style's font.
void FallbackOverhang(TCanvas &Canvas, const TextMetrics &tm, const std::string &Text, bool Unicode, int Start,
                      int Count, int &Above, int &Below) {
  int ascent = tm.tmAscent, descent = tm.tmDescent;
  if (Unicode) {
    std::u16string w(static_cast<size_t>(Count), u'\0');
    for (int i = 0; i < Count; ++i) w[static_cast<size_t>(i)] = UnitAt(Text, static_cast<size_t>(Start + i));
    Canvas.textVerticalExtentW(w, ascent, descent);
  } else {
    Canvas.textVerticalExtent(std::string_view(Text).substr(static_cast<size_t>(Start), static_cast<size_t>(Count)),
                              ascent, descent);
  }
  Above = std::max(0, ascent - tm.tmAscent);
  Below = std::max(0, descent - tm.tmDescent);
}

// Where a line of Unicode text that fits N units from Pos (of Remaining)
// breaks: the index from Pos of the character it breaks after, or -1. The
// opportunity search reads only the fitted part and the character after
// it. A break right after the fitted part leaves the line full; one inside
// a cluster (jamo of one syllable, say) is passed over for an earlier one.
int UnicodeWrapPoint(const std::string &Text, int Pos, int N, int Remaining) {
  int wrap = -1;
  const std::u16string w = Units(Text, Pos, N + 1);
  const std::vector<int> bounds = GraphemeBoundaryList(w);
  auto atBoundary = [&](int i) { return std::binary_search(bounds.begin(), bounds.end(), i); };
  int b = FindLineBreak(w, N);
  while (b >= 0 && b < N && !atBoundary(b + 1)) {
    const int earlier = FindLineBreak(w, b);
    b = earlier < b ? earlier : -1;
  }
  if (b >= 0 && b < N) wrap = b;
  // Thai and its neighbours break between words, which the table cannot
  // tell: the dictionary reads the fitted part and a little more, so that
  // the word the line ends in is seen whole.
  if (NeedsDictionaryBreaks(w)) {
    const int more = std::min(Remaining, N + 32);
    const std::vector<int> words = DictionaryLineBreaks(Units(Text, Pos, more));
    for (auto it = words.rbegin(); it != words.rend(); ++it) {
      if (*it > N || *it - 1 <= wrap) continue;
      if (atBoundary(*it)) return *it - 1;
    }
  }
  return wrap;
}

// The same for 8-bit text: the last space. The character right after the
// fitted part counts: a space there is a wrap point that leaves the line
// full. Without trimming it would hang outside the line, so the search
// starts before it.
int AnsiWrapPoint(const std::string &Text, int Pos, int N, bool Trim) {
  for (int i = Trim ? N : N - 1; i >= 0; --i)
    if (Text[static_cast<size_t>(Pos + i)] == ' ') return i;
  return -1;
}

// Where a line that fits N characters from Pos (of Remaining) breaks, -1
// when nowhere. With trimming, a space right after the fitted part is a
// wrap point too when text follows it (More): it is swallowed.
int WrapPoint(const std::string &Text, bool Unicode, int Pos, int N, int Remaining, bool Trim, bool More) {
  const int wrap = Unicode ? UnicodeWrapPoint(Text, Pos, N, Remaining) : AnsiWrapPoint(Text, Pos, N, Trim);
  if (wrap < 0 && Trim && CharAt(Text, Unicode, Pos + N) == u' ' && More) return N;
  return wrap;
}

} // namespace

// ---------------------------------------------------------------- measuring

void TCustomRVFormattedData::BuildRuler(const std::string &Text, bool Unicode, int Start, int Count) {
  FRuler.clear();
  FRulerText = nullptr;
  if (Count <= 0) return;
  TSize whole;
  if (Unicode) {
    std::u16string w(static_cast<size_t>(Count), u'\0');
    for (int i = 0; i < Count; ++i) w[static_cast<size_t>(i)] = UnitAt(Text, static_cast<size_t>(Start + i));
    whole = FS.Canvas->textExtentExW(w, INT32_MAX, nullptr, &FRuler);
  } else {
    whole =
        FS.Canvas->textExtentEx(std::string_view(Text).substr(static_cast<size_t>(Start), static_cast<size_t>(Count)),
                                INT32_MAX, nullptr, &FRuler);
  }
  // The canvas's widths add up, so a run's width is the difference of the
  // extents around it; a canvas that gives no extents is asked each time.
  if (static_cast<int>(FRuler.size()) != Count) {
    FRuler.clear();
    return;
  }
  FRulerText = &Text;
  FRulerStart = Start;
  FRulerHeight = whole.cy;
}

TSize TCustomRVFormattedData::MeasureChars(const std::string &Text, bool Unicode, int Start, int Count) {
  if (Count <= 0) return {0, FS.tm.tmHeight};
  if (FRulerText == &Text && Start >= FRulerStart && Start + Count <= FRulerStart + static_cast<int>(FRuler.size())) {
    const int a = Start - FRulerStart;
    return {FRuler[static_cast<size_t>(a + Count - 1)] - (a > 0 ? FRuler[static_cast<size_t>(a - 1)] : 0),
            FRulerHeight};
  }
  if (Unicode) {
    std::u16string w(static_cast<size_t>(Count), u'\0');
    for (int i = 0; i < Count; ++i) w[static_cast<size_t>(i)] = UnitAt(Text, static_cast<size_t>(Start + i));
    return FS.Canvas->textExtentW(w);
  }
  return FS.Canvas->textExtent(std::string_view(Text).substr(static_cast<size_t>(Start), static_cast<size_t>(Count)));
}

int TCustomRVFormattedData::CountFittingChars(const std::string &Text, bool Unicode, int Start, int Count,
                                              int Available, bool NoWrap, int &FitExtent) {
  FitExtent = -1;
  if (NoWrap) return Count;
  const int whole = MeasureChars(Text, Unicode, Start, Count).cx;
  if (whole <= Available && whole > 0) {
    FitExtent = whole;
    return Count;
  }
  // Interpolation search over the count; the product is taken in 64 bits so
  // that long texts with wide characters cannot overflow it.
  int lo = 0, loExt = 0, hi = Count, hiExt = whole;
  while (lo + 1 < hi) {
    int64_t span = int64_t(hiExt) - loExt;
    if (span <= 0) span = 1;
    int64_t guess = lo + int64_t(hi - lo) * (int64_t(Available) - loExt) / span;
    guess = std::clamp<int64_t>(guess, lo + 1, hi - 1);
    const int g = static_cast<int>(guess);
    const int ext = MeasureChars(Text, Unicode, Start, g).cx;
    if (ext == Available) {
      lo = g, loExt = ext;
      break;
    }
    if (ext < Available && ext > 0) lo = g, loExt = ext;
    else hi = g, hiExt = ext;
  }
  int n = lo;
  FitExtent = loExt;
  // Never end inside a cluster (a surrogate pair, a letter and its marks, an
  // emoji sequence): what fits is the clusters that fit whole.
  if (Unicode && n > 0 && n < Count) {
    const std::u16string w = Units(Text, Start, n + 1);
    const int b = GraphemeStartAtOrBefore(w, n);
    if (b != n) n = b, FitExtent = -1;
  }
  if (!Unicode && n > 0 && n < Count) {
    const TFontInfo *fi = GetRVStyle()->TextStyles().GetTextStyleSafe(FS.LastStyle);
    if (const int cp = DoubleByteCodePage(fi ? fi->Charset : 1)) {
      const int b = CharStartAtOrBefore(Text, Start, Count, n, cp);
      if (b != n) n = b, FitExtent = -1;
    }
  }
  return n;
}

// ---------------------------------------------------------------- styles

void TCustomRVFormattedData::ApplyTextStyle(int StyleNo, int ItemNo) {
  if (StyleNo == FS.LastStyle) return;
  FS.LastStyle = StyleNo;
  TRVStyle *style = GetRVStyle();
  style->ApplyStyle(*FS.Canvas, StyleNo, GetItemBiDiMode(ItemNo));
  const TFontInfo *fi = style->TextStyles().GetTextStyleSafe(StyleNo);
  if (fi && fi->CharSpacing != 0 && FS.sad.ppixScreen != FS.sad.ppixDevice &&
      GetItemBiDiMode(ItemNo) == rvbdUnspecified)
    FS.Canvas->setTextCharacterExtra(HScale(fi->CharSpacing));
  FS.tm = FS.Canvas->textMetrics();
  FS.VShift = fi ? MulDiv(FS.tm.tmHeight, fi->VShift, 100) : 0;
  if (FS.VShift == -1 && fi && fi->VShift != 0 && FS.tm.tmHeight != 0) FS.VShift = 0;
}

int TCustomRVFormattedData::ParaSpaceAfter(int ItemNo) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return 0;
  const TParaInfo *p = GetRVStyle()->ParaStyles().GetParaStyleSafe(GetItemPara(ItemNo));
  return p ? std::clamp(p->SpaceAfter, -RVMaxCoord / 4, RVMaxCoord / 4) : 0;
}

int TCustomRVFormattedData::ParaSpaceBefore(int ItemNo) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return 0;
  const TParaInfo *p = GetRVStyle()->ParaStyles().GetParaStyleSafe(GetItemPara(ItemNo));
  return p ? std::clamp(p->SpaceBefore, -RVMaxCoord / 4, RVMaxCoord / 4) : 0;
}

// ---------------------------------------------------------------- lines

void TCustomRVFormattedData::GetLineIndents(int ItemNo, bool FirstLine, int &Left, int &Right) const {
  const TRVStyle *style = GetRVStyle();
  const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(GetItemPara(ItemNo));
  const TCustomRVItemInfo *item = GetItem(ItemNo);
  const bool rtl = GetParaBiDiMode(GetItemPara(ItemNo)) == rvbdRightToLeft;
  int paraLeft = p ? p->LeftIndent : 0, paraRight = p ? p->RightIndent : 0;
  int first = 0;
  if (FirstLine && p && !item->GetLineBreakBefore() && !item->GetFlag(rvbpFullWidth)) first = p->FirstIndent;
  // A list paragraph: the marker's line starts at the marker indent, the
  // text and the later lines at the level's left indent.
  const int firstItem = FS.FirstParaItem >= 0 ? FS.FirstParaItem : GetFirstParaItemNo(ItemNo);
  if (IsMarker(*this, firstItem)) {
    const auto *m = static_cast<const TRVMarkerItemInfo *>(GetItem(firstItem));
    if (const TRVListLevel *L = m->GetLevelInfo(style)) {
      const int listIndent = FirstLine && ItemNo == firstItem ? L->MarkerIndent : L->LeftIndent;
      if (rtl) Left = paraLeft, Right = listIndent;
      else Left = listIndent, Right = paraRight;
      return;
    }
  }
  Left = paraLeft + first;
  Right = paraRight;
}

void TCustomRVFormattedData::StartNewLine(int ItemNo, bool ItemStartsLine) {
  const bool newPara = ItemStartsLine && GetItem(ItemNo)->IsParaStart();
  // A space that ends a line at a wrap point hangs outside it. Paragraph
  // ends are not wrap points: trimming there would make the result depend on
  // whether a paragraph follows, which a partial pass cannot know.
  if (!FS.LineTrimmed && (GetFlags() & rvflTrim) && !newPara && !(ItemStartsLine && FS.NewPara) && FS.DrawIndex > 0 &&
      FS.DrawIndex - 1 > FS.LineFirst) {
    TRVDrawLineInfo *prev = DrawLines.Items(FS.DrawIndex - 1);
    if (prev && prev->ItemNo >= 0 && prev->ItemNo < GetItemCount() && IsTextItem(prev->ItemNo) && prev->Length > 0 &&
        !prev->FromNewLine && !IsMarker(*this, DrawLines.Items(FS.DrawIndex - 2)->ItemNo)) {
      const std::string &t = GetItemTextRaw(prev->ItemNo);
      const uint8_t opt = GetItemOptions(prev->ItemNo).Raw_();
      if (IsSpaceAt(t, prev->Offs + prev->Length - 1, opt)) {
        // The piece's link area, the last one added, goes or narrows with it.
        TRVJumpInfo *jump =
            !Jumps.empty() && Jumps.back()->RVData == this && Jumps.back()->DrawLineNo == FS.DrawIndex - 1
                ? Jumps.back().get()
                : nullptr;
        if (prev->Length == 1 && prev->ItemNo == ItemNo) {
          DrawLines.Delete(FS.DrawIndex - 1);
          --FS.DrawIndex;
          if (jump) Jumps.pop_back();
        } else {
          --prev->Length;
          const int saved = FS.LastStyle;
          const int styleNo = GetActualStyle(GetItem(prev->ItemNo));
          ApplyTextStyle(styleNo, prev->ItemNo);
          const bool uni = GetItem(prev->ItemNo)->IsUnicode();
          const std::string shown =
              ApplyAllCaps(t,
                           GetRVStyle()->TextStyles().GetTextStyleSafe(styleNo) &&
                               GetRVStyle()->TextStyles().GetTextStyleSafe(styleNo)->StyleEx.Has(rvfsAllCaps),
                           uni);
          prev->Width = MeasureChars(shown, uni, prev->Offs - 1, prev->Length).cx;
          if (jump) jump->Width = prev->Width;
          if (saved >= 0 && saved != styleNo) ApplyTextStyle(saved, prev->ItemNo);
        }
      }
    }
  }
  FS.LineTrimmed = false;
  const int extra = FinishLine(FS.DrawIndex - 1, FS.LineStartX + FS.LineWidth, ItemStartsLine);
  FS.Y = RVSatAdd(FS.Y, extra);
  const TCustomRVItemInfo *item = GetItem(ItemNo);
  const bool firstLine = FS.NewPara;
  if (FS.NewPara && !item->GetLineBreakBefore()) {
    int64_t gap = 0;
    if (ItemNo > 0) gap += VScale(ParaSpaceAfter(ItemNo - 1));
    gap += VScale(ParaSpaceBefore(ItemNo));
    FS.Y = RVSatAdd(FS.Y, gap);
  }
  int left = 0, right = 0;
  GetLineIndents(ItemNo, firstLine, left, right);
  const TParaInfo *p = GetRVStyle()->ParaStyles().GetParaStyleSafe(item->ParaNo);
  const bool noWrap = p && p->Options.Has(rvpaoNoWrap);
  FS.LineWidth = RVSatAdd(noWrap ? DocumentWidth : TextWidth, -int64_t(HScale(RVSatAdd(left, right))));
  FS.LineStartX = RVSatAdd(HScale(left), FS.LM);
  FS.LineFirst = FS.DrawIndex;
  FS.X = 0;
  FS.NewPara = false;
}

void TCustomRVFormattedData::RaiseLineBaseline(int Ascent) {
  if (Ascent <= FS.LineAscent) return;
  const int d = Ascent - FS.LineAscent;
  for (int i = FS.LineFirst; i < FS.DrawIndex; ++i)
    if (TRVDrawLineInfo *dl = DrawLines.Items(i)) dl->Top = RVSatAdd(dl->Top, d);
  FS.Y = RVSatAdd(FS.Y, d);
  FS.LineAscent = Ascent;
}

void TCustomRVFormattedData::InsertDrawLine(std::unique_ptr<TRVDrawLineInfo> DL) {
  DrawLines.Insert(FS.DrawIndex, std::move(DL));
  ++FS.DrawIndex;
}

void TCustomRVFormattedData::AddJump(int ItemNo, int DrawLineNo, int Id, int Width, int Height, TCursor Cursor) {
  (void)ItemNo;
  auto j = std::make_unique<TRVJumpInfo>();
  j->RVData = this;
  j->Width = Width;
  j->Height = Height;
  j->Id = Id;
  j->DrawLineNo = DrawLineNo;
  j->Cursor = Cursor;
  Jumps.push_back(std::move(j));
}

// ---------------------------------------------------------------- items

void TCustomRVFormattedData::FormatItem(int ItemNo) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  if (item->IsParaStart()) FS.FirstParaItem = ItemNo;
  else if (FS.FirstParaItem < 0) FS.FirstParaItem = GetFirstParaItemNo(ItemNo);
  const int styleNo = GetItemStyle(ItemNo);
  if (styleNo < 0) {
    if (item->GetFlag(rvbpFullWidth)) FormatFullLineItem(ItemNo);
    else FormatRectItem(ItemNo);
    return;
  }
  const TRVStyle *style = GetRVStyle();
  const TFontInfo *fi = style->TextStyles().GetTextStyleSafe(styleNo);
  const bool uni = item->IsUnicode();
  std::string shown = ApplyAllCaps(GetItemTextRaw(ItemNo), fi && fi->StyleEx.Has(rvfsAllCaps), uni);
  if (uni && (shown.size() & 1)) shown.pop_back();
  const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(item->ParaNo);
  if (p && p->Alignment == rvaJustify) FormatJustifiedText(ItemNo, shown);
  else WrapTextItem(ItemNo, shown, 0, GetTextLength(shown, uni ? rvuniUnicodeBit : 0));
}

void TCustomRVFormattedData::FormatJustifiedText(int ItemNo, const std::string &Text) {
  const bool uni = GetItem(ItemNo)->IsUnicode();
  const int len = GetTextLength(Text, uni ? rvuniUnicodeBit : 0);
  if (len == 0) {
    WrapTextItem(ItemNo, Text, 0, 0);
    return;
  }
  int pos = 0;
  while (pos < len) {
    int next = pos;
    if (CharAt(Text, uni, next) == u' ') ++next;
    while (next < len && CharAt(Text, uni, next) != u' ') ++next;
    WrapTextItem(ItemNo, Text, pos, next - pos);
    pos = next;
  }
}

std::unique_ptr<TRVDrawLineInfo> TCustomRVFormattedData::NewTextPiece(int ItemNo, int Pos, int Length, int Width,
                                                                      int Height) {
  auto dl = std::make_unique<TRVDrawLineInfo>();
  dl->ItemNo = ItemNo;
  dl->Offs = Pos + 1;
  dl->Length = Length;
  dl->Width = Width;
  dl->Height = Height;
  return dl;
}

void TCustomRVFormattedData::PlacePiece(std::unique_ptr<TRVDrawLineInfo> DL, bool NewLine, int Ascent, int Descent,
                                        int Above, int Below) {
  if (NewLine) {
    DL->FromNewLine = true;
    FS.X = 0;
    FS.Y = RVSatAdd(RVSatAdd(FS.Y, FS.LineDescent), int64_t(Ascent) + Above);
    DL->Top = RVSatAdd(FS.Y, -int64_t(Ascent));
    FS.LineAscent = Ascent + Above;
    FS.LineDescent = Descent + Below;
  } else {
    DL->FromNewLine = false;
    RaiseLineBaseline(Ascent + Above);
    DL->Top = RVSatAdd(FS.Y, -int64_t(Ascent));
    FS.LineDescent = std::max(FS.LineDescent, Descent + Below);
  }
  DL->Left = RVSatAdd(FS.LineStartX, FS.X);
  FS.X = RVSatAdd(FS.X, DL->Width);
  InsertDrawLine(std::move(DL));
}

void TCustomRVFormattedData::WrapTextItem(int ItemNo, const std::string &Text, int Offset, int Count) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  const bool uni = item->IsUnicode();
  const uint16_t flags = GetFlags();
  const TRVStyle *style = GetRVStyle();
  if (!item->GetContinuePara() && Offset == 0) FS.NewPara = true;
  const int styleNo = GetActualStyle(item);
  ApplyTextStyle(styleNo, ItemNo);
  const TFontInfo *fi = style->TextStyles().GetTextStyleSafe(styleNo);
  const bool jump = fi && fi->Jump;
  const int ascent = FS.tm.tmAscent + ((flags & rvflExternalLeading) ? FS.tm.tmExternalLeading : 0) + FS.VShift;
  const int descent = FS.tm.tmDescent - FS.VShift;
  const int leading = (flags & rvflExternalLeading) ? FS.tm.tmExternalLeading : 0;
  const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(item->ParaNo);
  const bool noWrap = p && p->Options.Has(rvpaoNoWrap);
  const bool startsLine = !item->GetContinuePara() && Offset == 0;

  if (Count == 0) {
    // An empty piece still takes its font's height.
    auto dl = NewTextPiece(ItemNo, Offset, 0, 0, FS.tm.tmHeight + leading);
    if (startsLine) StartNewLine(ItemNo, true);
    PlacePiece(std::move(dl), startsLine, ascent, descent);
    FS.PrevSwallowed = false;
    if (jump) item->JumpID = -3;
    return;
  }

  BuildRuler(Text, uni, Offset, Count);
  int segAbove = 0, segBelow = 0;
  FallbackOverhang(*FS.Canvas, FS.tm, Text, uni, Offset, Count, segAbove, segBelow);
  struct RulerDone {
    TCustomRVFormattedData *D;
    ~RulerDone() { D->FRulerText = nullptr; }
  } rulerDone{this};
  int pos = Offset, remaining = Count;
  bool newLine = startsLine;
  bool firstPiece = true;
  const bool afterMarker = IsMarker(*this, ItemNo - 1);
  while (remaining > 0) {
    if (newLine) {
      StartNewLine(ItemNo, firstPiece && startsLine);
      if ((flags & rvflTrim) && !FS.PrevSwallowed && !(firstPiece && startsLine) && remaining > 1 &&
          CharAt(Text, uni, pos) == u' ')
        ++pos, --remaining;
    }
    const int avail = std::max(0, FS.LineWidth - FS.X);
    int fitExt = -1;
    int n = CountFittingChars(Text, uni, pos, remaining, avail, noWrap, fitExt);
    // Only the item's very first piece: the later words of a justified item
    // are pieces of their own and wrap as any other.
    const bool markerCase = firstPiece && afterMarker && Offset == 0 && pos == Offset;
    if (n == 0) {
      if (newLine || markerCase) {
        // Nothing fits: the line still takes the first cluster whole.
        n = uni ? FirstClusterLength(Text, pos, remaining)
                : CharLength(Text, pos, remaining, DoubleByteCodePage(fi ? fi->Charset : 1));
      } else {
        FS.NewPara = false;
        newLine = true;
        continue;
      }
    }
    int len = n;
    bool swallow = false;
    if (n < remaining) {
      const bool more = remaining > n + 1 || (ItemNo + 1 < GetItemCount() && GetItem(ItemNo + 1)->GetContinuePara());
      const int wrap = WrapPoint(Text, uni, pos, n, remaining, flags & rvflTrim, more);
      if (wrap < 0) {
        if (!newLine && !markerCase) {
          FS.NewPara = false;
          newLine = true;
          continue;
        }
      } else if (CharAt(Text, uni, pos + wrap) == u' ' && (flags & rvflTrim) && wrap != 0) {
        len = wrap;
        swallow = true;
      } else {
        len = wrap + 1;
      }
    }
    const TSize ext = MeasureChars(Text, uni, pos, len);
    int above = 0, below = 0;
    if (segAbove > 0 || segBelow > 0) FallbackOverhang(*FS.Canvas, FS.tm, Text, uni, pos, len, above, below);
    auto dl = NewTextPiece(ItemNo, pos, len, ext.cx, ext.cy + leading + below);
    const int dlNo = FS.DrawIndex;
    PlacePiece(std::move(dl), newLine, ascent, descent, above, below);
    if ((flags & rvflBuildJumps) && jump)
      // The words of justified text come one call each: the item's counter
      // was taken by its first word.
      AddJump(ItemNo, dlNo, Offset == 0 ? JumpCounter : JumpCounter - 1, DrawLines.Items(dlNo)->Width,
              DrawLines.Items(dlNo)->Height, fi->JumpCursor);
    pos += len + (swallow ? 1 : 0);
    remaining -= len + (swallow ? 1 : 0);
    FS.PrevSwallowed = swallow;
    firstPiece = false;
    newLine = true;
  }
  if (jump && Offset == 0) item->JumpID = JumpCounter++;
}

std::unique_ptr<TRVDrawLineInfo> TCustomRVFormattedData::NewDrawRecord(TCustomRVItemInfo *Item) {
  // A copy laid out for printing lets items that may be split over pages
  // make their own records.
  if (GetFlags() & rvflPrintingRecords)
    if (std::unique_ptr<TRVDrawLineInfo> r = Item->CreatePrintingDrawItem(this, FS.sad)) return r;
  return std::make_unique<TRVDrawLineInfo>();
}

void TCustomRVFormattedData::FormatRectItem(int ItemNo) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  auto *rect = dynamic_cast<TRVRectItemInfo *>(item);
  auto *nt = static_cast<TRVNonTextItemInfo *>(item);
  const TRVStyle *style = GetRVStyle();
  const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(item->ParaNo);
  const uint16_t flags = GetFlags();
  std::unique_ptr<TRVDrawLineInfo> dl = NewDrawRecord(item);
  bool resized = false;
  int h = 0;
  const int indent = p ? RVSatAdd(RVSatAdd(p->LeftIndent, p->RightIndent), p->FirstIndent) : 0;
  item->OnDocWidthChange(RVSatAdd(TextWidth, -int64_t(HScale(indent))), dl.get(), (flags & rvflPrinting) != 0,
                         FS.Canvas, this, &FS.sad, resized, h);
  if (item->GetFlag(rvbpDrawingChangesFont)) FS.LastStyle = -1;
  int width, height, descent;
  const bool isMarker = item->StyleNo == rvsListMarker;
  if (item->GetStyleFlag(rvbsfActualSize, style)) {
    width = dl->Width;
    height = dl->Height;
    descent = isMarker ? VScale(static_cast<TRVMarkerItemInfo *>(item)->Descent) : VScale(nt->GetDescent());
  } else {
    width = HScale(nt->GetWidth());
    height = VScale(nt->GetHeight());
    descent = VScale(nt->GetDescent());
  }
  width = std::clamp(width, 0, RVMaxCoord / 4);
  height = std::clamp(height, 0, RVMaxCoord / 4);
  descent = std::clamp(descent, 0, height);
  int shift = 0;
  if (rect && !isMarker) shift = rect->VShiftAbs ? VScale(rect->VShift) : MulDiv(height, rect->VShift, 100);
  shift = std::clamp(shift, -RVMaxCoord / 4, RVMaxCoord / 4);
  const bool middle = rect && rect->VAlign == rvvaMiddle;
  const int asc = middle ? height / 2 : height - descent;
  const bool noWrap = p && p->Options.Has(rvpaoNoWrap);
  const bool stays = item->GetContinuePara() && !dynamic_cast<TRVMultiDrawItemInfo *>(dl.get()) &&
                     (int64_t(FS.X) + width <= FS.LineWidth || noWrap || IsMarker(*this, ItemNo - 1));
  dl->Width = width;
  dl->Height = height;
  dl->ItemNo = ItemNo;
  dl->Offs = 0;
  dl->Length = 0;
  if (stays) {
    RaiseLineBaseline(asc + shift);
    dl->Top = RVSatAdd(FS.Y, -int64_t(asc) - shift);
    FS.LineDescent = std::max(FS.LineDescent, height - asc - shift);
    dl->FromNewLine = false;
  } else {
    if (item->IsParaStart()) FS.NewPara = true;
    StartNewLine(ItemNo, !item->GetContinuePara());
    dl->FromNewLine = true;
    FS.X = 0;
    dl->Top = RVSatAdd(FS.Y, FS.LineDescent);
    FS.LineAscent = asc + shift;
    FS.Y = RVSatAdd(dl->Top, FS.LineAscent);
    FS.LineDescent = height - FS.LineAscent;
  }
  int own = 0;
  if (isMarker && GetParaBiDiMode(item->ParaNo) != rvbdRightToLeft)
    own = static_cast<TRVMarkerItemInfo *>(item)->LeftShift;
  dl->Left = RVSatAdd(RVSatAdd(FS.LineStartX, FS.X), own);
  FS.X = RVSatAdd(FS.X, int64_t(width) + own);
  const int dlNo = FS.DrawIndex;
  InsertDrawLine(std::move(dl));
  FS.PrevSwallowed = false;
  if (item->GetStyleFlag(rvbsfJump, style)) {
    if (flags & rvflBuildJumps) AddJump(ItemNo, dlNo, JumpCounter, width, height, crJump);
    item->JumpID = JumpCounter++;
  }
}

void TCustomRVFormattedData::FormatFullLineItem(int ItemNo) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  const TRVStyle *style = GetRVStyle();
  const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(item->ParaNo);
  const int extraIgnored = FinishLine(FS.DrawIndex - 1, FS.LineStartX + FS.LineWidth, true);
  (void)extraIgnored;
  FS.LineTrimmed = false;
  int64_t gap = 0;
  if (ItemNo > 0) gap += VScale(ParaSpaceAfter(ItemNo - 1));
  gap += VScale(ParaSpaceBefore(ItemNo));
  std::unique_ptr<TRVDrawLineInfo> dl =
      item->StyleNo == rvsBreak ? std::make_unique<TRVDrawLineInfo>() : NewDrawRecord(item);
  dl->ItemNo = ItemNo;
  dl->FromNewLine = true;
  if (item->StyleNo == rvsBreak) {
    const TParaInfo *p0 = style->ParaStyles().GetParaStyleSafe(0);
    gap += VScale(p0 ? std::clamp(p0->SpaceBefore, -RVMaxCoord / 4, RVMaxCoord / 4) : 0);
    FS.LineDescent = RVSatAdd(FS.LineDescent, gap);
    const int h = VScale(5);
    dl->Left = FS.LM;
    dl->Top = RVSatAdd(FS.Y, FS.LineDescent);
    dl->Width = TextWidth;
    dl->Height = 2 * h + 1;
    FS.Y = RVSatAdd(dl->Top, h + 1);
    FS.LineAscent = FS.LineDescent = h;
  } else {
    FS.LineDescent = RVSatAdd(FS.LineDescent, gap);
    bool resized = false;
    int hh = 0;
    const int indent = p ? RVSatAdd(p->LeftIndent, p->RightIndent) : 0;
    item->OnDocWidthChange(RVSatAdd(TextWidth, -int64_t(HScale(indent))), dl.get(), (GetFlags() & rvflPrinting) != 0,
                           FS.Canvas, this, &FS.sad, resized, hh);
    if (item->GetFlag(rvbpDrawingChangesFont)) FS.LastStyle = -1;
    auto *nt = static_cast<TRVNonTextItemInfo *>(item);
    if (!item->GetStyleFlag(rvbsfActualSize, style)) {
      dl->Width = HScale(nt->GetWidth());
      dl->Height = VScale(nt->GetHeight());
    }
    dl->Width = std::clamp(dl->Width, 0, RVMaxCoord / 4);
    dl->Height = std::clamp(dl->Height, 0, RVMaxCoord / 4);
    const int lineWidth = RVSatAdd(TextWidth, -int64_t(HScale(indent)));
    int left = RVSatAdd(HScale(p ? p->LeftIndent : 0), FS.LM);
    if (p && p->Alignment == rvaRight) left = RVSatAdd(left, int64_t(lineWidth) - dl->Width);
    else if (p && p->Alignment == rvaCenter)
      left = RVSatAdd(left, std::max<int64_t>(0, (int64_t(lineWidth) - dl->Width) / 2));
    dl->Left = left;
    dl->Top = RVSatAdd(FS.Y, FS.LineDescent);
    FS.Y = RVSatAdd(dl->Top, dl->Height);
    FS.LineAscent = dl->Height;
    FS.LineDescent = 0;
  }
  InsertDrawLine(std::move(dl));
  FS.LineFirst = FS.DrawIndex - 1;
  FS.X = 0;
  FS.NewPara = false;
  FS.PrevSwallowed = false;
  FS.SkipFinish = false;
}

// ---------------------------------------------------------------- passes

void TCustomRVFormattedData::StartFormatState(TCanvas &Canvas) {
  FS = TFormatState();
  FS.Canvas = &Canvas;
  GetFormatResolution(Canvas, FS.sad);
  FS.LM = HScale(GetLeftMargin());
  FS.RM = HScale(GetRightMargin());
}

void TCustomRVFormattedData::FixFirstDrawLines(int FromDrawLine, int ToDrawLine) {
  if (SharesItems()) return;
  int prev = FromDrawLine > 0 && DrawLines.Items(FromDrawLine - 1) ? DrawLines.Items(FromDrawLine - 1)->ItemNo : -1;
  for (int i = std::max(0, FromDrawLine), n = std::min(ToDrawLine, DrawLines.Count()); i < n; ++i) {
    const int it = DrawLines.Items(i)->ItemNo;
    if (it != prev && it >= 0 && it < GetItemCount()) GetItem(it)->DrawLineMark = DrawLines.MarkOfIndex(i);
    prev = it;
  }
}

void TCustomRVFormattedData::FindViewAnchor(bool Append, bool KeepView, int &Item, int &Offs) const {
  if (Append) {
    Offs = GetVOffs();
  } else if (KeepView) {
    int dl = FindDrawLineAtY(GetVOffs(), fdlPrevLine);
    if (dl >= DrawLines.Count()) dl = DrawLines.Count() - 1;
    if (dl >= 0) {
      Offs = GetVOffs() - DrawLines.Items(dl)->Top;
      Item = DrawLines.Items(dl)->ItemNo;
    }
  }
}

void TCustomRVFormattedData::PassWidths(bool Append, TCanvas &Canvas, int &MinW, int &DocWidth, int &Wrap) {
  const TRVScreenAndDevice *ratio =
      (FS.sad.ppixScreen == FS.sad.ppixDevice && FS.sad.ppiyScreen == FS.sad.ppiyDevice) ? nullptr : &FS.sad;
  // Appending measures only the new paragraphs: the transcript grows by one
  // message at a time and must not be measured whole each time.
  const bool appendable =
      Append && LastFormattedItem + 1 < GetItemCount() && !GetItem(LastFormattedItem + 1)->GetContinuePara();
  MinW = appendable ? std::max(MinWidth, CalcItemsMinWidth(LastFormattedItem + 1, ratio, Canvas))
                    : PassMinWidth(ratio, Canvas);
  DocWidth = std::max(MinW, RVSatAdd(GetWidth(), -int64_t(FS.LM) - FS.RM));
  const int m = HScale(GetMinTextWidth()), M = HScale(GetMaxTextWidth());
  if (m > DocWidth) DocWidth = m;
  if (GetOptions().Has(rvoClientTextWidth)) Wrap = std::max(RVSatAdd(GetWidth(), -int64_t(FS.LM) - FS.RM), m);
  else if (DocWidth > M && GetMaxTextWidth() > 0) Wrap = M;
  else Wrap = DocWidth;
}

// The last line is finished; the new items start below it, as the next
// line of a whole pass would.
void TCustomRVFormattedData::ContinueBelowLastLine() {
  int first = 0, last = 0;
  GetScreenLineRange(DrawLines.Count() - 1, first, last);
  const int bottom = ScreenLineBottom(DrawLines.Count() - 1, true);
  FS.Y = bottom;
  AppendedTop = bottom;
  FS.DrawIndex = DrawLines.Count();
  FS.LineFirst = first;
  FS.LineTrimmed = true;
  FS.SkipFinish = true;
  FS.NewPara = false;
}

void TCustomRVFormattedData::ReformatAll(bool KeepView, bool Force, bool NoScroll, int Depth, TCanvas *Canvas,
                                         bool Append, bool ItemFlag) {
  if (SkipNextFormat) {
    SkipNextFormat = false;
    return;
  }
  if (Depth > 1 || !GetRVStyle() || (State & rvstFormatting)) return;
  if (!Canvas) Canvas = GetCanvas();
  if (!Canvas) return;
  if (Depth == 0) {
    State |= rvstFormatting;
    AppendedTop = -1;
  }
  int anchorItem = -1, anchorOffs = 0;
  int selA = -1, selAO = 0, selB = -1, selBO = 0;
  struct Finally {
    TCustomRVFormattedData *D;
    int Depth; // -1: the pass was handed on
    ~Finally() {
      if (Depth == 0) {
        D->State &= ~rvstFormatting;
        D->LastFormattedItem = D->GetItemCount() - 1;
        D->AfterFormat(0, D->GetItemCount() - 1, false);
      }
    }
  } fin{this, Depth};
  if (Append && LastFormattedItem < 0) Append = false;
  if (Append && (DrawLines.Count() == 0 || LastFormattedItem >= GetItemCount())) Append = false;
  if (Depth == 0 && KeepView) GetSelectionItemBoundsRaw(false, selA, selAO, selB, selBO);
  if (Depth == 0 && !NoScroll) FindViewAnchor(Append, KeepView, anchorItem, anchorOffs);
  const int oldTextWidth = TextWidth, oldDocWidth = DocumentWidth;
  // An appending pass leaves the lines above, their hyperlink areas and
  // their controls where they are, unless the view moved under them.
  const int oldHOffs = GetHOffs(), oldVOffs = GetVOffs();
  int placeFrom = 0;
  size_t jumpsFrom = 0;
  StartFormatState(*Canvas);
  int minWidth = 0, docWidth = 0, wrap = 0;
  PassWidths(Append, *Canvas, minWidth, docWidth, wrap);
  if (Append && (wrap != oldTextWidth || docWidth != oldDocWidth)) Append = false;
  if (Force || !KeepView || Append || wrap != oldTextWidth || docWidth != oldDocWidth) {
    const int fromDL = Append ? DrawLines.Count() : 0;
    DocumentWidth = docWidth;
    TextWidth = wrap;
    MinWidth = minWidth;
    int start = 0;
    if (!Append) {
      FS.Y = GetTopMargin();
      ClearFormatting();
      DocumentWidth = docWidth;
      TextWidth = wrap;
      MinWidth = minWidth;
    } else {
      start = LastFormattedItem + 1;
      if (start < GetItemCount() && GetItem(start)->GetContinuePara()) {
        // The new items continue the last paragraph: that paragraph is
        // formatted again with them.
        fin.Depth = -1;
        State &= ~rvstFormatting;
        FormatParagraphs(DrawLines.Count() - 1, DrawLines.Count() - 1, GetItemCount() - 1 - LastFormattedItem);
        if (GetOptions().Has(rvoScrollToEnd) && !NoScroll) ScrollTo(DocumentHeight, false);
        return;
      }
      ContinueBelowLastLine();
      placeFrom = DrawLines.Count();
      jumpsFrom = Jumps.size();
    }
    for (int i = start; i < GetItemCount(); ++i) FormatItem(i);
    const int extra = FinishLine(FS.DrawIndex - 1, FS.LineStartX + FS.LineWidth, !(State & rvstLastLineAsInner));
    int64_t h = int64_t(GetBottomMargin()) + FS.Y + FS.LineDescent + extra;
    if (GetItemCount() > 0) h += VScale(ParaSpaceAfter(GetItemCount() - 1));
    DocumentHeight = RVSatAdd(h, 0);
    FixFirstDrawLines(fromDL);
    AdjustVScrollUnits();
    if (GetOrigin() != FJumpsOrigin) jumpsFrom = 0;
    UpdateJumpRects(jumpsFrom);
  }
  const int cw = GetWidth(), ch = GetHeight();
  SkipNextFormat = true;
  SetDocumentAreaSize(RVSatAdd(RVSatAdd(GetLeftMargin(), DocumentWidth), GetRightMargin()), DocumentHeight, true);
  SkipNextFormat = false;
  if (cw != GetWidth() || ch != GetHeight()) {
    AppendedTop = -1;
    placeFrom = 0;
    State &= ~rvstFormatting;
    ReformatAll(KeepView, Force, false, Depth + 1, Canvas, false, ItemFlag);
    if (Depth == 0) State |= rvstFormatting;
  }
  if (Depth == 0) {
    if (KeepView && !NoScroll && !Append) {
      const int dl = FirstDrawLineOfItem(anchorItem);
      ScrollTo(dl >= 0 && dl < DrawLines.Count() ? RVSatAdd(DrawLines.Items(dl)->Top, anchorOffs) : 0, false);
    }
    PlaceInlineControls(GetHOffs() == oldHOffs && GetVOffs() == oldVOffs ? placeFrom : 0);
    if (Append && !NoScroll) {
      if (GetOptions().Has(rvoScrollToEnd)) ScrollTo(DocumentHeight, false);
      else ScrollTo(anchorOffs, false);
    }
    if (KeepView && selA >= 0) SetSelectionFromItems(selA, selAO, selB, selBO);
  }
}

} // namespace kc
