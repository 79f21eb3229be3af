#include "richtext/document/RVMarker.h"

#include <QImage>

#include <algorithm>
#include <charconv>
#include <climits>
#include <map>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/ImageList.h"
#include "platform/QtCanvas.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

int32_t SatInc(int32_t v) { return v == INT32_MAX ? v : v + 1; }

bool IsNumberedType(TRVListType t) { return t >= rvlstDecimal && t <= rvlstUpperRoman; }
bool IsImageListType(TRVListType t) { return t == rvlstImageList || t == rvlstImageListCounter; }

// The description of level number Level of a list style (the last one for a
// level above it); nullptr for a negative level or a list without levels.
TRVListLevel *LevelOf(const TRVListInfo *List, int32_t Level) {
  if (!List || Level < 0 || List->Levels.Count() == 0) return nullptr;
  return List->Levels.Items(std::min<int32_t>(Level, List->Levels.Count() - 1));
}

const TRVListInfo *ListOf(const TRVStyle *RVStyle, int32_t ListNo) {
  if (!RVStyle || ListNo < 0 || ListNo >= RVStyle->ListStyles().Count()) return nullptr;
  return RVStyle->ListStyles().Items(ListNo);
}

void Put32(std::string &s, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) s += static_cast<char>((u >> (8 * i)) & 0xFF);
}

bool Get32(std::string_view d, size_t &pos, int32_t &v) {
  if (d.size() < 4 || pos > d.size() - 4) return false;
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(static_cast<unsigned char>(d[pos + i])) << (8 * i);
  pos += 4;
  v = static_cast<int32_t>(u);
  return true;
}

constexpr size_t kMarkerRecordSize = 17;

} // namespace

// ---------------------------------------------------------------------------
// Number texts

std::string RVMarkerDecimal(int32_t Value) { return std::to_string(Value); }

std::string RVMarkerAlpha(int32_t Value, bool Upper) {
  std::string r;
  int64_t v = Value;
  const char base = Upper ? 'A' : 'a';
  while (v > 0) {
    --v;
    r.insert(r.begin(), static_cast<char>(base + v % 26));
    v /= 26;
  }
  return r;
}

std::string RVMarkerRoman(int32_t Value, bool Upper) {
  if (Value < 1) return "?";
  // Beyond the standard numerals the text would grow with the number.
  if (Value > RVMaxRomanNumber) return RVMarkerDecimal(Value);
  static const struct {
    int Value;
    const char *Text;
  } Digits[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
                {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
  std::string r;
  int v = Value;
  for (const auto &d : Digits)
    while (v >= d.Value) {
      r += d.Text;
      v -= d.Value;
    }
  return Upper ? r : asciiLowered(r);
}

std::string RVMarkerNumberText(TRVListType ListType, int32_t Value) {
  switch (ListType) {
  case rvlstDecimal:
  case rvlstImageListCounter:
    return RVMarkerDecimal(Value);
  case rvlstLowerAlpha:
    return RVMarkerAlpha(Value, false);
  case rvlstUpperAlpha:
    return RVMarkerAlpha(Value, true);
  case rvlstLowerRoman:
    return RVMarkerRoman(Value, false);
  case rvlstUpperRoman:
    return RVMarkerRoman(Value, true);
  default:
    return std::string();
  }
}

// ---------------------------------------------------------------------------
// TRVMarkerList

TRVMarkerList::~TRVMarkerList() = default;

TRVMarkerItemInfo *TRVMarkerList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FItems[static_cast<size_t>(Index)];
}

int TRVMarkerList::IndexOf(const TRVMarkerItemInfo *Marker) const {
  auto it = std::find(FItems.begin(), FItems.end(), Marker);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TRVMarkerList::InsertAfter(TRVMarkerItemInfo *Marker, TRVMarkerItemInfo *Previous) {
  int pos = Previous ? Previous->GetIndexInList(this) + 1 : 0;
  FItems.insert(FItems.begin() + pos, Marker);
  Marker->IndexInList = pos;
  return pos;
}

void TRVMarkerList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) return;
  FItems.erase(FItems.begin() + Index);
}

int TRVMarkerList::Remove(TRVMarkerItemInfo *Marker) {
  int i = Marker ? Marker->GetIndexInList(this) : -1;
  if (i >= 0) Delete(i);
  return i;
}

void TRVMarkerList::Clear() {
  FItems.clear();
  FOwned.clear();
}

bool TRVMarkerList::FindParentMarker(int Index, const TRVMarkerItemInfo *Marker, int &ParentIndex,
                                     TRVMarkerList *&ParentList) const {
  ParentIndex = -1;
  ParentList = nullptr;
  if (!Marker) return false;
  const TRVMarkerList *list = this;
  int from = std::min(Index, Count()) - 1;
  // Outer lists form a chain; a damaged chain that loops is followed no
  // further than once round.
  for (int hops = 0; list && hops < 64; ++hops) {
    for (int i = from; i >= 0; --i) {
      const TRVMarkerItemInfo *m = list->FItems[static_cast<size_t>(i)];
      if (m->ListNo == Marker->ListNo && m->Level >= 0 && m->Level < Marker->Level) {
        ParentIndex = i;
        ParentList = const_cast<TRVMarkerList *>(list);
        return true;
      }
    }
    list = list->PrevMarkerList;
    if (list == this) break;
    if (list) from = list->Count() - 1;
  }
  return false;
}

