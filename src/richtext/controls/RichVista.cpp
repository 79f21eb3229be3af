// The view: construction, the forwarders to its document, painting, focus,
// and the events the document reports, fired directly or from deferred
// records.
#include "richtext/controls/RichVista.h"

#include <QFocusEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "platform/Cursors.h"
#include "platform/DesktopMetrics.h"
#include "platform/Log.h"
#include "platform/QtCanvas.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

QColor ToQColor(TColor c) {
  const TColor rgb = ColorToRGB(c);
  return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

// The view's document: what it asks of the window (the focus among the
// inline controls and the window's other controls) is answered here.
class TRVViewData : public TRVControlData {
public:
  explicit TRVViewData(TCustomRichVista *View) : TRVControlData(View), FView(View) {}
  const TControl *ViewControl() const override { return FView; }
  bool IsInViewWindow(const TControl *Control) const override {
    return Control && Control->window() == FView->window();
  }
  void GiveControlFocus(TControl *Control) override { Control->setFocus(Qt::TabFocusReason); }
  void FocusView() override { FView->setFocus(Qt::TabFocusReason); }
  bool FocusNextTabControl(bool Backwards) override {
    QWidget *w = Backwards ? FView->previousInFocusChain() : FView->nextInFocusChain();
    while (w && w != FView &&
           (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled() || FView->isAncestorOf(w)))
      w = Backwards ? w->previousInFocusChain() : w->nextInFocusChain();
    if (!w || w == FView) return false;
    w->setFocus(Backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    return true;
  }

private:
  TCustomRichVista *FView;
};

} // namespace

TCustomRichVista::TCustomRichVista(QWidget *Parent) : TRVScroller(Parent) {
  Init([](TCustomRichVista *View) { return std::make_unique<TRVViewData>(View); });
}

TCustomRichVista::TCustomRichVista(QWidget *Parent, const TDataFactory &Factory) : TRVScroller(Parent) {
  Init(Factory);
}

void TCustomRichVista::Init(const TDataFactory &Factory) {
  // Documents shown here may bring tables (pasted, dropped, loaded).
  RegisterTableItemType();
  FBackground = std::make_unique<TRVBackground>(true);
  TRVFormatHost::Background = FBackground.get();
  ParentControl = this;
  FRVData = Factory(this);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(100, 40);
}

TCustomRichVista::~TCustomRichVista() {
  FDestroying = true;
  StopAutoScrollTimer();
  ClearDocument();
  FRVData.reset();
  TRVFormatHost::Background = nullptr;
}

void TCustomRichVista::AssignEvents(const TCustomRichVista &Source) {
  OnJump = Source.OnJump;
  OnRVMouseMove = Source.OnRVMouseMove;
  OnRVMouseDown = Source.OnRVMouseDown;
  OnRVMouseUp = Source.OnRVMouseUp;
  OnRVDblClick = Source.OnRVDblClick;
  OnRVRightClick = Source.OnRVRightClick;
  OnSelect = Source.OnSelect;
  OnClick = Source.OnClick;
  OnDblClick = Source.OnDblClick;
  OnCopy = Source.OnCopy;
  OnContextPopup = Source.OnContextPopup;
  OnDragDrop = Source.OnDragDrop;
  OnEndDrag = Source.OnEndDrag;
  OnCheckpointVisible = Source.OnCheckpointVisible;
}

// ------------------------------------------------------------ document

void TCustomRichVista::SetStyle(TRVStyle *Value) {
  Style = Value;
  if (Options.Has(rvoFormatInvalidate)) update();
}

void TCustomRichVista::ApplyLayoutInfo(const TRVLayoutInfo &Info) {
  LeftMargin = Info.LeftMargin;
  RightMargin = Info.RightMargin;
  TopMargin = Info.TopMargin;
  BottomMargin = Info.BottomMargin;
  MinTextWidth = Info.MinTextWidth;
  MaxTextWidth = Info.MaxTextWidth;
  SetBiDiMode(static_cast<TRVBiDiMode>(Info.BiDiMode));
}

void TCustomRichVista::SetBiDiMode(TRVBiDiMode Value) {
  if (Value == BiDiMode) return;
  SetBiDiModeValue(Value);
  ReformatDocument();
}

void TCustomRichVista::SetBackgroundStyle(TBackgroundStyle Value) {
  FBackground->Style = Value;
  if (Options.Has(rvoFormatInvalidate)) update();
}

void TCustomRichVista::SetBackgroundBitmap(const TGraphic &Graphic) {
  FBackground->AssignImageCopy(Graphic);
  if (Options.Has(rvoFormatInvalidate)) update();
}

void TCustomRichVista::ClearDocument() {
  StopAutoScrollTimer();
  if (!FRVData) return;
  FRVData->ClearFormatting();
  FRVData->Clear();
}

void TCustomRichVista::ReformatDocument() {
  if (!Style || VSmallStep() <= 0) return;
  FRVData->ReformatAllForced(false);
  if (Options.Has(rvoFormatInvalidate)) update();
}

void TCustomRichVista::FormatTail() {
  if (!Style) return;
  const int oldVOffs = FRVData->GetVOffs(), oldHOffs = FRVData->GetHOffs();
  const TPoint oldOrigin = FRVData->GetOrigin();
  FRVData->FormatAppended();
  if (!Options.Has(rvoFormatInvalidate)) return;
  const int top = FRVData->AppendedTop;
  if (top < 0 || FRVData->GetOrigin() != oldOrigin || FRVData->GetHOffs() != oldHOffs) {
    update();
    return;
  }
  // The lines above the new ones are as they were: their pixels move with
  // the view, which the pass scrolled without them, and only the strip
  // from the old end to the new one is painted anew (10 pixels above it
  // for the descenders of the line there).
  const int voffs = FRVData->GetVOffs();
  if (voffs != oldVOffs) ScrollClientPixels(0, oldVOffs - voffs);
  const QRect client = ClientRect();
  const int y = std::max(0, RVSatAdd(top, -10 - int64_t(voffs)));
  const int end = std::min(client.height(), RVSatAdd(FRVData->DocumentHeight, -int64_t(voffs)));
  if (y < end) update(QRect(client.left(), client.top() + y, client.width(), end - y));
}

void TCustomRichVista::AddTextParagraph(const std::string &Text, int TextStyleNo, int ParaNo) {
  FRVData->AddText(Text, TextStyleNo, ParaNo);
}

void TCustomRichVista::AddLineBreak() { FRVData->AddBreakExTag(1, 0, clNone, 0); }

void TCustomRichVista::AddPictureItem(const std::string &Name, int ImageIndex, TCustomImageList *ImageList,
                                      int ParaNo) {
  FRVData->AddBullet(Name, ImageIndex, ImageList, ParaNo);
}

void TCustomRichVista::AddHotPictureItem(const std::string &Name, std::unique_ptr<TGraphic> Graphic, int ParaNo,
                                         TRVVAlign VAlign, const TRVTag &Tag) {
  FRVData->AddHotPicture(Name, std::move(Graphic), ParaNo, VAlign, Tag);
}

void TCustomRichVista::AddControlItem(const std::string &Name, TControl *Control, int ParaNo, TRVVAlign VAlign,
                                      const TRVTag &Tag) {
  FRVData->AddControl(Name, Control, ParaNo, VAlign, Tag);
}

void TCustomRichVista::DeleteItems(int FirstItemNo, int Count) {
  if (FirstItemNo < 0 || FirstItemNo >= FRVData->GetItemCount() || Count <= 0) return;
  // The selection and the draw lines name items by number: both go before
  // the items do, and the rest is laid out again at once so that nothing
  // paints lines of items that are gone.
  TRVControlData &d = *FRVData;
  const bool formatted = d.DrawLines.Count() > 0;
  d.ClearSelection(true);
  d.ClearHoveredJump();
  // A laid-out document (a transcript losing its oldest messages or an
  // emoticon): only the paragraphs around the gap are laid out again and the
  // lines below move up, so a long document costs no more than a short one.
  const int count = d.GetItemCount();
  Count = std::min(Count, count - FirstItemNo);
  const int next = FirstItemNo + Count;
  if (formatted && Style && VSmallStep() > 0 && d.GetCanvas() && !(d.State & rvstFormatting) &&
      d.LastFormattedItem == count - 1 && next < count && (FirstItemNo > 0 || d.IsParaStart(next)) &&
      d.MinWidth <= d.GetWidth()) {
    const int firstDL = FirstItemNo == 0 ? 0 : d.FirstDrawLineOfItem(FirstItemNo - 1);
    const int lastDL = d.FirstDrawLineOfItem(next);
    if (firstDL >= 0 && lastDL > firstDL && lastDL < d.DrawLines.Count()) {
      d.DeleteItems(FirstItemNo, Count);
      d.FormatParagraphs(firstDL, lastDL, -Count);
      return;
    }
  }
  d.ClearFormatting();
  d.DeleteItems(FirstItemNo, Count);
  if (formatted) ReformatDocument();
}

std::string TCustomRichVista::ItemTextOf(int ItemNo) const { return FRVData->GetItemTextA(ItemNo); }

bool TCustomRichVista::SaveToFileRTF(const std::string &FileName, std::string *Error) {
  return ExportRtfToFile(*FRVData, FileName, FRVData->GetColor(), Error);
}

bool TCustomRichVista::SaveToFileText(const std::string &FileName, int LineWidth, std::string *Error) {
  return ExportTextToFile(*FRVData, FileName, LineWidth, false, Error);
}

namespace {

struct TSelectionExport {
  TSelectionExport(TCustomRVFormattedData &D, bool On) : D(D), Was(D.ExportingSelection) { D.ExportingSelection = On; }
  ~TSelectionExport() { D.ExportingSelection = Was; }
  TCustomRVFormattedData &D;
  bool Was;
};

} // namespace

bool TCustomRichVista::SaveRVFToStream(std::string &Stream, bool SelectionOnly) {
  TRVLayoutInfo layout;
  layout.LeftMargin = LeftMargin;
  layout.RightMargin = RightMargin;
  layout.TopMargin = TopMargin;
  layout.BottomMargin = BottomMargin;
  layout.MinTextWidth = MinTextWidth;
  layout.MaxTextWidth = MaxTextWidth;
  layout.BiDiMode = static_cast<uint8_t>(BiDiMode);
  TRVFBackground back;
  back.Style = static_cast<int>(FBackground->Style);
  back.Color = Color;
  if (const TGraphic *g = FBackground->GetBitmap(); g && !g->empty()) back.Picture = g->clone();
  TSelectionExport guard(*FRVData, SelectionOnly);
  return SaveRvfToStream(*FRVData, Stream, SelectionOnly, &layout, &back);
}

bool TCustomRichVista::SaveRTFToStream(std::string &Stream, bool SelectionOnly) {
  TSelectionExport guard(*FRVData, SelectionOnly);
  return ExportRtfToStream(*FRVData, Stream, FRVData->GetColor());
}

bool TCustomRichVista::SaveTextToStream(std::string &Stream, int LineWidth, bool SelectionOnly, bool TextOnly) {
  TSelectionExport guard(*FRVData, SelectionOnly);
  return ExportTextToStream(*FRVData, "", Stream, LineWidth, SelectionOnly, TextOnly, false, false);
}

bool TCustomRichVista::SaveTextToStreamW(std::string &Stream, int LineWidth, bool SelectionOnly, bool TextOnly) {
  TSelectionExport guard(*FRVData, SelectionOnly);
  return ExportTextToStream(*FRVData, "", Stream, LineWidth, SelectionOnly, TextOnly, true, false);
}

void TCustomRichVista::SetVSmallStep(int Value) {
  if (Value <= 0 || (FRVData && FRVData->DocumentHeight / Value >= RVMaxScrollUnits + 1)) return;
  TRVScroller::SetVSmallStep(Value);
}

// ----------------------------------------------------------- selection

void TCustomRichVista::SelectAll() {
  FRVData->SelectWholeDocument();
  update();
}

void TCustomRichVista::Deselect() {
  FRVData->ClearSelection(true);
  update();
}

void TCustomRichVista::SetSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs) {
  FRVData->SetSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs);
}

