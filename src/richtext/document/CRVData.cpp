#include "richtext/document/CRVData.h"

#include <QWidget>

#include <algorithm>

#include "platform/Beep.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"
#include "richtext/document/RVUniClusters.h"

namespace kc {

namespace {

constexpr uint32_t StateClearing = 0x80;
constexpr uint32_t StateClearedByClear = (1u << 21) | (1u << 22);

bool IsMarker(const TCustomRVItemInfo *Item) { return Item && Item->StyleNo == rvsListMarker; }

// The last marker inside the nested documents of Item, searched from their
// ends.
TRVMarkerItemInfo *LastMarkerInside(TCustomRVItemInfo *Item);

TRVMarkerItemInfo *LastMarkerInData(const TCustomRVData *Data, int From) {
  for (int j = From; j >= 0; --j) {
    TCustomRVItemInfo *item = Data->GetItem(j);
    if (IsMarker(item)) return static_cast<TRVMarkerItemInfo *>(item);
    if (TRVMarkerItemInfo *m = LastMarkerInside(item)) return m;
  }
  return nullptr;
}

TRVMarkerItemInfo *LastMarkerInside(TCustomRVItemInfo *Item) {
  int loc = -1;
  for (TCustomRVData *sub = Item->GetSubRVData(loc, rvdLast); sub; sub = Item->GetSubRVData(loc, rvdPrev))
    if (TRVMarkerItemInfo *m = LastMarkerInData(sub, sub->GetItemCount() - 1)) return m;
  return nullptr;
}

// The last marker of the sub-documents of Item that come before Sub (one of
// Item's own), searched backwards from the one just before Sub.
TRVMarkerItemInfo *LastMarkerInEarlierSubData(TCustomRVItemInfo *Item, const TCustomRVData *Sub) {
  int loc = -1;
  TCustomRVData *sub = Item->GetSubRVData(loc, rvdFirst);
  while (sub && sub != Sub) sub = Item->GetSubRVData(loc, rvdNext);
  if (!sub) return nullptr;
  for (sub = Item->GetSubRVData(loc, rvdPrev); sub; sub = Item->GetSubRVData(loc, rvdPrev))
    if (TRVMarkerItemInfo *m = LastMarkerInData(sub, sub->GetItemCount() - 1)) return m;
  return nullptr;
}

} // namespace

void RVRaiseItemIndexError() { throw ERichVistaError("Item index is out of bounds"); }

void CheckUnicodeByteLength(size_t ByteCount) {
  if (ByteCount % 2 != 0) throw ERichVistaError("Can't perform Unicode operation");
}

void TRVDataHost::Beep() { kc::Beep(); }

// ===========================================================================
// Item list

int TCustomRVData::TRVItemList::IndexOfObject(const TCustomRVItemInfo *Item) const {
  if (!Item) return -1;
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Item.get() == Item) return int(i);
  return -1;
}

void TCustomRVData::TRVItemList::Noting(const TCustomRVItemInfo *Item) {
  if (Item && Item->PlacesWindow()) FWindowed.push_back(const_cast<TCustomRVItemInfo *>(Item));
}

void TCustomRVData::TRVItemList::Forgetting(const TCustomRVItemInfo *Item) {
  if (FWindowed.empty() || !Item) return;
  const auto it = std::find(FWindowed.begin(), FWindowed.end(), Item);
  if (it == FWindowed.end()) return;
  *it = FWindowed.back();
  FWindowed.pop_back();
}

void TCustomRVData::TRVItemList::Insert(int i, std::string Text, std::unique_ptr<TCustomRVItemInfo> Item) {
  if (i < 0 || i > Count()) throw EListError(i);
  const TCustomRVItemInfo *item = Item.get();
  FItems.insert(FItems.begin() + i, TRVItemEntry{std::move(Text), std::move(Item)});
  Noting(item);
}

int TCustomRVData::TRVItemList::Add(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item) {
  const TCustomRVItemInfo *item = Item.get();
  FItems.push_back(TRVItemEntry{std::move(Text), std::move(Item)});
  Noting(item);
  return Count() - 1;
}

std::unique_ptr<TCustomRVItemInfo> TCustomRVData::TRVItemList::Detach(int i) {
  Forgetting(FItems[Check(i)].Item.get());
  FBorrowed.erase(FItems[size_t(i)].Item.get());
  return std::move(FItems[size_t(i)].Item);
}

void TCustomRVData::TRVItemList::Delete(int i, int Count_) {
  if (Count_ <= 0) return;
  Check(i);
  Check(i + Count_ - 1);
  if (!FWindowed.empty())
    for (int k = i; k < i + Count_; ++k) Forgetting(FItems[size_t(k)].Item.get());
  ReleaseBorrowed(size_t(i), size_t(i + Count_));
  FItems.erase(FItems.begin() + i, FItems.begin() + i + Count_);
}

void TCustomRVData::TRVItemList::ReleaseBorrowed(size_t From, size_t To) {
  if (FBorrowed.empty()) return;
  for (size_t k = From; k < To; ++k)
    if (FItems[k].Item && FBorrowed.erase(FItems[k].Item.get()) > 0) (void)FItems[k].Item.release();
}

std::deque<TCustomRVData::TRVItemEntry> TCustomRVData::TRVItemList::TakeAll() {
  ReleaseBorrowed(0, FItems.size());
  FWindowed.clear();
  FBorrowed.clear();
  return std::exchange(FItems, {});
}

void TCustomRVData::TRVItemList::Clear() {
  ReleaseBorrowed(0, FItems.size());
  FItems.clear();
  FWindowed.clear();
  FBorrowed.clear();
}

