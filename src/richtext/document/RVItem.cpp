// The base of all items, their RVF header and extra properties, and the
// factory that makes items by kind.
#include "richtext/document/RVItem.h"

#include "richtext/document/CRVData.h"
#include "richtext/document/RVItemParts.h"
#include "richtext/document/RVMarker.h"
#include "platform/Canvas.h"

namespace kc {

using namespace rvitem;

namespace {

const char *const IntPropNames[] = {"",          "vshift", "vshiftabs",       "width",   "height",    "transparent",
                                    "tmode",     "tcolor", "minheightonpage", "spacing", "resizable", "unremovable",
                                    "nohtmlsize"};
const char *const StrPropNames[] = {"", "hint", "alt", "filename"};

} // namespace

const char *RVFExtraIntPropertyName(int Prop) {
  return Prop >= 0 && Prop <= rvepNoHTMLImageSize ? IntPropNames[Prop] : "";
}
const char *RVFExtraStrPropertyName(int Prop) {
  return Prop >= 0 && Prop <= rvespImageFileName ? StrPropNames[Prop] : "";
}

// ===========================================================================
// Base item

TCustomRVItemInfo::TCustomRVItemInfo(TCustomRVData *RVData) { (void)RVData; }

TCustomRVItemInfo::~TCustomRVItemInfo() = default;

void TCustomRVItemInfo::SetContinuePara(bool Value) {
  if (Value) {
    ItemOptions.Include(rvioContinuePara);
    ItemOptions.Exclude(rvioPageBreakBefore);
    ItemOptions.Exclude(rvioLineBreakBefore);
  } else ItemOptions.Exclude(rvioContinuePara);
}

void TCustomRVItemInfo::SetLineBreakBefore(bool Value) {
  if (Value && !GetFlag(rvbpFullWidth)) {
    ItemOptions.Include(rvioLineBreakBefore);
    ItemOptions.Exclude(rvioContinuePara);
  } else ItemOptions.Exclude(rvioLineBreakBefore);
}

void TCustomRVItemInfo::SetPageBreakBefore(bool Value) {
  if (Value) {
    ItemOptions.Include(rvioPageBreakBefore);
    ItemOptions.Exclude(rvioContinuePara);
    ItemOptions.Exclude(rvioLineBreakBefore);
  } else ItemOptions.Exclude(rvioPageBreakBefore);
}

int TCustomRVItemInfo::GetActualStyleNo(const TRVStyle *RVStyle) const {
  if (StyleNo != rvsDefStyle) return StyleNo;
  if (!RVStyle) return 0;
  const int d = RVStyle->ParaStyles().GetParaStyleSafe(ParaNo)->DefStyleNo;
  return d < 0 ? 0 : d;
}

int TCustomRVItemInfo::GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *Canvas, TCustomRVData *RVData) {
  (void)Canvas, (void)RVData;
  return sad ? ScaleXToDevice(20, *sad) : 20;
}

bool TCustomRVItemInfo::GetFlag(int Property) const {
  switch (Property) {
  case rvbpValid:
  case rvbpRequiresRVFLines: return true;
  default: return Property >= 13;
  }
}

bool TCustomRVItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  (void)RVStyle;
  return Property == rvbsfPrintToBMP;
}

void TCustomRVItemInfo::PaintFullWidth(int, int, int, TCanvas &, TRVItemDrawStates, TRVStyle *, const TRect &,
                                       uint8_t) {}

void TCustomRVItemInfo::Paint(int, int, TCanvas &, TRVItemDrawStates, TRVStyle *, TRVDrawLineInfo *) {}

bool TCustomRVItemInfo::PrintToBitmap(TBitmap &, bool, TCustomRVData *, TRVDrawLineInfo *, int, uint8_t) {
  return false;
}

void TCustomRVItemInfo::Print(TCanvas &, int, int, int, bool, bool, const TRVScreenAndDevice &, TRVDrawLineInfo *, int,
                              uint8_t, TCustomRVData *) {}

int TCustomRVItemInfo::GetImageWidth(const TRVStyle *) const { return 0; }
int TCustomRVItemInfo::GetImageHeight(const TRVStyle *) const { return 0; }

std::unique_ptr<TRVDrawLineInfo> TCustomRVItemInfo::CreatePrintingDrawItem(TCustomRVData *,
                                                                           const TRVScreenAndDevice &) {
  return std::make_unique<TRVDrawLineInfo>();
}

void TCustomRVItemInfo::Inserting(TCustomRVData *RVData, std::string &Text, bool Safe) {
  (void)Safe;
  if (RVData) RVData->DoItemAction(rviaInserting, this, Text, RVData);
}

