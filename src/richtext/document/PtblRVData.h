#pragma once
// Printable copies of a document: documents that show the items of a source
// document, are laid out on a printer canvas and drawn one page at a time.
// The main copy holds the list of pages; a rectangle copy lives inside a
// rectangle of a parent copy (a table prints each cell with one). How the
// pages are found is the business of whoever fills Pages; the copies only
// draw them. The printer canvas is any TCanvas with the printer's
// resolution (a QImage page through QtCanvas in tests and previews).
#include <cstdint>
#include <memory>
#include <vector>

#include <QImage>

#include "richtext/document/CRVFData.h"
#include "richtext/document/RVClasses.h"

namespace kc {

// ---------------------------------------------------------------------------
// Pages

// Where one page starts: at document height StartY (printer units), with
// draw line StartDrawItemNo, and with part StartPart (1-based) of that line
// when the line is split over pages (1: the line starts whole).
class TRVPageInfo {
public:
  int32_t StartY = 0;
  int32_t StartDrawItemNo = 0;
  int32_t StartPart = 1;
  void Assign(const TRVPageInfo &Source);
};

class TRVPageCollection {
public:
  int Count() const { return FPages.Count(); }
  // Page number PageNo (1-based); EListError outside 1..Count.
  TRVPageInfo *Items(int PageNo) const { return FPages.Items(PageNo - 1); }
  TRVPageInfo *Add();
  void Clear() { FPages.Clear(); }

private:
  TRVList<TRVPageInfo> FPages;
};

// ---------------------------------------------------------------------------
// The host of a main printable copy

// What a print component tells its printable copy. The margins of
// TRVFormatHost are the page margins in screen pixels; everything else is in
// printer units.
class TRVPrintHost : public TRVFormatHost {
public:
  // PageWidth x PageHeight: the paper, in printer units.
  TRVPrintHost(TCanvas *Canvas, int PageWidth, int PageHeight);

  // Added to every position drawn: where the paper's top-left corner lies on
  // the printer canvas (negative when the canvas begins inside the paper).
  int32_t PrintableAreaLeft = 0, PrintableAreaTop = 0;
  // How much higher the text begins on the first page than on the pages
  // after it; those are drawn that much lower.
  int32_t FirstPageShift = 0;

  int ClientWidth() const override { return FPageWidth; }
  int ClientHeight() const override { return FPageHeight; }
  TCanvas *FormatCanvas() override { return FCanvas; }
  int PageWidth() const { return FPageWidth; }
  int PageHeight() const { return FPageHeight; }

private:
  TCanvas *FCanvas;
  int FPageWidth, FPageHeight;
};

// ---------------------------------------------------------------------------
// The printable document

class TCustomPrintableRVData : public TRichVistaRVData {
public:
  // Shows Source's items when given.
  TCustomPrintableRVData(TRVFormatHost *Host, TCustomRVData *Source);
  ~TCustomPrintableRVData() override;

  // A transparent copy leaves the page's background alone.
  bool Transparent = false;

  TCustomRVData *GetSourceRVData() override { return FSource ? FSource : this; }
  // Page margins apply to each page, not to the flow of the text.
  int GetLeftMargin() const override { return 0; }
  int GetRightMargin() const override { return 0; }
  int GetTopMargin() const override { return 0; }
  int GetBottomMargin() const override { return 0; }
  TPoint GetOrigin() const override { return {0, 0}; }
  int GetHOffs() const override { return 0; }
  int GetVOffs() const override { return 0; }
  void ScrollTo(int, bool) override {}
  void HScrollTo(int) override {}
  void SetDocumentAreaSize(int, int, bool) override {}
  void AdjustVScrollUnits() override {}

  // The operations of a printable copy, with the neutral answers of a copy
  // that knows no pages.
  virtual int GetPrintableAreaLeft() const { return 0; }
  // The document height that lands at the top of the canvas when page
  // PageNo is drawn.
  virtual int GetPageTop(int PageNo) const;
  virtual int GetPageBottom(int PageNo) const;
  virtual int GetTmpTop() const { return 0; }
  // Told about every piece of a hyperlink drawn (its rectangle on the
  // canvas) and every checkpoint drawn (where its item begins); nothing here.
  virtual void DoOnHyperlink(TCustomRVData *RVData, int ItemNo, const TRect &R) { (void)RVData, (void)ItemNo, (void)R; }
  virtual void DoOnCheckpoint(TCustomRVData *RVData, int ItemNo, int X, int Y) {
    (void)RVData, (void)ItemNo, (void)X, (void)Y;
  }
  // The draw lines of page PageNo: StartNo to EndNo, StartPart the part
  // index (0-based) of StartNo's split line, -1 when it has none. Here the
  // whole document.
  virtual void GetDrawItemsRange(int PageNo, int &StartNo, int &StartPart, int &EndNo) const;
  virtual void CheckPageNo(int PageNo) const { (void)PageNo; }
  virtual uint8_t GetColorMode() const { return 1; }
  // Fills Bitmap (screen pixels) with the part of the page background under
  // R (printer units on the canvas); false when there is no background
  // picture. The page being drawn keeps its background picture for this.
  virtual bool DrawBackgroundPart(QImage &Bitmap, const TRect &R);
  virtual int GetTmpLeft() const { return 0; }
  // Draws page PageNo onto Canvas. ERichVistaError "Style of printable
  // TRichVista component is not assigned" without a style sheet.
  virtual void DrawPage(int PageNo, TCanvas &Canvas, bool Preview, bool Correction);
  // Draws an item that cannot print itself through a bitmap of its screen
  // size, stretched to printer units: X, Y is its draw line's place on the
  // canvas, Part the part of a split line or -1.
  virtual void DrawItemViaBitmap(TCanvas &Canvas, int X, int Y, int ItemNo, TRVDrawLineInfo *DrawLine, int Part,
                                 bool Preview, const TRVScreenAndDevice &sad);
  // The part of the canvas a page covers (its background).
  virtual TRect GetPageArea(int PageNo) const;

protected:
  // What an item's bitmap (over R on the canvas) shows under the item: the
  // paragraph's background colour; without one the page's background
  // picture, else the document's colour, else white.
  virtual void FillItemBitmap(QImage &Bitmap, const TRect &R, TColor ParaColor);
  static void FillImage(QImage &Image, TColor Color);
  TCustomRVData *FSource = nullptr;

private:
  void DrawPageBackground(TCanvas &Canvas, const TRect &Page, const TRVScreenAndDevice &sad);
  // The lines of page PageNo and where they land on the canvas.
  TPaintedLines PageLines(int PageNo, const TRVScreenAndDevice &sad) const;
  // The page background picture (screen pixels) while a page is drawn, and
  // the page rectangle it covers on the canvas.
  QImage FPageBackground;
  TRect FPageBackgroundRect;
  TRVScreenAndDevice FPageSad;
};

// The printable copy of a whole document, with its pages.
class TCustomMainPtblRVData : public TCustomPrintableRVData {
public:
  TCustomMainPtblRVData(TRVPrintHost *Host, TCustomRVData *Source);
  ~TCustomMainPtblRVData() override;

