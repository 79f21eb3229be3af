// Destinations: what a group becomes when it starts with a destination word,
// and what is finished when it closes.
#include "richtext/controls/RVRTF.h"

#include <algorithm>
#include <cstring>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "richtext/controls/RVRTFWords.h"

namespace kc {

using namespace rtf;

namespace {

// A font name's charset suffix, compared without regard to case.
bool endsWithNoCase(const std::string &s, std::string_view suffix) {
  return s.size() >= suffix.size() && asciiEqualNoCase(std::string_view(s).substr(s.size() - suffix.size()), suffix);
}

// A font name loses the charset suffix that its charset gives it.
void StripFontCharsetSuffixes(TRVRTFFontList &fonts) {
  static const struct {
    uint8_t charset;
    const char *suffix;
  } suffixes[] = {{204, " cyr"}, {238, " ce"}, {161, " greek"}, {162, " tur"}, {186, " baltic"}};
  for (int i = 0; i < fonts.Count(); ++i) {
    TRVRTFFont &f = *fonts.Get(i);
    for (const auto &s : suffixes)
      if (f.Charset == s.charset && endsWithNoCase(f.FontName, s.suffix)) {
        f.FontName.resize(f.FontName.size() - std::strlen(s.suffix));
        break;
      }
  }
}

} // namespace

// ------------------------------------------------------------------ destinations

int TRVRTFReader::EnterDestination(int num, int32_t param) {
  uint8_t &dest = cur_.Destination;
  if (dest == dsSkip) return rtf_ec_OK;
  switch (num) {
  case idShpPict:
  case idNonShpPict:
  case idPict:
  case idObject:
  case idObjData:
  case idResult: return EnterPictureDestination(num);
  case idFontTbl:
  case idStyleSheet:
  case idColorTbl:
  case idListTable:
  case idList:
  case idListName:
  case idListLevel:
  case idLevelText:
  case idLevelNumbers:
  case idListOverrideTable:
  case idListOverride:
  case idLfoLevel: dest = DocumentTableDestination(num); return rtf_ec_OK;
  case idField:
    Flush(true);
    dest = dsField;
    break;
  case idFldInst:
    if (dest == dsField) {
      cur_.FieldInstruction.start();
      dest = dsFieldInst;
    } else {
      dest = dsSkip;
    }
    break;
  case idFldRslt:
  case idNestTableProps: dest = dsNormal; break;
  case idHeader:
  case idFooter: {
    cur_.HFType = num == idHeader ? rtf_hf_Header : rtf_hf_Footer;
    bool supported = false;
    if (OnHeaderFooter) {
      // Text read before the header belongs to the text around it.
      Flush(true);
      OnHeaderFooter(*this, cur_.HFType, true, supported);
    }
    if (!supported) dest = dsSkip;
    break;
  }
  case idPnTxtA:
  case idPnTxtB:
    if ((dest == dsMarker && marker_) || dest == dsSectionMarker) {
      sectionText_ = dest == dsSectionMarker;
      dest = num == idPnTxtA ? dsMarkerTextAfter : dsMarkerTextBefore;
      // The group gives the whole text: a paragraph's marker that repeats
      // its section level's text must not show it twice.
      if (TRVRTFMarkerProperties *m = TextMarker()) (num == idPnTxtA ? m->TextAfter : m->TextBefore).clear();
    } else {
      dest = dsSkip;
    }
    break;
  case idPn:
    marker_ = std::make_unique<TRVRTFMarkerProperties>();
    dest = dsMarker;
    break;
  case idPnSecLvl:
    sectionLevel_ = std::clamp<int32_t>(param, 1, 11);
    dest = dsSectionMarker;
    break;
  default: dest = dsSkip; break;
  }
  return rtf_ec_OK;
}

int TRVRTFReader::EnterPictureDestination(int num) {
  uint8_t &dest = cur_.Destination;
  switch (num) {
  case idShpPict:
    shppictInserted_ = false;
    dest = dsShpPict;
    break;
  case idNonShpPict: dest = shppictInserted_ ? dsSkip : dsNormal; break;
  case idPict:
    if (picture_) return rtf_ec_InvalidPicture;
    if (OnNewPicture) {
      picture_ = std::make_unique<TRVRTFPicture>();
      picture_->FromShpPict = dest == dsShpPict;
    }
    dest = dsPicture;
    picHigh_ = true;
    picAcc_ = 0;
    break;
  case idObject:
    objectInserted_ = false;
    if (OnNewObject) {
      object_ = std::make_unique<TRVRTFObject>();
      dest = dsObject;
    } else {
      dest = dsNormal;
    }
    break;
  case idObjData:
    if (dest == dsObject && object_) {
      object_->Data.clear();
      objHigh_ = true;
      objAcc_ = 0;
      dest = dsObjData;
    } else {
      dest = dsSkip;
    }
    break;
  case idResult: dest = objectInserted_ ? dsSkip : dsNormal; break;
  default: dest = dsSkip; break;
  }
  return rtf_ec_OK;
}

// A table starts empty; an entry of a table opens only inside that table
// and while the table has room, else its group is skipped.
uint8_t TRVRTFReader::DocumentTableDestination(int num) {
  const uint8_t dest = cur_.Destination;
  switch (num) {
  case idFontTbl: fonts_.Clear(); return dsFontTable;
  case idStyleSheet: styles_.Clear(); return dsStyleSheet;
  case idColorTbl:
    colors_.Clear();
    colors_.Add(rtf_clWindowText);
    colorFromSemicolon_ = false;
    return dsColorTable;
  case idListTable: lists_.Clear(); return dsListTable;
  case idList:
    if (dest == dsListTable && lists_.Count() < kRTFMaxLists) {
      lists_.Add();
      return dsList;
    }
    return dsSkip;
  case idListName: return dest == dsList ? dsListName : dsSkip;
  case idListLevel:
    if (dest == dsList && lists_.Last() && lists_.Last()->Levels.size() < size_t(kRTFMaxListLevels)) {
      lists_.Last()->Levels.emplace_back();
      return dsListLevel;
    }
    return dsSkip;
  case idLevelText: levelLead_ = -1; return dest == dsListLevel ? dsLevelText : dsSkip;
  case idLevelNumbers: return dest == dsListLevel ? dsLevelNumbers : dsSkip;
  case idListOverrideTable: overrides_.Clear(); return dsOverrideTable;
  case idListOverride:
    if (dest == dsOverrideTable && overrides_.Count() < kRTFMaxLists) {
      overrides_.Add();
      return dsOverride;
    }
    return dsSkip;
  case idLfoLevel:
    if (dest == dsOverride && overrides_.Last() && overrides_.Last()->Levels.size() < size_t(kRTFMaxListLevels)) {
      overrides_.Last()->Levels.emplace_back();
      return dsOverrideLevel;
    }
    return dsSkip;
  default: return dsSkip;
  }
}

int TRVRTFReader::FinishDestination(uint8_t dest, TRVRTFReaderState &saved) {
  switch (dest) {
  case dsListLevel:
    if (TRVRTFListLevel97 *lv = LastLevel()) ReadLevelTextInFontCodePage(*lv);
    return rtf_ec_OK;
  case dsFontTable: StripFontCharsetSuffixes(fonts_); return rtf_ec_OK;
  case dsPicture: return FinishPicture();
  case dsObject: object_.reset(); return rtf_ec_OK;
  case dsObjData: {
    Flush(false);
    if (object_ && OnNewObject) {
      bool inserted = false;
      OnNewObject(*this, *object_, position_, inserted);
      objectInserted_ = inserted;
      position_ = rtf_ts_ContinuePara;
    }
    return rtf_ec_OK;
  }
  case dsField:
    cur_.FieldInstruction.clear();
    cur_.FieldResultReplaced = false;
    return rtf_ec_OK;
  case dsFieldInst:
    FieldInstructionDone(saved);
    // The field's result (read in a sibling group) needs the instruction.
    if (saved.Destination == dsField) {
      saved.FieldInstruction = cur_.FieldInstruction;
      saved.FieldResultReplaced = saved.FieldResultReplaced || cur_.FieldResultReplaced;
    }
    return rtf_ec_OK;
  case dsLevelText:
    if (TRVRTFListLevel97 *lv = LastLevel()) FinishLevelText(*lv);
    return rtf_ec_OK;
  case dsLevelNumbers:
    if (TRVRTFListLevel97 *lv = LastLevel(); lv && !lv->NumbersCut) {
      lv->NumbersCut = true;
      if (!lv->Numbers.empty()) lv->Numbers = lv->Numbers.substr(1, uint8_t(lv->Numbers[0]));
    }
    return rtf_ec_OK;
  default: return rtf_ec_OK;
  }
}

TRVRTFListLevel97 *TRVRTFReader::LastLevel() {
  TRVRTFList97 *l = lists_.Last();
  return l && !l->Levels.empty() ? &l->Levels.back() : nullptr;
}

// Level text written as bytes is in the code page of the level's font, as
// paragraph text is in its run's; the font is known only when the level
// ends. The length counts characters, so a double-byte text is cut again.
void TRVRTFReader::ReadLevelTextInFontCodePage(TRVRTFListLevel97 &lv) {
  if (lv.TextHasUnicode || lv.RawText.size() < 2) return;
  const int cp = CodePageOfFont(lv.FontIndex);
  if (cp == int(codePage_) || !isCodePageSupported(cp)) return;
  const size_t chars = uint8_t(lv.RawText[0]);
  size_t end = 1;
  for (size_t n = 0; end < lv.RawText.size() && n < chars; ++n)
    end += end + 1 < lv.RawText.size() && isLeadByte(cp, uint8_t(lv.RawText[end])) ? 2 : 1;
  std::string bytes = lv.RawText.substr(1, end - 1);
  std::u16string text;
  if (!tryToUtf16(cp, bytes, text)) return;
  lv.Text = std::move(bytes);
  lv.TextW = std::move(text);
}

void TRVRTFReader::FinishLevelText(TRVRTFListLevel97 &lv) {
  FlushLevelLead(lv);
  if (lv.TextCut) return;
  lv.TextCut = true;
  if (!lv.Text.empty()) lv.Text = lv.Text.substr(1, uint8_t(lv.Text[0]));
  if (!lv.TextW.empty()) lv.TextW = lv.TextW.substr(1, lv.TextW[0]);
}

} // namespace kc