void TCustomRVData::TRVItemList::ShareFrom(const TRVItemList &Source) {
  Clear();
  FShared = true;
  for (const TRVItemEntry &e : Source.FItems) {
    FItems.push_back(TRVItemEntry{e.Text, std::unique_ptr<TCustomRVItemInfo>(e.Item.get())});
    if (e.Item) FBorrowed.insert(e.Item.get());
  }
  FWindowed = Source.FWindowed;
}

TCustomRVData::TRVItemList::~TRVItemList() { ReleaseBorrowed(0, FItems.size()); }

// ===========================================================================
// Construction

TCustomRVData::TCustomRVData() = default;

TCustomRVData::~TCustomRVData() { TCustomRVData::Clear(); }

TRVDataHost &TCustomRVData::RootHost() const {
  const TCustomRVData *root = GetRootData();
  if (root && root != this) return root->RootHost();
  if (FHost) return *FHost;
  if (!FOwnHost) FOwnHost = std::make_unique<TRVDataHost>();
  return *FOwnHost;
}

// ===========================================================================
// Host questions: the root answers, from its host

#define KC_AT_ROOT(call)                                                                                               \
  do {                                                                                                                 \
    TCustomRVData *root_ = GetRootData();                                                                              \
    if (root_ && root_ != this) return root_->call;                                                                    \
  } while (0)
#define KC_AT_ABSROOT(call)                                                                                            \
  do {                                                                                                                 \
    TCustomRVData *root_ = GetAbsoluteRootData();                                                                      \
    if (root_ && root_ != this) return root_->call;                                                                    \
  } while (0)

TRVOptions TCustomRVData::GetOptions() const {
  KC_AT_ROOT(GetOptions());
  return RootHost().Options;
}
void TCustomRVData::SetOptions(TRVOptions Value) {
  KC_AT_ROOT(SetOptions(Value));
  RootHost().Options = Value;
}
TRVFOptions TCustomRVData::GetRVFOptions() const {
  KC_AT_ROOT(GetRVFOptions());
  return RootHost().RVFOptions;
}
void TCustomRVData::SetRVFOptions(TRVFOptions Value) {
  KC_AT_ROOT(SetRVFOptions(Value));
  RootHost().RVFOptions = Value;
}
TRVRTFOptions TCustomRVData::GetRTFOptions() const {
  KC_AT_ROOT(GetRTFOptions());
  return RootHost().RTFOptions;
}
void TCustomRVData::SetRTFOptions(TRVRTFOptions Value) {
  KC_AT_ROOT(SetRTFOptions(Value));
  RootHost().RTFOptions = Value;
}
TRVFWarnings TCustomRVData::GetRVFWarnings() const {
  KC_AT_ROOT(GetRVFWarnings());
  return RootHost().RVFWarnings;
}
void TCustomRVData::SetRVFWarnings(TRVFWarnings Value) {
  KC_AT_ROOT(SetRVFWarnings(Value));
  RootHost().RVFWarnings = Value;
}
TRVFReaderStyleMode TCustomRVData::GetRVFTextStylesReadMode() const {
  KC_AT_ROOT(GetRVFTextStylesReadMode());
  return RootHost().RVFTextStylesReadMode;
}
TRVFReaderStyleMode TCustomRVData::GetRVFParaStylesReadMode() const {
  KC_AT_ROOT(GetRVFParaStylesReadMode());
  return RootHost().RVFParaStylesReadMode;
}
uint16_t TCustomRVData::GetFlags() const {
  KC_AT_ROOT(GetFlags());
  return RootHost().Flags;
}
void TCustomRVData::SetFlags(uint16_t Value) {
  KC_AT_ROOT(SetFlags(Value));
  RootHost().Flags = Value;
}
TRVStyle *TCustomRVData::GetRVStyle() const {
  if (TCustomRVData *parent = GetParentData()) return parent->GetRVStyle();
  return RootHost().Style;
}
HPALETTE TCustomRVData::GetPalette() const {
  KC_AT_ROOT(GetPalette());
  return RootHost().Palette;
}
const TRVLogPalette *TCustomRVData::GetPaletteInfo() const {
  KC_AT_ROOT(GetPaletteInfo());
  return RootHost().LogPalette;
}
TRVPaletteAction TCustomRVData::GetDoInPaletteMode() const {
  KC_AT_ROOT(GetDoInPaletteMode());
  return RootHost().DoInPaletteMode;
}
TRVBiDiMode TCustomRVData::GetBiDiMode() const {
  KC_AT_ROOT(GetBiDiMode());
  return RootHost().BiDiMode;
}
std::string TCustomRVData::GetDelimiters() const {
  KC_AT_ROOT(GetDelimiters());
  return RootHost().Delimiters;
}
TRVRTFReaderProperties *TCustomRVData::GetRTFReadProperties() const {
  KC_AT_ROOT(GetRTFReadProperties());
  return RootHost().RTFReadProperties;
}
QWidget *TCustomRVData::GetParentControl() const {
  KC_AT_ROOT(GetParentControl());
  return RootHost().ParentControl;
}

bool TCustomRVData::DoSaveItemToFile(const std::string &Path, int ItemNo, TRVSaveFormat Format, bool Unicode,
                                     std::string &Text) {
  KC_AT_ABSROOT(DoSaveItemToFile(Path, ItemNo, Format, Unicode, Text));
  return FHost && FHost->DoSaveItemToFile(Path, this, ItemNo, Format, Unicode, Text);
}

