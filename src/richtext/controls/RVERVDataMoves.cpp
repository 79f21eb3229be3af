// Caret moves by word, line, page and document, Shift selection, jump mode.
#include "richtext/controls/RVERVData.h"

namespace kc {

bool TRVEditRVData::MoveCaretLeft(bool Shift, bool Ctrl) {
  (void)Ctrl;
  MoveCaretLeft(Shift);
  return false;
}
bool TRVEditRVData::MoveCaretRight(bool Shift, bool Ctrl) {
  (void)Ctrl;
  MoveCaretRight(Shift);
  return false;
}
bool TRVEditRVData::MoveCaretUp(bool, bool) { return false; }
bool TRVEditRVData::MoveCaretDown(bool, bool) { return false; }
bool TRVEditRVData::MoveCaretHome(bool, bool) {
  MoveCaretHome();
  return false;
}
bool TRVEditRVData::MoveCaretEnd(bool, bool) {
  MoveCaretEnd();
  return false;
}
void TRVEditRVData::MoveCaretPageUp() {}
void TRVEditRVData::MoveCaretPageDown() {}
void TRVEditRVData::StartShiftSelection() {}
void TRVEditRVData::ExtendShiftSelection() {}
void TRVEditRVData::EnterJumpMode(bool) {}
void TRVEditRVData::LeaveJumpMode() {}
bool TRVEditRVData::InJumpMode() const { return false; }
void TRVEditRVData::EnsureNotEmpty() {}

} // namespace kc
