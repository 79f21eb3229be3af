// The list-marker item: its number text, size, painting, RVF and text forms.
#include "richtext/document/RVMarker.h"

#include <algorithm>
#include <charconv>
#include <climits>

#include "platform/CodePage.h"
#include "platform/ImageList.h"
#include "platform/QtCanvas.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVMarkerParts.h"
#include "richtext/document/RVUni.h"

namespace kc {

using namespace rvmarker;

namespace {

bool IsNumberedType(TRVListType t) { return t >= rvlstDecimal && t <= rvlstUpperRoman; }

} // namespace

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
                                           const TRVMarkerItemInfo *WalkFrom, const TRVMarkerList *List, int Index) {
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
      TSize ext =
          L->ListType == rvlstUnicodeBullet ? Canvas->textExtentW(L->FormatStringW) : Canvas->textExtent(DisplayString);
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
                                           const TRVStyle *RVStyle, const TRVScreenAndDevice *sad, bool RightToLeft) {
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

void TRVMarkerItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo *DrawLine, bool Printing, TCanvas *Canvas,
                                         TCustomRVData *RVData, const TRVScreenAndDevice *sad, bool &Resized,
                                         int &AHeight) {
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

void TRVMarkerItemInfo::PaintMarker(int X, int Y, TCanvas &Canvas, const TRVStyle *RVStyle, uint8_t ColorMode) const {
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
    if (index >= 0 && index < L->ImageList->Count()) L->ImageList->Draw(Canvas, X, Y, static_cast<int>(index));
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

bool TRVMarkerItemInfo::PrintToBitmap(TBitmap &Bitmap, bool Preview, TCustomRVData *RVData, TRVDrawLineInfo *DrawLine,
                                      int Part, uint8_t ColorMode) {
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
                              const TRVScreenAndDevice &sad, TRVDrawLineInfo *DrawLine, int Part, uint8_t ColorMode,
                              TCustomRVData *RVData) {
  (void)X2, (void)Preview, (void)Correction, (void)sad, (void)DrawLine, (void)Part;
  PaintMarker(X, Y, Canvas, RVData ? RVData->GetRVStyle() : nullptr, ColorMode);
}

bool TRVMarkerItemInfo::GetFlag(int Property) const {
  switch (Property) {
  case rvbpDrawingChangesFont:
  case rvbpCanSaveUnicode: return true;
  default: return TRVRectItemInfo::GetFlag(Property);
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
  case rvbsfActualSize: return true;
  default: return TRVRectItemInfo::GetStyleFlag(Property, RVStyle);
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
    if ((c >= 0xA7 && c <= 0xAA) || c == 0xB7 || c == 0xD7 || c == 0xE0) r += '*';
    else if (c == 0xDB) r += "<=>";
    else if (c == 0xDC) r += "<=";
    else if (c == 0xDE) r += "=>";
    else if (c == 0xAB) r += "<->";
    else if (c == 0xAC) r += "<-";
    else if (c == 0xAE) r += "->";
    else r += ch;
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
  case rvlstImageListCounter: ansi = "* "; break;
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

std::string TRVMarkerItemInfo::AsText(int LineWidth, char LineChar, TCustomRVData *RVData, const std::string &Text,
                                      const std::string &Path, bool TextOnly, bool Unicode) {
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

void TRVMarkerItemInfo::MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed) {
  TRVRectItemInfo::MarkUsedStyles(TextUsed, ParaUsed, ListUsed);
  if (ListNo >= 0 && ListNo < ListUsed.Count()) ListUsed.Put(ListNo, 1);
}

void TRVMarkerItemInfo::RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                                       const TRVIntegerList &ListShift) {
  TRVRectItemInfo::RenumberStyles(TextShift, ParaShift, ListShift);
  if (ListNo >= 0 && ListNo < ListShift.Count()) ListNo -= ListShift[ListNo] - 1;
}

} // namespace kc