void TRVMarkerList::RecalcCounters(int From, const TRVStyle *RVStyle) {
  if (From < 0 || From >= Count()) return;
  const int32_t N = FItems[static_cast<size_t>(From)]->ListNo;
  if (N < 0) return;
  const TRVListInfo *list = ListOf(RVStyle, N);

  // One pass in document order answers what a backward scan from every
  // marker would find, so that long lists cost no more than their length.
  // Ancestors: the nearest earlier marker of each lower level, as a stack of
  // strictly rising levels; the nearest earlier marker of a lower level is
  // the topmost entry below a level.
  struct Entry {
    int32_t Level;
    int Pos;
    const TRVMarkerItemInfo *Marker;
  };
  std::vector<Entry> ancestors;
  struct Last {
    int Pos;
    int32_t Counter;
  };
  std::map<int32_t, Last> lastOfLevel;
  int32_t maxLevel = -1;
  auto note = [&](const TRVMarkerItemInfo *m, int pos) {
    while (!ancestors.empty() && ancestors.back().Level >= m->Level) ancestors.pop_back();
    ancestors.push_back(Entry{m->Level, pos, m});
    lastOfLevel[m->Level] = Last{pos, m->Counter};
    maxLevel = std::max(maxLevel, m->Level);
  };
  // Index of the topmost ancestor below Level, -1 when none.
  auto below = [&](int32_t level) {
    auto it = std::lower_bound(ancestors.begin(), ancestors.end(), level,
                               [](const Entry &e, int32_t l) { return e.Level < l; });
    return static_cast<int>(it - ancestors.begin()) - 1;
  };

  for (int i = 0; i < From; ++i) {
    const TRVMarkerItemInfo *m = FItems[static_cast<size_t>(i)];
    if (m->ListNo == N && m->Level >= 0) note(m, i);
  }
  std::vector<const TRVMarkerItemInfo *> chain;
  for (int i = From; i < Count(); ++i) {
    TRVMarkerItemInfo *m = FItems[static_cast<size_t>(i)];
    if (m->ListNo != N) continue;
    m->IndexInList = i;
    if (m->Level < 0) {
      m->DisplayString.clear();
      continue;
    }
    const TRVListLevel *L = LevelOf(list, m->Level);
    const int top = below(m->Level);
    if (m->Reset) {
      m->Counter = m->StartFrom;
    } else if (L) {
      // Scanning back, the first marker of the same level continues the
      // count; with a level reset a lower one met first restarts it; deeper
      // ones alone make it StartFrom + 1.
      auto same = lastOfLevel.find(m->Level);
      const int samePos = same == lastOfLevel.end() ? -1 : same->second.Pos;
      const int lowerPos = top >= 0 ? ancestors[static_cast<size_t>(top)].Pos : -1;
      if (L->Options.Has(rvloLevelReset) && lowerPos > samePos)
        m->Counter = L->StartFrom;
      else if (samePos >= 0)
        m->Counter = SatInc(same->second.Counter);
      else
        m->Counter = maxLevel > m->Level ? SatInc(L->StartFrom) : L->StartFrom;
    }
    // Parents with a level that has an argument, nearest first.
    chain.clear();
    for (int k = std::min(top, below(RVMaxMarkerArguments)); k >= 0; --k)
      chain.push_back(ancestors[static_cast<size_t>(k)].Marker);
    const TRVMarkerItemInfo *lowest = top >= 0 ? ancestors[0].Marker : m;
    m->BuildDisplayString(RVStyle, chain, lowest, this, 0);
    note(m, i);
  }
}

void TRVMarkerList::SaveToStream(std::string &Stream, bool IncludeSize) const {
  if (IncludeSize) Put32(Stream, static_cast<int32_t>(kMarkerRecordSize * FItems.size() + 8));
  Put32(Stream, 0);
  Put32(Stream, Count());
  for (const TRVMarkerItemInfo *m : FItems) {
    Put32(Stream, m->ListNo);
    Put32(Stream, m->Level);
    Stream += static_cast<char>(m->Reset ? 1 : 0);
    Put32(Stream, m->StartFrom);
    Put32(Stream, m->Counter);
  }
}

bool TRVMarkerList::LoadFromStream(std::string_view Data, size_t &Pos, bool IncludeSize) {
  Clear();
  int32_t size = 0, zero = 0, count = 0;
  if (IncludeSize && !Get32(Data, Pos, size)) return false;
  if (!Get32(Data, Pos, zero) || !Get32(Data, Pos, count)) return false;
  // The count is checked against the bytes that are there before anything
  // is made for it.
  size_t remaining = Data.size() - Pos;
  if (count < 0 || static_cast<size_t>(count) > remaining / kMarkerRecordSize) return false;
  FItems.reserve(static_cast<size_t>(count));
  FOwned.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    auto m = std::make_unique<TRVMarkerItemInfo>(nullptr);
    Get32(Data, Pos, m->ListNo);
    Get32(Data, Pos, m->Level);
    m->Reset = Data[Pos++] != 0;
    Get32(Data, Pos, m->StartFrom);
    Get32(Data, Pos, m->Counter);
    m->IndexInList = i;
    FItems.push_back(m.get());
    FOwned.push_back(std::move(m));
  }
  return true;
}

