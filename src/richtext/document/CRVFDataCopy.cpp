// Copying the selection (the formats a copy or a drag gives, and the
// clipboard), the selection as text, and the protection questions the
// editor asks before it changes anything.
#include <cstring>

#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

// The writers take their range from GetExportRange: the selection while
// this lives.
struct TExportSelection {
  explicit TExportSelection(TCustomRVFormattedData &D) : D(D), Was(D.ExportingSelection) {
    D.ExportingSelection = true;
  }
  ~TExportSelection() { D.ExportingSelection = Was; }
  TCustomRVFormattedData &D;
  bool Was;
};

std::u16string FromUtf16Bytes(const std::string &Bytes) {
  std::u16string r(Bytes.size() / 2, u'\0');
  for (size_t i = 0; i < r.size(); ++i)
    r[i] = char16_t(static_cast<unsigned char>(Bytes[2 * i]) | (static_cast<unsigned char>(Bytes[2 * i + 1]) << 8));
  return r;
}

constexpr TRVOption kCopyFormats[] = {rvoAutoCopyText, rvoAutoCopyUnicodeText, rvoAutoCopyRVF, rvoAutoCopyImage,
                                      rvoAutoCopyRTF};

} // namespace

void TCustomRVFormattedData::GetExportRange(int &First, int &FirstOffs, int &Last, int &LastOffs, int &Dummy1,
                                            int &Dummy2) {
  if (!ExportingSelection) {
    TCustomRVData::GetExportRange(First, FirstOffs, Last, LastOffs, Dummy1, Dummy2);
    return;
  }
  Dummy1 = Dummy2 = 0;
  First = Last = -1;
  if (!SelectionExists()) return;
  GetSelectionBounds(First, FirstOffs, Last, LastOffs, true);
}

std::string TCustomRVFormattedData::GetSelectedText(bool Unicode) {
  if (auto *sub = dynamic_cast<TCustomRVFormattedData *>(GetActiveSubData()); sub && sub != this)
    return sub->GetSelectedText(Unicode);
  if (!SelectionExists()) return {};
  TExportSelection guard(*this);
  std::string out;
  if (!ExportTextToStream(*this, "", out, 80, true, false, Unicode, false)) return {};
  return out;
}

bool TCustomRVFormattedData::HasCopyableSelection() {
  if (SelectionExists()) return true;
  std::unique_ptr<TCustomRVItemInfo> part =
      FPartialSelectedItem ? FPartialSelectedItem->CopySelectedPart(this) : nullptr;
  return part != nullptr;
}

bool TCustomRVFormattedData::GetPartCopyData(TRVCopyData &Data, TRVOptions Formats, TColor BackgroundColor) {
  std::unique_ptr<TCustomRVItemInfo> part =
      FPartialSelectedItem ? FPartialSelectedItem->CopySelectedPart(this) : nullptr;
  if (!part) return false;
  // The part goes into a document of its own with this one's styles and
  // options, and that document is written whole.
  TRVDataHost host;
  host.Style = GetRVStyle();
  host.Options = GetOptions();
  host.RVFOptions = GetRVFOptions();
  host.RTFOptions = GetRTFOptions();
  host.BiDiMode = GetBiDiMode();
  TCustomRVData part_doc;
  part_doc.SetHost(&host);
  part->ParaNo = std::max(0, part->ParaNo);
  part_doc.AddItem(std::string(), std::move(part));
  if (Formats.Has(rvoAutoCopyRVF)) {
    std::string rvf;
    TRVFBackground back;
    back.Color = BackgroundColor;
    SaveRvfToStream(part_doc, rvf, false, nullptr, &back);
    const uint32_t n = static_cast<uint32_t>(rvf.size());
    for (int i = 0; i < 4; ++i) Data.RVF += char((n >> (8 * i)) & 0xFF);
    Data.RVF += rvf;
  }
  if (Formats.Has(rvoAutoCopyUnicodeText) || Formats.Has(rvoAutoCopyText)) {
    std::string text;
    ExportTextToStream(part_doc, "", text, 80, false, false, true, false);
    Data.Text = FromUtf16Bytes(text);
    Data.HasText = true;
  }
  if (Formats.Has(rvoAutoCopyRTF)) ExportRtfToStream(part_doc, Data.RTF, BackgroundColor);
  return true;
}

