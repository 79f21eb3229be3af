// The RVF writer: version, background, style sections, layout, then the
// items, with the text items of one paragraph and look gathered into runs.
#include <cstdint>

#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVItemParts.h"
#include "richtext/document/RVMarker.h"

namespace kc {

using namespace rvitem;

std::string RVFStringToHex(std::string_view Bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string r;
  r.resize(Bytes.size() * 2);
  for (size_t i = 0; i < Bytes.size(); ++i) {
    const auto b = uint8_t(Bytes[i]);
    r[2 * i] = digits[b >> 4];
    r[2 * i + 1] = digits[b & 15];
  }
  return r;
}

bool RVFHexToString(std::string_view Hex, std::string &Bytes) {
  Bytes.clear();
  if (Hex.size() % 2 != 0) return false;
  auto val = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  Bytes.resize(Hex.size() / 2);
  for (size_t i = 0; i < Bytes.size(); ++i) {
    const int h = val(Hex[2 * i]), l = val(Hex[2 * i + 1]);
    if (h < 0 || l < 0) {
      Bytes.clear();
      return false;
    }
    Bytes[i] = char(h * 16 + l);
  }
  return true;
}

std::string RVFEncodeLineBreaks(std::string s) {
  for (char &c : s)
    if (c == '\r') c = 1;
    else if (c == '\n') c = 2;
  return s;
}

std::string RVFDecodeLineBreaks(std::string s) {
  for (char &c : s)
    if (c == 1) c = '\r';
    else if (c == 2) c = '\n';
  return s;
}

namespace {

void WriteBlock(std::string &Stream, const std::string &Bytes, bool Binary) {
  if (Binary) WriteBinaryBlock(Stream, Bytes);
  else WriteLine(Stream, RVFStringToHex(Bytes));
}

std::string StyleRef(const TRVStyle *St, bool Names, int No, bool Para) {
  if (Names && St && No >= 0) {
    if (Para && No < St->ParaStyles().Count()) return Quoted(St->ParaStyles()[No]->StyleName);
    if (!Para && No < St->TextStyles().Count()) return Quoted(St->TextStyles()[No]->StyleName);
  }
  return std::to_string(No);
}

void WriteCheckpoint(std::string &Stream, const TRVCPInfo &CP, bool TagsText) {
  WriteLine(Stream, "-2 1 0 0 0 " + TagToText(CP.Tag, TagsText) + " " + (CP.RaiseEvent ? "1" : "0") + " " +
                        (CP.Persistent ? "1" : "0"));
  WriteLine(Stream, CP.Name);
}

void WriteStyleSection(std::string &Stream, const TCustomRVInfos &Infos, int Kind, bool Binary) {
  WriteLine(Stream, "-9 2 0 0 " + std::string(Binary ? "2" : "0") + " 0 " + std::to_string(Kind));
  WriteLine(Stream, "RVStyle1");
  WriteBlock(Stream, Infos.SaveToStream(), Binary);
}

// A text line: 8-bit text as it is; UTF-16 as hexadecimal digits of its
// bytes, or raw and ended by U+2029 in binary form.
void WriteTextLine(std::string &Stream, const std::string &Text, bool Unicode, bool Hex) {
  if (Unicode && Hex) {
    WriteLine(Stream, RVFStringToHex(Text));
  } else if (Unicode) {
    // A separator or zero unit inside would end the raw line early.
    for (size_t i = 0; i + 1 < Text.size(); i += 2) {
      const auto u = char16_t(uint8_t(Text[i]) | (uint8_t(Text[i + 1]) << 8));
      if (u == 0x2029 || u == 0) Stream += std::string_view(" \0", 2);
      else Stream.append(Text, i, 2);
    }
    Stream += "\x29\x20";
  } else {
    WriteLine(Stream, Text);
  }
}

// Text items of the range, cut at the range's ends.
std::string RangeText(const TCustomRVData &D, int ItemNo, int From, int To) {
  const std::string &s = D.GetItemTextRaw(ItemNo);
  const int w = D.GetItem(ItemNo)->IsUnicode() ? 2 : 1;
  const size_t a = size_t(std::max(0, From - 1)) * w;
  const size_t b = std::min(s.size(), size_t(std::max(0, To - 1)) * w);
  return a < b ? s.substr(a, b - a) : std::string();
}

bool SameRun(const TCustomRVItemInfo &First, const TCustomRVItemInfo &Item, bool TagsText) {
  return !Item.GetContinuePara() && Item.StyleNo == First.StyleNo && Item.ParaNo == First.ParaNo &&
         (Item.ItemOptions.Raw_() & 0x0F) == (First.ItemOptions.Raw_() & 0x0F) &&
         AreTagsEqual(Item.Tag, First.Tag, TagsText) && Item.Hint == First.Hint && !Item.Checkpoint;
}

void WriteItems(TCustomRVData &D, std::string &Stream, int First, int FirstOffs, int Last, int LastOffs) {
  const TRVFOptions o = D.GetRVFOptions();
  const bool binary = o.Has(rvfoSaveBinary);
  const bool names = o.Has(rvfoUseStyleNames);
  const bool tagsText = D.TagsArePChars();
  const TRVStyle *st = D.GetRVStyle();
  int i = First;
  while (i <= Last) {
    TCustomRVItemInfo *item = D.GetItem(i);
    const int from = i == First ? FirstOffs : D.GetOffsBeforeItem(i);
    const int to = i == Last ? LastOffs : D.GetItemEndOffset(i);
    const bool cut = item->IsText() && (from > D.GetOffsBeforeItem(i) || to < D.GetItemEndOffset(i));
    if (item->Checkpoint && from <= D.GetOffsBeforeItem(i)) WriteCheckpoint(Stream, *item->Checkpoint, tagsText);
    if (!item->IsText()) {
      if (!(i == First && FirstOffs > D.GetOffsBeforeItem(i)) && !(i == Last && LastOffs < D.GetItemEndOffset(i)))
        item->SaveRVF(Stream, &D, i, D.GetItemTextRaw(i), false);
      ++i;
      continue;
    }
    int n = 1;
    if (!cut)
      while (i + n <= Last && D.GetItem(i + n)->IsText() && SameRun(*item, *D.GetItem(i + n), tagsText) &&
             !(i + n == Last && LastOffs < D.GetItemEndOffset(i + n)))
        ++n;
    const bool unicode = item->IsUnicode();
    const bool hex = unicode && !binary;
    const int para = (item->GetContinuePara() || (cut && from > D.GetOffsBeforeItem(i))) ? -1 : item->ParaNo;
    std::string h = StyleRef(st, names, item->StyleNo, false) + " " + std::to_string(n) + " " +
                    StyleRef(st, names, para, true) + " " + std::to_string(item->ItemOptions.Raw_() & 0x0F) + " " +
                    (hex ? "3" : "0") + " " + TagToText(item->Tag, tagsText);
    if (!item->Hint.empty()) h += " " + Quoted(item->Hint);
    WriteLine(Stream, h);
    for (int k = 0; k < n; ++k)
      WriteTextLine(Stream, cut ? RangeText(D, i, from, to) : D.GetItemTextRaw(i + k), unicode, hex);
    i += n;
  }
}

} // namespace

bool SaveRvfToStream(TCustomRVData &RVData, std::string &Stream, bool SelectionOnly, const TRVLayoutInfo *Layout,
                     const TRVFBackground *Background) {
  if (RVData.GetItemCount() == 0) return true;
  const TRVFOptions o = RVData.GetRVFOptions();
  const bool binary = o.Has(rvfoSaveBinary);
  const bool root = RVData.GetParentData() == nullptr;
  WriteLine(Stream, "-8 1 3");
  if (!SelectionOnly && o.Has(rvfoSaveBack) && Background) {
    const std::string tail = std::to_string(Background->Style) + " " + std::to_string(int32_t(Background->Color));
    if (Background->Picture && Background->Style != 0) {
      WriteLine(Stream, "-7 2 0 0 " + std::string(binary ? "2" : "0") + " 0 " + tail);
      WriteLine(Stream, Background->Picture->className());
      WriteBlock(Stream, Background->Picture->saveToBytes(), binary);
    } else {
      WriteLine(Stream, "-7 0 -1 0 0 0 " + tail);
    }
  }
  if (TRVStyle *st = RVData.GetRVStyle(); st && (SelectionOnly || (RVData.GetFlags() & 0x100))) {
    if (o.Has(rvfoSaveTextStyles)) WriteStyleSection(Stream, st->TextStyles(), 1, binary);
    if (o.Has(rvfoSaveParaStyles) && root) {
      WriteStyleSection(Stream, st->ParaStyles(), 2, binary);
      WriteStyleSection(Stream, st->ListStyles(), 4, binary);
    }
  }
  if ((SelectionOnly || (RVData.GetFlags() & 0x100)) && o.Has(rvfoSaveDocProperties) &&
      !RVData.DocProperties().empty()) {
    const auto &props = RVData.DocProperties();
    WriteLine(Stream, "-9 " + std::to_string(props.size()) + " 0 0 0 0 5");
    for (const std::string &p : props) WriteLine(Stream, RVFEncodeLineBreaks(p));
  }
  if (o.Has(rvfoSaveLayout) && root && Layout && !SelectionOnly) {
    WriteLine(Stream, "-9 2 0 0 " + std::string(binary ? "2" : "0") + " 0 3");
    WriteLine(Stream, "");
    std::string block;
    Layout->SaveToStream(block, false);
    WriteBlock(Stream, block, binary);
  }
  int first = -1, firstOffs = 0, last = -1, lastOffs = 0, d1 = 0, d2 = 0;
  RVData.GetExportRange(first, firstOffs, last, lastOffs, d1, d2);
  if (first < 0 || first > last) return true;
  WriteItems(RVData, Stream, first, firstOffs, last, lastOffs);
  if (last == RVData.GetItemCount() - 1 && lastOffs >= RVData.GetItemEndOffset(last) && RVData.NotAddedCP)
    WriteCheckpoint(Stream, *RVData.NotAddedCP, RVData.TagsArePChars());
  return true;
}

} // namespace kc