bool TRVMarkerList::LoadBinary(const std::string &Data) {
  size_t pos = 0;
  return LoadFromStream(Data, pos, false);
}

bool TRVMarkerList::LoadText(const std::string &Hex) {
  std::string bytes;
  if (!RVHexToBytes(Hex, bytes)) {
    Clear();
    return false;
  }
  return LoadBinary(bytes);
}

void TRVMarkerList::SaveTextToStream(std::string &Stream) const {
  std::string bytes;
  SaveToStream(bytes, false);
  Stream += RVBytesToHex(bytes);
  Stream += "\r\n";
}

// ---------------------------------------------------------------------------
// TRVMarkerItemInfo

void TRVMarkerItemInfo::StartParagraph() {
  // Neither continuing the paragraph before nor only a new line of it: the
  // marker is the first item of its paragraph. A page break may stay.
  ItemOptions.Exclude(rvioContinuePara);
  ItemOptions.Exclude(rvioLineBreakBefore);
}

TRVMarkerItemInfo::TRVMarkerItemInfo(TCustomRVData *RVData) : TRVRectItemInfo(RVData) {
  StyleNo = rvsListMarker;
  StartParagraph();
}

TRVMarkerItemInfo::TRVMarkerItemInfo(TCustomRVData *RVData, int AListNo, int ALevel, int AStartFrom, bool AReset)
    : TRVMarkerItemInfo(RVData) {
  ListNo = AListNo;
  Level = ALevel;
  StartFrom = AStartFrom;
  Reset = AReset;
}

std::unique_ptr<TCustomRVItemInfo> TRVMarkerItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVMarkerItemInfo>(RVData);
}

TRVListLevel *TRVMarkerItemInfo::GetLevelInfo(const TRVStyle *RVStyle) const {
  return LevelOf(ListOf(RVStyle, ListNo), Level);
}

int TRVMarkerItemInfo::GetIndexInList(const TRVMarkerList *List) {
  if (!List) return -1;
  if (IndexInList >= 0 && IndexInList < List->Count() && List->Items(IndexInList) == this) return IndexInList;
  IndexInList = List->IndexOf(this);
  return IndexInList;
}

void TRVMarkerItemInfo::CalcDisplayString(const TRVStyle *RVStyle, const TRVMarkerList *List, int Index) {
  BuildDisplayString(RVStyle, {}, this, List, Index);
}

void TRVMarkerItemInfo::BuildDisplayString(const TRVStyle *RVStyle,
                                           const std::vector<const TRVMarkerItemInfo *> &Parents,
                                           const TRVMarkerItemInfo *WalkFrom, const TRVMarkerList *List,
                                           int Index) {
  DisplayString.clear();
  const TRVListInfo *list = ListOf(RVStyle, ListNo);
  const TRVListLevel *L = LevelOf(list, Level);
  if (!L) return;
  if (L->ListType == rvlstBullet) {
    DisplayString = L->FormatString;
    return;
  }
  if (!IsNumberedType(L->ListType)) return;

  const bool legal = L->Options.Has(rvloLegalStyleNumbering);
  std::vector<std::string> args(RVMaxMarkerArguments);
  auto text = [&](int32_t lvl, int32_t value) {
    TRVListType t = LevelOf(list, lvl)->ListType;
    if (legal && lvl != Level && t >= rvlstLowerAlpha && t <= rvlstUpperRoman) t = rvlstDecimal;
    return RVMarkerNumberText(t, value);
  };
  // Levels passed over between a marker and its parent show where they
  // would start; only the first RVMaxMarkerArguments levels have arguments.
  auto fillStarts = [&](int32_t above, int32_t downTo) {
    for (int32_t j = std::min<int32_t>(above, RVMaxMarkerArguments) - 1; j >= downTo; --j)
      args[static_cast<size_t>(j)] = text(j, LevelOf(list, j)->StartFrom);
  };
  auto parentFound = [&](int32_t curLevel, const TRVMarkerItemInfo *parent) {
    fillStarts(curLevel, parent->Level + 1);
    if (parent->Level < RVMaxMarkerArguments)
      args[static_cast<size_t>(parent->Level)] = text(parent->Level, parent->Counter);
  };
  if (Level < RVMaxMarkerArguments) args[static_cast<size_t>(Level)] = text(Level, Counter);

  int32_t curLevel = Level;
  for (const TRVMarkerItemInfo *p : Parents) {
    parentFound(curLevel, p);
    curLevel = p->Level;
  }
  const TRVMarkerItemInfo *cur = WalkFrom;
  curLevel = cur->Level;
  const TRVMarkerList *curList = List;
  int curIndex = Index;
  while (true) {
    int parentIndex = -1;
    TRVMarkerList *parentList = nullptr;
    if (!curList || !curList->FindParentMarker(curIndex, cur, parentIndex, parentList)) {
      fillStarts(curLevel, 0);
      break;
    }
    cur = parentList->Items(parentIndex);
    parentFound(curLevel, cur);
    curLevel = cur->Level;
    curList = parentList;
    curIndex = parentIndex;
  }
  DisplayString = RVFormatMarkerString(L->FormatString, args);
}

// ------------------------------------------------------------ sizes, paint