void TCustomRVItemInfo::Inserted(TCustomRVData *RVData, int ItemNo) {
  (void)ItemNo;
  if (RVData) {
    std::string empty;
    RVData->DoItemAction(rviaInserted, this, empty, RVData);
  }
}

void TCustomRVItemInfo::OnDocWidthChange(int, TRVDrawLineInfo *, bool, TCanvas *, TCustomRVData *,
                                         const TRVScreenAndDevice *, bool &Resized, int &Height) {
  Resized = false;
  Height = 1;
}

std::string TCustomRVItemInfo::WriteRvfHeaderTail(TCustomRVData *) const { return std::string(); }

int TCustomRVItemInfo::GetRvfExtraPropertyCount() const { return Hint.empty() ? 0 : 1; }

void TCustomRVItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  if (!Hint.empty()) WriteRvfStrProperty(Stream, rvespHint, Hint);
}

void TCustomRVItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  StyleNo = Source.StyleNo;
  ParaNo = Source.ParaNo;
  ItemOptions = Source.ItemOptions;
  Hint = Source.Hint;
}

void TCustomRVItemInfo::SaveToHTML(std::string &, TCustomRVData *, int, const std::string &, TRVHTMLSaveContext &) {}

std::string TCustomRVItemInfo::AsText(int, char, TCustomRVData *, const std::string &, const std::string &, bool,
                                      bool) {
  return std::string();
}

void TCustomRVItemInfo::UpdatePaletteInfo(TRVPaletteAction, bool, HPALETTE, const TRVLogPalette *) {}

bool TCustomRVItemInfo::ReadRvfHeaderTail(const std::string &, TCustomRVData *) { return true; }

bool TCustomRVItemInfo::ReadRVF(const std::string &s, TCustomRVData *, int, int, int, std::string &, int &) {
  ReadRvfExtraProperty(s);
  return true;
}

void TCustomRVItemInfo::SaveRVF(std::string &, TCustomRVData *, int, const std::string &, bool) {}

void TCustomRVItemInfo::SaveRTF(std::string &, TCustomRVData *, int, const std::string &, TRVRTFSaveContext &) {}

void TCustomRVItemInfo::MovingToUndoList(int ItemNo, TCustomRVData *RVData) {
  (void)ItemNo;
  if (!RVData) return;
  std::string text;
  const int i = RVData->GetItemNo(this);
  if (i >= 0) text = RVData->GetItemTextRaw(i);
  RVData->DoItemAction(rviaMovingToUndoList, this, text, RVData);
}

void TCustomRVItemInfo::MovingFromUndoList(int, TCustomRVData *) {}

void TCustomRVItemInfo::ShowItemHint(TCustomRVData *RVData, int ItemNo) {
  if (!RVData || !RVData->GetOptions().Has(rvoShowItemHints)) return;
  std::string hint = Hint;
  RVData->GetAbsoluteRootData()->DoItemHint(ItemNo, hint);
  TCustomRVData *root = RVData->GetAbsoluteRootData();
  if (root->Host()) root->Host()->ShowHint(hint);
}

void TCustomRVItemInfo::MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed) {
  (void)TextUsed, (void)ListUsed;
  if (ParaNo >= 0 && ParaNo < ParaUsed.Count()) ParaUsed.Put(ParaNo, 1);
}

void TCustomRVItemInfo::RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                                       const TRVIntegerList &ListShift) {
  (void)TextShift, (void)ListShift;
  if (ParaNo >= 0 && ParaNo < ParaShift.Count()) ParaNo -= ParaShift[ParaNo] - 1;
}

bool TCustomRVItemInfo::SetExtraIntProperty(int, int) { return false; }
bool TCustomRVItemInfo::GetExtraIntProperty(int, int &) const { return false; }

bool TCustomRVItemInfo::SetExtraStrProperty(int Prop, const std::string &Value) {
  if (Prop != rvespHint) return false;
  Hint = Value;
  return true;
}

bool TCustomRVItemInfo::GetExtraStrProperty(int Prop, std::string &Value) const {
  if (Prop != rvespHint) return false;
  Value = Hint.str();
  return true;
}

void TCustomRVItemInfo::ReadRvfExtraProperty(const std::string &s) {
  const size_t eq = s.find('=');
  if (eq == std::string::npos) return;
  const std::string name = s.substr(0, eq);
  const std::string value = s.substr(eq + 1);
  for (int p = 1; p <= rvepNoHTMLImageSize; ++p)
    if (name == IntPropNames[p]) {
      SetExtraIntProperty(p, StrToIntDef0(value));
      return;
    }
  for (int p = 1; p <= rvespImageFileName; ++p)
    if (name == StrPropNames[p]) {
      SetExtraStrProperty(p, value);
      return;
    }
  ReadUnknownRvfProperty(name, value);
}

