#include "richtext/document/RVItem.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/ImageList.h"
#include "platform/QtCanvas.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVMultiDrawItem.h"

namespace kc {

// ===========================================================================
// Small helpers of the RVF pieces

namespace {

void WriteLine(std::string &Stream, const std::string &s) {
  Stream += s;
  Stream += "\r\n";
}

// A binary block: 4-byte little-endian count, the bytes, no line end.
void WriteBinaryBlock(std::string &Stream, const std::string &Bytes) {
  const uint32_t n = uint32_t(Bytes.size());
  for (int i = 0; i < 4; ++i)
    Stream += char((n >> (8 * i)) & 0xFF);
  Stream += Bytes;
}

std::string Quoted(const std::string &s) {
  std::string r = "\"";
  for (char c : s) {
    if (c == '"') r += '"';
    r += c;
  }
  r += '"';
  return r;
}

std::string TagToText(const TRVTag &Tag, bool TagsArePChars) {
  if (!TagsArePChars) return std::to_string(Tag.AsInt());
  if (Tag.AsText().empty()) return "0";
  return Quoted(Tag.AsText());
}

// Reads a decimal integer (optional '-') at Pos, passing over one blank
// after it. False without moving when there is none.
bool ReadInt(const std::string &s, size_t &Pos, int &Value) {
  size_t p = Pos;
  if (p < s.size() && s[p] == '-') ++p;
  if (p >= s.size() || s[p] < '0' || s[p] > '9') return false;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9')
    ++p;
  if (p < s.size() && s[p] != ' ' && s[p] != '\r' && s[p] != '\n') return false;
  long long v = 0;
  auto res = std::from_chars(s.data() + Pos, s.data() + p, v);
  if (res.ec != std::errc()) {
    // Out of the 32-bit range: keep the low 32 bits, as a typecast would.
    bool neg = s[Pos] == '-';
    unsigned long long u = 0;
    for (size_t i = Pos + (neg ? 1 : 0); i < p; ++i)
      u = u * 10 + unsigned(s[i] - '0');
    v = neg ? -static_cast<long long>(u) : static_cast<long long>(u);
  }
  Value = static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
  Pos = p;
  if (Pos < s.size() && s[Pos] == ' ') ++Pos;
  return true;
}

bool EmptyTail(const std::string &Field) { return Field.empty() || Field[0] == '\n' || Field[0] == '\r'; }

// Decimal value of an extra-property line; 0 when it is not a number.
int StrToIntDef0(const std::string &s) {
  size_t pos = 0;
  int v = 0;
  std::string t = s;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\r' || t.back() == '\n'))
    t.pop_back();
  if (!ReadInt(t, pos, v) || pos != t.size()) return 0;
  return v;
}

const char *const IntPropNames[] = {"",        "vshift",          "vshiftabs", "width",     "height",
                                    "transparent", "tmode",       "tcolor",    "minheightonpage",
                                    "spacing", "resizable",       "unremovable", "nohtmlsize"};
const char *const StrPropNames[] = {"", "hint", "alt", "filename"};

void AddWarning(TCustomRVData *RVData, TRVFWarning W) {
  if (!RVData) return;
  RVData->SetRVFWarnings(RVData->GetRVFWarnings() + TRVFWarnings{W});
}

bool IsMetafile(const TGraphic *g) { return g && std::strcmp(g->className(), "TMetafile") == 0; }
bool IsIcon(const TGraphic *g) { return g && std::strcmp(g->className(), "TIcon") == 0; }
bool IsJpeg(const TGraphic *g) { return g && std::strcmp(g->className(), "TJPEGImage") == 0; }

// The frame pen: 1 pixel, solid, clear brush.
void FramePen(TCanvas &Canvas, TColor Color) {
  Canvas.setPen(CanvasPen{Color, 1, TPenStyle::psSolid, TPenMode::pmCopy});
  Canvas.setBrush(CanvasBrush{Canvas.brush().Color, TBrushStyle::bsClear});
}

TColor SelectionColor(TRVItemDrawStates State, const TRVStyle *Style) {
  if (!Style) return clNone;
  return State.Has(rvidsControlFocused) ? Style->SelColor : Style->InactiveSelColor;
}

// The title attribute of a hint followed by a blank; empty without a hint.
std::string HtmlTitleBlank(const std::string &Hint) {
  if (Hint.empty()) return std::string();
  return MakeHtmlTitle(Hint) + " ";
}

// A file name relative to the page's folder: the folder part is dropped
// when the name lies inside it.
std::string RelativeToPath(const std::string &FileName, const std::string &Path) {
  if (!Path.empty() && FileName.size() > Path.size() && FileName.compare(0, Path.size(), Path) == 0) {
    std::string r = FileName.substr(Path.size());
    while (!r.empty() && (r[0] == '\\' || r[0] == '/'))
      r.erase(0, 1);
    return r;
  }
  return FileName;
}

int32_t LE32(const std::string &s, size_t at) {
  return int32_t(uint32_t(uint8_t(s[at])) | (uint32_t(uint8_t(s[at + 1])) << 8) |
                 (uint32_t(uint8_t(s[at + 2])) << 16) | (uint32_t(uint8_t(s[at + 3])) << 24));
}
uint16_t LE16(const std::string &s, size_t at) {
  return uint16_t(uint8_t(s[at]) | (uint8_t(s[at + 1]) << 8));
}

} // namespace

const char *RVFExtraIntPropertyName(int Prop) {
  return Prop >= 0 && Prop <= rvepNoHTMLImageSize ? IntPropNames[Prop] : "";
}
const char *RVFExtraStrPropertyName(int Prop) {
  return Prop >= 0 && Prop <= rvespImageFileName ? StrPropNames[Prop] : "";
}

// ===========================================================================
// Tags

TRVTag TRVTag::FromText(std::string Text) {
  TRVTag t;
  t.FText = std::make_unique<std::string>(std::move(Text));
  return t;
}

const std::string &TRVTag::AsText() const {
  static const std::string empty;
  return FText ? *FText : empty;
}

void TRVTag::Clear() {
  FInt = 0;
  FText.reset();
}

TRVTag::TRVTag(const TRVTag &Other)
    : FInt(Other.FInt), FText(Other.FText ? std::make_unique<std::string>(*Other.FText) : nullptr) {}

TRVTag &TRVTag::operator=(const TRVTag &Other) {
  if (this != &Other) {
    FInt = Other.FInt;
    FText = Other.FText ? std::make_unique<std::string>(*Other.FText) : nullptr;
  }
  return *this;
}

bool operator==(const TRVTag &A, const TRVTag &B) {
  if (A.IsText() || B.IsText()) return A.AsText() == B.AsText();
  return A.FInt == B.FInt;
}

bool AreTagsEqual(const TRVTag &A, const TRVTag &B, bool TagsArePChars) {
  if (!TagsArePChars) return A.AsInt() == B.AsInt();
  // No text is not the same as an empty text.
  if (!A.IsText() || !B.IsText()) return A.IsText() == B.IsText();
  return A.AsText() == B.AsText();
}

TRVTag CopyTag(const TRVTag &Tag, bool TagsArePChars) {
  (void)TagsArePChars;
  return Tag; // a copy never shares the text
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
  } else
    ItemOptions.Exclude(rvioContinuePara);
}

void TCustomRVItemInfo::SetLineBreakBefore(bool Value) {
  if (Value && !GetFlag(rvbpFullWidth)) {
    ItemOptions.Include(rvioLineBreakBefore);
    ItemOptions.Exclude(rvioContinuePara);
  } else
    ItemOptions.Exclude(rvioLineBreakBefore);
}

void TCustomRVItemInfo::SetPageBreakBefore(bool Value) {
  if (Value) {
    ItemOptions.Include(rvioPageBreakBefore);
    ItemOptions.Exclude(rvioContinuePara);
    ItemOptions.Exclude(rvioLineBreakBefore);
  } else
    ItemOptions.Exclude(rvioPageBreakBefore);
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
  case rvbpRequiresRVFLines:
    return true;
  default:
    return Property >= 13;
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

void TCustomRVItemInfo::Print(TCanvas &, int, int, int, bool, bool, const TRVScreenAndDevice &, TRVDrawLineInfo *,
                              int, uint8_t, TCustomRVData *) {}

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

void TCustomRVItemInfo::SaveToHTML(std::string &, TCustomRVData *, int, const std::string &,
                                   TRVHTMLSaveContext &) {}

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

void TCustomRVItemInfo::MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed,
                                       TRVIntegerList &ListUsed) {
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
  Value = Hint;
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
  else
    para = std::to_string(p);
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
  if (StyleNo >= 0)
    item = RichVistaTextItemClass(RVData);
  else
    switch (StyleNo) {
    case rvsListMarker:
      item = std::make_unique<TRVMarkerItemInfo>(RVData);
      break;
    case rvsHotPicture:
      item = std::make_unique<TRVHotGraphicItemInfo>(RVData);
      break;
    case rvsBullet:
      item = std::make_unique<TRVBulletItemInfo>(RVData);
      break;
    case rvsComponent:
      item = std::make_unique<TRVControlItemInfo>(RVData);
      break;
    case rvsHotspot:
      item = std::make_unique<TRVHotspotItemInfo>(RVData);
      break;
    case rvsPicture:
      item = std::make_unique<TRVGraphicItemInfo>(RVData);
      break;
    case rvsBreak:
      item = std::make_unique<TRVBreakItemInfo>(RVData);
      break;
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
    item->Checkpoint = Source.Checkpoint->CreateCopy(tagsText).release();
    item->Checkpoint->ItemInfo = nullptr;
    item->Checkpoint->Next = item->Checkpoint->Prev = nullptr;
  }
  item->Tag = CopyTag(Source.Tag, tagsText);
  return item;
}