void TRVMarkerItemInfo::SetupFont(TCanvas &Canvas, const TRVStyle *RVStyle, uint8_t ColorMode) const {
  const TRVListLevel *L = GetLevelInfo(RVStyle);
  TRVMarkerFont def;
  const TRVMarkerFont &font = (L && L->FontIfAny()) ? *L->FontIfAny() : def;
  TLogFont lf;
  font.AssignTo(lf);
  const int ppi = RVStyle ? RVStyle->TextStyles().PixelsPerInch : 0;
  if (ppi > 0 && font.Size > 0) lf.lfHeight = -MulDiv(font.Size, ppi, 72);
  Canvas.setFont(lf);
  Canvas.setFontColor(ColorForColorMode(font.Color, ColorMode));
  Canvas.setTextCharacterExtra(0);
  Canvas.setTextAlign(TA_LEFT | TA_TOP);
}

TRVMarkerItemInfo::TRVMarkerSize TRVMarkerItemInfo::CalcSize(TCanvas *Canvas, const TRVStyle *RVStyle,
                                                             const TRVScreenAndDevice *sad) const {
  TRVMarkerSize r;
  const TRVListLevel *L = GetLevelInfo(RVStyle);
  if (!L) return r;
  switch (L->ListType) {
  case rvlstPicture:
  case rvlstImageList:
  case rvlstImageListCounter:
    r.Width = GetImageWidth(RVStyle);
    r.Height = GetImageHeight(RVStyle);
    if (sad) {
      r.Width = ScaleXToDevice(r.Width, *sad);
      r.Height = ScaleYToDevice(r.Height, *sad);
    }
    break;
  default:
    if (Canvas) {
      SetupFont(*Canvas, RVStyle, 0);
      TSize ext = L->ListType == rvlstUnicodeBullet ? Canvas->textExtentW(L->FormatStringW)
                                                     : Canvas->textExtent(DisplayString);
      r.Width = ext.cx;
      r.Height = ext.cy;
      r.Descent = Canvas->textMetrics().tmDescent;
    }
    break;
  }
  switch (L->MarkerAlignment) {
  case rvmaRight:
    r.Before = r.Width;
    r.After = 0;
    break;
  case rvmaCenter:
    r.After = r.Width / 2;
    r.Before = r.Width - r.After;
    break;
  default:
    r.Before = 0;
    r.After = r.Width;
    break;
  }
  int64_t indent = int64_t(L->LeftIndent) + L->FirstIndent - L->MarkerIndent;
  indent = std::clamp<int64_t>(indent, INT32_MIN, INT32_MAX);
  int ind = static_cast<int>(indent);
  if (sad) ind = ScaleXToDevice(ind, *sad);
  r.After = std::max(r.After, ind);
  return r;
}

int TRVMarkerItemInfo::GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *Canvas, TCustomRVData *RVData) {
  return CalcSize(Canvas, RVData ? RVData->GetRVStyle() : nullptr, sad).After;
}

void TRVMarkerItemInfo::OnDocWidthChangeEx(TRVDrawLineInfo *DrawLine, bool Printing, TCanvas *Canvas,
                                           const TRVStyle *RVStyle, const TRVScreenAndDevice *sad,
                                           bool RightToLeft) {
  TRVMarkerSize s = CalcSize(Canvas, RVStyle, sad);
  int shift = RightToLeft ? s.Before : -s.Before;
  if (DrawLine) {
    DrawLine->Width = s.Before + s.After;
    DrawLine->Height = s.Height;
    DrawLine->ExtraSpaceBefore = RightToLeft ? s.Before + s.After - s.Width : 0;
  }
  if (!Printing) {
    Width = s.Width;
    Height = s.Height;
    Descent = s.Descent;
    LeftShift = shift;
  }
}

void TRVMarkerItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo *DrawLine, bool Printing,
                                         TCanvas *Canvas, TCustomRVData *RVData, const TRVScreenAndDevice *sad,
                                         bool &Resized, int &AHeight) {
  (void)DocWidth;
  const TRVStyle *style = RVData ? RVData->GetRVStyle() : nullptr;
  bool rtl = RVData && RVData->GetParaBiDiMode(ParaNo) == rvbdRightToLeft;
  OnDocWidthChangeEx(DrawLine, Printing, Canvas, style, sad, rtl);
  Resized = false;
  AHeight = DrawLine ? DrawLine->Height : Height;
}

int TRVMarkerItemInfo::GetImageWidth(const TRVStyle *RVStyle) const {
  const TRVListLevel *L = GetLevelInfo(RVStyle);
  if (!L) return 0;
  if (L->ListType == rvlstPicture) return L->HasPicture() ? L->PictureIfAny()->width() : 0;
  if (IsImageListType(L->ListType)) return L->ImageList ? L->ImageList->Width() : 0;
  return 0;
}

int TRVMarkerItemInfo::GetImageHeight(const TRVStyle *RVStyle) const {
  const TRVListLevel *L = GetLevelInfo(RVStyle);
  if (!L) return 0;
  if (L->ListType == rvlstPicture) return L->HasPicture() ? L->PictureIfAny()->height() : 0;
  if (IsImageListType(L->ListType)) return L->ImageList ? L->ImageList->Height() : 0;
  return 0;
}