void TCustomRVItemInfo::WriteRvfHeader(std::string &Stream, TCustomRVData *RVData, int LineCount, int Mode,
                                       bool ForceSameAsPrev) const {
  const bool tagsText = RVData && RVData->TagsArePChars();
  std::string para;
  const int p = (ForceSameAsPrev || GetContinuePara()) ? -1 : ParaNo;
  TRVStyle *st = RVData ? RVData->GetRVStyle() : nullptr;
  if (p >= 0 && st && RVData->GetRVFOptions().Has(rvfoUseStyleNames) && p < st->ParaStyles().Count())
    para = Quoted(st->ParaStyles()[p]->StyleName);
  else para = std::to_string(p);
  int options = ItemOptions.Raw_() & 0x0F;
  if (ForceSameAsPrev) options = (options | 1) & ~(2 | 4);
  std::string h = std::to_string(StyleNo) + " " + std::to_string(LineCount) + " " + para + " " +
                  std::to_string(options) + " " + std::to_string(Mode) + " " + TagToText(Tag, tagsText);
  const std::string tail = WriteRvfHeaderTail(RVData);
  if (!tail.empty()) h += " " + tail;
  WriteLine(Stream, h);
}

void TCustomRVItemInfo::WriteRvfIntProperty(std::string &Stream, int Prop, int Value) {
  WriteLine(Stream, std::string(RVFExtraIntPropertyName(Prop)) + "=" + std::to_string(Value));
}

void TCustomRVItemInfo::WriteRvfStrProperty(std::string &Stream, int Prop, const std::string &Value) {
  WriteLine(Stream, std::string(RVFExtraStrPropertyName(Prop)) + "=" + Value);
}

// ===========================================================================
// Registry and factory

namespace {
std::vector<TRichVistaItemTypeInfo> &Registry() {
  static std::vector<TRichVistaItemTypeInfo> r;
  return r;
}
} // namespace

TRVItemClass RichVistaTextItemClass = &RVItemClassOf<TRVTextItemInfo>;

void RegisterItemType(int StyleNo, TRVItemClass ItemClass) {
  static const char *const msg = "Can't register RichVista item type - this StyleNo is already registered";
  if (StyleNo >= -9) throw ERichVistaError(msg);
  for (const TRichVistaItemTypeInfo &e : Registry())
    if (e.StyleNo == StyleNo) {
      if (e.ItemClass == ItemClass) return;
      throw ERichVistaError(msg);
    }
  Registry().push_back(TRichVistaItemTypeInfo{StyleNo, ItemClass});
}

std::unique_ptr<TCustomRVItemInfo> CreateItemByStyleNo(int StyleNo, TCustomRVData *RVData) {
  std::unique_ptr<TCustomRVItemInfo> item;
  if (StyleNo >= 0) item = RichVistaTextItemClass(RVData);
  else switch (StyleNo) {
    case rvsListMarker: item = std::make_unique<TRVMarkerItemInfo>(RVData); break;
    case rvsHotPicture: item = std::make_unique<TRVHotGraphicItemInfo>(RVData); break;
    case rvsBullet: item = std::make_unique<TRVBulletItemInfo>(RVData); break;
    case rvsComponent: item = std::make_unique<TRVControlItemInfo>(RVData); break;
    case rvsHotspot: item = std::make_unique<TRVHotspotItemInfo>(RVData); break;
    case rvsPicture: item = std::make_unique<TRVGraphicItemInfo>(RVData); break;
    case rvsBreak: item = std::make_unique<TRVBreakItemInfo>(RVData); break;
    default:
      for (const TRichVistaItemTypeInfo &e : Registry())
        if (e.StyleNo == StyleNo) {
          item = e.ItemClass(RVData);
          break;
        }
    }
  if (item) item->StyleNo = StyleNo;
  return item;
}

std::unique_ptr<TCustomRVItemInfo> CopyItem(const TCustomRVItemInfo &Source, TCustomRVData *RVData,
                                            bool CopyCheckpoint) {
  std::unique_ptr<TCustomRVItemInfo> item = Source.NewInstance(RVData);
  item->StyleNo = Source.StyleNo;
  item->AssignProperties(Source);
  const bool tagsText = RVData && RVData->TagsArePChars();
  if (CopyCheckpoint && Source.Checkpoint) {
    // The copy's checkpoint is pending: the document that takes the item
    // links it (AddItem makes a pending checkpoint from it).
    item->Checkpoint = Source.Checkpoint->CreateCopy(tagsText);
    item->Checkpoint->ItemInfo = nullptr;
    item->Checkpoint->Next = item->Checkpoint->Prev = nullptr;
  }
  item->Tag = CopyTag(Source.Tag, tagsText);
  return item;
}

} // namespace kc