bool TCustomRVFormattedData::GetCopyData(TRVCopyData &Data, TRVOptions Formats, TColor BackgroundColor) {
  Data = TRVCopyData{};
  if (!SelectionExists()) {
    if (!GetPartCopyData(Data, Formats, BackgroundColor)) return false;
    for (size_t p = Data.Text.find(u"\r\n"); p != std::u16string::npos; p = Data.Text.find(u"\r\n", p))
      Data.Text.erase(p, 1);
    return true;
  }
  TExportSelection guard(*this);
  if (Formats.Has(rvoAutoCopyRVF)) {
    std::string rvf;
    TRVFBackground back;
    back.Color = BackgroundColor;
    SaveRvfToStream(*this, rvf, true, nullptr, &back);
    const uint32_t n = static_cast<uint32_t>(rvf.size());
    Data.RVF.reserve(rvf.size() + 4);
    for (int i = 0; i < 4; ++i) Data.RVF += char((n >> (8 * i)) & 0xFF);
    Data.RVF += rvf;
  }
  if (Formats.Has(rvoAutoCopyUnicodeText) || Formats.Has(rvoAutoCopyText)) {
    // The desktop keeps one text, in Unicode, which programs read as UTF-8:
    // it is always the Unicode text, never one made from the 8-bit text,
    // which would lose every character outside the code page.
    Data.Text = FromUtf16Bytes(GetSelectedText(true));
    Data.HasText = true;
  }
  // Lines on this desktop's clipboard end in LF alone; a CR would travel
  // into terminals and editors as a character of its own.
  for (size_t p = Data.Text.find(u"\r\n"); p != std::u16string::npos; p = Data.Text.find(u"\r\n", p))
    Data.Text.erase(p, 1);
  if (Formats.Has(rvoAutoCopyImage))
    if (const TGraphic *g = GetSelectedImage()) Data.Image = g->toImage();
  if (Formats.Has(rvoAutoCopyRTF)) ExportRtfToStream(*this, Data.RTF, BackgroundColor);
  return true;
}

bool TCustomRVFormattedData::CopySelectionToClipboard(TColor BackgroundColor) {
  if (auto *sub = dynamic_cast<TCustomRVFormattedData *>(GetActiveSubData()); sub && sub != this)
    return sub->CopySelectionToClipboard(BackgroundColor);
  const TRVOptions options = GetOptions();
  bool any = false;
  for (TRVOption o : kCopyFormats) any = any || options.Has(o);
  auto *root = dynamic_cast<TCustomRVFormattedData *>(GetRootData());
  TRVFormatHost *host = nullptr;
  if (auto *view = dynamic_cast<TRichVistaRVData *>(root ? root : this)) host = view->FormatHost();
  if (!any && !(host && host->HasCopyHandler())) return false;
  if (!HasCopyableSelection()) return true;
  TRVCopyData data;
  GetCopyData(data, options, BackgroundColor);
  Clipboard::Batch batch;
  if (host) host->DoCopy(batch);
  if (!data.RVF.empty()) batch.setData(Clipboard::registerFormat(CFRV_RVF.Mime), data.RVF);
  if (data.HasText) batch.setText(data.Text);
  if (!data.Image.isNull()) batch.setImage(data.Image);
  if (!data.RTF.empty()) batch.setData(Clipboard::registerFormat(CFRV_RTF.Mime), data.RTF);
  batch.commit();
  return true;
}

// ------------------------------------------------------------ protection

bool TCustomRVFormattedData::IsItemProtected(int ItemNo, TRVProtectOption Option) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return false;
  if (IsTextItem(ItemNo)) {
    if (int(Option) > 15) return false;
    const TRVStyle *style = GetRVStyle();
    if (!style) return false;
    const TFontInfo *f = style->TextStyles().GetTextStyleSafe(GetActualStyle(GetItem(ItemNo)));
    return f && f->Protection.Has(Option);
  }
  if (Option != rvprDeleteProtect) return false;
  const auto *nt = dynamic_cast<const TRVNonTextItemInfo *>(GetItem(ItemNo));
  return nt && nt->DeleteProtect;
}

bool TCustomRVFormattedData::IsParaStyleOption(int ParaNo, TRVParaOption Option) const {
  if (int(Option) > 7) return false;
  const TRVStyle *style = GetRVStyle();
  const TParaInfo *p = style ? style->ParaStyles().GetParaStyleSafe(ParaNo) : nullptr;
  return p && p->Options.Has(Option);
}

bool TCustomRVFormattedData::IsItemParaReadOnly(int ItemNo) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return false;
  return IsParaStyleOption(GetItemPara(ItemNo), rvpaoReadOnly);
}

bool TCustomRVFormattedData::IsStickingAt(int ItemNo, bool Silent) const {
  const int count = GetItemCount();
  bool sticking = false;
  if (count == 0) return false;
  if (ItemNo < 0) sticking = IsItemProtected(0, rvprStickToTop);
  else if (ItemNo >= count - 1) sticking = IsItemProtected(count - 1, rvprStickToBottom);
  else sticking = IsItemProtected(ItemNo, rvprSticking) && IsItemProtected(ItemNo + 1, rvprSticking);
  if (sticking && !Silent) {
    const TRVStyle *style = GetRVStyle();
    if (style && style->UseSound)
      if (TRVDataHost *host = GetRootData()->Host()) host->Beep();
  }
  return sticking;
}

bool TCustomRVFormattedData::CanDropAt(int ItemNo, int Offs) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return false;
  if (IsItemParaReadOnly(ItemNo)) return false;
  if (Offs <= GetOffsBeforeItem(ItemNo)) return !IsStickingAt(ItemNo - 1, true);
  if (Offs >= GetItemEndOffset(ItemNo)) return !IsStickingAt(ItemNo, true);
  return !IsItemProtected(ItemNo, rvprModifyProtect);
}

} // namespace kc