void TCustomRVData::DoItemAction(TRVItemAction Action, TCustomRVItemInfo *Item, std::string &Text,
                                 TCustomRVData *RVData) {
  KC_AT_ABSROOT(DoItemAction(Action, Item, Text, RVData));
  if (FHost) FHost->DoItemAction(Action, Item, Text, RVData);
}

bool TCustomRVData::DoSaveComponentToFile(const std::string &Path, TControl *Control, TRVSaveFormat Format,
                                          std::string &Text) {
  KC_AT_ABSROOT(DoSaveComponentToFile(Path, Control, Format, Text));
  return FHost && FHost->DoSaveComponentToFile(this, Path, Control, Format, Text);
}

void TCustomRVData::DoItemHint(int ItemNo, std::string &HintText) {
  KC_AT_ABSROOT(DoItemHint(ItemNo, HintText));
  if (FHost) FHost->DoItemHint(this, ItemNo, HintText);
}

std::unique_ptr<TGraphic> TCustomRVData::DoRVFPictureNeeded(const std::string &Name, const TRVTag &Tag) {
  KC_AT_ROOT(DoRVFPictureNeeded(Name, Tag));
  return FHost ? FHost->DoRVFPictureNeeded(Name, Tag) : nullptr;
}

void TCustomRVData::DoControlAction(TRVControlAction Action, int ItemNo, TControl *&Control) {
  if (TCustomRVData *root = GetAbsoluteRootData(); root && root != this) {
    root->DoControlAction(Action, ItemNo, Control);
    return;
  }
  if (FHost) FHost->DoControlAction(this, Action, ItemNo, Control);
}

void TCustomRVData::ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo *Item) {
  if (auto *c = dynamic_cast<TRVControlItemInfo *>(Item)) {
    TControl *control = c->Control();
    DoControlAction(Action, ItemNo, control);
  }
}

TControl *TCustomRVData::DoRVFControlNeeded(const std::string &Name, const TRVTag &Tag) {
  KC_AT_ROOT(DoRVFControlNeeded(Name, Tag));
  return FHost ? FHost->DoRVFControlNeeded(Name, Tag) : nullptr;
}

TCustomImageList *TCustomRVData::DoRVFImageListNeeded(int ImageListTag) {
  KC_AT_ROOT(DoRVFImageListNeeded(ImageListTag));
  return FHost ? FHost->DoRVFImageListNeeded(ImageListTag) : nullptr;
}

void TCustomRVData::DoHTMLSaveImage(int ItemNo, const std::string &Path, TColor BackgroundColor, std::string &Location,
                                    bool &DoDefault) {
  KC_AT_ABSROOT(DoHTMLSaveImage(ItemNo, Path, BackgroundColor, Location, DoDefault));
  if (FHost) FHost->DoHTMLSaveImage(this, ItemNo, Path, BackgroundColor, Location, DoDefault);
}

void TCustomRVData::DoSaveImage2(const TGraphic *Graphic, TRVSaveFormat SaveFormat, const std::string &Path,
                                 const std::string &ImagePrefix, int &ImageSaveNo, std::string &Location,
                                 bool &DoDefault) {
  KC_AT_ABSROOT(DoSaveImage2(Graphic, SaveFormat, Path, ImagePrefix, ImageSaveNo, Location, DoDefault));
  if (FHost) FHost->DoSaveImage2(Graphic, SaveFormat, Path, ImagePrefix, ImageSaveNo, Location, DoDefault);
}

void TCustomRVData::DoJump(int ID) { (void)ID; }

void TCustomRVData::DoURLNeeded(int ID, std::string &URL) {
  KC_AT_ROOT(DoURLNeeded(ID, URL));
  URL.clear();
  RootHost().DoURLNeeded(this, ID, URL);
}

bool TCustomRVData::HasProgressHandler() const {
  KC_AT_ABSROOT(HasProgressHandler());
  return FHost && FHost->HasProgressHandler();
}

void TCustomRVData::DoProgress(int Operation, int Stage, uint8_t PercentDone) {
  KC_AT_ABSROOT(DoProgress(Operation, Stage, PercentDone));
  if (FHost) FHost->DoProgress(Operation, Stage, PercentDone);
}

void TCustomRVData::DoSaveRTFExtra(int Area, std::string &RTFCode) {
  KC_AT_ABSROOT(DoSaveRTFExtra(Area, RTFCode));
  if (FHost) FHost->DoSaveRTFExtra(Area, this, RTFCode);
}

void TCustomRVData::DoSaveHTMLExtra(int Area, bool CSSVersion, std::string &HTMLCode) {
  KC_AT_ABSROOT(DoSaveHTMLExtra(Area, CSSVersion, HTMLCode));
  if (FHost) FHost->DoSaveHTMLExtra(Area, CSSVersion, HTMLCode);
}

void TCustomRVData::DoReadHyperlink(const std::string &Target, const std::string &Extras, TRVLoadFormat DocFormat,
                                    int &StyleNo, TRVTag &ItemTag, std::string &ItemName) {
  KC_AT_ROOT(DoReadHyperlink(Target, Extras, DocFormat, StyleNo, ItemTag, ItemName));
  RootHost().DoReadHyperlink(this, Target, Extras, DocFormat, StyleNo, ItemTag, ItemName);
}

void TCustomRVData::DoWriteHyperlink(int ID, int ItemNo, TRVSaveFormat SaveFormat, std::string &Target,
                                     std::string &Extras) {
  KC_AT_ABSROOT(DoWriteHyperlink(ID, ItemNo, SaveFormat, Target, Extras));
  if (FHost) FHost->DoWriteHyperlink(this, ID, ItemNo, SaveFormat, Target, Extras);
}

