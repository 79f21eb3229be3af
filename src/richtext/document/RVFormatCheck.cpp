// The invariants of formatted draw lines, for tests and fuzzing.
#include <algorithm>
#include <cstdint>
#include <string>

#include "richtext/document/CRVFData.h"
#include "richtext/document/RVUni.h"

namespace kc {

std::string TCustomRVFormattedData::CheckDrawLines() const {
  const int n = DrawLines.Count();
  auto fault = [](int i, const std::string &what) { return "draw line " + std::to_string(i) + ": " + what; };
  if (GetItemCount() == 0) return n == 0 ? std::string() : "draw lines without items";
  if (n == 0) return "items without draw lines";
  int expectItem = 0;
  int nextOffs = 1;
  for (int i = 0; i < n; ++i) {
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    if (!d) return fault(i, "empty slot");
    const bool firstOfItem = i == 0 || DrawLines.Items(i - 1)->ItemNo != d->ItemNo;
    if (firstOfItem) {
      if (i > 0) {
        // The characters after the previous item's last piece are spaces.
        const int prev = DrawLines.Items(i - 1)->ItemNo;
        if (IsTextItem(prev)) {
          const std::string &t = GetItemTextRaw(prev);
          const uint8_t opt = GetItemOptions(prev).Raw_();
          for (int c = nextOffs; c <= GetTextLength(t, opt); ++c)
            if (!IsSpaceAt(t, c, opt))
              return fault(i - 1, "character " + std::to_string(c) + " of the item is not shown");
        }
      }
      if (d->ItemNo != expectItem)
        return fault(i, "item " + std::to_string(d->ItemNo) + " where " + std::to_string(expectItem) + " was due");
      if (FirstDrawLineOfItem(d->ItemNo) != i) return fault(i, "the item does not record its first draw line");
      ++expectItem;
      nextOffs = 1;
    }
    if (IsTextItem(d->ItemNo)) {
      const std::string &t = GetItemTextRaw(d->ItemNo);
      const uint8_t opt = GetItemOptions(d->ItemNo).Raw_();
      const int len = GetTextLength(t, opt);
      if (d->Length < 0 || d->Offs < nextOffs || d->Offs + d->Length - 1 > len)
        return fault(i,
                     "piece " + std::to_string(d->Offs) + "+" + std::to_string(d->Length) + " out of order or range");
      for (int c = nextOffs; c < d->Offs; ++c)
        if (!IsSpaceAt(t, c, opt)) return fault(i, "character " + std::to_string(c) + " is not shown");
      nextOffs = d->Offs + d->Length;
    }
  }
  if (expectItem != GetItemCount()) return "items after " + std::to_string(expectItem - 1) + " have no draw lines";
  // Lines never rise, and a line of several pieces fits the wrap width.
  int prevTop = INT32_MIN;
  for (int i = 0; i < n;) {
    int last = i;
    while (last + 1 < n && !DrawLines.Items(last + 1)->FromNewLine) ++last;
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    if (d->Top < prevTop) return fault(i, "the line starts above the one before it");
    prevTop = d->Top;
    bool hasMarker = false, noWrap = false;
    int pieces = 0;
    int64_t right = INT64_MIN;
    for (int k = i; k <= last; ++k) {
      const TRVDrawLineInfo *p = DrawLines.Items(k);
      hasMarker |= GetItemStyle(p->ItemNo) == rvsListMarker;
      const TParaInfo *para = GetRVStyle()->ParaStyles().GetParaStyleSafe(GetItemPara(p->ItemNo));
      noWrap |= para && para->Options.Has(rvpaoNoWrap);
      // An empty piece takes no room wherever it stands.
      if (p->Width > 0) {
        right = std::max<int64_t>(right, int64_t(p->Left) + p->Width);
        ++pieces;
      }
    }
    const int64_t edge = int64_t(FS.LM) + TextWidth;
    if (pieces > 1 && !hasMarker && !noWrap && right > edge)
      return fault(i, "a line of several pieces ends at " + std::to_string(right) + " beyond " + std::to_string(edge));
    i = last + 1;
  }
  return std::string();
}

} // namespace kc