void TRVMarkerItemInfo::PaintMarker(int X, int Y, TCanvas &Canvas, const TRVStyle *RVStyle,
                                    uint8_t ColorMode) const {
  const TRVListLevel *L = GetLevelInfo(RVStyle);
  if (!L) return;
  switch (L->ListType) {
  case rvlstPicture:
    if (L->HasPicture()) {
      const TGraphic *g = L->PictureIfAny();
      Canvas.drawGraphic(Bounds(X, Y, g->width(), g->height()), *g);
    }
    break;
  case rvlstImageList:
  case rvlstImageListCounter: {
    if (!L->ImageList) break;
    int64_t index = L->ImageIndex;
    if (L->ListType == rvlstImageListCounter) index += int64_t(Counter) - 1;
    if (index >= 0 && index < L->ImageList->Count())
      L->ImageList->Draw(Canvas, X, Y, static_cast<int>(index));
    break;
  }
  case rvlstUnicodeBullet:
    SetupFont(Canvas, RVStyle, ColorMode);
    Canvas.setBrush(CanvasBrush{Canvas.brush().Color, TBrushStyle::bsClear});
    Canvas.textOutW(X, Y, L->FormatStringW);
    break;
  default:
    SetupFont(Canvas, RVStyle, ColorMode);
    Canvas.setBrush(CanvasBrush{Canvas.brush().Color, TBrushStyle::bsClear});
    Canvas.textOut(X, Y, DisplayString);
    break;
  }
}

void TRVMarkerItemInfo::Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                              TRVDrawLineInfo *DrawLine) {
  (void)State, (void)DrawLine;
  PaintMarker(X, Y, Canvas, Style, 0);
}

bool TRVMarkerItemInfo::PrintToBitmap(TBitmap &Bitmap, bool Preview, TCustomRVData *RVData,
                                      TRVDrawLineInfo *DrawLine, int Part, uint8_t ColorMode) {
  (void)Preview, (void)DrawLine, (void)Part;
  QImage image = Bitmap.image();
  if (image.isNull()) return true;
  {
    QtCanvas canvas(&image);
    PaintMarker(0, 0, canvas, RVData ? RVData->GetRVStyle() : nullptr, ColorMode);
  }
  Bitmap.setImage(std::move(image));
  return true;
}

void TRVMarkerItemInfo::Print(TCanvas &Canvas, int X, int Y, int X2, bool Preview, bool Correction,
                              const TRVScreenAndDevice &sad, TRVDrawLineInfo *DrawLine, int Part,
                              uint8_t ColorMode, TCustomRVData *RVData) {
  (void)X2, (void)Preview, (void)Correction, (void)sad, (void)DrawLine, (void)Part;
  PaintMarker(X, Y, Canvas, RVData ? RVData->GetRVStyle() : nullptr, ColorMode);
}

bool TRVMarkerItemInfo::GetFlag(int Property) const {
  switch (Property) {
  case rvbpDrawingChangesFont:
  case rvbpCanSaveUnicode:
    return true;
  default:
    return TRVRectItemInfo::GetFlag(Property);
  }
}

bool TRVMarkerItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  switch (Property) {
  case rvbsfPrintToBMP: {
    const TRVListLevel *L = GetLevelInfo(RVStyle);
    if (!L) return false;
    if (L->ListType == rvlstPicture)
      return L->HasPicture() && std::string_view(L->PictureIfAny()->className()) != "TMetafile";
    return IsImageListType(L->ListType);
  }
  case rvbsfActualSize:
    return true;
  default:
    return TRVRectItemInfo::GetStyleFlag(Property, RVStyle);
  }
}

void TRVMarkerItemInfo::Inserting(TCustomRVData *RVData, std::string &Text, bool Safe) {
  // A marker begins its paragraph whatever its adder or its stored options
  // said.
  StartParagraph();
  TRVRectItemInfo::Inserting(RVData, Text, Safe);
}

// --------------------------------------------------------------- RVF

std::string TRVMarkerItemInfo::WriteRvfHeaderTail(TCustomRVData *RVData) const {
  (void)RVData;
  return std::to_string(ListNo) + " " + std::to_string(Level) + " " + std::to_string(StartFrom) + " " +
         (Reset ? "1" : "0");
}

bool TRVMarkerItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) {
  (void)RVData;
  int32_t v[4];
  const char *p = Field.data();
  const char *end = p + Field.size();
  for (int i = 0; i < 4; ++i) {
    while (p < end && *p == ' ') ++p;
    auto [q, ec] = std::from_chars(p, end, v[i]);
    if (ec != std::errc() || q == p) return false;
    p = q;
  }
  ListNo = v[0];
  Level = v[1];
  StartFrom = v[2];
  Reset = v[3] != 0;
  StartParagraph();
  return true;
}

int TRVMarkerItemInfo::GetRvfExtraPropertyCount() const {
  return TRVRectItemInfo::GetRvfExtraPropertyCount() + (NoHTMLImageSize ? 1 : 0);
}

void TRVMarkerItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVRectItemInfo::WriteRvfExtraProperties(Stream);
  if (NoHTMLImageSize) WriteRvfIntProperty(Stream, rvepNoHTMLImageSize, 1);
}

void TRVMarkerItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                                bool ForceSameAsPrev) {
  (void)ItemNo, (void)Name;
  WriteRvfHeader(Stream, RVData, GetRvfExtraPropertyCount(), 0, ForceSameAsPrev);
  WriteRvfExtraProperties(Stream);
}

bool TRVMarkerItemInfo::SetExtraIntProperty(int Prop, int Value) {
  if (Prop == rvepNoHTMLImageSize) {
    NoHTMLImageSize = Value != 0;
    return true;
  }
  return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
}