void TCustomRichVista::CopyDef() { FRVData->CopySelectionToClipboard(FRVData->GetColor()); }

// -------------------------------------------------------------- events

void TCustomRichVista::DoSelect() {
  if (OnSelect) OnSelect(this);
}
void TCustomRichVista::DoJump(int Id) {
  if (OnJump) OnJump(this, Id);
}
void TCustomRichVista::DoRVMouseMove(int Id) {
  if (OnRVMouseMove) OnRVMouseMove(this, Id);
}
void TCustomRichVista::DoRVMouseDown(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) {
  if (OnRVMouseDown) OnRVMouseDown(this, Button, Shift, ItemNo, X, Y);
}
void TCustomRichVista::DoRVMouseUp(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) {
  if (OnRVMouseUp) OnRVMouseUp(this, Button, Shift, ItemNo, X, Y);
}
void TCustomRichVista::DoRVDblClick(const std::string &Word, int StyleNo) {
  if (OnRVDblClick) OnRVDblClick(this, Word, StyleNo);
}
void TCustomRichVista::DoRVRightClick(const std::string &Word, int StyleNo, int X, int Y) {
  if (OnRVRightClick) OnRVRightClick(this, Word, StyleNo, X, Y);
}
void TCustomRichVista::DoCopy(Clipboard::Batch &Formats) {
  if (OnCopy) OnCopy(this, Formats);
}
void TCustomRichVista::DoCheckpointVisible(TRVCPInfo *CP) {
  if (OnCheckpointVisible) OnCheckpointVisible(this, CP);
}
void TCustomRichVista::SetControlCursor(TCursor Cursor) {
  if (Cursor == crDefault) unsetCursor();
  else setCursor(screenCursor(Cursor));
}
void TCustomRichVista::FocusControl() {
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
}

