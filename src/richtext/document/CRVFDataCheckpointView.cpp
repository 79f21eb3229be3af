// Which checkpoint a scrolled view shows: reported to the view once each
// time it changes, as the start of the section being read or as the
// checkpoint that has come into sight.
#include "richtext/document/CRVFData.h"

namespace kc {

bool TCustomRVFormattedData::ClearSoftPageBreaks() {
  const bool had = SoftPageBreaks != nullptr;
  SoftPageBreaks.reset();
  return had;
}

void TCustomRVFormattedData::CheckCheckpointVisibility(TCPEventKind Kind) {
  if (Kind == cpeNone || !HasCheckpointVisibleHandler()) return;
  const int64_t top = GetVOffs(), bottom = top + GetHeight();
  auto counts = [](const TRVCPInfo *cp) { return cp && cp->RaiseEvent; };
  // The first counting checkpoint at or below the view's top, and the last
  // one above it.
  TRVCPInfo *above = nullptr, *found = nullptr;
  int64_t foundTop = 0;
  for (TRVCPInfo *cp = FirstCP; cp; cp = cp->Next) {
    if (!counts(cp)) continue;
    const int dl = cp->ItemInfo ? FirstDrawLineOf(cp->ItemInfo) : -1;
    // Not laid out yet: nothing can be said about the rest.
    if (dl < 0 || dl >= DrawLines.Count()) return;
    const int64_t t = DrawLines.Items(dl)->Top;
    if (t >= top) {
      found = cp;
      foundTop = t;
      break;
    }
    above = cp;
  }
  const bool endShown = counts(NotAddedCP.get()) && bottom > DocumentHeight;
  TRVCPInfo *report = nullptr;
  if (Kind == cpeAsSectionStart) {
    if (found) report = foundTop >= bottom ? above : found;
    else report = endShown ? NotAddedCP.get() : above;
    if (!report) return;
  } else {
    if (found) report = foundTop < bottom ? found : nullptr;
    else report = endShown ? NotAddedCP.get() : nullptr;
  }
  if (report == FLastReportedCP) return;
  FLastReportedCP = report;
  NotifyCheckpointVisible(report);
}

} // namespace kc
