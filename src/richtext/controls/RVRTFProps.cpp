// The dispatch of every property word by the destination it stands in, and
// the words of the document tables (colours, fonts, style sheet), markers
// and lists.
#include "richtext/controls/RVRTF.h"

#include <algorithm>

#include "richtext/controls/RVRTFUtil.h"
#include "richtext/controls/RVRTFWords.h"

namespace kc {

using namespace rtf;

namespace {

int32_t levelNfcType(int32_t v) {
  switch (v) {
  case 0: return 1;
  case 1: return 5;
  case 2: return 4;
  case 3: return 3;
  case 4: return 2;
  case 23: return 6;
  default: return 1;
  }
}

} // namespace

// ------------------------------------------------------------------ properties

TRVRTFColor TRVRTFReader::ColorAt(int32_t index) const {
  const TRVRTFColor *c = colors_.Get(index);
  return c ? *c : rtf_clNone;
}

TRVRTFMarkerProperties *TRVRTFReader::TextMarker() {
  if (sectionText_) return &cur_.SectProps.SectionMarker(sectionLevel_);
  return marker_.get();
}

TRVRTFMarkerProperties *TRVRTFReader::TargetMarker() {
  if (cur_.Destination == dsSectionMarker) return &cur_.SectProps.SectionMarker(sectionLevel_);
  return marker_.get();
}

void TRVRTFReader::ApplyMarkerProperty(TRVRTFMarkerProperties &m, int num, int32_t value) {
  auto setBit = [&](uint8_t bit) {
    if (value) m.FontStyle |= bit;
    else m.FontStyle &= uint8_t(~bit);
  };
  switch (num) {
  case ipPnLvl:
    // A numbered level starts from what the section said about that level.
    if (cur_.Destination == dsMarker && value >= 1 && value <= 11)
      if (const TRVRTFMarkerProperties *s = cur_.SectProps.GetSectionMarker(value)) m = *s;
    m.Level = value;
    break;
  case ipPnHang: m.Hanging = value != 0; break;
  case ipPnType: m.NumberType = uint8_t(value); break;
  case ipPnB: setBit(rtf_fsBold); break;
  case ipPnI: setBit(rtf_fsItalic); break;
  case ipPnUl: setBit(rtf_fsUnderline); break;
  case ipPnStrike: setBit(rtf_fsStrikeOut); break;
  case ipPnCf:
    if (ValidColorIndex(value)) {
      m.Color = ColorAt(value);
      m.ColorGiven = true;
    }
    break;
  case ipPnF:
    m.FontIndex = fonts_.GetFontIndex(value, cur_.DefFontNumber);
    m.FontGiven = m.FontIndex >= 0;
    break;
  case ipPnFs:
    m.Size = roundHalfEven(value, 2);
    m.SizeGiven = true;
    break;
  case ipPnIndent: m.Indent = value; break;
  case ipPnSp: m.Spacing = value; break;
  case ipPnAlign: m.Alignment = uint8_t(value); break;
  case ipPnStart: m.StartAt = value; break;
  default: break;
  }
}

void TRVRTFReader::ApplyLevelProperty(TRVRTFListLevel97 &l, int num, int32_t value) {
  auto setBit = [&](uint8_t bit) {
    if (value) l.FontStyle |= bit;
    else l.FontStyle &= uint8_t(~bit);
  };
  switch (num) {
  case ipLevelStartAt: l.StartAt = value; break;
  case ipLevelNfc: l.NumberType = uint8_t(levelNfcType(value)); break;
  case ipLevelJc: l.Alignment = value == 1 ? 2 : (value == 2 ? 1 : 0); break;
  case ipLevelOld: l.Old = value != 0; break;
  case ipLevelIndent: l.Indent = value; break;
  case ipLevelSpace: l.Space = value; break;
  case ipLevelFollow: l.Follow = value; break;
  case ipLevelLegal: l.Legal = value != 0; break;
  case ipLevelNoRestart: l.NoRestart = value != 0; break;
  case ipTx: l.Tab = value; break;
  case ipLI: l.LeftIndent = value; break;
  case ipFI: l.FirstIndent = value; break;
  case ipFont:
    l.FontIndex = fonts_.GetFontIndex(value, cur_.DefFontNumber);
    l.FontGiven = l.FontIndex >= 0;
    break;
  case ipFontSize:
    l.Size = roundHalfEven(value, 2);
    l.SizeGiven = true;
    break;
  case ipColor:
    if (ValidColorIndex(value)) {
      l.Color = ColorAt(value);
      l.ColorGiven = true;
    }
    break;
  case ipBold: setBit(rtf_fsBold); break;
  case ipItalic: setBit(rtf_fsItalic); break;
  case ipUnderline: setBit(rtf_fsUnderline); break;
  case ipStrike: setBit(rtf_fsStrikeOut); break;
  default: break;
  }
}

void TRVRTFReader::ApplyBorderProperty(int num, int32_t value) {
  TRVRTFParaBorder *border = nullptr;
  if (cur_.BorderTarget == 1) {
    border = &cur_.RowForWrite().Border;
  } else if (cur_.BorderTarget == 2) {
    border = &cur_.RowForWrite().LastCell().Border;
  } else {
    if (!cur_.ParaProps.Border) cur_.ParaProps.Border.emplace();
    border = &*cur_.ParaProps.Border;
  }
  TRVRTFBorderSide &side = border->Side(border->CurrentSide);
  switch (num) {
  case ipBrdrType:
    if (!side.TypeGiven) { // only the first type given to a side counts
      side.BorderType = uint8_t(value);
      side.TypeGiven = true;
    }
    break;
  case ipBrdrW: side.Width = value; break;
  case ipBrdrCF:
    if (ValidColorIndex(value)) side.Color = ColorAt(value);
    break;
  case ipBrSp: side.Space = value; break;
  default: break;
  }
}

int TRVRTFReader::ApplyProperty(int num, int32_t value, bool hasParam, int32_t param) {
  (void)param;
  const uint8_t dest = cur_.Destination;
  if (dest == dsSkip) return rtf_ec_OK;
  // Code page and Unicode words act wherever the general rules do: not in
  // the colour table, pictures, objects, markers and list structure.
  const bool ownRules = dest == dsColorTable || dest == dsPicture || dest == dsObject || dest == dsMarker ||
                        dest == dsSectionMarker || dest == dsList || dest == dsListLevel || dest == dsOverride ||
                        dest == dsOverrideLevel;
  if (!ownRules && ApplyEncodingWord(num, value)) return rtf_ec_OK;
  switch (dest) {
  case dsColorTable: ApplyColorTableWord(num, value); return rtf_ec_OK;
  case dsFontTable: ApplyFontTableWord(num, value); return rtf_ec_OK;
  case dsStyleSheet:
  case dsStyleEntry: return ApplyStyleSheetWord(num, value, hasParam);
  case dsPicture: ApplyPictureWord(num, value); return rtf_ec_OK;
  case dsObject: ApplyObjectWord(num, value); return rtf_ec_OK;
  case dsMarker:
  case dsSectionMarker:
    if (num >= ipPnLvl && num <= ipPnStart)
      if (TRVRTFMarkerProperties *m = TargetMarker()) ApplyMarkerProperty(*m, num, value);
    return rtf_ec_OK;
  case dsList:
  case dsListLevel:
  case dsOverride:
  case dsOverrideLevel: ApplyListWord(num, value); return rtf_ec_OK;
  default: return ApplyGeneral(num, value, hasParam);
  }
}

bool TRVRTFReader::ApplyEncodingWord(int num, int32_t value) {
  switch (num) {
  case ipAnsiCpg: codePage_ = uint32_t(value); return true;
  case ipUC: cur_.UC = std::clamp<int32_t>(value, 0, 16); return true;
  case ipU: HandleUnicode(value); return true;
  default: return false;
  }
}

void TRVRTFReader::ApplyColorTableWord(int num, int32_t value) {
  if (num != ipRed && num != ipGreen && num != ipBlue) return;
  TRVRTFColor *c = colors_.Last();
  if (!c) c = &colors_.Add(rtf_clWindowText);
  if (*c == rtf_clWindowText) *c = 0;
  const int shift = num == ipRed ? 0 : (num == ipGreen ? 8 : 16);
  *c = TRVRTFColor((uint32_t(*c) & ~(0xFFu << shift)) | (uint32_t(value & 0xFF) << shift));
  colorFromSemicolon_ = false;
}

void TRVRTFReader::ApplyFontTableWord(int num, int32_t value) {
  if (num == ipFont) {
    if (fonts_.Count() < kRTFMaxFonts) fonts_.Add().FontNumber = value;
  } else if (TRVRTFFont *f = fonts_.Last()) {
    if (num == ipFontFamily) f->Family = uint8_t(value);
    else if (num == ipFCharset) f->Charset = value >= 256 ? 77 : uint8_t(std::max<int32_t>(value, 0));
  }
}

int TRVRTFReader::ApplyStyleSheetWord(int num, int32_t value, bool hasParam) {
  const uint8_t dest = cur_.Destination;
  // \s, \cs and \ds number and kind the entry they stand in; outside an
  // entry they name none.
  if (num == ipS || num == ipCS || num == ipDS) {
    TRVRTFStyleSheetEntry *e = styles_.Last();
    if (e && dest == dsStyleEntry) {
      e->Number = value;
      e->Kind = num == ipS ? 1 : (num == ipCS ? 0 : 2);
    }
    return rtf_ec_OK;
  }
  if (dest == dsStyleSheet) {
    if (num == ipFont)
      if (TRVRTFStyleSheetEntry *e = styles_.Last())
        e->CharProps.FontIndex = fonts_.GetFontIndex(value, cur_.DefFontNumber);
    return rtf_ec_OK;
  }
  if (TRVRTFStyleSheetEntry *e = styles_.Last()) {
    switch (num) {
    case ipSBasedOn: e->BasedOn = value; return rtf_ec_OK;
    case ipSNext: e->Next = value; return rtf_ec_OK;
    case ipAdditive: e->Additive = true; return rtf_ec_OK;
    case ipSHidden: e->Hidden = true; return rtf_ec_OK;
    default: break;
    }
  }
  // The entry's own formatting: character and paragraph words only, so
  // that nothing in a style sheet fires events.
  if (num <= ipDefLang || (num >= ipSL && num <= ipFI) || num == ipAlign || num == ipPard || num == ipPlain ||
      num == ipFont || (num >= ipSB && num <= ipShading) || num == ipHidden || num == ipKeep || num == ipKeepN)
    return ApplyGeneral(num, value, hasParam);
  return rtf_ec_OK;
}

void TRVRTFReader::ApplyListWord(int num, int32_t value) {
  switch (cur_.Destination) {
  case dsList:
    if (TRVRTFList97 *l = lists_.Last()) {
      if (num == ipListID) l->ListID = value;
      else if (num == ipListSimple) l->Simple = value != 0;
    }
    break;
  case dsListLevel:
    if (TRVRTFListLevel97 *lv = LastLevel()) ApplyLevelProperty(*lv, num, value);
    break;
  case dsOverride:
    if (TRVRTFListOverride97 *o = overrides_.Last()) {
      if (num == ipListID) {
        o->ListIndex = -1;
        for (int i = 0; i < lists_.Count(); ++i)
          if (lists_.Get(i)->ListID == value) {
            o->ListIndex = i;
            break;
          }
      } else if (num == ipListOverrideCount) {
        o->Count = value;
      } else if (num == ipLS) {
        o->Number = value;
      }
    }
    break;
  case dsOverrideLevel:
    if (TRVRTFListOverride97 *o = overrides_.Last())
      if (!o->Levels.empty()) {
        if (num == ipLevelStartAt) o->Levels.back().StartAt = value;
        else if (num == ipListOverrideStartAt) o->Levels.back().UseStartAt = value != 0;
      }
    break;
  default: break;
  }
}

} // namespace kc