// ===========================================================================
// Text

std::unique_ptr<TCustomRVItemInfo> TRVTextItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVTextItemInfo>(RVData);
}

bool TRVTextItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  switch (Property) {
  case rvbsfJump:
  case rvbsfAllowFocus:
  case rvbsfXORFocus:
  case rvbsfHotSpot: {
    if (!RVStyle) return false;
    const int s = GetActualStyleNo(RVStyle);
    if (!RVStyle->TextStyles().GetTextStyleSafe(s)->Jump) return false;
    if (Property != rvbsfHotSpot) return true;
    return const_cast<TRVStyle *>(RVStyle)->StyleHoverSensitive(s);
  }
  default:
    return TCustomRVItemInfo::GetStyleFlag(Property, RVStyle);
  }
}

bool TRVTextItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *) {
  if (EmptyTail(Field) || Field[0] != '"') return true;
  std::string hint;
  size_t i = 1;
  for (;;) {
    if (i >= Field.size()) return false;
    if (Field[i] == '"') {
      if (i + 1 < Field.size() && Field[i + 1] == '"') {
        hint += '"';
        i += 2;
        continue;
      }
      break;
    }
    hint += Field[i++];
  }
  Hint = hint;
  return true;
}

void TRVTextItemInfo::ExecuteJump(TCustomRVData *RVData) {
  if (RVData && GetStyleFlag(rvbsfJump, RVData->GetRVStyle())) RVData->DoJump(RVData->FirstJumpNo + JumpID);
}

void TRVTextItemInfo::MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed,
                                     TRVIntegerList &ListUsed) {
  TCustomRVItemInfo::MarkUsedStyles(TextUsed, ParaUsed, ListUsed);
  if (StyleNo != rvsDefStyle && StyleNo >= 0 && StyleNo < TextUsed.Count()) TextUsed.Put(StyleNo, 1);
}

void TRVTextItemInfo::RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                                     const TRVIntegerList &ListShift) {
  TCustomRVItemInfo::RenumberStyles(TextShift, ParaShift, ListShift);
  if (StyleNo != rvsDefStyle && StyleNo >= 0 && StyleNo < TextShift.Count()) StyleNo -= TextShift[StyleNo] - 1;
}

// ===========================================================================
// Non-text bases

int TRVNonTextItemInfo::GetRvfExtraPropertyCount() const {
  return TCustomRVItemInfo::GetRvfExtraPropertyCount() + (DeleteProtect ? 1 : 0);
}

void TRVNonTextItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TCustomRVItemInfo::WriteRvfExtraProperties(Stream);
  if (DeleteProtect) WriteRvfIntProperty(Stream, rvepDeleteProtect, 1);
}

void TRVNonTextItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TCustomRVItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVNonTextItemInfo *>(&Source)) DeleteProtect = s->DeleteProtect;
}

bool TRVNonTextItemInfo::SetExtraIntProperty(int Prop, int Value) {
  if (Prop != rvepDeleteProtect) return TCustomRVItemInfo::SetExtraIntProperty(Prop, Value);
  DeleteProtect = Value != 0;
  return true;
}

bool TRVNonTextItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  if (Prop != rvepDeleteProtect) return TCustomRVItemInfo::GetExtraIntProperty(Prop, Value);
  Value = DeleteProtect ? 1 : 0;
  return true;
}

bool TRVFullLineItemInfo::GetFlag(int Property) const {
  if (Property == rvbpFullWidth) return true;
  return TRVNonTextItemInfo::GetFlag(Property);
}

TRVRectItemInfo::TRVRectItemInfo(TCustomRVData *RVData) : TRVNonTextItemInfo(RVData) {}

std::string TRVRectItemInfo::WriteRvfHeaderTail(TCustomRVData *) const { return std::to_string(int(VAlign)); }

bool TRVRectItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *) {
  if (EmptyTail(Field)) {
    VAlign = rvvaBaseline;
    return true;
  }
  size_t pos = 0;
  int v = 0;
  if (!ReadInt(Field, pos, v)) return false;
  VAlign = v == 1 ? rvvaMiddle : rvvaBaseline;
  return true;
}

int TRVRectItemInfo::GetRvfExtraPropertyCount() const {
  return TRVNonTextItemInfo::GetRvfExtraPropertyCount() + (VShift != 0 ? 1 : 0) + (VShiftAbs ? 1 : 0) +
         (Spacing != 1 ? 1 : 0);
}

void TRVRectItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVNonTextItemInfo::WriteRvfExtraProperties(Stream);
  if (VShift != 0) WriteRvfIntProperty(Stream, rvepVShift, VShift);
  if (VShiftAbs) WriteRvfIntProperty(Stream, rvepVShiftAbs, 1);
  if (Spacing != 1) WriteRvfIntProperty(Stream, rvepSpacing, Spacing);
}

void TRVRectItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVNonTextItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVRectItemInfo *>(&Source)) {
    MinHeightOnPage = s->MinHeightOnPage;
    VAlign = s->VAlign;
    VShift = s->VShift;
    VShiftAbs = s->VShiftAbs;
    Spacing = s->Spacing;
  }
}

bool TRVRectItemInfo::SetExtraIntProperty(int Prop, int Value) {
  switch (Prop) {
  case rvepVShift:
    VShift = Value;
    return true;
  case rvepVShiftAbs:
    VShiftAbs = Value != 0;
    return true;
  case rvepSpacing:
    SetSpacing(Value);
    return true;
  default:
    return TRVNonTextItemInfo::SetExtraIntProperty(Prop, Value);
  }
}

bool TRVRectItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  switch (Prop) {
  case rvepVShift:
    Value = VShift;
    return true;
  case rvepVShiftAbs:
    Value = VShiftAbs ? 1 : 0;
    return true;
  case rvepSpacing:
    Value = Spacing;
    return true;
  default:
    return TRVNonTextItemInfo::GetExtraIntProperty(Prop, Value);
  }
}

void TRVRectItemInfo::PaintFrames(TCanvas &Canvas, int X, int Y, int Width, int Height, TRVItemDrawStates State,
                                  const TRVStyle *Style) const {
  if (!Style) return;
  if (State.Has(rvidsCurrent) && Style->CurrentItemColor != clNone) {
    FramePen(Canvas, Style->CurrentItemColor);
    Canvas.rectangle(Rect(X - 1, Y - 1, X + Width + 1, Y + Height + 1));
  }
  if (State.Has(rvidsSelected)) {
    const TColor c = SelectionColor(State, Style);
    if (c != clNone) {
      FramePen(Canvas, c);
      Canvas.rectangle(Rect(X, Y, X + Width, Y + Height));
    }
  }
}

// ===========================================================================
// Break

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData *RVData) : TRVFullLineItemInfo(RVData) { StyleNo = rvsBreak; }

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData *RVData, TColor AColor, uint8_t ABreakStyle, uint8_t ALineWidth)
    : TRVFullLineItemInfo(RVData) {
  StyleNo = rvsBreak;
  Color = AColor;
  BreakStyle = ABreakStyle;
  LineWidth = ALineWidth;
}

std::unique_ptr<TCustomRVItemInfo> TRVBreakItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVBreakItemInfo>(RVData);
}

bool TRVBreakItemInfo::GetFlag(int Property) const {
  if (Property == rvbpRequiresRVFLines) return false;
  return TRVFullLineItemInfo::GetFlag(Property);
}

bool TRVBreakItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  if (Property == rvbsfPrintToBMP) return false;
  return TRVFullLineItemInfo::GetStyleFlag(Property, RVStyle);
}