bool TRVMarkerItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  if (Prop == rvepNoHTMLImageSize) {
    Value = NoHTMLImageSize ? 1 : 0;
    return true;
  }
  return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
}

void TRVMarkerItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVRectItemInfo::AssignProperties(Source);
  if (auto *m = dynamic_cast<const TRVMarkerItemInfo *>(&Source)) {
    ListNo = m->ListNo;
    Level = m->Level;
    StartFrom = m->StartFrom;
    Reset = m->Reset;
    NoHTMLImageSize = m->NoHTMLImageSize;
  }
  StartParagraph();
}

// ------------------------------------------------------------ text form

namespace {

// Bullets of the Symbol font as plain characters.
std::string MapSymbolBullets(const std::string &s) {
  std::string r;
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 0xA7 && c <= 0xAA) || c == 0xB7 || c == 0xD7 || c == 0xE0)
      r += '*';
    else if (c == 0xDB)
      r += "<=>";
    else if (c == 0xDC)
      r += "<=";
    else if (c == 0xDE)
      r += "=>";
    else if (c == 0xAB)
      r += "<->";
    else if (c == 0xAC)
      r += "<-";
    else if (c == 0xAE)
      r += "->";
    else
      r += ch;
  }
  return r;
}

// UTF-16 to the ANSI code page; a character the code page lacks becomes "*"
// rather than the conversion's "?".
std::string WideBulletToAnsi(std::u16string_view w) {
  std::string r;
  for (size_t i = 0; i < w.size();) {
    size_t n = (w[i] >= 0xD800 && w[i] <= 0xDBFF && i + 1 < w.size()) ? 2 : 1;
    std::u16string_view ch = w.substr(i, n);
    std::string out;
    bool usedDefault = false;
    if (!tryFromUtf16(CP_ACP, ch, out, &usedDefault) || usedDefault || out.empty()) out = "*";
    r += out;
    i += n;
  }
  return r;
}

} // namespace

std::string TRVMarkerItemInfo::GetMarkerText(const TRVStyle *RVStyle, bool Unicode) const {
  const TRVListLevel *L = GetLevelInfo(RVStyle);
  if (!L) return std::string();
  std::string ansi;
  switch (L->ListType) {
  case rvlstPicture:
  case rvlstImageList:
  case rvlstImageListCounter:
    ansi = "* ";
    break;
  case rvlstUnicodeBullet:
    if (Unicode) return WideStringToRaw(L->FormatStringW + u" ");
    ansi = WideBulletToAnsi(L->FormatStringW) + " ";
    break;
  default: {
    const TRVMarkerFont *f = L->FontIfAny();
    bool symbol = f && ansiCompareText(f->Name, "Symbol") == 0;
    ansi = (symbol ? MapSymbolBullets(DisplayString) : DisplayString) + " ";
    break;
  }
  }
  return Unicode ? AnsiToUnicode(0, ansi) : ansi;
}

std::string TRVMarkerItemInfo::AsText(int LineWidth, char LineChar, TCustomRVData *RVData,
                                      const std::string &Text, const std::string &Path, bool TextOnly,
                                      bool Unicode) {
  (void)LineWidth, (void)LineChar, (void)Text, (void)Path, (void)TextOnly;
  return GetMarkerText(RVData ? RVData->GetRVStyle() : nullptr, Unicode);
}

// ---------------------------------------------------------- undo, styles

void TRVMarkerItemInfo::MovingToUndoList(int ItemNo, TCustomRVData *RVData) {
  TRVRectItemInfo::MovingToUndoList(ItemNo, RVData);
  if (RVData) RVData->RemoveMarkerFromList(this, false);
}

void TRVMarkerItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData *RVData) {
  TRVRectItemInfo::MovingFromUndoList(ItemNo, RVData);
  if (RVData) RVData->AddMarkerToList(ItemNo);
}

void TRVMarkerItemInfo::MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed,
                                       TRVIntegerList &ListUsed) {
  TRVRectItemInfo::MarkUsedStyles(TextUsed, ParaUsed, ListUsed);
  if (ListNo >= 0 && ListNo < ListUsed.Count()) ListUsed.Put(ListNo, 1);
}

void TRVMarkerItemInfo::RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                                       const TRVIntegerList &ListShift) {
  TRVRectItemInfo::RenumberStyles(TextShift, ParaShift, ListShift);
  if (ListNo >= 0 && ListNo < ListShift.Count()) ListNo -= ListShift[ListNo] - 1;
}

// ------------------------------------------------------------- HTML, RTF