  TRVPageCollection Pages;
  // 0 colours as they are, 1 system colours as printing colours, 2 those
  // turned grey.
  uint8_t ColorMode = 1;
  // The page margins in printer units, set by PrepareMargins (at creation
  // and whenever the host's margins or canvas change).
  int32_t TmpLM = 0, TmpTM = 0, TmpRM = 0, TmpBM = 0;
  int32_t CurrentPage = 0;
  // The selection printed when only the selection is printed; -1 when none.
  int32_t PrintSelStart = -1, PrintSelEnd = -1;

  TRVPrintHost *PrintHost() const { return FPrintHost; }
  // Converts the host's page margins from screen to printer units
  // (value x printer resolution / screen resolution).
  void PrepareMargins();
  // The width the text is laid out to: the page less its margins.
  int GetWidth() const override;
  int GetAreaWidth() const override { return GetWidth(); }

  int GetPrintableAreaLeft() const override { return FPrintHost->PrintableAreaLeft; }
  int GetPageTop(int PageNo) const override;
  int GetPageBottom(int PageNo) const override;
  int GetTmpTop() const override { return TmpTM; }
  int GetTmpLeft() const override { return TmpLM; }
  void GetDrawItemsRange(int PageNo, int &StartNo, int &StartPart, int &EndNo) const override;
  // ERichVistaError "Invalid page number is specified for printing" unless
  // 1 <= PageNo <= the page count.
  void CheckPageNo(int PageNo) const override;
  uint8_t GetColorMode() const override { return ColorMode; }
  // The paper.
  TRect GetPageArea(int PageNo) const override;
  // Checks the page number first.
  void DrawPage(int PageNo, TCanvas &Canvas, bool Preview, bool Correction) override;
  void Clear() override;
  // Fills Pages from the formatted copy: each page takes whole lines while
  // they fit into the paper less its margins; an item that can be split
  // over pages (a picture, a table between its rows) is cut to the room
  // left, else it starts the next page. A page break before an item starts
  // a page; a line taller than a page gets a page of its own.
  void FormatPages();

private:
  TRVPrintHost *FPrintHost;
};

// A printable copy inside a rectangle of a parent copy: the canvas, the
// options and the colour mode are the root's.
class TRectPtblRVData : public TCustomPrintableRVData {
public:
  // Owner: the host whose answers the copy shares (the parent's when null).
  TRectPtblRVData(TRVFormatHost *Owner, TCustomRVData *Source, TCustomPrintableRVData *Parent);

  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  // The drawing origin the parent sets before the copy draws itself.
  int32_t DX = 0, DY = 0;
  TColor Color = clNone;

  TCustomRVData *GetParentData() const override { return FParent; }
  TCustomRVData *GetAbsoluteParentData() const override { return FParent; }
  TCustomRVData *GetRootData() const override { return FParent->GetRootData(); }
  TCustomRVData *GetAbsoluteRootData() const override { return FParent->GetAbsoluteRootData(); }
  int GetWidth() const override { return Width; }
  int GetHeight() const override { return Height; }
  int GetAreaWidth() const override { return Width; }
  TCanvas *GetCanvas() const override;
  TColor GetColor() const override { return Color; }
  TRVBackground *GetBackground() const override { return nullptr; }

  int GetPageTop(int PageNo) const override;
  int GetTmpTop() const override { return Top + DY; }
  int GetTmpLeft() const override { return Left + DX; }
  uint8_t GetColorMode() const override;
  bool DrawBackgroundPart(QImage &Bitmap, const TRect &R) override;

protected:
  // The copy's own colour (a cell's) comes before the parent's background.
  void FillItemBitmap(QImage &Bitmap, const TRect &R, TColor ParaColor) override;

private:
  TCustomPrintableRVData *FParent;
};

} // namespace kc
