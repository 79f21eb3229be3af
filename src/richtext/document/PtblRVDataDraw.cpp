// Drawing one page of a printable copy: the page background, the paragraph
// backgrounds and borders of the page's lines, text through the style sheet,
// items through their print operation or through a bitmap.
#include <algorithm>
#include <vector>

#include <QColor>
#include <QPainter>

#include "platform/Graphics.h"
#include "platform/QtCanvas.h"
#include "richtext/document/PtblRVData.h"
#include "richtext/document/RVBack.h"
#include "richtext/document/RVMultiDrawItem.h"
#include "richtext/document/RVUni.h"

namespace kc {

void TCustomPrintableRVData::FillImage(QImage &Image, TColor Color) {
  const TColor c = ColorToRGB(Color);
  Image.fill(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
}

TRect TCustomPrintableRVData::GetPageArea(int PageNo) const {
  (void)PageNo;
  return Bounds(RVSatAdd(GetTmpLeft(), GetPrintableAreaLeft()), GetTmpTop(), GetWidth(), GetHeight());
}

TRect TCustomMainPtblRVData::GetPageArea(int PageNo) const {
  (void)PageNo;
  return Bounds(FPrintHost->PrintableAreaLeft, FPrintHost->PrintableAreaTop, FPrintHost->PageWidth(),
                FPrintHost->PageHeight());
}

void TCustomPrintableRVData::DrawPageBackground(TCanvas &Canvas, const TRect &Page, const TRVScreenAndDevice &sad) {
  const uint8_t mode = GetColorMode();
  const TColor color = GetColor();
  const TColor back = color == clNone ? clNone : BackColorForColorMode(color, mode);
  const TRVBackground *bg = GetBackground();
  if (bg && bg->HasVisibleBitmap() && !Page.isEmpty()) {
    // The picture is laid out at screen size on an image of the page and
    // stretched with it, so that it prints as large as it shows. A picture
    // that moves with the text on screen has nothing to move with here.
    TRVBackground page(false);
    page.Style = bg->Style == bsTiledAndScrolled ? bsTiled : bg->Style;
    page.AssignImageCopy(*bg->GetBitmap());
    const int w = std::max(1, ScaleX(Page.width(), sad)), h = std::max(1, ScaleY(Page.height(), sad));
    FPageBackground = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    FillImage(FPageBackground, back == clNone ? clWhite : back);
    {
      QtCanvas c(&FPageBackground);
      page.Draw(c, TRect{0, 0, w, h}, 0, 0, 0, 0, w, h, back, false);
    }
    FPageBackgroundRect = Page;
    FPageSad = sad;
    Canvas.stretchDraw(Page, FPageBackground);
    return;
  }
  if (Transparent || back == clNone || Page.isEmpty()) return;
  Canvas.setPen(CanvasPen{Canvas.pen().Color, 1, TPenStyle::psClear, TPenMode::pmCopy});
  Canvas.setBrush(CanvasBrush{back, TBrushStyle::bsSolid});
  Canvas.fillRect(Page);
  Canvas.setPen(CanvasPen{Canvas.pen().Color, 1, TPenStyle::psSolid, TPenMode::pmCopy});
}

TCustomPrintableRVData::TPaintedLines TCustomPrintableRVData::PageLines(int PageNo,
                                                                        const TRVScreenAndDevice &sad) const {
  TPaintedLines page;
  int startNo = 0, endNo = -1;
  GetDrawItemsRange(PageNo, startNo, page.StartPart, endNo);
  page.First = std::max(startNo, 0);
  page.Last = page.ParaEnd = std::min(endNo, DrawLines.Count() - 1);
  page.Dx = RVSatAdd(GetTmpLeft(), GetPrintableAreaLeft());
  page.Dy = -int64_t(GetPageTop(PageNo));
  page.TextRight = GetWidth();
  page.sad = sad;
  page.Printing = true;
  page.ColorMode = GetColorMode();
  page.Paged = true;
  if (page.First > page.Last) return page;
  // How much lower than their place the lines after a split item's last
  // part are drawn: the parts may together be taller than the item (a
  // table repeats its heading rows in each).
  page.Extras.assign(size_t(page.Last - page.First + 1), 0);
  for (int i = page.First, extra = 0; i <= page.Last; ++i) {
    page.Extras[size_t(i - page.First)] = extra;
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    const auto *multi = dynamic_cast<const TRVMultiDrawItemInfo *>(d);
    const int part = PartOnPage(page, i);
    if (!multi || part < 0 || part != multi->PartsList.Count() - 1) continue;
    int top = 0, height = 0;
    PartExtent(d, part, top, height);
    extra = RVSatAdd(int64_t(extra) + top + height, -(int64_t(d->Top) + d->Height));
  }
  return page;
}

void TCustomPrintableRVData::DrawPage(int PageNo, TCanvas &Canvas, bool Preview, bool Correction) {
  TRVStyle *style = GetRVStyle();
  if (!style) throw ERichVistaError("Style of printable TRichVista component is not assigned");
  TRVScreenAndDevice sad;
  GetFormatResolution(Canvas, sad);
  const TPaintedLines page = PageLines(PageNo, sad);

  // The canvas and the page's background picture are given back however
  // the drawing ends.
  struct Restore {
    TCustomPrintableRVData *D;
    TCanvas &C;
    int Level;
    ~Restore() {
      C.restoreDC(Level);
      D->FPageBackground = QImage();
    }
  } restore{this, Canvas, Canvas.saveDC()};
  Canvas.setTextAlign(TA_LEFT | TA_TOP);
  Canvas.setTextCharacterExtra(0);

  DrawPageBackground(Canvas, GetPageArea(PageNo), sad);
  if (page.First > page.Last) return;
  DrawParaBackgrounds(Canvas, page);

  int lastStyle = -1;
  for (int i = page.First; i <= page.Last; ++i) {
    TRVDrawLineInfo *d = DrawLines.Items(i);
    TCustomRVItemInfo *item = GetItem(d->ItemNo);
    const TLineOnPage on = LineOnPage(page, i);
    const int x = RVSatAdd(d->Left, page.Dx), y = RVSatAdd(on.Top, page.Dy);
    const bool firstOfItem = i == 0 || DrawLines.Items(i - 1)->ItemNo != d->ItemNo;
    if (item->Checkpoint && firstOfItem && on.Part <= 0) DoOnCheckpoint(this, d->ItemNo, x, y);
    if (item->GetStyleFlag(rvbsfJump, style)) DoOnHyperlink(this, d->ItemNo, Bounds(x, y, d->Width, on.Height));
    const int styleNo = GetItemStyle(d->ItemNo);
    if (styleNo >= 0) {
      if (d->Length <= 0) continue;
      const TRVBiDiMode paraBiDi = GetParaBiDiMode(item->ParaNo);
      if (styleNo != lastStyle) {
        style->ApplyStyle(Canvas, styleNo, paraBiDi);
        lastStyle = styleNo;
      }
      style->ApplyStyleColor(Canvas, styleNo, TRVTextDrawStates{}, true, page.ColorMode);
      const uint8_t opt = GetItemOptions(d->ItemNo).Raw_();
      const std::string text = CopyChars(GetItemTextRaw(d->ItemNo), d->Offs, d->Length, opt);
      style->DrawStyleText(text, Canvas, d->ItemNo, d->Offs, styleNo, this, d->ExtraSpaceBefore, x, y, d->Width,
                           d->Height, TRVTextDrawStates{}, true, false, page.ColorMode, paraBiDi);
      continue;
    }
    if (item->GetStyleFlag(rvbsfPrintToBMP, style))
      DrawItemViaBitmap(Canvas, x, y, d->ItemNo, d, on.Part, Preview, sad);
    else item->Print(Canvas, x, y, RVSatAdd(x, d->Width), Preview, Correction, sad, d, on.Part, page.ColorMode, this);
    if (item->GetFlag(rvbpDrawingChangesFont)) lastStyle = -1;
  }
}

void TCustomPrintableRVData::DrawItemViaBitmap(TCanvas &Canvas, int X, int Y, int ItemNo, TRVDrawLineInfo *DrawLine,
                                               int Part, bool Preview, const TRVScreenAndDevice &sad) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  TRVStyle *style = GetRVStyle();
  // The item's picture without its spacing, in screen pixels; the part of
  // it that this page shows.
  int w = item->GetImageWidth(style), h = item->GetImageHeight(style);
  int sx = ScaleXToDevice(item->GetBorderWidth(), sad), sy = ScaleYToDevice(item->GetBorderHeight(), sad);
  if (w <= 0 || h <= 0) {
    w = ScaleX(DrawLine->Width, sad);
    h = ScaleY(DrawLine->Height, sad);
    sx = sy = 0;
  }
  if (const auto *multi = dynamic_cast<const TRVMultiDrawItemInfo *>(DrawLine);
      multi && Part >= 0 && Part < multi->PartsList.Count()) {
    const TRVMultiDrawItemPart *p = multi->PartsList.Parts(Part);
    if (const auto *ip = dynamic_cast<const TRVImagePrintPart *>(p)) h = ip->ImageHeight;
    else h = ScaleY(p->Height, sad);
    if (Part > 0) sy = 0;
  }
  w = std::clamp(w, 0, kMaxGraphicSide);
  h = std::clamp(h, 0, kMaxGraphicSide);
  if (w == 0 || h == 0) return;
  const TRect r = Bounds(RVSatAdd(X, sx), RVSatAdd(Y, sy), ScaleXToDevice(w, sad), ScaleYToDevice(h, sad));
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  const TParaInfo *p = style ? style->ParaStyles().GetParaStyleSafe(GetItemPara(ItemNo)) : nullptr;
  FillItemBitmap(image, r, p ? p->Background.Color : clNone);
  TBitmap bitmap(std::move(image));
  if (!item->PrintToBitmap(bitmap, Preview, this, DrawLine, Part, GetColorMode())) return;
  Canvas.stretchDraw(r, bitmap.image());
}

void TCustomPrintableRVData::FillItemBitmap(QImage &Bitmap, const TRect &R, TColor ParaColor) {
  const uint8_t mode = GetColorMode();
  if (ParaColor != clNone) FillImage(Bitmap, BackColorForColorMode(ParaColor, mode));
  else if (!DrawBackgroundPart(Bitmap, R)) {
    const TColor c = GetColor();
    FillImage(Bitmap, c == clNone ? clWhite : BackColorForColorMode(c, mode));
  }
}

void TRectPtblRVData::FillItemBitmap(QImage &Bitmap, const TRect &R, TColor ParaColor) {
  const uint8_t mode = GetColorMode();
  if (ParaColor != clNone) FillImage(Bitmap, BackColorForColorMode(ParaColor, mode));
  else if (Color != clNone) FillImage(Bitmap, BackColorForColorMode(Color, mode));
  else if (!DrawBackgroundPart(Bitmap, R)) FillImage(Bitmap, clWhite);
}

bool TCustomPrintableRVData::DrawBackgroundPart(QImage &Bitmap, const TRect &R) {
  if (FPageBackground.isNull()) return false;
  const int sx = ScaleX(R.Left - FPageBackgroundRect.Left, FPageSad);
  const int sy = ScaleY(R.Top - FPageBackgroundRect.Top, FPageSad);
  FillImage(Bitmap, clWhite);
  QPainter painter(&Bitmap);
  painter.drawImage(0, 0, FPageBackground, sx, sy, Bitmap.width(), Bitmap.height());
  return true;
}

} // namespace kc