std::unique_ptr<TGraphic> TCustomRVData::DoImportPicture(const std::string &Location) {
  KC_AT_ABSROOT(DoImportPicture(Location));
  return FHost ? FHost->DoImportPicture(this, Location) : nullptr;
}

TRVOwnedLists &TCustomRVData::GetOwnedLists() {
  KC_AT_ROOT(GetOwnedLists());
  return RootHost().OwnedLists;
}

void TCustomRVData::FreeOwnedLists() {
  if (GetRootData() != this) return;
  TRVOwnedLists &l = RootHost().OwnedLists;
  l.TextMap.reset();
  l.ParaMap.reset();
  l.ListMap.reset();
}

std::unique_ptr<TBitmap> TCustomRVData::DoPrintComponent(TControl *Control) {
  KC_AT_ABSROOT(DoPrintComponent(Control));
  return FHost ? FHost->DoPrintComponent(this, Control) : nullptr;
}

#undef KC_AT_ROOT
#undef KC_AT_ABSROOT

void TCustomRVData::GetExportRange(int &First, int &FirstOffs, int &Last, int &LastOffs, int &Dummy1, int &Dummy2) {
  Dummy1 = 0;
  Dummy2 = 0;
  if (GetItemCount() == 0) return;
  First = 0;
  FirstOffs = GetOffsBeforeItem(0);
  Last = GetItemCount() - 1;
  LastOffs = GetItemEndOffset(Last);
}

// ===========================================================================
// Item access

std::string TCustomRVData::GetItemTextA(int ItemNo) const {
  const TCustomRVItemInfo *item = GetItem(ItemNo);
  const std::string &s = Items.Strings(ItemNo);
  if (!item->IsUnicode()) return s;
  return UnicodeToAnsi(GetStyleCodePage(GetActualStyle(item)), s);
}

int TCustomRVData::GetActualStyleEx(int StyleNo, int ParaNo) const {
  if (StyleNo != rvsDefStyle) return StyleNo;
  const TRVStyle *st = GetRVStyle();
  if (!st) return 0;
  const int d = st->ParaStyles().GetParaStyleSafe(ParaNo)->DefStyleNo;
  return d < 0 ? 0 : d;
}

int TCustomRVData::GetActualStyle(const TCustomRVItemInfo *Item) const {
  return GetActualStyleEx(Item->StyleNo, Item->ParaNo);
}

int TCustomRVData::GetItemStyle(int ItemNo) const { return GetActualStyle(GetItem(ItemNo)); }

bool TCustomRVData::IsParaStart(int ItemNo) const { return GetItem(ItemNo)->IsParaStart(); }
bool TCustomRVData::IsFromNewLine(int ItemNo) const { return GetItem(ItemNo)->IsFromNewLine(); }

bool TCustomRVData::PageBreakBefore(int ItemNo) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) RVRaiseItemIndexError();
  // The page break of a list paragraph stands on its marker; item 0 has no
  // item before it to look at.
  if (ItemNo > 0 && IsMarker(GetItem(ItemNo - 1))) return GetItem(ItemNo - 1)->GetPageBreakBefore();
  return GetItem(ItemNo)->GetPageBreakBefore();
}

int TCustomRVData::GetItemLength(int ItemNo) const {
  const int n = int(Items.Strings(ItemNo).size());
  return GetItem(ItemNo)->IsUnicode() ? n / 2 : n;
}

int TCustomRVData::GetOffsBeforeItem(int ItemNo) const { return GetItem(ItemNo)->IsText() ? 1 : 0; }

int TCustomRVData::GetItemEndOffset(int ItemNo) const {
  return GetItem(ItemNo)->IsText() ? GetItemLength(ItemNo) + 1 : 1;
}

void TCustomRVData::ClampItemNo(int &ItemNo) const {
  if (ItemNo >= GetItemCount()) ItemNo = GetItemCount() - 1;
  if (ItemNo < 0) ItemNo = 0;
}

template <class T> T *TCustomRVData::CheckItemClass(int ItemNo) const {
  T *item = dynamic_cast<T *>(GetItem(ItemNo));
  if (!item) throw ERichVistaError("Can't get or set this kind of information for this item");
  return item;
}

void TCustomRVData::GetBreakInfo(int ItemNo, uint8_t &AWidth, uint8_t &AStyle, TColor &AColor, TRVTag &ATag) const {
  const auto *b = CheckItemClass<TRVBreakItemInfo>(ItemNo);
  AWidth = b->LineWidth;
  AStyle = b->BreakStyle;
  AColor = b->Color;
  ATag = b->Tag;
}

void TCustomRVData::GetBulletInfo(int ItemNo, std::string &AName, int &AImageIndex, TCustomImageList *&AImageList,
                                  TRVTag &ATag) const {
  const auto *b = CheckItemClass<TRVBulletItemInfo>(ItemNo);
  AName = Items.Strings(ItemNo);
  AImageIndex = b->ImageIndex;
  AImageList = b->ImageList;
  ATag = b->Tag;
}

void TCustomRVData::GetHotspotInfo(int ItemNo, std::string &AName, int &AImageIndex, int &AHotImageIndex,
                                   TCustomImageList *&AImageList, TRVTag &ATag) const {
  const auto *h = CheckItemClass<TRVHotspotItemInfo>(ItemNo);
  AName = Items.Strings(ItemNo);
  AImageIndex = h->ImageIndex;
  AHotImageIndex = h->HotImageIndex;
  AImageList = h->ImageList;
  ATag = h->Tag;
}