void TRVBreakItemInfo::PaintFullWidth(int Left, int Right, int Top, TCanvas &Canvas, TRVItemDrawStates State,
                                      TRVStyle *Style, const TRect &ClipRect, uint8_t ColorMode) {
  (void)ClipRect;
  const int y = Top + 5;
  const int l = Left + 5, r = Right - 5;
  TColor c = Color;
  if (c == clNone) c = Style ? Style->TextStyles().GetTextStyleSafe(0)->Color : clWindowText;
  c = ColorForColorMode(c, ColorMode);
  const int lw = LineWidth;
  switch (BreakStyle) {
  case 0:
    Canvas.setPen(CanvasPen{c, lw, TPenStyle::psSolid, TPenMode::pmCopy});
    Canvas.moveTo(l, y);
    Canvas.lineTo(r, y);
    break;
  case 1:
    FramePen(Canvas, c);
    Canvas.rectangle(Rect(l, y - lw / 2, r, y - lw / 2 + lw));
    break;
  case 2: {
    // Sunken: shadow on the top and left, face on the bottom and right.
    const int t = y - lw / 2, b = t + lw - 1, rr = r - 1;
    Canvas.setPen(CanvasPen{ColorForColorMode(clBtnShadow, ColorMode), 1, TPenStyle::psSolid, TPenMode::pmCopy});
    Canvas.moveTo(l, b);
    Canvas.lineTo(l, t);
    Canvas.lineTo(rr, t);
    Canvas.setPen(CanvasPen{ColorForColorMode(clBtnFace, ColorMode), 1, TPenStyle::psSolid, TPenMode::pmCopy});
    Canvas.moveTo(rr, t);
    Canvas.lineTo(rr, b);
    Canvas.lineTo(l - 1, b);
    break;
  }
  default:
    break;
  }
  if (State.Has(rvidsSelected)) {
    const TColor sc = SelectionColor(State, Style);
    if (sc != clNone) {
      Canvas.setPen(CanvasPen{sc, lw, TPenStyle::psSolid, TPenMode::pmCopy});
      Canvas.moveTo(l, y);
      Canvas.lineTo(r, y);
    }
  }
  Canvas.setPen(CanvasPen{Canvas.pen().Color, 1, TPenStyle::psSolid, TPenMode::pmCopy});
}

void TRVBreakItemInfo::Print(TCanvas &Canvas, int X, int Y, int X2, bool, bool, const TRVScreenAndDevice &,
                             TRVDrawLineInfo *, int, uint8_t ColorMode, TCustomRVData *RVData) {
  PaintFullWidth(X, X2, Y, Canvas, TRVItemDrawStates{}, RVData ? RVData->GetRVStyle() : nullptr, TRect{},
                 ColorMode);
}

void TRVBreakItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVFullLineItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVBreakItemInfo *>(&Source)) {
    LineWidth = s->LineWidth;
    BreakStyle = s->BreakStyle;
    Color = s->Color;
  }
}

std::string TRVBreakItemInfo::WriteRvfHeaderTail(TCustomRVData *) const {
  return std::to_string(Color) + " " + std::to_string(int(BreakStyle)) + " " + std::to_string(int(LineWidth));
}

bool TRVBreakItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *) {
  Color = clNone;
  BreakStyle = 0;
  LineWidth = 1;
  if (EmptyTail(Field)) return true;
  size_t pos = 0;
  int c = 0, s = 0, w = 1;
  if (!ReadInt(Field, pos, c)) return false;
  Color = c;
  if (pos < Field.size() && !EmptyTail(Field.substr(pos))) {
    if (!ReadInt(Field, pos, s)) return false;
    BreakStyle = uint8_t(s);
    if (pos < Field.size() && !EmptyTail(Field.substr(pos))) {
      if (!ReadInt(Field, pos, w)) return false;
      LineWidth = uint8_t(w);
    }
  }
  return true;
}

void TRVBreakItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int, const std::string &,
                               bool ForceSameAsPrev) {
  WriteRvfHeader(Stream, RVData, 0, 0, ForceSameAsPrev);
}

void TRVBreakItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *, int, const std::string &,
                                  TRVHTMLSaveContext &Context) {
  const std::string size = std::to_string(int(LineWidth));
  const std::string title = HtmlTitleBlank(Hint);
  if (Color != clNone && Context.UseCSS)
    Stream += "<HR noshade size=" + size + " " + title + "style=\"{color : " + ColorToHtml(Color) + "}\">";
  else if (Color != clNone)
    Stream += "<HR noshade size=" + size + " color=" + ColorToHtml(Color, true) + " " + title + ">";
  else
    Stream += "<HR noshade size=" + size + " " + title + ">";
}

namespace {
std::string RtfTableNesting(int Level) {
  if (Level <= 0) return std::string();
  if (Level == 1) return "\\intbl\\itap1";
  return "\\itap" + std::to_string(Level);
}
} // namespace

void TRVBreakItemInfo::SaveRTF(std::string &Stream, TCustomRVData *, int, const std::string &,
                               TRVRTFSaveContext &Context) {
  const std::string nest = RtfTableNesting(Context.Level);
  const int width = int(std::lround(LineWidth * Context.TwipsFactor));
  int colorIndex = 0;
  if (Color != clNone && Context.ColorList) colorIndex = std::max(0, Context.ColorList->IndexOf(Color));
  Stream += "\\pard" + nest + "\\plain\\fs6\\brdrb\\brdrs\\brdrw" + std::to_string(width) + "\\brdrcf" +
            std::to_string(colorIndex) + "\\par\\pard" + nest;
}

void TRVBreakItemInfo::FillRTFTables(TRVColorList &ColorList, TRVRTFFontTable &, TCustomRVData *) {
  if (Color != clNone) ColorList.AddUnique(Color);
}

std::string TRVBreakItemInfo::AsText(int LineWidth_, char LineChar, TCustomRVData *, const std::string &,
                                     const std::string &, bool, bool) {
  return std::string(size_t(std::max(LineWidth_, 1)), LineChar);
}

// ===========================================================================
// Pictures

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData *RVData) : TRVRectItemInfo(RVData) { StyleNo = rvsPicture; }

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData *RVData, std::unique_ptr<TGraphic> AImage,
                                       TRVVAlign AVAlign)
    : TRVRectItemInfo(RVData), Image(std::move(AImage)) {
  StyleNo = rvsPicture;
  VAlign = AVAlign;
}

TRVGraphicItemInfo::~TRVGraphicItemInfo() = default;

std::unique_ptr<TCustomRVItemInfo> TRVGraphicItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVGraphicItemInfo>(RVData);
}

int TRVGraphicItemInfo::GetImageWidth(const TRVStyle *) const {
  if (ImageWidth > 0) return ImageWidth;
  return Image ? Image->width() : 0;
}

int TRVGraphicItemInfo::GetImageHeight(const TRVStyle *) const {
  if (ImageHeight > 0) return ImageHeight;
  return Image ? Image->height() : 0;
}

int TRVGraphicItemInfo::GetWidth() const { return GetImageWidth(nullptr) + 2 * Spacing; }
int TRVGraphicItemInfo::GetHeight() const { return GetImageHeight(nullptr) + 2 * Spacing; }

int TRVGraphicItemInfo::GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *, TCustomRVData *) {
  const int w = GetImageWidth(nullptr) + 2 * Spacing;
  return sad ? ScaleXToDevice(w, *sad) : w;
}

bool TRVGraphicItemInfo::GetFlag(int Property) const {
  switch (Property) {
  case rvbpValid:
    return Image != nullptr;
  case rvbpDisplayActiveState:
  case rvbpDrawingChangesFont:
    return true;
  case rvbpResizable:
    return Image != nullptr && !IsIcon(Image.get());
  default:
    return TRVRectItemInfo::GetFlag(Property);
  }
}

bool TRVGraphicItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  if (Property == rvbsfPrintToBMP) return !IsMetafile(Image.get());
  return TRVRectItemInfo::GetStyleFlag(Property, RVStyle);
}

void TRVGraphicItemInfo::Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                               TRVDrawLineInfo *) {
  const int s = Spacing;
  const int w = GetImageWidth(Style), h = GetImageHeight(Style);
  const TRect dest = Bounds(X + s, Y + s, w, h);
  if (ImageCopy) {
    Canvas.drawGraphic(dest, *ImageCopy);
  } else if (Image) {
    if (IsMetafile(Image.get())) {
      const int level = Canvas.saveDC();
      Canvas.intersectClipRect(dest);
      Canvas.drawGraphic(dest, *Image);
      Canvas.restoreDC(level);
    } else
      Canvas.drawGraphic(dest, *Image);
  }
  PaintFrames(Canvas, X, Y, w + 2 * s, h + 2 * s, State, Style);
}

namespace {
// The top of a piece of a split picture inside the picture; 0 for the whole.
int PieceImageTop(TRVDrawLineInfo *DrawLine, int Part) {
  auto *multi = dynamic_cast<TRVMultiDrawItemInfo *>(DrawLine);
  if (!multi || Part < 0 || Part >= multi->PartsList.Count()) return 0;
  auto *piece = dynamic_cast<TRVImagePrintPart *>(multi->PartsList.Parts(Part));
  return piece ? piece->ImageTop : 0;
}
} // namespace

bool TRVGraphicItemInfo::PrintToBitmap(TBitmap &Bitmap, bool Preview, TCustomRVData *, TRVDrawLineInfo *DrawLine,
                                       int Part, uint8_t) {
  const TGraphic *g = (Preview && ImageCopy) ? ImageCopy.get() : Image.get();
  if (!g || Bitmap.width() <= 0 || Bitmap.height() <= 0) return false;
  QImage img = Bitmap.image().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  {
    QtCanvas canvas(&img);
    const int y = -PieceImageTop(DrawLine, Part);
    if (ImageWidth > 0 || ImageHeight > 0)
      canvas.drawGraphic(Bounds(0, y, img.width(), img.height()), *g);
    else
      canvas.drawGraphic(Bounds(0, y, g->width(), g->height()), *g);
  }
  Bitmap.setImage(std::move(img));
  return true;
}