void TCustomRichVista::DispatchDeferredEvent(TRVMessageData &Data) {
  switch (Data.Kind) {
  case 0:
    if (auto *d = dynamic_cast<TRVDblClickMessageData *>(&Data)) FRVData->NotifyDblClick(d->ClickedWord, d->Style);
    break;
  case 1:
    if (auto *d = dynamic_cast<TRVJumpMessageData *>(&Data)) FRVData->DoJump(d->id);
    break;
  case 2:
    if (auto *d = dynamic_cast<TRVMouseUpDownMessageData *>(&Data))
      FRVData->NotifyMouseUp(d->Button, d->Shift, d->ItemNo, d->X, d->Y);
    break;
  case 3:
    if (auto *d = dynamic_cast<TRVMouseUpDownMessageData *>(&Data))
      FRVData->NotifyMouseDown(d->Button, d->Shift, d->ItemNo, d->X, d->Y);
    break;
  case 4:
    if (OnClick) OnClick(this);
    break;
  case 5: {
    if (OnDblClick) OnDblClick(this);
    const QPoint p = mapFromGlobal(cursorPosition());
    FRVData->DblClick(p.x(), p.y());
    break;
  }
  case 6:
    if (auto *d = dynamic_cast<TRVMouseMoveMessageData *>(&Data)) MouseMove(d->Shift, d->X, d->Y);
    break;
  case 7:
    if (auto *d = dynamic_cast<TRVDNDMessageData *>(&Data); d && OnDragDrop) OnDragDrop(this, d->Obj, d->X, d->Y);
    break;
  case 8:
    if (auto *d = dynamic_cast<TRVDNDMessageData *>(&Data); d && OnEndDrag) OnEndDrag(this, d->Obj, d->X, d->Y);
    break;
  default: break;
  }
}

