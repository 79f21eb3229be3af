// Characters: where each character of each destination goes, the text runs
// and their events, Unicode characters, marker updates.
#include "richtext/controls/RVRTF.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "richtext/controls/RVRTFUtil.h"
#include "richtext/controls/RVRTFWords.h"

namespace kc {

using namespace rtf;

void TRVRTFReader::HandleUnicode(int32_t value) {
  const char16_t ch = char16_t(uint32_t(value) & 0xFFFF);
  const uint8_t dest = cur_.Destination;
  if (dest == dsNormal) {
    if (OnNewUnicodeText) {
      skipChars_ = cur_.UC;
      AddUnicodeChar(ch);
    }
    return;
  }
  if (dest == dsMarkerTextAfter || dest == dsMarkerTextBefore) {
    const TRVRTFMarkerProperties *m = TextMarker();
    if (m && ch >= 0xF000 && ch <= 0xF0FF) {
      const TRVRTFFont *f = fonts_.Get(m->FontIndex);
      if (f && asciiEqualNoCase(f->FontName, "SYMBOL")) {
        skipChars_ = cur_.UC;
        CharHandler(ch & 0xFF);
        return;
      }
    }
  }
  if (dest == dsLevelText) {
    skipChars_ = cur_.UC;
    if (TRVRTFListLevel97 *lv = LastLevel(); lv && lv->TextW.size() < kRTFMaxNameLength) {
      FlushLevelLead(*lv);
      lv->TextW.push_back(ch);
      lv->TextHasUnicode = true;
      lv->Text += UnicodeToAnsi(std::u16string(1, ch));
    }
    return;
  }
  if (cur_.UC > 0) {
    skipChars_ = cur_.UC;
    for (char b : UnicodeToAnsi(std::u16string(1, ch))) CharHandler(uint8_t(b));
  }
}

int TRVRTFReader::CharHandler(int c) {
  int code = rtf_ec_OK;
  switch (cur_.Destination) {
  case dsNormal:
    if ((c == 10 || c == 13) && OnUpdateMarker) {
      FireMarkerUpdate();
      code = TextOutput(c, true, true);
      FireMarkerUpdate();
    } else {
      code = TextOutput(c, true, true);
    }
    break;
  case dsFontTable:
    // Text before the first font has no entry to go to.
    if (c != ';')
      if (TRVRTFFont *f = fonts_.Last())
        if (f->FontName.size() < kRTFMaxNameLength) f->FontName.push_back(char(c));
    break;
  case dsColorTable:
    if (c == ';') {
      colors_.Add(rtf_clWindowText);
      colorFromSemicolon_ = true;
    }
    break;
  case dsStyleEntry:
    if (c != ';')
      if (TRVRTFStyleSheetEntry *e = styles_.Last())
        if (e->Name.size() < kRTFMaxNameLength) e->Name.push_back(char(c));
    break;
  case dsPicture: {
    if (picture_) AddDataByte(picture_->Data, c, picHigh_, picAcc_, code);
    else if (cur_.InternalState != 1 && hexValue(c) < 0) code = rtf_ec_InvalidHex;
    break;
  }
  case dsObjData:
    if (object_) AddDataByte(object_->Data, c, objHigh_, objAcc_, code);
    break;
  case dsFieldInst: cur_.FieldInstruction.push_back(char(c), kRTFMaxFieldInstruction); break;
  case dsMarkerTextAfter:
  case dsMarkerTextBefore:
    if (TRVRTFMarkerProperties *m = TextMarker()) {
      std::string &t = cur_.Destination == dsMarkerTextAfter ? m->TextAfter : m->TextBefore;
      if (t.size() < kRTFMaxNameLength) t.push_back(char(c));
    }
    break;
  case dsListName:
    if (TRVRTFList97 *l = lists_.Last())
      if (l->Name.size() < kRTFMaxNameLength) l->Name.push_back(char(c));
    break;
  case dsLevelText:
    if (TRVRTFListLevel97 *lv = LastLevel(); lv && lv->Text.size() < kRTFMaxNameLength) AddLevelTextByte(*lv, char(c));
    break;
  case dsLevelNumbers:
    if (TRVRTFListLevel97 *lv = LastLevel(); lv && lv->Numbers.size() < kRTFMaxNameLength)
      lv->Numbers.push_back(char(c));
    break;
  default: break;
  }
  if (cur_.InternalState == 1 && --binLeft_ <= 0) cur_.InternalState = 0;
  return code;
}

int TRVRTFReader::TextOutput(int c, bool closingAllowed, bool sync) {
  if (sync) SyncNesting(closingAllowed);
  if (c != 0 && c != 10 && c != 13) {
    if (!uniText_.empty()) FlushBuffers();
    ansiText_.push_back(char(c));
    return rtf_ec_OK;
  }
  FlushBuffers();
  if (c == 10) position_ = rtf_ts_NewPara;
  else if (c == 13) position_ = rtf_ts_NewLine;
  return rtf_ec_OK;
}

int TRVRTFReader::Flush(bool sync) { return TextOutput(0, true, sync); }

bool TRVRTFReader::FlushBuffers() {
  if (ansiText_.empty() && uniText_.empty() && !forceFlush_) return false;
  FinishParaShading();
  if (!uniText_.empty() && OnNewUnicodeText) {
    std::u16string text;
    text.swap(uniText_);
    ansiText_.clear();
    OnNewUnicodeText(*this, text, position_);
  } else {
    std::string text;
    text.swap(ansiText_);
    uniText_.clear();
    if (OnNewText) OnNewText(*this, text, position_);
  }
  position_ = rtf_ts_ContinuePara;
  return true;
}

// The level text is kept as bytes and as Unicode; a double-byte character
// is converted once both its bytes are in.
void TRVRTFReader::AddLevelTextByte(TRVRTFListLevel97 &lv, char b) {
  lv.Text.push_back(b);
  lv.RawText.push_back(b);
  if (levelLead_ >= 0) {
    const char pair[2] = {char(levelLead_), b};
    levelLead_ = -1;
    lv.TextW += AnsiToUnicode(std::string_view(pair, 2));
  } else if (isLeadByte(isCodePageSupported(int(codePage_)) ? int(codePage_) : CP_ACP, uint8_t(b))) {
    levelLead_ = uint8_t(b);
  } else {
    lv.TextW += AnsiToUnicode(std::string_view(&b, 1));
  }
}

// A lead byte that no second byte followed stands for itself.
void TRVRTFReader::FlushLevelLead(TRVRTFListLevel97 &lv) {
  if (levelLead_ < 0) return;
  const char b = char(levelLead_);
  levelLead_ = -1;
  lv.TextW += AnsiToUnicode(std::string_view(&b, 1));
}

void TRVRTFReader::AddUnicodeChar(char16_t ch) {
  SyncNesting(true);
  if (!ansiText_.empty()) FlushBuffers();
  if (ch != 0) uniText_.push_back(ch);
}

void TRVRTFReader::FinishParaShading() {
  TRVRTFParaProperties &pp = cur_.ParaProps;
  if (pp.Shading != 0) {
    pp.Color = mixShading(pp.Color, pp.ForeColor, pp.Shading);
    pp.Shading = 0;
  }
}

void TRVRTFReader::FireMarkerUpdate() {
  if (!OnUpdateMarker) return;
  TRVRTFParaProperties &pp = cur_.ParaProps;
  if (pp.Marker) {
    TRVRTFMarkerProperties &m = *pp.Marker;
    if (!m.FontGiven) m.FontIndex = cur_.CharProps.FontIndex;
    if (!m.SizeGiven) m.Size = cur_.CharProps.Size;
    if (!m.ColorGiven) m.Color = cur_.CharProps.Color;
  }
  OnUpdateMarker(*this);
}

} // namespace kc
