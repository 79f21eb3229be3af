// The table on screen and on paper: painting through TRVTablePainter, the
// printing draw item and the layout of a printing pass.
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTablePainter.h"

namespace kc {

void TRVTableItemInfo::PaintFullWidth(int Left, int Right, int Top, TCanvas &Canvas, TRVItemDrawStates State,
                                      TRVStyle *Style, const TRect &ClipRect, uint8_t ColorMode) {
  (void)Right;
  TRVTablePaintContext ctx;
  ctx.Left = Left;
  ctx.Top = Top;
  ctx.Clip = ClipRect;
  ctx.State = State;
  ctx.ColorMode = ColorMode;
  ctx.Style = Style;
  TRVTablePainter(*this, FormattingInfo()).Paint(Canvas, ctx);
}

void TRVTableItemInfo::Print(TCanvas &Canvas, int X, int Y, int X2, bool Preview, bool Correction,
                             const TRVScreenAndDevice &sad, TRVDrawLineInfo *DrawLine, int Part, uint8_t ColorMode,
                             TCustomRVData *RVData) {
  TRVFullLineItemInfo::Print(Canvas, X, Y, X2, Preview, Correction, sad, DrawLine, Part, ColorMode, RVData);
}

std::unique_ptr<TRVDrawLineInfo> TRVTableItemInfo::CreatePrintingDrawItem(TCustomRVData *RVData,
                                                                          const TRVScreenAndDevice &sad) {
  return TRVFullLineItemInfo::CreatePrintingDrawItem(RVData, sad);
}

void TRVTableItemInfo::DrawBackgroundForPrinting(TCanvas &Canvas, const TRect &Rect, const TRect &FullRect,
                                                 uint8_t ColorMode, int ItemBackgroundLayer) {
  TRVFullLineItemInfo::DrawBackgroundForPrinting(Canvas, Rect, FullRect, ColorMode, ItemBackgroundLayer);
}

void TRVTableItemInfo::FormatForPrinting(int DocWidth, TRVDrawLineInfo *DrawLine, TCanvas &Canvas,
                                         const TRVScreenAndDevice *sad) {
  PrintSad = sad;
  TRVTableItemFormattingInfo info(true);
  TRVTableLayout(*this, info, Canvas, sad).FormatTable(DocWidth, false);
  PrintSad = nullptr;
  if (DrawLine) {
    DrawLine->Width = info.TableWidth;
    DrawLine->Height = info.TableHeight;
  }
}

} // namespace kc