bool TCustomRichVista::event(QEvent *Event) {
  if (Event->type() == TRVDeferredEvent::EventType()) {
    // A posted record is an entry point of its own: a failing handler is
    // reported and the next record still fires.
    try {
      if (TRVMessageData *d = static_cast<TRVDeferredEvent *>(Event)->Data()) DispatchDeferredEvent(*d);
    } catch (...) {
      LogCaughtException("deferred event");
    }
    return true;
  }
  if (Event->type() == TRVDragStartEvent::EventType()) {
    try {
      StartDragSelection();
    } catch (...) {
      LogCaughtException("drag");
    }
    return true;
  }
  return TRVScroller::event(Event);
}

// ------------------------------------------------------------ painting

void TCustomRichVista::paintEvent(QPaintEvent *Event) {
  const QRect r = Event->rect();
  if (!Style) {
    QPainter p(this);
    const TColor c = Color == clNone ? clWindow : Color;
    p.fillRect(r, ToQColor(c));
    p.setPen(ToQColor(clWindowText));
    p.drawText(QRect(0, 0, ClientWidth(), ClientHeight()), Qt::TextWordWrap,
               QString("Style is not defined\nCreate a TRVStyle object and assign it to %1.Style").arg(objectName()));
    return;
  }
  try {
    QtCanvas canvas(this);
    FRVData->PaintBuffered(TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1}, canvas);
  } catch (...) {
    LogCaughtException("painting a view");
  }
}

void TCustomRichVista::resizeEvent(QResizeEvent *Event) {
  TRVScroller::resizeEvent(Event);
  if (!Style || FRVData->GetItemCount() == 0 || FRVData->SkipNextFormat) return;
  FRVData->ReformatAll(true, false, false, 0, nullptr, false, false);
}

void TCustomRichVista::focusInEvent(QFocusEvent *Event) {
  TRVScroller::focusInEvent(Event);
  if (FDestroying) return;
  if (FRVData->TabNavigation != rvtnNone && Event->reason() != Qt::MouseFocusReason) {
    const bool back = Event->reason() == Qt::BacktabFocusReason;
    FRVData->MoveItemFocus(back, this);
  }
  if (Style && (Style->SelColor != Style->InactiveSelColor || Style->SelTextColor != Style->InactiveSelTextColor))
    update();
}

void TCustomRichVista::focusOutEvent(QFocusEvent *Event) {
  TRVScroller::focusOutEvent(Event);
  if (Style && (Style->SelColor != Style->InactiveSelColor || Style->SelTextColor != Style->InactiveSelTextColor))
    update();
}

void TCustomRichVista::leaveEvent(QEvent *Event) {
  TRVScroller::leaveEvent(Event);
  FRVData->ClearHoveredJump();
}

} // namespace kc