namespace {

THtmlFontDesc HtmlFontOf(const TRVMarkerFont &f) {
  THtmlFontDesc d;
  d.Name = f.Name;
  d.Size = f.Size;
  d.Color = f.Color;
  d.Style = f.Style;
  return d;
}

// The location of a picture written for the page; empty when none was written.
std::string SaveHtmlPicture(TCustomRVData *RVData, const TGraphic &Graphic, TRVHTMLSaveContext &Context) {
  std::string location;
  if (RVData)
    RVData->SaveImageFileEx(Context.Path, &Graphic, rvsfHTML, Context.ImagesPrefix, Context.ImageCounter,
                            Context.SaveOptions.Has(rvsoOverwriteImages), Context.CurrentBackColor, location);
  return SlashPath(location);
}

// An image of an image list on the page's background, written once per
// list, index and colour.
std::string SaveHtmlListImage(TCustomRVData *RVData, const TCustomImageList &List, int Index,
                              TRVHTMLSaveContext &Context) {
  for (const TRVHTMLBulletInfo &b : Context.Bullets)
    if (b.ImageList == &List && b.ImageIndex == Index && b.BackColor == Context.CurrentBackColor) return b.FileName;
  QImage img(List.Width(), List.Height(), QImage::Format_ARGB32);
  const TColor back = ColorToRGB(Context.CurrentBackColor == clNone ? clWhite : Context.CurrentBackColor);
  img.fill(QColor(GetRValue(back), GetGValue(back), GetBValue(back)));
  {
    QtCanvas canvas(&img);
    List.Draw(canvas, 0, 0, Index);
  }
  TBitmap bmp(img);
  std::string location = SaveHtmlPicture(RVData, bmp, Context);
  if (!location.empty())
    Context.Bullets.push_back(TRVHTMLBulletInfo{&List, Index, Context.CurrentBackColor, location});
  return location;
}

int64_t ListImageIndex(const TRVListLevel &L, int32_t Counter) {
  int64_t index = L.ImageIndex;
  if (L.ListType == rvlstImageListCounter) index += int64_t(Counter) - 1;
  return index;
}

} // namespace

void TRVMarkerItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo,
                                   const std::string &Text, TRVHTMLSaveContext &Context) {
  (void)ItemNo, (void)Text;
  const TRVStyle *style = RVData ? RVData->GetRVStyle() : nullptr;
  const TRVListLevel *L = GetLevelInfo(style);
  if (!L) return;
  // The room of the marker, when the text does not start behind the marker's
  // own indent anyway.
  const bool widthNeeded = L->LeftIndent <= L->MarkerIndent;
  const int64_t width = int64_t(L->LeftIndent) + L->FirstIndent - L->MarkerIndent;
  switch (L->ListType) {
  case rvlstPicture: {
    if (!L->HasPicture()) return;
    const TGraphic &g = *L->PictureIfAny();
    std::string location = SaveHtmlPicture(RVData, g, Context);
    if (location.empty()) return;
    std::string attrs = " ";
    if (!NoHTMLImageSize)
      attrs += "width=" + std::to_string(g.width()) + " height=" + std::to_string(g.height()) + " ";
    Stream += "<IMG" + attrs + "src=\"" + location + "\">";
    return;
  }
  case rvlstImageList:
  case rvlstImageListCounter: {
    const int64_t index = ListImageIndex(*L, Counter);
    if (!L->ImageList || index < 0 || index >= L->ImageList->Count()) return;
    std::string location = SaveHtmlListImage(RVData, *L->ImageList, static_cast<int>(index), Context);
    if (location.empty()) return;
    std::string attrs = " ";
    if (!NoHTMLImageSize)
      attrs += "width=" + std::to_string(L->ImageList->Width()) + " height=" +
               std::to_string(L->ImageList->Height()) + " ";
    std::string img = "<IMG" + attrs + "src=\"" + location + "\">";
    if (Context.UseCSS && widthNeeded)
      Stream += "<SPAN style=\"width:" + std::to_string(width) + "px\">" + img + "</SPAN>";
    else
      Stream += img;
    return;
  }
  default:
    break;
  }
  TRVMarkerFont def;
  const TRVMarkerFont &font = L->FontIfAny() ? *L->FontIfAny() : def;
  const std::string text = L->ListType == rvlstUnicodeBullet
                               ? UnicodeToHtml(WideStringToRaw(L->FormatStringW), false, false)
                               : MakeHtmlText(DisplayString);
  if (Context.UseCSS) {
    Stream += "<SPAN style=\"{" + FontToCss(HtmlFontOf(font));
    if (widthNeeded) Stream += " width: " + std::to_string(width) + "px;";
    Stream += "}\">" + text + "</SPAN>";
  } else {
    THtmlFontDesc base;
    if (style && style->TextStyles().Count() > 0) {
      const TFontInfo *t0 = style->TextStyles()[0];
      base.Name = t0->FontName;
      base.Size = t0->Size;
      base.Color = t0->Color;
      base.Style = t0->Style;
    }
    const THtmlFontDesc f = HtmlFontOf(font);
    Stream += HtmlOpenFontTags(f, base) + text + HtmlCloseFontTags(f, base);
  }
}

std::string TRVMarkerItemInfo::GetHTMLListItemStyle(TCustomRVData *RVData, TRVHTMLSaveContext &Context) {
  const TRVListLevel *L = GetLevelInfo(RVData ? RVData->GetRVStyle() : nullptr);
  if (!L) return std::string();
  std::string location;
  if (L->ListType == rvlstPicture && L->HasPicture()) {
    location = SaveHtmlPicture(RVData, *L->PictureIfAny(), Context);
  } else if (IsImageListType(L->ListType)) {
    const int64_t index = ListImageIndex(*L, Counter);
    if (L->ImageList && index >= 0 && index < L->ImageList->Count())
      location = SaveHtmlListImage(RVData, *L->ImageList, static_cast<int>(index), Context);
  }
  if (location.empty()) return std::string();
  return " style=\"{ list-style: url('" + location + "') }\"";
}

