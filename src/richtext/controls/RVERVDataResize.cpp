// The editor document's side of the item resizer.
#include "richtext/controls/RVERVData.h"

namespace kc {

void TRVEditRVData::UpdateResizer() {}
bool TRVEditRVData::ResizerMouseDown(int, int) { return false; }
bool TRVEditRVData::ResizerMouseMove(int, int, bool, bool) { return false; }
bool TRVEditRVData::ResizerMouseUp(int, int, bool, bool) { return false; }
bool TRVEditRVData::CancelResize() { return false; }
void TRVEditRVData::PaintResizer(TCanvas &) {}

} // namespace kc