void TRVGraphicItemInfo::Print(TCanvas &Canvas, int X, int Y, int X2, bool, bool, const TRVScreenAndDevice &sad,
                               TRVDrawLineInfo *DrawLine, int, uint8_t, TCustomRVData *) {
  (void)X2;
  if (!Image) return;
  int w, h;
  if (DrawLine) {
    w = DrawLine->Width;
    h = DrawLine->Height;
  } else {
    w = ScaleXToDevice(GetImageWidth(nullptr), sad);
    h = ScaleYToDevice(GetImageHeight(nullptr), sad);
  }
  const TRect r = Bounds(X, Y, w, h);
  const int level = Canvas.saveDC();
  Canvas.intersectClipRect(r);
  Canvas.drawGraphic(r, *Image);
  Canvas.restoreDC(level);
}

std::unique_ptr<TRVDrawLineInfo> TRVGraphicItemInfo::CreatePrintingDrawItem(TCustomRVData *RVData,
                                                                            const TRVScreenAndDevice &sad) {
  const TRVStyle *st = RVData ? RVData->GetRVStyle() : nullptr;
  const bool stretchedHeight = Image && ImageHeight > 0 && ImageHeight != Image->height();
  if (!GetStyleFlag(rvbsfPrintToBMP, st) || MinHeightOnPage == 0 || stretchedHeight)
    return TRVRectItemInfo::CreatePrintingDrawItem(RVData, sad);
  auto r = std::make_unique<TRVMultiImagePrintInfo>(sad, GetImageHeight(st), MinHeightOnPage);
  r->SetSize(ScaleXToDevice(GetWidth(), sad), ScaleYToDevice(GetHeight(), sad));
  return r;
}

void TRVGraphicItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVRectItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVGraphicItemInfo *>(&Source)) {
    Image = s->Image ? s->Image->clone() : nullptr;
    ImageCopy.reset();
    ImageWidth = s->ImageWidth;
    ImageHeight = s->ImageHeight;
    NoHTMLImageSize = s->NoHTMLImageSize;
    Alt = s->Alt;
    ImageFileName = s->ImageFileName;
  }
}

namespace {
const TBitmap *TransparentBitmap(const TGraphic *g) {
  auto *b = dynamic_cast<const TBitmap *>(g);
  return b && b->transparent ? b : nullptr;
}
} // namespace

int TRVGraphicItemInfo::GetRvfExtraPropertyCount() const {
  int n = TRVRectItemInfo::GetRvfExtraPropertyCount();
  if (ImageWidth > 0) ++n;
  if (ImageHeight > 0) ++n;
  if (MinHeightOnPage > 0) ++n;
  if (NoHTMLImageSize) ++n;
  if (const TBitmap *b = TransparentBitmap(Image.get())) n += b->transparentMode == 1 ? 3 : 2;
  if (!ImageFileName.empty()) ++n;
  if (!Alt.empty()) ++n;
  return n;
}

void TRVGraphicItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVRectItemInfo::WriteRvfExtraProperties(Stream);
  if (ImageWidth > 0) WriteRvfIntProperty(Stream, rvepImageWidth, ImageWidth);
  if (ImageHeight > 0) WriteRvfIntProperty(Stream, rvepImageHeight, ImageHeight);
  if (MinHeightOnPage > 0) WriteRvfIntProperty(Stream, rvepMinHeightOnPage, MinHeightOnPage);
  if (NoHTMLImageSize) WriteRvfIntProperty(Stream, rvepNoHTMLImageSize, 1);
  if (const TBitmap *b = TransparentBitmap(Image.get())) {
    WriteRvfIntProperty(Stream, rvepTransparent, 1);
    WriteRvfIntProperty(Stream, rvepTransparentMode, b->transparentMode);
    if (b->transparentMode == 1) WriteRvfIntProperty(Stream, rvepTransparentColor, int(b->transparentColor));
  }
  if (!ImageFileName.empty()) WriteRvfStrProperty(Stream, rvespImageFileName, ImageFileName);
  if (!Alt.empty()) WriteRvfStrProperty(Stream, rvespAlt, Alt);
}

bool TRVGraphicItemInfo::SetExtraIntProperty(int Prop, int Value) {
  switch (Prop) {
  // Sizes come from files: no picture is shown larger than any picture can be.
  case rvepImageWidth:
    ImageWidth = std::min(Value, kMaxGraphicSide);
    return true;
  case rvepImageHeight:
    ImageHeight = std::min(Value, kMaxGraphicSide);
    return true;
  case rvepMinHeightOnPage:
    MinHeightOnPage = Value;
    return true;
  case rvepNoHTMLImageSize:
    NoHTMLImageSize = Value != 0;
    return true;
  case rvepTransparent:
  case rvepTransparentMode:
  case rvepTransparentColor: {
    auto *b = dynamic_cast<TBitmap *>(Image.get());
    if (!b) return false;
    if (Prop == rvepTransparent)
      b->transparent = Value != 0;
    else if (Prop == rvepTransparentMode)
      b->transparentMode = Value;
    else
      b->transparentColor = uint32_t(Value);
    return true;
  }
  default:
    return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
  }
}

bool TRVGraphicItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  switch (Prop) {
  case rvepImageWidth:
    Value = ImageWidth;
    return true;
  case rvepImageHeight:
    Value = ImageHeight;
    return true;
  case rvepMinHeightOnPage:
    Value = MinHeightOnPage;
    return true;
  case rvepNoHTMLImageSize:
    Value = NoHTMLImageSize ? 1 : 0;
    return true;
  case rvepTransparent:
  case rvepTransparentMode:
  case rvepTransparentColor: {
    auto *b = dynamic_cast<const TBitmap *>(Image.get());
    if (!b) return false;
    Value = Prop == rvepTransparent ? (b->transparent ? 1 : 0)
            : Prop == rvepTransparentMode ? b->transparentMode
                                          : int(b->transparentColor);
    return true;
  }
  default:
    return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
  }
}

bool TRVGraphicItemInfo::SetExtraStrProperty(int Prop, const std::string &Value) {
  switch (Prop) {
  case rvespAlt:
    Alt = Value;
    return true;
  case rvespImageFileName:
    ImageFileName = Value;
    return true;
  default:
    return TRVRectItemInfo::SetExtraStrProperty(Prop, Value);
  }
}

bool TRVGraphicItemInfo::GetExtraStrProperty(int Prop, std::string &Value) const {
  switch (Prop) {
  case rvespAlt:
    Value = Alt;
    return true;
  case rvespImageFileName:
    Value = ImageFileName;
    return true;
  default:
    return TRVRectItemInfo::GetExtraStrProperty(Prop, Value);
  }
}

void TRVGraphicItemInfo::UpdatePaletteInfo(TRVPaletteAction PaletteAction, bool ForceRecreateCopy,
                                           HPALETTE Palette, const TRVLogPalette *LogPalette) {
  const bool copies = PaletteAction == rvpaCreateCopies || PaletteAction == rvpaCreateCopiesEx;
  if (ForceRecreateCopy || !copies || Palette == 0) ImageCopy.reset();
  if (!Image || !LogPalette) return;
  // Pictures here are true-colour: giving one a palette changes nothing on
  // screen, so only the copy that painting uses is made.
  if (copies && !ImageCopy) {
    if (PaletteAction == rvpaCreateCopiesEx && IsJpeg(Image.get()))
      ImageCopy = std::make_unique<TBitmap>(Image->toImage());
    else
      ImageCopy = Image->clone();
  }
}

bool TRVGraphicItemInfo::ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo,
                                 int LineCount, std::string &Name, int &LineState) {
  // The binary block is the last line; the line before it says so.
  if (Mode == 2 && LineNo == LineCount - 2) LineState = 1;
  if (LineNo == 0) {
    Name = s;
    // Without the picture in the stream the host supplies it.
    if (Mode == 1 && RVData) Image = RVData->DoRVFPictureNeeded(Name, Tag);
    return true;
  }
  if (Mode == 1) {
    ReadRvfExtraProperty(s);
    return true;
  }
  if (LineNo == 1) {
    Image = createGraphic(s);
    FUnknownClass = Image == nullptr;
    if (FUnknownClass) {
      AddWarning(RVData, rvfwUnknownPicFmt);
      if (!RVData || !RVData->GetRVFOptions().Has(rvfoIgnoreUnknownPicFmt)) return false;
    }
    return true;
  }
  if (LineNo < LineCount - 1) {
    ReadRvfExtraProperty(s);
    return true;
  }
  if (FUnknownClass || !Image) return true;
  std::string bytes;
  const bool ok = Mode == 2 ? Image->loadFromBytes(s) : (RVHexToBytes(s, bytes) && Image->loadFromBytes(bytes));
  if (!ok) {
    AddWarning(RVData, rvfwInvalidPicture);
    TRVStyle *st = RVData ? RVData->GetRVStyle() : nullptr;
    if (st)
      Image = st->GetInvalidPicture()->clone();
    else
      Image = makeInvalidPicture();
  }
  return true;
}

void TRVGraphicItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int, const std::string &Name,
                                 bool ForceSameAsPrev) {
  const TRVFOptions o = RVData ? RVData->GetRVFOptions() : TRVFOptions{};
  const int extra = GetRvfExtraPropertyCount();
  if (o.Has(rvfoSavePicturesBody) && Image) {
    const bool binary = o.Has(rvfoSaveBinary);
    WriteRvfHeader(Stream, RVData, extra + 3, binary ? 2 : 0, ForceSameAsPrev);
    WriteLine(Stream, Name);
    WriteLine(Stream, Image->className());
    WriteRvfExtraProperties(Stream);
    if (binary)
      WriteBinaryBlock(Stream, Image->saveToBytes());
    else
      WriteLine(Stream, RVBytesToHex(Image->saveToBytes()));
  } else {
    WriteRvfHeader(Stream, RVData, extra + 1, 1, ForceSameAsPrev);
    WriteLine(Stream, Name);
    WriteRvfExtraProperties(Stream);
  }
}

void TRVGraphicItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &,
                                    TRVHTMLSaveContext &Context) {
  const TRVSaveOptions o = Context.SaveOptions;
  std::string location;
  if (o.Has(rvsoUseItemImageFileNames) && !ImageFileName.empty())
    location = RelativeToPath(ImageFileName, Context.Path);
  else {
    bool doDefault = true;
    if (RVData) RVData->DoHTMLSaveImage(ItemNo, Context.Path, Context.CurrentBackColor, location, doDefault);
    if (doDefault) {
      if (o.Has(rvsoUseItemImageFileNames) && !ImageFileName.empty())
        location = RelativeToPath(ImageFileName, Context.Path);
      else if (Image && RVData)
        RVData->SaveImageFileEx(Context.Path, Image.get(), rvsfHTML, Context.ImagesPrefix, Context.ImageCounter,
                                o.Has(rvsoOverwriteImages), Context.CurrentBackColor, location, true);
    }
  }
  if (location.empty()) return;
  location = SlashPath(location);
  const int w = GetImageWidth(nullptr), h = GetImageHeight(nullptr);
  std::string attrs = o.Has(rvsoNoImageBorders) ? " border=0 " : " ";
  if ((o.Has(rvsoImageSizes) && !NoHTMLImageSize) || ImageWidth > 0 || ImageHeight > 0)
    attrs += "width=" + std::to_string(w) + " height=" + std::to_string(h) + " ";
  if (!Alt.empty() || Context.UseCSS) attrs += "alt=\"" + Alt + "\" ";
  attrs += HtmlTitleBlank(Hint);
  if (Context.UseCSS && VAlign == rvvaBaseline && VShift != 0 && h != 0) {
    const int v = VShiftAbs ? VShift : MulDiv(VShift, h, 100);
    attrs += "style=\"{vertical-align : " + std::to_string(v) + "}\" ";
  }
  Stream += "<IMG" + std::string(VAlign == rvvaMiddle ? " align=middle" : "") + attrs + "src=\"" + location + "\">";
}

namespace {

void Put16(std::string &s, uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void Put32(std::string &s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// A picture's bitmap file, made from the picture when it is not a bitmap.
std::string BitmapFileOf(const TGraphic &Graphic) {
  if (auto *b = dynamic_cast<const TBitmap *>(&Graphic)) return b->saveToBytes();
  return TBitmap(Graphic.toImage()).saveToBytes();
}

// The device-independent parts of a bitmap file: header with colour table,
// and pixels. False for a file too short for what it claims.
bool SplitBitmapFile(const std::string &Bmp, std::string &Info, std::string &Bits) {
  if (Bmp.size() < 14 + 16) return false;
  const uint32_t offBits = uint32_t(LE32(Bmp, 10));
  if (offBits < 14 + 16 || offBits > Bmp.size()) return false;
  Info = Bmp.substr(14, offBits - 14);
  Bits = Bmp.substr(offBits);
  return true;
}

// A size in pixels as hundredths of a millimetre, the unit of a metafile's
// picture size; rounded up, so that it reads back as the same pixels.
int PixelsToHiMetric(int Pixels) { return int((int64_t(Pixels) * 2540 + 95) / 96); }

// A Windows metafile (without the placeable header) that shows one bitmap
// stretched over W x H, as drawing a picture into a metafile records it.
std::string WindowsMetafileOf(const std::string &Info, const std::string &Bits, int W, int H) {
  const std::string dib = Info + Bits;
  std::string rec;
  // SetWindowOrg (0, 0) and SetWindowExt (W, H).
  Put32(rec, 5);
  Put16(rec, 0x020B);
  Put16(rec, 0);
  Put16(rec, 0);
  Put32(rec, 5);
  Put16(rec, 0x020C);
  Put16(rec, uint32_t(H));
  Put16(rec, uint32_t(W));
  // StretchDIB with SRCCOPY, DIB_RGB_COLORS; the record is whole words.
  const int32_t srcW = LE32(Info, 4), srcH = std::abs(LE32(Info, 8));
  const uint32_t words = uint32_t((28 + dib.size() + 1) / 2);
  Put32(rec, words);
  Put16(rec, 0x0F43);
  Put32(rec, 0x00CC0020);
  Put16(rec, 0);
  Put16(rec, uint32_t(srcH));
  Put16(rec, uint32_t(srcW));
  Put16(rec, 0);
  Put16(rec, 0);
  Put16(rec, uint32_t(H));
  Put16(rec, uint32_t(W));
  Put16(rec, 0);
  Put16(rec, 0);
  rec += dib;
  if (dib.size() % 2) rec += '\0';
  // End of file.
  Put32(rec, 3);
  Put16(rec, 0);
  std::string wmf;
  Put16(wmf, 1);
  Put16(wmf, 9);
  Put16(wmf, 0x0300);
  Put32(wmf, uint32_t((18 + rec.size()) / 2));
  Put16(wmf, 0);
  Put32(wmf, words);
  Put16(wmf, 0);
  return wmf + rec;
}

// An enhanced metafile that shows one bitmap stretched over W x H.
std::string EnhancedMetafileOf(const std::string &Info, const std::string &Bits, int W, int H) {
  auto pad4 = [](std::string &b) {
    while (b.size() % 4)
      b += '\0';
  };
  std::string info = Info, bits = Bits;
  pad4(info);
  pad4(bits);
  const int32_t srcW = LE32(Info, 4), srcH = std::abs(LE32(Info, 8));
  std::string blt;
  Put32(blt, 81); // EMR_STRETCHDIBITS
  Put32(blt, uint32_t(80 + info.size() + bits.size()));
  Put32(blt, 0);
  Put32(blt, 0);
  Put32(blt, uint32_t(W - 1));
  Put32(blt, uint32_t(H - 1));
  Put32(blt, 0); // destination x, y
  Put32(blt, 0);
  Put32(blt, 0); // source x, y, width, height
  Put32(blt, 0);
  Put32(blt, uint32_t(srcW));
  Put32(blt, uint32_t(srcH));
  Put32(blt, 80);
  Put32(blt, uint32_t(Info.size()));
  Put32(blt, uint32_t(80 + info.size()));
  Put32(blt, uint32_t(Bits.size()));
  Put32(blt, 0);          // DIB_RGB_COLORS
  Put32(blt, 0x00CC0020); // SRCCOPY
  Put32(blt, uint32_t(W));
  Put32(blt, uint32_t(H));
  blt += info + bits;
  std::string eof;
  Put32(eof, 14); // EMR_EOF
  Put32(eof, 20);
  Put32(eof, 0);
  Put32(eof, 16);
  Put32(eof, 20);
  const uint32_t total = uint32_t(88 + blt.size() + eof.size());
  std::string emf;
  Put32(emf, 1); // EMR_HEADER
  Put32(emf, 88);
  Put32(emf, 0); // bounds in pixels, inclusive
  Put32(emf, 0);
  Put32(emf, uint32_t(W - 1));
  Put32(emf, uint32_t(H - 1));
  Put32(emf, 0); // frame in hundredths of a millimetre at 96 pixels an inch
  Put32(emf, 0);
  Put32(emf, uint32_t(PixelsToHiMetric(W)));
  Put32(emf, uint32_t(PixelsToHiMetric(H)));
  Put32(emf, 0x464D4520);
  Put32(emf, 0x10000);
  Put32(emf, total);
  Put32(emf, 3);
  Put16(emf, 1);
  Put16(emf, 0);
  Put32(emf, 0);
  Put32(emf, 0);
  Put32(emf, 0);
  Put32(emf, 1024); // reference device: pixels, then millimetres
  Put32(emf, 768);
  Put32(emf, 271);
  Put32(emf, 203);
  return emf + blt + eof;
}


void WriteDibPicture(std::string &Stream, const std::string &Info, const std::string &Bits, int W, int H,
                     const TRVRTFSaveContext &Context) {
  const int64_t w = LE32(Info, 4);
  const int64_t bpp = LE16(Info, 14);
  const int64_t widthBytes = (((w < 0 ? -w : w) * bpp + 31) / 32) * 4;
  Stream += "\\dibitmap0\\wbmwidthbytes" + std::to_string(widthBytes) + "\\picw" + std::to_string(W) + "\\pich" +
            std::to_string(H) + "\\picwgoal" + std::to_string(int(std::lround(W * Context.TwipsFactor))) +
            "\\pichgoal" + std::to_string(int(std::lround(H * Context.TwipsFactor))) + " ";
  Stream += RVBytesToHex(Info + Bits);
}

} // namespace

void RVSaveGraphicToRTF(std::string &Stream, const TGraphic &Graphic, int ShownWidth, int ShownHeight,
                        const TRVRTFSaveContext &Context) {
  Stream += "{\\pict";
  int natW = Graphic.width(), natH = Graphic.height();
  if (natW > 0 && natH > 0 && (ShownWidth != natW || ShownHeight != natH)) {
    Stream += "\\picscalex" + std::to_string(int(std::lround(ShownWidth * 100.0 / natW)));
    Stream += "\\picscaley" + std::to_string(int(std::lround(ShownHeight * 100.0 / natH)));
  }
  std::string info, bits;
  if (IsMetafile(&Graphic)) {
    const auto &mf = static_cast<const TMetafile &>(Graphic);
    std::string data = mf.saveToBytes();
    if (mf.enhanced() && Context.Options.Has(rvrtfSaveEMFAsWMF)) {
      // Only a metafile that shows one bitmap can be converted here; any
      // other stays enhanced rather than be lost.
      std::unique_ptr<TBitmap> single = mf.singleBitmap();
      if (single && SplitBitmapFile(single->saveToBytes(), info, bits)) {
        Stream += "\\wmetafile8\\picw" + std::to_string(PixelsToHiMetric(natW)) + "\\pich" +
                  std::to_string(PixelsToHiMetric(natH)) + " ";
        Stream += RVBytesToHex(WindowsMetafileOf(info, bits, natW, natH)) + "}";
        return;
      }
    }
    if (mf.enhanced())
      Stream += "\\emfblip\\picw" + std::to_string(natW) + "\\pich" + std::to_string(natH) + " ";
    else {
      // The placeable header is not part of RTF's metafile data; the size
      // of an anisotropic metafile picture is in hundredths of a millimetre.
      if (data.size() >= 22 && uint32_t(LE32(data, 0)) == 0x9AC6CDD7u) data.erase(0, 22);
      Stream += "\\wmetafile8\\picw" + std::to_string(PixelsToHiMetric(natW)) + "\\pich" +
                std::to_string(PixelsToHiMetric(natH)) + " ";
    }
    Stream += RVBytesToHex(data);
  } else if (IsJpeg(&Graphic) && Context.Options.Has(rvrtfSaveJpegAsJpeg)) {
    Stream += "\\jpegblip\\picw" + std::to_string(natW) + "\\pich" + std::to_string(natH) + " ";
    Stream += RVBytesToHex(Graphic.saveToBytes());
  } else if (!SplitBitmapFile(BitmapFileOf(Graphic), info, bits)) {
    // Nothing to write.
  } else if (dynamic_cast<const TBitmap *>(&Graphic) || Context.Options.Has(rvrtfSaveBitmapDefault)) {
    WriteDibPicture(Stream, info, bits, natW, natH, Context);
  } else if (Context.Options.Has(rvrtfSaveEMFDefault)) {
    // Any other picture is drawn into a metafile.
    Stream += "\\emfblip\\picw" + std::to_string(natW) + "\\pich" + std::to_string(natH) + " ";
    Stream += RVBytesToHex(EnhancedMetafileOf(info, bits, natW, natH));
  } else {
    Stream += "\\wmetafile1\\picw" + std::to_string(natW) + "\\pich" + std::to_string(natH) + " ";
    Stream += RVBytesToHex(WindowsMetafileOf(info, bits, natW, natH));
  }
  Stream += "}";
}

void RVSaveImageListImageToRTF(std::string &Stream, const TCustomImageList &ImageList, int ImageIndex,
                               const TRVRTFSaveContext &Context) {
  TBitmap bmp(ImageList.ImageOnBackground(ImageIndex, clWhite));
  if (bmp.empty()) return;
  std::string info, bits;
  if (!SplitBitmapFile(bmp.saveToBytes(), info, bits)) return;
  Stream += "{\\pict";
  if (Context.Options.Has(rvrtfSaveBitmapDefault))
    WriteDibPicture(Stream, info, bits, bmp.width(), bmp.height(), Context);
  else {
    Stream += "\\wmetafile1\\picw" + std::to_string(bmp.width()) + "\\pich" + std::to_string(bmp.height()) + " ";
    Stream += RVBytesToHex(WindowsMetafileOf(info, bits, bmp.width(), bmp.height()));
  }
  Stream += "}";
}

void TRVGraphicItemInfo::SaveRTF(std::string &Stream, TCustomRVData *, int, const std::string &,
                                 TRVRTFSaveContext &Context) {
  if (!Image) return;
  RVSaveGraphicToRTF(Stream, *Image, GetImageWidth(nullptr), GetImageHeight(nullptr), Context);
}

void TRVGraphicItemInfo::MovingToUndoList(int ItemNo, TCustomRVData *RVData) {
  TRVRectItemInfo::MovingToUndoList(ItemNo, RVData);
  ImageCopy.reset();
}

// ===========================================================================
// Hot pictures

TRVHotGraphicItemInfo::TRVHotGraphicItemInfo(TCustomRVData *RVData) : TRVGraphicItemInfo(RVData) {
  StyleNo = rvsHotPicture;
}

TRVHotGraphicItemInfo::TRVHotGraphicItemInfo(TCustomRVData *RVData, std::unique_ptr<TGraphic> AImage,
                                             TRVVAlign AVAlign)
    : TRVGraphicItemInfo(RVData, std::move(AImage), AVAlign) {
  StyleNo = rvsHotPicture;
}

std::unique_ptr<TCustomRVItemInfo> TRVHotGraphicItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVHotGraphicItemInfo>(RVData);
}

bool TRVHotGraphicItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  switch (Property) {
  case rvbsfJump:
  case rvbsfAllowFocus:
  case rvbsfHotSpot:
  case rvbsfXORFocus:
    return true;
  default:
    return TRVGraphicItemInfo::GetStyleFlag(Property, RVStyle);
  }
}