void TRVMarkerItemInfo::SaveRTFEx(std::string &Stream, const TRVStyle *RVStyle, const TRVRTFFontTable *FontTable,
                                  int ListOverrideNo, TRVRTFSaveContext &Context) const {
  const TRVListLevel *L = GetLevelInfo(RVStyle);
  if (!L) return;
  switch (L->ListType) {
  case rvlstPicture:
    if (L->HasPicture()) {
      const TGraphic &g = *L->PictureIfAny();
      RVSaveGraphicToRTF(Stream, g, g.width(), g.height(), Context);
    }
    return;
  case rvlstImageList:
  case rvlstImageListCounter: {
    const int64_t index = ListImageIndex(*L, Counter);
    if (!L->ImageList || index < 0 || index >= L->ImageList->Count()) return;
    QImage img(L->ImageList->Width(), L->ImageList->Height(), QImage::Format_RGB32);
    img.fill(Qt::white);
    {
      QtCanvas canvas(&img);
      L->ImageList->Draw(canvas, 0, 0, static_cast<int>(index));
    }
    TBitmap bmp(img);
    RVSaveGraphicToRTF(Stream, bmp, bmp.width(), bmp.height(), Context);
    return;
  }
  default:
    break;
  }
  TRVMarkerFont def;
  const TRVMarkerFont &font = L->FontIfAny() ? *L->FontIfAny() : def;
  Stream += "{\\listtext\\pard\\plain";
  // The level font's character codes.
  int fontNo = FontTable ? FontTable->Find(font.Name, font.Charset) : -1;
  Stream += "\\f" + std::to_string(fontNo < 0 ? 0 : fontNo);
  if (font.Style & fsBold) Stream += "\\b";
  if (font.Style & fsItalic) Stream += "\\i";
  if (font.Style & fsUnderline) Stream += "\\ul";
  if (font.Style & fsStrikeOut) Stream += "\\strike";
  Stream += "\\fs" + std::to_string(int64_t(font.Size) * 2);
  if (font.Color != clWindowText && Context.ColorList) {
    int c = Context.ColorList->IndexOf(font.Color);
    if (c >= 0) Stream += "\\cf" + std::to_string(c);
  }
  Stream += " ";
  if (L->ListType == rvlstUnicodeBullet)
    Stream += RtfUnicodeText(WideStringToRaw(L->FormatStringW), 0);
  else
    Stream += RtfEscapeText(DisplayString);
  Stream += "\\tab}\\ls" + std::to_string(ListOverrideNo) + "\\ilvl" + std::to_string(Level);
}

int TRVMarkerItemInfo::GetRTFListOverrideNo(const TRVStyle *RVStyle, const TRVMarkerList *List) const {
  if (!RestartsRTFList(RVStyle) || !List) return ListNo + 1;
  // The plain overrides of the list styles come first, then those of the
  // restarting markers, list style by list style, each in document order.
  int before = 0;
  bool passed = false;
  for (int i = 0; i < List->Count(); ++i) {
    const TRVMarkerItemInfo *m = List->Items(i);
    if (m == this) {
      passed = true;
      continue;
    }
    if (!m->RestartsRTFList(RVStyle)) continue;
    if (m->ListNo < ListNo || (m->ListNo == ListNo && !passed)) ++before;
  }
  return RVStyle->ListStyles().Count() + before + 1;
}

void RVMakeRTFFontTable(const TRVStyle &RVStyle, TRVRTFFontTable &Table) {
  Table.Clear();
  const TFontInfos &texts = RVStyle.TextStyles();
  for (int i = 0; i < texts.Count(); ++i) Table.AddUnique(texts[i]->FontName, texts[i]->Charset);
  const TRVListInfos &lists = RVStyle.ListStyles();
  for (int i = 0; i < lists.Count(); ++i)
    for (int j = 0; j < lists[i]->Levels.Count(); ++j)
      if (const TRVMarkerFont *f = lists[i]->Levels.Items(j)->FontIfAny()) Table.AddUnique(f->Name, f->Charset);
}

void TRVMarkerItemInfo::SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                                TRVRTFSaveContext &Context) {
  (void)ItemNo, (void)Name;
  const TRVStyle *style = RVData ? RVData->GetRVStyle() : nullptr;
  if (!GetLevelInfo(style)) return;
  // The writer's font table is made the same way from the style sheet.
  TRVRTFFontTable fonts;
  RVMakeRTFFontTable(*style, fonts);
  TRVMarkerList *list = RVData->GetMarkers(false);
  GetIndexInList(list);
  SaveRTFEx(Stream, style, &fonts, GetRTFListOverrideNo(style, list), Context);
}

void TRVMarkerItemInfo::FillRTFTables(TRVColorList &ColorList, TRVRTFFontTable &FontTable, TCustomRVData *RVData) {
  const TRVListLevel *L = GetLevelInfo(RVData ? RVData->GetRVStyle() : nullptr);
  if (!L || !L->FontIfAny()) return;
  ColorList.AddUnique(L->FontIfAny()->Color);
  FontTable.AddUnique(L->FontIfAny()->Name, L->FontIfAny()->Charset);
}

bool TRVMarkerItemInfo::RestartsRTFList(const TRVStyle *RVStyle) const {
  const TRVListLevel *L = GetLevelInfo(RVStyle);
  return Reset && L && L->HasNumbering() && L->ListType != rvlstImageListCounter;
}

} // namespace kc
