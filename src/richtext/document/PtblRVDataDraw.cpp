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

namespace {

// The part of a split line that a page draws: the page's start part for its
// first line, else the first; -1 for a line that is not split.
int PartOnPage(const TRVDrawLineInfo *DrawLine, bool FirstOfPage, int StartPart) {
  const auto *multi = dynamic_cast<const TRVMultiDrawItemInfo *>(DrawLine);
  if (!multi || multi->PartsList.Count() == 0) return -1;
  const int part = FirstOfPage && StartPart > 0 ? StartPart : 0;
  return std::min(part, multi->PartsList.Count() - 1);
}

} // namespace

void TCustomPrintableRVData::FillImage(QImage &Image, TColor Color) {
  const TColor c = ColorToRGB(Color);
  Image.fill(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
}

void TCustomPrintableRVData::PartExtent(const TRVDrawLineInfo *DrawLine, int Part, int &Top, int &Height) {
  Top = DrawLine->Top;
  Height = DrawLine->Height;
  const auto *multi = dynamic_cast<const TRVMultiDrawItemInfo *>(DrawLine);
  if (!multi || Part < 0 || multi->PartsList.Count() == 0) return;
  Part = std::min(Part, multi->PartsList.Count() - 1);
  // Parts follow each other down the document, so that a page that starts
  // with a later part starts where that part does.
  int64_t top = DrawLine->Top;
  for (int k = 0; k < Part; ++k) top += multi->PartsList.Parts(k)->Height;
  Top = RVSatAdd(top, 0);
  Height = multi->PartsList.Parts(Part)->Height;
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

void TCustomPrintableRVData::DrawParaBackgrounds(TCanvas &Canvas, int StartNo, int StartPart, int EndNo, int PageTop,
                                                 int Left, const TRVScreenAndDevice &sad,
                                                 const std::vector<int64_t> &Extras) {
  TRVStyle *style = GetRVStyle();
  const uint8_t mode = GetColorMode();
  auto startsPara = [&](int dl) {
    const TRVDrawLineInfo *d = DrawLines.Items(dl);
    return GetItem(d->ItemNo)->IsParaStart() && (dl == 0 || DrawLines.Items(dl - 1)->ItemNo != d->ItemNo);
  };
  for (int i = StartNo; i <= EndNo;) {
    int j = i + 1;
    while (j <= EndNo && !startsPara(j)) ++j;
    const int itemNo = DrawLines.Items(i)->ItemNo;
    const int paraNo = GetItemPara(itemNo);
    const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(paraNo);
    if (p && GetItemStyle(itemNo) != rvsBreak &&
        (p->Border.Style != rvbNone || p->Background.Color != clNone || style->OnDrawParaBack)) {
      // Only the lines on this page count, a split line with its part on
      // it, so the background is cut to the page.
      const int64_t l = ScaleXToDevice(p->LeftIndent + std::min(0, p->FirstIndent), sad);
      int64_t r = int64_t(GetWidth()) - ScaleXToDevice(p->RightIndent, sad);
      int64_t t = INT64_MAX, b = INT64_MIN;
      for (int k = i; k < j; ++k) {
        const TRVDrawLineInfo *d = DrawLines.Items(k);
        const int part = PartOnPage(d, k == StartNo, StartPart);
        int top = 0, height = 0;
        PartExtent(d, part, top, height);
        const int64_t y = top + Extras[size_t(k - StartNo)];
        r = std::max<int64_t>(r, int64_t(d->Left) + d->Width);
        t = std::min<int64_t>(t, y);
        b = std::max<int64_t>(b, y + height + (part < 0 ? d->ExtraSpaceBelow : 0));
      }
      TRect rc{RVSatAdd(l, Left), RVSatAdd(t, -int64_t(PageTop)), RVSatAdd(r, Left), RVSatAdd(b, -int64_t(PageTop))};
      TRect back = rc;
      p->Background.PrepareDrawSaD(back, sad);
      style->DrawParaBack(Canvas, paraNo, back, true, mode);
      p->Border.Draw(rc, Canvas, mode, sad);
    }
    i = j;
  }
}

void TCustomPrintableRVData::DrawPage(int PageNo, TCanvas &Canvas, bool Preview, bool Correction) {
  TRVStyle *style = GetRVStyle();
  if (!style) throw ERichVistaError("Style of printable TRichVista component is not assigned");
  int startNo = 0, startPart = -1, endNo = -1;
  GetDrawItemsRange(PageNo, startNo, startPart, endNo);
  startNo = std::max(startNo, 0);
  endNo = std::min(endNo, DrawLines.Count() - 1);
  const int pageTop = GetPageTop(PageNo);
  const int left = RVSatAdd(GetTmpLeft(), GetPrintableAreaLeft());
  const uint8_t mode = GetColorMode();
  TRVScreenAndDevice sad;
  GetFormatResolution(Canvas, sad);

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
  if (startNo > endNo) return;
  // How much lower than their place the lines after a split item's last
  // part are drawn: the parts may together be taller than the item (a
  // table repeats its heading rows in each).
  std::vector<int64_t> extras(size_t(endNo - startNo + 1), 0);
  for (int i = startNo, extra = 0; i <= endNo; ++i) {
    extras[size_t(i - startNo)] = extra;
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    const auto *multi = dynamic_cast<const TRVMultiDrawItemInfo *>(d);
    const int part = PartOnPage(d, i == startNo, startPart);
    if (!multi || part < 0 || part != multi->PartsList.Count() - 1) continue;
    int top = 0, height = 0;
    PartExtent(d, part, top, height);
    extra = RVSatAdd(int64_t(extra) + top + height, -(int64_t(d->Top) + d->Height));
  }
  DrawParaBackgrounds(Canvas, startNo, startPart, endNo, pageTop, left, sad, extras);

  int lastStyle = -1;
  for (int i = startNo; i <= endNo; ++i) {
    TRVDrawLineInfo *d = DrawLines.Items(i);
    TCustomRVItemInfo *item = GetItem(d->ItemNo);
    const int part = PartOnPage(d, i == startNo, startPart);
    int top = 0, height = 0;
    PartExtent(d, part, top, height);
    const int x = RVSatAdd(d->Left, left), y = RVSatAdd(top + extras[size_t(i - startNo)], -int64_t(pageTop));
    const bool firstOfItem = i == 0 || DrawLines.Items(i - 1)->ItemNo != d->ItemNo;
    if (item->Checkpoint && firstOfItem && part <= 0) DoOnCheckpoint(this, d->ItemNo, x, y);
    if (item->GetStyleFlag(rvbsfJump, style)) DoOnHyperlink(this, d->ItemNo, Bounds(x, y, d->Width, height));
    const int styleNo = GetItemStyle(d->ItemNo);
    if (styleNo >= 0) {
      if (d->Length <= 0) continue;
      const TRVBiDiMode paraBiDi = GetParaBiDiMode(item->ParaNo);
      if (styleNo != lastStyle) {
        style->ApplyStyle(Canvas, styleNo, paraBiDi);
        lastStyle = styleNo;
      }
      style->ApplyStyleColor(Canvas, styleNo, TRVTextDrawStates{}, true, mode);
      const uint8_t opt = GetItemOptions(d->ItemNo).Raw_();
      const std::string text = CopyChars(GetItemTextRaw(d->ItemNo), d->Offs, d->Length, opt);
      style->DrawStyleText(text, Canvas, d->ItemNo, d->Offs, styleNo, this, d->ExtraSpaceBefore, x, y, d->Width,
                           d->Height, TRVTextDrawStates{}, true, false, mode, paraBiDi);
      continue;
    }
    if (item->GetStyleFlag(rvbsfPrintToBMP, style)) DrawItemViaBitmap(Canvas, x, y, d->ItemNo, d, part, Preview, sad);
    else item->Print(Canvas, x, y, RVSatAdd(x, d->Width), Preview, Correction, sad, d, part, mode, this);
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