void TCustomRVData::GetPictureInfo(int ItemNo, std::string &AName, TGraphic *&AGraphic, TRVVAlign &AVAlign,
                                   TRVTag &ATag) const {
  auto *g = CheckItemClass<TRVGraphicItemInfo>(ItemNo);
  AName = Items.Strings(ItemNo);
  AGraphic = g->Image.get();
  AVAlign = g->VAlign;
  ATag = g->Tag;
}

void TCustomRVData::GetControlInfo(int ItemNo, std::string &AName, TControl *&AControl, TRVVAlign &AVAlign,
                                   TRVTag &ATag) const {
  const auto *c = CheckItemClass<TRVControlItemInfo>(ItemNo);
  AName = Items.Strings(ItemNo);
  AControl = c->Control();
  AVAlign = c->VAlign;
  ATag = c->Tag;
}

bool TCustomRVData::GetItemExtraIntProperty(int ItemNo, int Prop, int &Value) const {
  return GetItem(ItemNo)->GetExtraIntProperty(Prop, Value);
}

int TCustomRVData::FindControlItemNo(const TControl *Control) const {
  for (int i = 0; i < GetItemCount(); ++i)
    if (GetItem(i)->OwnsControl(Control)) return i;
  return -1;
}

int TCustomRVData::GetStyleCodePage(int StyleNo) const {
  const TRVStyle *st = GetRVStyle();
  if (!st) return 0;
  if (StyleNo < 0) return int(st->DefCodePage);
  return CharsetToCodePage(st->TextStyles().GetTextStyleSafe(StyleNo)->Charset);
}

int TCustomRVData::GetDefCodePage() const {
  const TRVStyle *st = GetRVStyle();
  return st ? int(st->DefCodePage) : 0;
}

TRVBiDiMode TCustomRVData::GetParaBiDiMode(int ParaNo) const {
  if (const TRVStyle *st = GetRVStyle()) {
    const TRVBiDiMode m = st->ParaStyles().GetParaStyleSafe(ParaNo)->BiDiMode;
    if (m != rvbdUnspecified) return m;
  }
  return GetBiDiMode();
}

TRVBiDiMode TCustomRVData::GetItemBiDiMode(int ItemNo) const {
  const TCustomRVItemInfo *item = GetItem(ItemNo);
  if (item->IsText())
    if (const TRVStyle *st = GetRVStyle()) {
      const TRVBiDiMode m = st->TextStyles().GetTextStyleSafe(GetActualStyle(item))->BiDiMode;
      if (m != rvbdUnspecified) return m;
    }
  return GetParaBiDiMode(item->ParaNo);
}

bool TCustomRVData::IsDelimiter(const std::string &s, int Index, TRVItemOptions ItemOptions) const {
  const std::string delimiters = GetDelimiters();
  if (Index < 1) return false;
  if (ItemOptions.Has(rvioUnicode)) {
    if (size_t(Index) * 2 > s.size()) return false;
    const char16_t c = UnitAt(s, size_t(Index - 1));
    return c < 0x100 && delimiters.find(char(c)) != std::string::npos;
  }
  if (size_t(Index) > s.size()) return false;
  return delimiters.find(s[size_t(Index - 1)]) != std::string::npos;
}

// ===========================================================================
// Navigation

int TCustomRVData::GetFirstParaItemNo(int ItemNo) const {
  while (ItemNo > 0 && !IsParaStart(ItemNo)) --ItemNo;
  return ItemNo;
}

int TCustomRVData::GetFirstLineItemNo(int ItemNo) const {
  while (ItemNo > 0 && !IsFromNewLine(ItemNo)) --ItemNo;
  return ItemNo;
}

void TCustomRVData::ExpandToPara(int FirstItemNo, int LastItemNo, int &NewFirstItemNo, int &NewLastItemNo) const {
  NewFirstItemNo = GetFirstParaItemNo(FirstItemNo);
  NewLastItemNo = LastItemNo + 1;
  while (NewLastItemNo < GetItemCount() && !IsParaStart(NewLastItemNo)) ++NewLastItemNo;
  --NewLastItemNo;
}

void TCustomRVData::ExpandToLine(int FirstItemNo, int LastItemNo, int &NewFirstItemNo, int &NewLastItemNo) const {
  NewFirstItemNo = GetFirstLineItemNo(FirstItemNo);
  NewLastItemNo = LastItemNo + 1;
  while (NewLastItemNo < GetItemCount() && !IsFromNewLine(NewLastItemNo)) ++NewLastItemNo;
  --NewLastItemNo;
}

// A character is a grapheme cluster: a letter with its marks, a surrogate
// pair, an emoji sequence, a flag or a Hangul syllable goes as one.
int TCustomRVData::GetPrevCharOffset(int ItemNo, int Offs) const {
  const TCustomRVItemInfo *item = GetItem(ItemNo);
  if (!RVNT || !item->IsUnicode()) return Offs - 1;
  const std::string &s = Items.Strings(ItemNo);
  const int n = int(s.size() / 2);
  if (Offs <= 2 || Offs > n + 1) return Offs - 1;
  return PrevCharBoundary(s, Offs, rvuniUnicodeBit);
}

int TCustomRVData::GetNextCharOffset(int ItemNo, int Offs) const {
  const TCustomRVItemInfo *item = GetItem(ItemNo);
  if (!RVNT || !item->IsUnicode()) return Offs + 1;
  const std::string &s = Items.Strings(ItemNo);
  const int n = int(s.size() / 2);
  if (Offs < 1 || Offs > n) return Offs + 1;
  return NextCharBoundary(s, Offs, rvuniUnicodeBit);
}

// ===========================================================================
// Appending

