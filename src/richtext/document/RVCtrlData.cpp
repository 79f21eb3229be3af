#include "richtext/document/RVCtrlData.h"

#include <QImage>

#include "platform/QtCanvas.h"

namespace kc {

void TRVControlData::ClearFormatting() {
  if (DrawLines.Count() > 0) {
    FocusedItemNo = -1;
    FocusedItemData = nullptr;
  }
  TRichVistaRVData::ClearFormatting();
}

void TRVControlData::ClearSelection(bool FireEvent) {
  if (State & rvstClearingSelection) return;
  const bool had = FocusedItemNo >= 0;
  FocusedItemNo = -1;
  FocusedItemData = nullptr;
  TRichVistaRVData::ClearSelection(FireEvent);
  if (had) InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
}

void TRVControlData::PaintBuffered(const TRect &Clip, TCanvas &Canvas) {
  if (Clip.isEmpty()) return;
  QImage buffer(Clip.width(), Clip.height(), QImage::Format_RGB32);
  buffer.fill(Qt::white);
  {
    QtCanvas memory(&buffer, Canvas.pixelsPerInchX(), Canvas.pixelsPerInchY());
    PaintBackground(Clip, memory);
    PaintVisibleLines(Clip, memory);
  }
  Canvas.drawImage(Clip.Left, Clip.Top, buffer);
}

TCustomRVData *TRVItemFormattedData::GetRootData() const {
  TCustomRVData *parent = GetParentData();
  return parent ? parent->GetRootData() : const_cast<TRVItemFormattedData *>(this);
}

TCustomRVData *TRVItemFormattedData::GetAbsoluteRootData() const {
  TCustomRVData *parent = GetParentData();
  return parent ? parent->GetAbsoluteRootData() : const_cast<TRVItemFormattedData *>(this);
}

void TRVItemFormattedData::SetFlags(uint16_t Value) {
  (void)Value;
  throw ERichVistaError("This method is not supported for TRVItemFormattedData");
}

} // namespace kc
