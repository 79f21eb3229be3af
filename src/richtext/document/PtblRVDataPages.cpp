// Cutting a formatted printable copy into pages.
#include <algorithm>

#include "richtext/document/PtblRVData.h"
#include "richtext/document/RVMultiDrawItem.h"

namespace kc {

void TCustomMainPtblRVData::FormatPages() {
  Pages.Clear();
  Pages.Add();
  const int n = DrawLines.Count();
  const int64_t room = std::max<int64_t>(1, int64_t(FPrintHost->PageHeight()) - TmpTM - TmpBM);
  // Where the current page starts in the document, and how much lower than
  // their place its later lines are drawn (a split item above them that
  // grew on this page, as a table does by repeating its heading rows).
  int64_t pageTop = 0, extra = 0;
  auto newPage = [&](int64_t StartY, int DrawLineNo, int Part) {
    TRVPageInfo *p = Pages.Add();
    p->StartY = RVSatAdd(StartY, 0);
    p->StartDrawItemNo = DrawLineNo;
    p->StartPart = Part;
    pageTop = StartY;
    extra = 0;
  };
  auto clampY = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, -RVMaxCoord, RVMaxCoord)); };

  for (int i = 0; i < n;) {
    TRVDrawLineInfo *d = DrawLines.Items(i);
    // The screen line starting here.
    int j = i + 1;
    int64_t top = d->Top, bottom = int64_t(d->Top) + d->Height;
    for (; j < n && !DrawLines.Items(j)->FromNewLine; ++j) {
      const TRVDrawLineInfo *e = DrawLines.Items(j);
      top = std::min<int64_t>(top, e->Top);
      bottom = std::max<int64_t>(bottom, int64_t(e->Top) + e->Height);
    }
    const bool first = i == 0;
    bool atPageTop = first || top + extra <= pageTop;
    if (!atPageTop && PageBreakBefore(d->ItemNo)) {
      newPage(top, i, 1);
      atPageTop = true;
    }
    auto *multi = j == i + 1 ? dynamic_cast<TRVMultiDrawItemInfo *>(d) : nullptr;
    if (multi && multi->InitSplit() && multi->PartsList.Count() > 0) {
      int64_t avail = pageTop + room - (int64_t(d->Top) + extra);
      if (!atPageTop && avail < multi->PartsList.Last()->Height && !multi->CanSplitFirst(clampY(avail))) {
        newPage(d->Top, i, 1);
        avail = room;
      }
      // Each cut starts a page with the new last part.
      int64_t partTop = d->Top;
      for (int guard = 0; multi->PartsList.Last()->Height > avail && guard < (1 << 20); ++guard) {
        const int before = multi->PartsList.Count();
        if (!multi->SplitAt(clampY(std::max<int64_t>(avail, 0)))) break;
        if (multi->PartsList.Count() <= before) break;
        partTop += multi->PartsList.Parts(multi->PartsList.Count() - 2)->Height;
        newPage(partTop, i, multi->PartsList.Count());
        avail = room;
      }
      extra += partTop + multi->PartsList.Last()->Height - (int64_t(d->Top) + d->Height);
      i = j;
      continue;
    }
    if (!atPageTop && bottom + extra - pageTop > room) newPage(top, i, 1);
    i = j;
  }
}

} // namespace kc