void TRVHotGraphicItemInfo::ExecuteJump(TCustomRVData *RVData) {
  if (RVData) RVData->DoJump(RVData->FirstJumpNo + JumpID);
}

// ===========================================================================
// Image-list images

TRVBulletItemInfo::TRVBulletItemInfo(TCustomRVData *RVData) : TRVRectItemInfo(RVData) { StyleNo = rvsBullet; }

TRVBulletItemInfo::TRVBulletItemInfo(TCustomRVData *RVData, int AImageIndex, TCustomImageList *AImageList,
                                     TRVVAlign AVAlign)
    : TRVRectItemInfo(RVData), ImageList(AImageList), ImageIndex(AImageIndex) {
  StyleNo = rvsBullet;
  VAlign = AVAlign;
}

std::unique_ptr<TCustomRVItemInfo> TRVBulletItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVBulletItemInfo>(RVData);
}

int TRVBulletItemInfo::GetImageIndex(bool) const { return ImageIndex; }

int TRVBulletItemInfo::GetImageWidth(const TRVStyle *) const { return ImageList ? ImageList->Width() : 0; }
int TRVBulletItemInfo::GetImageHeight(const TRVStyle *) const { return ImageList ? ImageList->Height() : 0; }
int TRVBulletItemInfo::GetWidth() const { return GetImageWidth(nullptr) + 2 * Spacing; }
int TRVBulletItemInfo::GetHeight() const { return GetImageHeight(nullptr) + 2 * Spacing; }

int TRVBulletItemInfo::GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *, TCustomRVData *) {
  const int w = GetImageWidth(nullptr) + 2 * Spacing;
  return sad ? ScaleXToDevice(w, *sad) : w;
}

bool TRVBulletItemInfo::GetFlag(int Property) const {
  switch (Property) {
  case rvbpValid:
    return ImageList != nullptr;
  case rvbpDisplayActiveState:
    return true;
  default:
    return TRVRectItemInfo::GetFlag(Property);
  }
}

void TRVBulletItemInfo::Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                              TRVDrawLineInfo *) {
  const int s = Spacing;
  if (ImageList) {
    const int index = GetImageIndex(State.Has(rvidsHover));
    const TColor sel = State.Has(rvidsSelected) ? SelectionColor(State, Style) : clNone;
    if (sel != clNone)
      ImageList->DrawBlended(Canvas, X + s, Y + s, index, sel);
    else
      ImageList->Draw(Canvas, X + s, Y + s, index);
  }
  PaintFrames(Canvas, X, Y, GetWidth(), GetHeight(), State - TRVItemDrawStates{rvidsSelected}, Style);
}

bool TRVBulletItemInfo::PrintToBitmap(TBitmap &Bitmap, bool, TCustomRVData *, TRVDrawLineInfo *, int, uint8_t) {
  if (!ImageList || !ImageList->ValidIndex(ImageIndex)) return false;
  QImage img = Bitmap.image().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  {
    QtCanvas canvas(&img);
    canvas.stretchDraw(Bounds(0, 0, img.width(), img.height()), ImageList->GetImage(ImageIndex));
  }
  Bitmap.setImage(std::move(img));
  return true;
}

void TRVBulletItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVRectItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVBulletItemInfo *>(&Source)) {
    ImageList = s->ImageList;
    ImageIndex = s->ImageIndex;
    NoHTMLImageSize = s->NoHTMLImageSize;
  }
}