void TCustomRVData::AddItem(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item) {
  TCustomRVItemInfo *item = Item.get();
  const int count = GetItemCount();
  TCustomRVItemInfo *last = count > 0 ? GetItem(count - 1) : nullptr;
  // A list marker always begins its paragraph, and an item that occupies a
  // whole line never continues one.
  const bool mayContinue = !IsMarker(item) && !item->GetFlag(rvbpFullWidth);
  if (item->ParaNo == -1 && last && !last->GetFlag(rvbpFullWidth) && mayContinue) {
    item->SetContinuePara(true);
    item->ParaNo = last->ParaNo;
  } else {
    if (IsMarker(last)) AddTextItem(std::string(), 0, -1, 0);
    item->ItemOptions.Exclude(rvioContinuePara);
    if (item->GetFlag(rvbpFullWidth) || IsMarker(item)) item->ItemOptions.Exclude(rvioLineBreakBefore);
    if (item->ParaNo == -1) item->ParaNo = 0;
  }
  // A checkpoint that the item brings from elsewhere becomes the pending one.
  if (const std::unique_ptr<TRVCPInfo> own = std::move(item->Checkpoint)) {
    const bool hadPending = NotAddedCP != nullptr;
    AddCheckpointTag(own->Name, own->RaiseEvent, own->Tag);
    if (!hadPending) NotAddedCP->Persistent = own->Persistent;
  }
  AttachPendingCheckpoint(item, LastCP, NotAddedCP);
  item->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetPalette(), GetPaletteInfo());
  item->Inserting(this, Text, false);
  const int index = Items.Add(std::move(Text), std::move(Item));
  item->Inserted(this, index);
  AddMarkerToList(index);
}

void TCustomRVData::ExpandTabs(std::string &Text, int StyleNo) const {
  const TRVStyle *st = GetRVStyle();
  const int spaces = st ? st->SpacesInTab() : 8;
  const bool unicode = st && StyleNo >= 0 && st->TextStyles().GetTextStyleSafe(StyleNo)->Unicode;
  Text = unicode ? ExpandTabsW(Text, spaces) : ExpandTabsA(Text, spaces);
}

void TCustomRVData::AddTextItem(const std::string &Text, int StyleNo, int ParaNo, const TRVTag &Tag) {
  std::unique_ptr<TCustomRVItemInfo> item = RichVistaTextItemClass(this);
  item->StyleNo = StyleNo < 0 ? rvsDefStyle : StyleNo;
  item->ParaNo = ParaNo;
  item->Tag = CopyTag(Tag, TagsArePChars());
  std::string s = Text;
  const TRVStyle *st = GetRVStyle();
  const int actual = item->GetActualStyleNo(st);
  if (st && st->TextStyles().GetTextStyleSafe(actual)->Unicode) {
    item->ItemOptions.Include(rvioUnicode);
    s = AnsiToUnicode(GetStyleCodePage(actual), s);
  }
  ExpandTabs(s, actual);
  AddItem(std::move(s), std::move(item));
}

void TCustomRVData::AddBreakExTag(uint8_t Width, uint8_t Style, TColor Color, const TRVTag &Tag) {
  auto item = std::make_unique<TRVBreakItemInfo>(this, Color, Style, Width);
  item->ItemOptions.Exclude(rvioContinuePara);
  item->ParaNo = 0;
  item->Tag = CopyTag(Tag, TagsArePChars());
  AddItem(std::string(), std::move(item));
}

void TCustomRVData::AddBulletExTag(const std::string &Name, int ImageIndex, TCustomImageList *ImageList, int ParaNo,
                                   const TRVTag &Tag) {
  auto item = std::make_unique<TRVBulletItemInfo>(this, ImageIndex, ImageList, rvvaBaseline);
  item->ParaNo = ParaNo;
  item->Tag = CopyTag(Tag, TagsArePChars());
  AddItem(Name, std::move(item));
}

void TCustomRVData::AddHotPicture(const std::string &Name, std::unique_ptr<TGraphic> Graphic, int ParaNo,
                                  TRVVAlign VAlign, const TRVTag &Tag) {
  auto item = std::make_unique<TRVHotGraphicItemInfo>(this, std::move(Graphic), VAlign);
  item->ParaNo = ParaNo;
  item->Tag = CopyTag(Tag, TagsArePChars());
  AddItem(Name, std::move(item));
}

void TCustomRVData::AddControl(const std::string &Name, TControl *Control, int ParaNo, TRVVAlign VAlign,
                               const TRVTag &Tag) {
  auto item = std::make_unique<TRVControlItemInfo>(this, Control, VAlign);
  item->StyleNo = rvsComponent;
  item->ParaNo = ParaNo;
  item->Tag = CopyTag(Tag, TagsArePChars());
  TRVControlItemInfo *c = item.get();
  AddItem(Name, std::move(item));
  if (c->Control()) c->Control()->setParent(GetParentControl());
}

int TCustomRVData::AddCheckpointTag(const std::string &Name, bool RaiseEvent, const TRVTag &Tag) {
  if (NotAddedCP) return CPCount - 1;
  NotAddedCP = std::make_unique<TRVCPInfo>();
  NotAddedCP->Name = Name;
  NotAddedCP->Tag = CopyTag(Tag, TagsArePChars());
  NotAddedCP->RaiseEvent = RaiseEvent;
  return CPCount++;
}

// ===========================================================================
// Inserting and deleting

