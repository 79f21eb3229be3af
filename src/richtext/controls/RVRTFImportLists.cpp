// List styles from the RTF list table and the markers of list paragraphs.
#include <algorithm>
#include <cmath>

#include "richtext/controls/RVRTFImportBuilder.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVStyle.h"

namespace kc {

namespace {

int px(int32_t twips) { return int(std::lround(twips * TRVRTFReaderProperties::TwipsToPixels)); }

TRVListType listTypeOf(uint8_t numberType) {
  switch (numberType) {
  case 2: return rvlstLowerAlpha;
  case 3: return rvlstUpperAlpha;
  case 4: return rvlstLowerRoman;
  case 5: return rvlstUpperRoman;
  case 6: return rvlstBullet;
  default: return rvlstDecimal;
  }
}

bool sameNoCase(const std::string &a, const char *b) {
  size_t n = std::char_traits<char>::length(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(uint8_t(a[i])) != std::tolower(uint8_t(b[i]))) return false;
  return true;
}

} // namespace

// The level text comes without its length character (the reader cut it);
// every level-number placeholder becomes an argument of the format.
std::string RTFLevelTextToFormat(const std::string &Text) {
  std::string out;
  for (char c : Text) {
    const uint8_t b = uint8_t(c);
    if (b < 10) {
      out += b == 0 ? std::string("%s") : "%" + std::to_string(b) + ":s";
    } else if (c == '%') {
      out += "%%";
    } else {
      out += c;
    }
  }
  return out;
}

namespace {

// The marker font of a level: a level without a size of its own takes the
// size of the text after its marker.
void setLevelFont(TRVListLevel &l, const TRVRTFFont *font, const TRVRTFCustomMarkerProperties &m, int32_t textSize) {
  TRVMarkerFont f;
  if (font) {
    f.Name = font->FontName;
    f.Charset = font->Charset;
  }
  f.Size = !m.SizeGiven && textSize > 0 ? textSize : m.Size;
  f.Color = m.Color;
  f.Style = TFontStyles(m.FontStyle & 15);
  l.SetFont(&f);
}

std::string percentsDoubled(const std::string &s) {
  std::string out;
  for (char c : s) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

// Old-style numbering levels: 1..9 outline levels, 10 a numbered body
// paragraph (any level that is not a bullet numbers), 11 a bulleted one.
constexpr int32_t kOldBullet = 11;

} // namespace

int TRVRTFImportBuilder::FindOrAddListStyle(const TRVListInfo &Wanted) {
  TRVListInfos &ls = Style->ListStyles();
  Taken.resize(size_t(ls.Count()), false);
  int found = -1;
  for (int i = 0; i < ls.Count(); ++i)
    if (!Taken[size_t(i)] && ls.Items(i)->Levels.IsEqual(Wanted.Levels)) {
      found = i;
      break;
    }
  if (found < 0) {
    TRVListInfo *added = ls.Add();
    added->Levels.Assign(Wanted.Levels);
    added->Standard = false;
    found = ls.Count() - 1;
    Taken.push_back(false);
  }
  Taken[size_t(found)] = true;
  return found;
}

int TRVRTFImportBuilder::ListStyleOfRTFList(int RTFList, int32_t TextSize) {
  const TRVRTFList97 *rl = R.ListTable().Get(RTFList);
  if (!rl || !Style) return -1;
  if (ListStyleOfList.size() < size_t(R.ListTable().Count())) ListStyleOfList.resize(size_t(R.ListTable().Count()), -1);
  int &mapped = ListStyleOfList[size_t(RTFList)];
  if (mapped >= 0) return mapped;
  TRVListInfo wanted;
  for (const TRVRTFListLevel97 &lv : rl->Levels) {
    TRVListLevel *l = wanted.Levels.Add();
    l->ListType = listTypeOf(lv.NumberType);
    const TRVRTFFont *font = R.FontList().Get(lv.FontIndex);
    const std::string fontName = font ? font->FontName : std::string();
    if (l->ListType == rvlstBullet) {
      l->FormatString = lv.Text;
      if (lv.TextW.size() == 1) {
        char16_t ch = lv.TextW[0];
        const bool sym = sameNoCase(fontName, "Symbol") && ch >= 0xF0A1 && ch <= 0xF0FE;
        const bool wing = sameNoCase(fontName, "Wingdings") && ch >= 0xF021 && ch <= 0xF0FF;
        if (sym || wing) {
          l->FormatString = std::string(1, char(ch - 0xF000));
        } else if (ch >= 0x80) {
          l->ListType = rvlstUnicodeBullet;
          l->FormatStringW = std::u16string(1, ch);
        }
      }
    } else {
      l->FormatString = RTFLevelTextToFormat(lv.Text);
    }
    l->StartFrom = lv.StartAt;
    l->LeftIndent = px(lv.LeftIndent);
    l->MarkerIndent = std::max(0, px(lv.LeftIndent + lv.FirstIndent));
    l->FirstIndent = 0;
    l->MarkerAlignment = TRVMarkerAlignment(lv.Alignment <= 2 ? lv.Alignment : 0);
    if (lv.NoRestart) l->Options.Exclude(rvloLevelReset);
    if (lv.Legal) l->Options.Include(rvloLegalStyleNumbering);
    setLevelFont(*l, font, lv, TextSize);
  }
  mapped = FindOrAddListStyle(wanted);
  return mapped;
}

int TRVRTFImportBuilder::ListStyleOfOldMarker(const PendingMarker &M, int32_t TextSize) {
  if (!Style) return -1;
  const TRVRTFMarkerProperties &own = M.Old;
  // Marker text comes from the paragraph's own indents; without them the
  // marker's indent places the text.
  const bool paraIndents = M.ParaLeft > 0;
  // Index: the level's place in the list; its number is that argument of
  // the format.
  auto makeLevel = [&](TRVListLevel &l, const TRVRTFMarkerProperties &m, int index) {
    const bool bullet = m.Level == kOldBullet;
    l.ListType = bullet ? rvlstBullet : listTypeOf(m.NumberType);
    if (bullet) {
      l.FormatString = m.TextBefore + m.TextAfter;
      if (l.FormatString.empty()) l.FormatString = "\x95";
    } else {
      l.FormatString = percentsDoubled(m.TextBefore) + RTFLevelTextToFormat(std::string(1, char(index))) +
                       percentsDoubled(m.TextAfter);
    }
    l.StartFrom = m.StartAt;
    l.LeftIndent = px(paraIndents ? M.ParaLeft : m.Indent);
    l.MarkerIndent = paraIndents ? std::max(0, px(M.ParaLeft + M.ParaFirst)) : 0;
    l.FirstIndent = 0;
    l.MarkerAlignment = TRVMarkerAlignment(m.Alignment <= 2 ? m.Alignment : 0);
    setLevelFont(l, R.FontList().Get(m.FontIndex), m, TextSize);
  };
  TRVListInfo wanted;
  if (own.Level >= 1 && own.Level <= 9) {
    // Outline numbering: all nine levels, from the section's level
    // definitions where it has them, so that the markers of every level of
    // one outline share a list style.
    for (int level = 1; level <= 9; ++level) {
      TRVRTFMarkerProperties m = own;
      if (level != own.Level) {
        // A level the section leaves open is plain decimal numbering.
        const TRVRTFMarkerProperties *sec = R.RTFState().SectProps.GetSectionMarker(level);
        m = sec ? *sec : TRVRTFMarkerProperties();
        m.Level = level;
        if (!m.FontGiven) m.FontIndex = own.FontIndex;
        if (!m.SizeGiven) m.Size = own.Size;
        if (!m.ColorGiven) m.Color = own.Color;
      }
      makeLevel(*wanted.Levels.Add(), m, level - 1);
    }
  } else {
    makeLevel(*wanted.Levels.Add(), own, 0);
  }
  TRVListInfos &ls = Style->ListStyles();
  for (int no : OldStyleLists)
    if (no < ls.Count() && ls.Items(no)->Levels.IsEqual(wanted.Levels)) return no;
  const int no = FindOrAddListStyle(wanted);
  OldStyleLists.push_back(no);
  return no;
}

int32_t TRVRTFImportBuilder::SizeOfTextAfter(const Sink &S, size_t Index) const {
  if (Index + 1 >= S.Items.size() || !Style) return 0;
  const TCustomRVItemInfo &next = *S.Items[Index + 1].Item;
  if (next.StyleNo < 0) return 0;
  const TFontInfo *f = Style->TextStyles().GetTextStyleSafe(next.StyleNo);
  return f ? f->Size : 0;
}

void TRVRTFImportBuilder::AddListMarker(int ParaNo) {
  SettleMarker();
  const TRVRTFParaProperties &pp = R.ParaProps();
  PendingMarker pm;
  int level = 0, start = 1;
  bool reset = false;
  if (const TRVRTFListOverride97 *ov = R.ListOverrideTable().Get(pp.ListOverrideIndex)) {
    const TRVRTFList97 *rl = R.ListTable().Get(ov->ListIndex);
    if (!rl || rl->Levels.empty()) return;
    pm.RTFList = ov->ListIndex;
    level = std::clamp<int>(pp.ListLevel, 0, int(rl->Levels.size()) - 1);
    start = rl->Levels[size_t(level)].StartAt;
    if (level < int(ov->Levels.size()) && ov->Levels[size_t(level)].UseStartAt) {
      start = ov->Levels[size_t(level)].StartAt;
      reset = true;
    }
  } else if (pp.Marker) {
    pm.Old = *pp.Marker;
    pm.ParaLeft = pp.LeftIndent;
    pm.ParaFirst = pp.FirstIndent;
    level = pm.Old.Level >= 1 && pm.Old.Level <= 9 ? pm.Old.Level - 1 : 0;
    start = pm.Old.StartAt;
  } else {
    return;
  }
  if (!Style) return;
  auto marker = std::make_unique<TRVMarkerItemInfo>(Cur->Data, -1, level, start, reset);
  marker->ParaNo = ParaNo;
  marker->SetContinuePara(false);
  if (Cur->PageBreakPending) {
    marker->ItemOptions.Include(rvioPageBreakBefore);
    Cur->PageBreakPending = false;
  }
  pm.Where = Cur;
  pm.Index = Cur->Items.size();
  Cur->Items.push_back({std::string(), std::move(marker)});
  Pending = std::move(pm);
  MarkerJustAdded = true;
}

void TRVRTFImportBuilder::SettleMarker(bool AtReaderUpdate) {
  if (!Pending) return;
  PendingMarker pm = std::move(*Pending);
  Pending.reset();
  auto *marker = static_cast<TRVMarkerItemInfo *>(pm.Where->Items[pm.Index].Item.get());
  const int32_t textSize = SizeOfTextAfter(*pm.Where, pm.Index);
  int listNo;
  if (pm.RTFList >= 0) {
    listNo = ListStyleOfRTFList(pm.RTFList, textSize);
  } else {
    // The reader fills in the font, size and colour the marker left open
    // just before its update, while the paragraph is still the marker's.
    if (AtReaderUpdate)
      if (const auto &m = R.ParaProps().Marker) pm.Old = *m;
    listNo = ListStyleOfOldMarker(pm, textSize);
  }
  if (listNo < 0) {
    // Nothing to number by: the paragraph stays without a marker.
    pm.Where->Items.erase(pm.Where->Items.begin() + std::ptrdiff_t(pm.Index));
    if (pm.Index < pm.Where->Items.size()) pm.Where->Items[pm.Index].Item->SetContinuePara(false);
    return;
  }
  marker->ListNo = listNo;
}

} // namespace kc
