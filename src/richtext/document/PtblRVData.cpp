// Printable copies: pages, hosts, page geometry and the two kinds of copy.
// Drawing a page is PtblRVDataDraw.cpp.
#include "richtext/document/PtblRVData.h"

#include "richtext/document/RVFuncs.h"
#include "platform/Canvas.h"

namespace kc {

// ---------------------------------------------------------------------------
// Pages

void TRVPageInfo::Assign(const TRVPageInfo &Source) {
  StartY = Source.StartY;
  StartDrawItemNo = Source.StartDrawItemNo;
  // A copy that began at the first part of a split line would draw the
  // wrong part of it.
  StartPart = Source.StartPart;
}

TRVPageInfo *TRVPageCollection::Add() {
  FPages.Add(std::make_unique<TRVPageInfo>());
  return FPages.Last();
}

// ---------------------------------------------------------------------------
// Host

TRVPrintHost::TRVPrintHost(TCanvas *Canvas, int PageWidth, int PageHeight)
    : FCanvas(Canvas), FPageWidth(PageWidth), FPageHeight(PageHeight) {
  // Wrapped like the view; rect and full-line items make printing records
  // (pictures may then be split over pages) and keep their screen sizes;
  // the source's controls stay where its view put them.
  Flags = rvflTrim | rvflNoControlPlacing | rvflPrintingRecords | rvflPrinting;
  Color = clNone;
}

// ---------------------------------------------------------------------------
// The printable document

TCustomPrintableRVData::TCustomPrintableRVData(TRVFormatHost *Host, TCustomRVData *Source)
    : TRichVistaRVData(Host), FSource(Source) {
  if (Source) ShareItemsFrom(Source);
}

TCustomPrintableRVData::~TCustomPrintableRVData() = default;

int TCustomPrintableRVData::GetPageTop(int PageNo) const {
  (void)PageNo;
  return 0;
}

int TCustomPrintableRVData::GetPageBottom(int PageNo) const {
  (void)PageNo;
  return 0;
}

void TCustomPrintableRVData::GetDrawItemsRange(int PageNo, int &StartNo, int &StartPart, int &EndNo) const {
  (void)PageNo;
  StartNo = 0;
  StartPart = -1;
  EndNo = DrawLines.Count() - 1;
}

// ---------------------------------------------------------------------------
// The main printable copy

TCustomMainPtblRVData::TCustomMainPtblRVData(TRVPrintHost *Host, TCustomRVData *Source)
    : TCustomPrintableRVData(Host, Source), FPrintHost(Host) {
  PrepareMargins();
}

TCustomMainPtblRVData::~TCustomMainPtblRVData() = default;

void TCustomMainPtblRVData::PrepareMargins() {
  TCanvas *canvas = GetCanvas();
  TRVScreenAndDevice sad;
  if (canvas) GetFormatResolution(*canvas, sad);
  TmpLM = ScaleXToDevice(FPrintHost->LeftMargin, sad);
  TmpRM = ScaleXToDevice(FPrintHost->RightMargin, sad);
  TmpTM = ScaleYToDevice(FPrintHost->TopMargin, sad);
  TmpBM = ScaleYToDevice(FPrintHost->BottomMargin, sad);
}

int TCustomMainPtblRVData::GetWidth() const { return RVSatAdd(FPrintHost->PageWidth(), -(int64_t(TmpLM) + TmpRM)); }

int TCustomMainPtblRVData::GetPageTop(int PageNo) const {
  int64_t top = int64_t(Pages.Items(PageNo)->StartY) - TmpTM - FPrintHost->PrintableAreaTop;
  if (PageNo > 1) top -= FPrintHost->FirstPageShift;
  return RVSatAdd(top, 0);
}

int TCustomMainPtblRVData::GetPageBottom(int PageNo) const {
  const int64_t end = PageNo < Pages.Count() ? Pages.Items(PageNo + 1)->StartY : DocumentHeight;
  int64_t bottom = end - TmpTM - FPrintHost->PrintableAreaTop;
  if (PageNo > 1) bottom -= FPrintHost->FirstPageShift;
  return RVSatAdd(bottom, 0);
}

void TCustomMainPtblRVData::GetDrawItemsRange(int PageNo, int &StartNo, int &StartPart, int &EndNo) const {
  const TRVPageInfo *page = Pages.Items(PageNo);
  StartNo = page->StartDrawItemNo;
  StartPart = page->StartPart - 1;
  if (PageNo < Pages.Count()) {
    const TRVPageInfo *next = Pages.Items(PageNo + 1);
    EndNo = next->StartDrawItemNo - 1;
    // The next page goes on with a later part of that line: its earlier
    // parts are on this page.
    if (next->StartPart > 1) ++EndNo;
  } else EndNo = DrawLines.Count() - 1;
  if (EndNo > DrawLines.Count() - 1) EndNo = DrawLines.Count() - 1;
}

void TCustomMainPtblRVData::CheckPageNo(int PageNo) const {
  if (PageNo < 1 || PageNo > Pages.Count()) throw ERichVistaError("Invalid page number is specified for printing");
}

void TCustomMainPtblRVData::DrawPage(int PageNo, TCanvas &Canvas, bool Preview, bool Correction) {
  CheckPageNo(PageNo);
  CurrentPage = PageNo;
  TCustomPrintableRVData::DrawPage(PageNo, Canvas, Preview, Correction);
}

void TCustomMainPtblRVData::Clear() {
  TCustomPrintableRVData::Clear();
  PrintSelStart = PrintSelEnd = -1;
  DestroyMarkers();
}

// ---------------------------------------------------------------------------
// A copy inside a rectangle

TRectPtblRVData::TRectPtblRVData(TRVFormatHost *Owner, TCustomRVData *Source, TCustomPrintableRVData *Parent)
    : TCustomPrintableRVData(Owner ? Owner : Parent->FormatHost(), Source), FParent(Parent) {}

TCanvas *TRectPtblRVData::GetCanvas() const {
  if (auto *root = dynamic_cast<const TCustomRVFormattedData *>(GetAbsoluteRootData())) return root->GetCanvas();
  return nullptr;
}

int TRectPtblRVData::GetPageTop(int PageNo) const {
  (void)PageNo;
  return RVSatAdd(-(int64_t(Top) + DY), 0);
}

uint8_t TRectPtblRVData::GetColorMode() const {
  if (auto *root = dynamic_cast<const TCustomPrintableRVData *>(GetAbsoluteRootData()); root && root != this)
    return root->GetColorMode();
  return TCustomPrintableRVData::GetColorMode();
}

bool TRectPtblRVData::DrawBackgroundPart(QImage &Bitmap, const TRect &R) {
  return FParent->DrawBackgroundPart(Bitmap, R);
}

} // namespace kc