bool TCustomRVData::InsertItemAt(int &Index, std::string &Text, std::unique_ptr<TCustomRVItemInfo> &Item,
                                 bool &FullReformat, int &NewListNo) {
  FullReformat = false;
  NewListNo = -1;
  // A bad index leaves the item with the caller, untouched.
  if (Index < 0 || Index > GetItemCount()) throw EListError(Index);
  TCustomRVItemInfo *item = Item.get();
  if (IsMarker(item)) {
    item->ItemOptions.Exclude(rvioContinuePara);
    item->ItemOptions.Exclude(rvioLineBreakBefore);
  }
  item->Inserting(this, Text, false);
  Items.Insert(Index, Text, std::move(Item));
  item->Inserted(this, Index);
  AddMarkerToList(Index);
  return true;
}

void TCustomRVData::FreeItem(std::unique_ptr<TCustomRVItemInfo> Item, bool Clearing) {
  if (!Item) return;
  RemoveMarkerFromList(Item.get(), Clearing);
  // Nested documents are emptied while they can still reach the absolute
  // root, so that their markers leave its list before they go.
  int loc = -1;
  for (TCustomRVData *sub = Item->GetSubRVData(loc, rvdFirst); sub; sub = Item->GetSubRVData(loc, rvdNext))
    sub->Clear();
  // A checkpoint that was never linked here (a copied item's) only goes
  // with its item.
  if (TRVCPInfo *cp = Item->Checkpoint.get(); cp && cp->ItemInfo == Item.get()) UnlinkCheckpoint(cp, true);
  Item.reset();
}

void TCustomRVData::DestroyItem(int ItemNo, bool Clearing) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  std::string text = Items.Strings(ItemNo);
  DoItemAction(rviaDestroying, item, text, this);
  ControlAction(rvcaDestroy, ItemNo, item);
  FreeItem(Items.Detach(ItemNo), Clearing);
}

void TCustomRVData::DeleteItems(int FirstItemNo, int Count) {
  if (SharesItems() || FirstItemNo < 0 || FirstItemNo >= GetItemCount()) return;
  Count = std::min(Count, GetItemCount() - FirstItemNo);
  if (Count <= 0) return;
  for (int i = FirstItemNo; i < FirstItemNo + Count; ++i) DestroyItem(i, false);
  Items.Delete(FirstItemNo, Count);
}

void TCustomRVData::Clear() {
  const bool wasClearing = (State & StateClearing) != 0;
  State |= StateClearing;
  State &= ~StateClearedByClear;
  if (!SharesItems()) {
    for (int i = 0; i < GetItemCount(); ++i) DestroyItem(i, true);
    Items.Clear();
  }
  FreePendingCheckpoint();
  FirstCP = LastCP = nullptr;
  if (TRVIntegerList *l = GetClearedList()) l->Clear();
  if (!wasClearing) State &= ~StateClearing;
}

void TCustomRVData::AssignItemsFrom(TCustomRVData *Source) {
  // A document moved onto itself stays as it is.
  if (!Source || Source == this) return;
  if (Source->TagsArePChars() != TagsArePChars())
    throw ERichVistaError("Can't assign RichVista to RichVista - tags types mismatch");
  for (TRVItemEntry &e : Source->Items.TakeAll()) {
    // The checkpoints travel with their items; the source's chain is given up.
    if (e.Item->Checkpoint) e.Item->Checkpoint->ItemInfo = nullptr;
    if (e.Item->GetContinuePara()) e.Item->ParaNo = -1;
    AddItem(std::move(e.Text), std::move(e.Item));
  }
  if (Source->NotAddedCP && !NotAddedCP) {
    NotAddedCP = std::move(Source->NotAddedCP);
    ++CPCount;
  }
  Source->NotAddedCP.reset();
  Source->FirstCP = Source->LastCP = nullptr;
  Source->CPCount = 0;
  Source->Clear();
}

bool TCustomRVData::CanJoinTextItems(int ItemNo, const TCustomRVItemInfo *Left, bool IgnoreParaFlag,
                                     const TCustomRVItemInfo *Right) const {
  if (!Left || !Right || !Left->IsText() || !Right->IsText()) return false;
  if (ItemNo < 0 || ItemNo + 1 >= GetItemCount()) return false;
  const std::string &ls = Items.Strings(ItemNo);
  const std::string &rs = Items.Strings(ItemNo + 1);
  if (ls.empty() || rs.empty()) return IgnoreParaFlag || Right->GetContinuePara();
  if (Left->StyleNo != Right->StyleNo) return false;
  if (!IgnoreParaFlag && !Right->GetContinuePara()) return false;
  const TRVStyle *st = GetRVStyle();
  if (st && st->TextStyles().GetTextStyleSafe(GetActualStyle(Left))->Unicode !=
                st->TextStyles().GetTextStyleSafe(GetActualStyle(Right))->Unicode)
    return false;
  if (Left->Hint != Right->Hint) return false;
  if (!AreTagsEqual(Left->Tag, Right->Tag, TagsArePChars())) return false;
  if (Right->Checkpoint) return false;
  if (!st) return true;
  const TRVProtectOptions p = st->TextStyles().GetTextStyleSafe(GetActualStyle(Left))->Protection;
  return !p.Has(rvprModifyProtect) && !p.Has(rvprConcateProtect);
}

// ===========================================================================
// Styles

void TCustomRVData::MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed) {
  for (int i = 0; i < GetItemCount(); ++i) GetItem(i)->MarkUsedStyles(TextUsed, ParaUsed, ListUsed);
}

void TCustomRVData::RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                                   const TRVIntegerList &ListShift) {
  for (int i = 0; i < GetItemCount(); ++i) GetItem(i)->RenumberStyles(TextShift, ParaShift, ListShift);
}