int TRVBulletItemInfo::GetRvfExtraPropertyCount() const {
  return TRVRectItemInfo::GetRvfExtraPropertyCount() + (NoHTMLImageSize ? 1 : 0);
}

void TRVBulletItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVRectItemInfo::WriteRvfExtraProperties(Stream);
  if (NoHTMLImageSize) WriteRvfIntProperty(Stream, rvepNoHTMLImageSize, 1);
}

bool TRVBulletItemInfo::SetExtraIntProperty(int Prop, int Value) {
  if (Prop != rvepNoHTMLImageSize) return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
  NoHTMLImageSize = Value != 0;
  return true;
}

bool TRVBulletItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  if (Prop != rvepNoHTMLImageSize) return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
  Value = NoHTMLImageSize ? 1 : 0;
  return true;
}

std::string TRVBulletItemInfo::WriteRvfHeaderTail(TCustomRVData *) const {
  return std::to_string(ImageList ? ImageList->Tag : 0) + " " + std::to_string(ImageIndex);
}

void TRVBulletItemInfo::CheckImageIndex(int &Index, TCustomRVData *RVData) const {
  if (!ImageList || ImageList->ValidIndex(Index)) return;
  AddWarning(RVData, rvfwConvLargeImageIdx);
  if (RVData && RVData->GetRVFOptions().Has(rvfoConvLargeImageIdxToZero)) Index = 0;
}

bool TRVBulletItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) {
  size_t pos = 0;
  int tag = 0, index = 0;
  if (!ReadInt(Field, pos, tag) || !ReadInt(Field, pos, index)) return false;
  ImageList = RVData ? RVData->DoRVFImageListNeeded(tag) : nullptr;
  ImageIndex = index;
  if (!ReadRvfHeaderTailRest(Field.substr(pos))) return false;
  CheckImageIndex(ImageIndex, RVData);
  return true;
}

bool TRVBulletItemInfo::ReadRVF(const std::string &s, TCustomRVData *, int, int LineNo, int, std::string &Name,
                                int &) {
  if (LineNo == 0)
    Name = s;
  else
    ReadRvfExtraProperty(s);
  return true;
}

void TRVBulletItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int, const std::string &Name,
                                bool ForceSameAsPrev) {
  WriteRvfHeader(Stream, RVData, GetRvfExtraPropertyCount() + 1, 0, ForceSameAsPrev);
  WriteLine(Stream, Name);
  WriteRvfExtraProperties(Stream);
}

void TRVBulletItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *RVData, int, const std::string &,
                                   TRVHTMLSaveContext &Context) {
  if (!ImageList || !ImageList->ValidIndex(ImageIndex)) return;
  const TRVSaveOptions o = Context.SaveOptions;
  std::string location;
  for (const TRVHTMLBulletInfo &b : Context.Bullets)
    if (b.ImageList == ImageList && b.ImageIndex == ImageIndex && b.BackColor == Context.CurrentBackColor) {
      location = b.FileName;
      break;
    }
  if (location.empty()) {
    TBitmap bmp(ImageList->ImageOnBackground(ImageIndex, Context.CurrentBackColor));
    if (RVData)
      RVData->SaveImageFileEx(Context.Path, &bmp, rvsfHTML, Context.ImagesPrefix, Context.ImageCounter,
                              o.Has(rvsoOverwriteImages), Context.CurrentBackColor, location);
    if (location.empty()) return;
    location = SlashPath(location);
    Context.Bullets.push_back(TRVHTMLBulletInfo{ImageList, ImageIndex, Context.CurrentBackColor, location});
  }
  std::string first = o.Has(rvsoNoImageBorders) ? " border=0 " : " ";
  if (o.Has(rvsoImageSizes) && !NoHTMLImageSize)
    first += "width=" + std::to_string(ImageList->Width()) + " height=" + std::to_string(ImageList->Height()) + " ";
  std::string second;
  const int h = ImageList->Height();
  std::string vshift;
  if (Context.UseCSS && VAlign == rvvaBaseline && VShift != 0 && h != 0)
    vshift = "vertical-align : " + std::to_string(VShiftAbs ? VShift : MulDiv(VShift, h, 100));
  if (Context.UseCSS && !vshift.empty())
    second = " style=\"{" + vshift + "}\" ";
  else
    second = " ";
  second += "alt=\"\" ";
  if (!Hint.empty()) second += HtmlTitleBlank(Hint);
  Stream += "<IMG" + first + second + "src=\"" + location + "\">";
}

void TRVBulletItemInfo::SaveRTF(std::string &Stream, TCustomRVData *, int, const std::string &,
                                TRVRTFSaveContext &Context) {
  if (!ImageList || !ImageList->ValidIndex(ImageIndex)) return;
  RVSaveImageListImageToRTF(Stream, *ImageList, ImageIndex, Context);
}

// ===========================================================================
// Hotspots

TRVHotspotItemInfo::TRVHotspotItemInfo(TCustomRVData *RVData) : TRVBulletItemInfo(RVData) { StyleNo = rvsHotspot; }

std::unique_ptr<TCustomRVItemInfo> TRVHotspotItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVHotspotItemInfo>(RVData);
}

int TRVHotspotItemInfo::GetImageIndex(bool Hot) const { return Hot ? HotImageIndex : ImageIndex; }

bool TRVHotspotItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  switch (Property) {
  case rvbsfJump:
  case rvbsfAllowFocus:
  case rvbsfXORFocus:
    return true;
  case rvbsfHotSpot:
    return HotImageIndex != ImageIndex;
  default:
    return TRVBulletItemInfo::GetStyleFlag(Property, RVStyle);
  }
}

void TRVHotspotItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVBulletItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVHotspotItemInfo *>(&Source)) HotImageIndex = s->HotImageIndex;
}

std::string TRVHotspotItemInfo::WriteRvfHeaderTail(TCustomRVData *RVData) const {
  return TRVBulletItemInfo::WriteRvfHeaderTail(RVData) + " " + std::to_string(HotImageIndex);
}

bool TRVHotspotItemInfo::ReadRvfHeaderTailRest(const std::string &Rest) {
  FHotRead = false;
  if (EmptyTail(Rest)) return true;
  size_t pos = 0;
  int v = 0;
  if (!ReadInt(Rest, pos, v)) return false;
  HotImageIndex = v;
  FHotRead = true;
  return true;
}

bool TRVHotspotItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) {
  if (!TRVBulletItemInfo::ReadRvfHeaderTail(Field, RVData)) return false;
  if (!FHotRead)
    HotImageIndex = ImageIndex;
  else
    CheckImageIndex(HotImageIndex, RVData);
  return true;
}

void TRVHotspotItemInfo::ExecuteJump(TCustomRVData *RVData) {
  if (RVData) RVData->DoJump(RVData->FirstJumpNo + JumpID);
}

// ===========================================================================
// Controls

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData *RVData) : TRVRectItemInfo(RVData) { StyleNo = rvsComponent; }

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData *RVData, TControl *AControl, TRVVAlign AVAlign)
    : TRVRectItemInfo(RVData), FControl(AControl) {
  StyleNo = rvsComponent;
  VAlign = AVAlign;
}

TRVControlItemInfo::~TRVControlItemInfo() { delete FControl.data(); }

std::unique_ptr<TCustomRVItemInfo> TRVControlItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVControlItemInfo>(RVData);
}

void TRVControlItemInfo::SetControl(TControl *AControl) {
  if (FControl.data() == AControl) return;
  delete FControl.data();
  FControl = AControl;
}

TControl *TRVControlItemInfo::ReleaseControl() {
  TControl *c = FControl.data();
  FControl = nullptr;
  return c;
}

int TRVControlItemInfo::GetImageWidth(const TRVStyle *) const { return FControl ? FControl->width() : 0; }
int TRVControlItemInfo::GetImageHeight(const TRVStyle *) const { return FControl ? FControl->height() : 0; }
int TRVControlItemInfo::GetWidth() const { return GetImageWidth(nullptr) + 2 * Spacing; }
int TRVControlItemInfo::GetHeight() const { return GetImageHeight(nullptr) + 2 * Spacing; }

int TRVControlItemInfo::GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *, TCustomRVData *) {
  const int w = (PercentWidth >= 1 && PercentWidth <= 100) ? 20 : GetImageWidth(nullptr) + 2 * Spacing;
  return sad ? ScaleXToDevice(w, *sad) : w;
}

bool TRVControlItemInfo::GetFlag(int Property) const {
  switch (Property) {
  case rvbpValid:
    return FControl != nullptr;
  case rvbpDisplayActiveState:
  case rvbpAllowsFocus:
  case rvbpResizeHandlesOutside:
    return true;
  case rvbpResizable:
    return Resizable && !(PercentWidth >= 1 && PercentWidth <= 100);
  default:
    return TRVRectItemInfo::GetFlag(Property);
  }
}

bool TRVControlItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  switch (Property) {
  case rvbsfAllowFocus:
    return FControl && FControl->isVisible() && FControl->isEnabled() && FControl->focusPolicy() != Qt::NoFocus;
  case rvbsfXORFocus:
    return false;
  default:
    return TRVRectItemInfo::GetStyleFlag(Property, RVStyle);
  }
}

