// The table item's painting and printing hooks: they hand the table, a
// formatting record and the rows to paint to the painter.
#include <algorithm>

#include "richtext/document/CRVFData.h"
#include "richtext/document/PtblRVData.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTablePainter.h"
#include "richtext/tables/RVTablePrint.h"
#include "platform/Canvas.h"

namespace kc {

namespace {

// Points the table at a printing ratio for as long as it is in scope.
struct PrintingRatio {
  TRVTableItemInfo &Table;
  const TRVScreenAndDevice *Old;
  PrintingRatio(TRVTableItemInfo &T, const TRVScreenAndDevice *sad) : Table(T), Old(T.PrintSad) { T.PrintSad = sad; }
  ~PrintingRatio() { Table.PrintSad = Old; }
};

TColor DocumentColorOf(TCustomRVData *Data) {
  if (auto *f = dynamic_cast<TCustomRVFormattedData *>(Data)) {
    const TColor c = f->GetColor();
    if (c != clNone) return c;
  }
  return clWindow;
}

} // namespace

void TRVTableItemInfo::PaintFullWidth(int Left, int Right, int Top, TCanvas &Canvas, TRVItemDrawStates State,
                                      TRVStyle *Style, const TRect &ClipRect, uint8_t ColorMode) {
  (void)Right;
  TRVTablePaintContext x;
  x.Left = Left;
  x.Top = Top;
  x.Clip = ClipRect;
  x.State = State;
  x.ColorMode = ColorMode;
  x.Style = Style;
  x.DocumentColor = DocumentColorOf(Rows().MainRVData);
  x.DrawGrid = (this->State & rvtsEditMode) != 0 && !Options.Has(rvtoHideGridLines);
  TRVTablePainter(*this, FormattingInfo()).Paint(Canvas, x);
}

std::unique_ptr<TRVDrawLineInfo> TRVTableItemInfo::CreatePrintingDrawItem(TCustomRVData *RVData,
                                                                          const TRVScreenAndDevice &sad) {
  auto *parent = dynamic_cast<TCustomPrintableRVData *>(RVData);
  if (!parent) return TRVFullLineItemInfo::CreatePrintingDrawItem(RVData, sad);
  return std::make_unique<TRVTablePrintInfo>(*this, parent, sad);
}

void TRVTableItemInfo::FormatForPrinting(int DocWidth, TRVDrawLineInfo *DrawLine, TCanvas &Canvas,
                                         const TRVScreenAndDevice *sad) {
  (void)sad;
  // Only a table's own printing record has a place for the layout.
  auto *pi = dynamic_cast<TRVTablePrintInfo *>(DrawLine);
  if (!pi) return;
  PrintingRatio ratio(*this, &pi->sad);
  TRVTableLayout(*this, pi->Info, Canvas, &pi->sad).FormatTable(DocWidth, false);
  DrawLine->Width = pi->Info.TableWidth;
  DrawLine->Height = pi->Info.TableHeight;
}

void TRVTableItemInfo::Print(TCanvas &Canvas, int X, int Y, int X2, bool Preview, bool Correction,
                             const TRVScreenAndDevice &sad, TRVDrawLineInfo *DrawLine, int Part, uint8_t ColorMode,
                             TCustomRVData *RVData) {
  (void)X2, (void)sad;
  auto *pi = dynamic_cast<TRVTablePrintInfo *>(DrawLine);
  if (!pi) return;
  PrintingRatio ratio(*this, &pi->sad);
  TRVTablePaintContext x;
  x.Left = X;
  x.Top = Y;
  x.Clip = Canvas.clipBox();
  x.ColorMode = ColorMode;
  x.Printing = true;
  x.sad = &pi->sad;
  x.Style = RVData ? RVData->GetRVStyle() : nullptr;
  x.DocumentColor = clWhite;
  x.Preview = Preview;
  x.Correction = Correction;
  if (Part >= 0 && Part < pi->PartsList.Count()) {
    const TRVTablePrintPart *p = pi->Part(Part);
    x.FirstRow = p->StartRow;
    x.RowCount = p->RowCount;
    x.HeadingRows = pi->Headings();
  }
  TRVTablePainter(*this, pi->Info).Paint(Canvas, x);
}

void TRVTableItemInfo::DrawBackgroundForPrinting(TCanvas &Canvas, const TRect &Rect, const TRect &FullRect,
                                                 uint8_t ColorMode, int ItemBackgroundLayer) {
  if (ItemBackgroundLayer == 0 || Rect.isEmpty()) return;
  TColor color = Color;
  if (color != clNone)
    color = PrintOptions.Has(rvtoWhiteBackground) ? clWhite : BackColorForColorMode(color, ColorMode);
  if (const TRVBackground *bg = GetBackground(); bg && bg->HasVisibleBitmap()) {
    bg->Draw(Canvas, Rect, 0, 0, FullRect.Left, FullRect.Top, FullRect.width(), FullRect.height(), color, true);
    return;
  }
  if (color == clNone) return;
  Canvas.setBrush(CanvasBrush{color, TBrushStyle::bsSolid});
  Canvas.fillRect(Rect);
}

} // namespace kc