void TCustomRVData::UpdateItemsPalette() {
  const TRVPaletteAction action = GetDoInPaletteMode();
  const HPALETTE palette = GetPalette();
  const TRVLogPalette *log = GetPaletteInfo();
  for (int i = 0; i < GetItemCount(); ++i) GetItem(i)->UpdatePaletteInfo(action, false, palette, log);
}

// ===========================================================================
// Markers

TRVMarkerList *TCustomRVData::GetMarkers(bool AllowCreate) {
  TCustomRVData *root = GetAbsoluteRootData();
  if (root && root != this) return root->GetMarkers(AllowCreate);
  if (!FMarkers && AllowCreate) FMarkers = std::make_unique<TRVMarkerList>();
  return FMarkers.get();
}

void TCustomRVData::DestroyMarkers() {
  TCustomRVData *root = GetAbsoluteRootData();
  if (root && root != this) {
    root->DestroyMarkers();
    return;
  }
  FMarkers.reset();
}

void TCustomRVData::AddMarkerToList(int ItemNo) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  if (!IsMarker(item)) return;
  auto *marker = static_cast<TRVMarkerItemInfo *>(item);
  TRVMarkerList *list = GetMarkers(true);
  if (marker->GetIndexInList(list) >= 0) return;
  const int index = list->InsertAfter(marker, GetPrevMarker(ItemNo));
  list->RecalcCounters(index, GetRVStyle());
}

void TCustomRVData::RemoveMarkerFromList(TCustomRVItemInfo *Item, bool Clearing) {
  if (!IsMarker(Item)) return;
  auto *marker = static_cast<TRVMarkerItemInfo *>(Item);
  TRVMarkerList *list = GetMarkers(false);
  if (!list) return;
  const int index = list->Remove(marker);
  if (index < 0) return;
  if (list->Count() == 0) {
    DestroyMarkers();
    return;
  }
  if (Clearing) return;
  // The markers of the removed one's list that follow it count again.
  for (int j = index; j < list->Count(); ++j)
    if (list->Items(j)->ListNo == marker->ListNo) {
      list->RecalcCounters(j, GetRVStyle());
      break;
    }
}

void TCustomRVData::RecountMarkersFrom(int ItemNo, bool AllowCreate) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  if (!IsMarker(item)) return;
  TRVMarkerList *list = GetMarkers(AllowCreate);
  if (!list) return;
  const int index = static_cast<TRVMarkerItemInfo *>(item)->GetIndexInList(list);
  if (index >= 0) list->RecalcCounters(index, GetRVStyle());
}

TRVMarkerItemInfo *TCustomRVData::GetPrevMarker(int ItemNo) const {
  const TCustomRVData *data = this;
  int from = std::min(ItemNo, GetItemCount()) - 1;
  while (data) {
    if (TRVMarkerItemInfo *m = LastMarkerInData(data, from)) return m;
    TCustomRVData *parent = data->GetAbsoluteParentData();
    if (!parent) break;
    int parentItemNo = -1;
    void *location = nullptr;
    data->GetParentInfo(parentItemNo, location);
    // The owning item's sub-documents that come before this one (earlier
    // cells of the same table) precede it in document order.
    if (parentItemNo >= 0 && parentItemNo < parent->GetItemCount())
      if (TRVMarkerItemInfo *m = LastMarkerInEarlierSubData(parent->GetItem(parentItemNo), data)) return m;
    from = std::min(parentItemNo, parent->GetItemCount()) - 1;
    data = parent;
  }
  return nullptr;
}

int TCustomRVData::FindLastMarkerOfLists(const TRVIntegerList &Lists, int DownTo) const {
  for (int i = GetItemCount() - 1; i >= std::max(DownTo, 0); --i) {
    const TCustomRVItemInfo *item = GetItem(i);
    if (IsMarker(item) && Lists.IndexOf(static_cast<const TRVMarkerItemInfo *>(item)->ListNo) >= 0) return i;
  }
  return -1;
}

// ===========================================================================
// Search and small routines

int TCustomRVData::FindItemFrom(int Start, const TCustomRVItemInfo *Item) const {
  for (int i = std::max(Start, 0); i < GetItemCount(); ++i) {
    TCustomRVItemInfo *it = GetItem(i);
    if (it == Item) return i;
    int loc = -1;
    for (TCustomRVData *sub = it->GetSubRVData(loc, rvdFirst); sub; sub = it->GetSubRVData(loc, rvdNext))
      if (sub->FindItemFrom(0, Item) >= 0) return i;
  }
  return -1;
}

void TCustomRVData::UnifyParaNo(int ItemNo) {
  if (GetItemCount() == 0) return;
  ClampItemNo(ItemNo);
  const int first = GetFirstParaItemNo(ItemNo);
  const int para = GetItem(first)->ParaNo;
  for (int i = first + 1; i < GetItemCount() && !IsParaStart(i); ++i) GetItem(i)->ParaNo = para;
}

void TCustomRVData::Beep() {
  const TRVStyle *st = GetRVStyle();
  if (st && st->UseSound) RootHost().Beep();
}

void TCustomRVData::NotifyItemsInserting(TCustomRVData *RVData, bool Safe) {
  for (int i = 0; i < GetItemCount(); ++i) {
    std::string s = Items.Strings(i);
    GetItem(i)->Inserting(RVData, s, Safe);
    Items.SetString(i, std::move(s));
  }
}

void TCustomRVData::ShareItemsFrom(TCustomRVData *Source) {
  if (!Source || Source == this) return;
  Clear();
  Items.ShareFrom(Source->Items);
}

void TCustomRVData::ReplaceNullChars(std::string &s) { std::replace(s.begin(), s.end(), '\0', '?'); }

} // namespace kc