bool TRVControlItemInfo::IsFocusableControl() const {
  return FControl && (FControl->focusPolicy() & Qt::TabFocus) != 0;
}

void TRVControlItemInfo::Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                               TRVDrawLineInfo *) {
  // The control paints itself; only the frames are ours.
  PaintFrames(Canvas, X, Y, GetWidth(), GetHeight(), State, Style);
}

std::unique_ptr<TBitmap> DrawControlToBitmap(const TControl *Control) {
  if (!Control || Control->width() <= 0 || Control->height() <= 0) return nullptr;
  QImage img(Control->size(), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  const_cast<TControl *>(Control)->render(&img);
  return std::make_unique<TBitmap>(std::move(img));
}

bool TRVControlItemInfo::PrintToBitmap(TBitmap &Bitmap, bool, TCustomRVData *RVData, TRVDrawLineInfo *DrawLine,
                                       int Part, uint8_t) {
  if (!FControl) return false;
  std::unique_ptr<TBitmap> pic;
  if (RVData) pic = RVData->DoPrintComponent(FControl.data());
  if (!pic) pic = DrawControlToBitmap(FControl.data());
  if (!pic) return false;
  QImage target = Bitmap.image().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (MinHeightOnPage > 0) {
    QtCanvas canvas(&target);
    canvas.drawImage(0, -PieceImageTop(DrawLine, Part), pic->image());
  } else {
    if (target.width() < pic->width() || target.height() < pic->height()) {
      QImage bigger(std::max(target.width(), pic->width()), std::max(target.height(), pic->height()),
                    QImage::Format_ARGB32_Premultiplied);
      bigger.fill(Qt::white);
      target = bigger;
    }
    QtCanvas canvas(&target);
    canvas.drawImage((target.width() - pic->width()) / 2, (target.height() - pic->height()) / 2, pic->image());
  }
  Bitmap.setImage(std::move(target));
  return true;
}

std::unique_ptr<TRVDrawLineInfo> TRVControlItemInfo::CreatePrintingDrawItem(TCustomRVData *RVData,
                                                                            const TRVScreenAndDevice &sad) {
  const TRVStyle *st = RVData ? RVData->GetRVStyle() : nullptr;
  if (!GetStyleFlag(rvbsfPrintToBMP, st) || MinHeightOnPage == 0)
    return TRVRectItemInfo::CreatePrintingDrawItem(RVData, sad);
  auto r = std::make_unique<TRVMultiImagePrintInfo>(sad, GetImageHeight(st), MinHeightOnPage);
  r->SetSize(ScaleXToDevice(GetWidth(), sad), ScaleYToDevice(GetHeight(), sad));
  return r;
}

void TRVControlItemInfo::Inserting(TCustomRVData *RVData, std::string &Text, bool Safe) {
  if (FControl) {
    FControl->hide();
    FControl->setParent(RVData ? RVData->GetParentControl() : nullptr);
  }
  TRVRectItemInfo::Inserting(RVData, Text, Safe);
}

void TRVControlItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo *DrawLine, bool Printing, TCanvas *Canvas,
                                          TCustomRVData *RVData, const TRVScreenAndDevice *sad, bool &Resized,
                                          int &Height) {
  if (PercentWidth >= 1 && PercentWidth <= 100 && FControl) {
    FControl->resize(DocWidth * PercentWidth / 100 - 2, FControl->height());
    Resized = true;
    Height = FControl->height();
    return;
  }
  TRVRectItemInfo::OnDocWidthChange(DocWidth, DrawLine, Printing, Canvas, RVData, sad, Resized, Height);
}

void TRVControlItemInfo::AdjustPosition(int X, int Y, bool Refresh, TCustomRVData *) {
  if (!FControl) return;
  FControl->move(X + Spacing, Y + Spacing);
  if (Refresh) FControl->update();
  FControl->show();
}

bool TRVControlItemInfo::OwnsControl(const TControl *AControl) const {
  return AControl && FControl.data() == AControl;
}

void TRVControlItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVRectItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVControlItemInfo *>(&Source)) {
    Resizable = s->Resizable;
    PercentWidth = s->PercentWidth;
  }
}

int TRVControlItemInfo::GetRvfExtraPropertyCount() const {
  return TRVRectItemInfo::GetRvfExtraPropertyCount() + (MinHeightOnPage > 0 ? 1 : 0) + (Resizable ? 1 : 0);
}

void TRVControlItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVRectItemInfo::WriteRvfExtraProperties(Stream);
  if (MinHeightOnPage > 0) WriteRvfIntProperty(Stream, rvepMinHeightOnPage, MinHeightOnPage);
  if (Resizable) WriteRvfIntProperty(Stream, rvepResizable, 1);
}

bool TRVControlItemInfo::SetExtraIntProperty(int Prop, int Value) {
  switch (Prop) {
  case rvepMinHeightOnPage:
    MinHeightOnPage = Value;
    return true;
  case rvepResizable:
    Resizable = Value != 0;
    return true;
  default:
    return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
  }
}

bool TRVControlItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  switch (Prop) {
  case rvepMinHeightOnPage:
    Value = MinHeightOnPage;
    return true;
  case rvepResizable:
    Value = Resizable ? 1 : 0;
    return true;
  default:
    return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
  }
}

bool TRVControlItemInfo::ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo, int LineCount,
                                 std::string &Name, int &LineState) {
  // Widgets are not streamed as components here: the stored data is only
  // the class name, and the host makes the control from the item's name.
  if (Mode == 2 && LineNo == LineCount - 2) LineState = 1;
  const bool last = LineNo == LineCount - 1;
  if (LineNo == 0) {
    Name = s;
    if (RVData) SetControl(RVData->DoRVFControlNeeded(Name, Tag));
    if (!FControl) {
      AddWarning(RVData, rvfwUnknownCtrls);
      if (!RVData || !RVData->GetRVFOptions().Has(rvfoIgnoreUnknownCtrls)) return false;
    }
  } else if (Mode == 1 || (LineNo != 1 && !last)) {
    ReadRvfExtraProperty(s);
  }
  if (last && FControl && RVData) {
    TControl *c = FControl.data();
    RVData->DoControlAction(rvcaAfterRVFLoad, -1, c);
  }
  return true;
}

void TRVControlItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                                 bool ForceSameAsPrev) {
  const TRVFOptions o = RVData ? RVData->GetRVFOptions() : TRVFOptions{};
  const int extra = GetRvfExtraPropertyCount();
  if (o.Has(rvfoSaveControlsBody) && FControl) {
    const bool binary = o.Has(rvfoSaveBinary);
    WriteRvfHeader(Stream, RVData, extra + 3, binary ? 2 : 0, ForceSameAsPrev);
    WriteLine(Stream, Name);
    WriteLine(Stream, FControl->metaObject()->className());
    WriteRvfExtraProperties(Stream);
    TControl *c = FControl.data();
    if (RVData) RVData->DoControlAction(rvcaBeforeRVFSave, ItemNo, c);
    if (binary)
      WriteBinaryBlock(Stream, std::string());
    else
      WriteLine(Stream, std::string());
    if (RVData) RVData->DoControlAction(rvcaAfterRVFSave, ItemNo, c);
  } else {
    WriteRvfHeader(Stream, RVData, extra + 1, 1, ForceSameAsPrev);
    WriteLine(Stream, Name);
    WriteRvfExtraProperties(Stream);
  }
}

void TRVControlItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *RVData, int, const std::string &,
                                    TRVHTMLSaveContext &Context) {
  std::string text;
  if (RVData && FControl && RVData->DoSaveComponentToFile(Context.Path, FControl.data(), rvsfHTML, text))
    Stream += text;
}

void TRVControlItemInfo::SaveRTF(std::string &Stream, TCustomRVData *RVData, int, const std::string &,
                                 TRVRTFSaveContext &) {
  std::string text;
  if (RVData && FControl && RVData->DoSaveComponentToFile(std::string(), FControl.data(), rvsfRTF, text))
    Stream += text;
}

std::string TRVControlItemInfo::AsText(int, char, TCustomRVData *RVData, const std::string &,
                                       const std::string &Path, bool, bool) {
  std::string text;
  if (RVData && FControl && RVData->DoSaveComponentToFile(Path, FControl.data(), rvsfText, text)) return text;
  return std::string();
}

void TRVControlItemInfo::MovingToUndoList(int ItemNo, TCustomRVData *RVData) {
  TRVRectItemInfo::MovingToUndoList(ItemNo, RVData);
  if (FControl) {
    FControl->hide();
    FControl->setParent(nullptr);
  }
  if (RVData) {
    TControl *c = FControl.data();
    RVData->DoControlAction(rvcaMoveToUndoList, ItemNo, c);
  }
}

void TRVControlItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData *RVData) {
  TRVRectItemInfo::MovingFromUndoList(ItemNo, RVData);
  if (!RVData) return;
  TControl *c = FControl.data();
  RVData->DoControlAction(rvcaMoveFromUndoList, ItemNo, c);
  if (FControl) FControl->setParent(RVData->GetParentControl());
}

} // namespace kc
