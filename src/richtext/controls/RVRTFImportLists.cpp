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

void TRVRTFImportBuilder::MapLists() {
  ListsMapped = true;
  if (!Style) return;
  TRVListInfos &ls = Style->ListStyles();
  std::vector<bool> taken(size_t(ls.Count()), false);
  const TRVRTFListTable97 &lists = R.ListTable();
  for (int li = 0; li < lists.Count(); ++li) {
    const TRVRTFList97 &rl = *lists.Get(li);
    TRVListInfo wanted;
    for (const TRVRTFListLevel97 &lv : rl.Levels) {
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
      TRVMarkerFont f;
      if (font) {
        f.Name = font->FontName;
        f.Charset = font->Charset;
      }
      f.Size = lv.Size;
      f.Color = lv.Color;
      f.Style = TFontStyles(lv.FontStyle & 15);
      l->SetFont(&f);
    }
    int found = -1;
    for (int i = 0; i < ls.Count(); ++i)
      if (!taken[size_t(i)] && ls.Items(i)->Levels.IsEqual(wanted.Levels)) {
        found = i;
        break;
      }
    if (found < 0) {
      TRVListInfo *added = ls.Add();
      added->Levels.Assign(wanted.Levels);
      added->Standard = false;
      found = ls.Count() - 1;
      taken.push_back(false);
    }
    taken[size_t(found)] = true;
    ListStyleOfList.push_back(found);
  }
}

void TRVRTFImportBuilder::AddListMarker(int ParaNo) {
  const TRVRTFParaProperties &pp = R.ParaProps();
  const TRVRTFListOverride97 *ov = R.ListOverrideTable().Get(pp.ListOverrideIndex);
  if (!ov) return;
  if (!ListsMapped) MapLists();
  if (ov->ListIndex < 0 || ov->ListIndex >= int(ListStyleOfList.size())) return;
  const int listNo = ListStyleOfList[size_t(ov->ListIndex)];
  const TRVListInfo *list = Style ? Style->ListStyles().Items(listNo) : nullptr;
  if (!list || list->Levels.Count() == 0) return;
  const int level = std::clamp(pp.ListLevel, 0, list->Levels.Count() - 1);
  int start = list->Levels.Items(level)->StartFrom;
  bool reset = false;
  if (level < int(ov->Levels.size()) && ov->Levels[size_t(level)].UseStartAt) {
    start = ov->Levels[size_t(level)].StartAt;
    reset = true;
  }
  auto marker = std::make_unique<TRVMarkerItemInfo>(&Target, listNo, level, start, reset);
  marker->ParaNo = ParaNo;
  marker->SetContinuePara(false);
  if (PageBreakPending) {
    marker->ItemOptions.Include(rvioPageBreakBefore);
    PageBreakPending = false;
  }
  Built.push_back({std::string(), std::move(marker)});
  MarkerJustAdded = true;
}

} // namespace kc
