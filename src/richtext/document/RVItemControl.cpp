// Embedded controls: widgets placed in the document.
#include "richtext/document/RVItem.h"
#include "richtext/document/RVAdoptControls.h"

#include <QWidget>
#include <algorithm>

#include "platform/QtCanvas.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVItemParts.h"
#include "richtext/document/RVMultiDrawItem.h"

namespace kc {

using namespace rvitem;

// ===========================================================================
// Controls

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData *RVData) : TRVRectItemInfo(RVData) { StyleNo = rvsComponent; }

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData *RVData, TControl *AControl, TRVVAlign AVAlign)
    : TRVRectItemInfo(RVData), FControl(AControl) {
  StyleNo = rvsComponent;
  VAlign = AVAlign;
}

TRVControlItemInfo::~TRVControlItemInfo() { delete FControl.data(); }

TControl *TRVControlItemInfo::Control() const { return FControl.data(); }

std::unique_ptr<TCustomRVItemInfo> TRVControlItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVControlItemInfo>(RVData);
}

void TRVControlItemInfo::SetControl(TControl *AControl) {
  if (FControl.data() == AControl) return;
  delete FControl.data();
  FControl = AControl;
}

TControl *TRVControlItemInfo::ReleaseControl() {
  TControl *c = FControl.data();
  FControl = nullptr;
  return c;
}

int TRVControlItemInfo::GetImageWidth(const TRVStyle *) const { return FControl ? FControl->width() : 0; }
int TRVControlItemInfo::GetImageHeight(const TRVStyle *) const { return FControl ? FControl->height() : 0; }
int TRVControlItemInfo::GetWidth() const { return GetImageWidth(nullptr) + 2 * Spacing; }
int TRVControlItemInfo::GetHeight() const { return GetImageHeight(nullptr) + 2 * Spacing; }

int TRVControlItemInfo::GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *, TCustomRVData *) {
  const int w = (PercentWidth >= 1 && PercentWidth <= 100) ? 20 : GetImageWidth(nullptr) + 2 * Spacing;
  return sad ? ScaleXToDevice(w, *sad) : w;
}

bool TRVControlItemInfo::GetFlag(int Property) const {
  switch (Property) {
  case rvbpValid: return FControl != nullptr;
  case rvbpDisplayActiveState:
  case rvbpAllowsFocus:
  case rvbpResizeHandlesOutside: return true;
  case rvbpResizable: return Resizable && !(PercentWidth >= 1 && PercentWidth <= 100);
  default: return TRVRectItemInfo::GetFlag(Property);
  }
}

bool TRVControlItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  switch (Property) {
  case rvbsfAllowFocus:
    return FControl && FControl->isVisible() && FControl->isEnabled() && FControl->focusPolicy() != Qt::NoFocus;
  case rvbsfXORFocus: return false;
  default: return TRVRectItemInfo::GetStyleFlag(Property, RVStyle);
  }
}

bool TRVControlItemInfo::IsFocusableControl() const {
  return FControl && (FControl->focusPolicy() & Qt::TabFocus) != 0;
}

void TRVControlItemInfo::Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                               TRVDrawLineInfo *) {
  // The control paints itself; only the frames are ours.
  PaintFrames(Canvas, X, Y, GetWidth(), GetHeight(), State, Style);
}

std::unique_ptr<TBitmap> DrawControlToBitmap(const TControl *Control) {
  if (!Control || Control->width() <= 0 || Control->height() <= 0) return nullptr;
  QImage img(Control->size(), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  const_cast<TControl *>(Control)->render(&img);
  return std::make_unique<TBitmap>(std::move(img));
}

bool TRVControlItemInfo::PrintToBitmap(TBitmap &Bitmap, bool, TCustomRVData *RVData, TRVDrawLineInfo *DrawLine,
                                       int Part, uint8_t) {
  if (!FControl) return false;
  std::unique_ptr<TBitmap> pic;
  if (RVData) pic = RVData->DoPrintComponent(FControl.data());
  if (!pic) pic = DrawControlToBitmap(FControl.data());
  if (!pic) return false;
  QImage target = Bitmap.image().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (MinHeightOnPage > 0) {
    QtCanvas canvas(&target);
    canvas.drawImage(0, -PieceImageTop(DrawLine, Part), pic->image());
  } else {
    if (target.width() < pic->width() || target.height() < pic->height()) {
      QImage bigger(std::max(target.width(), pic->width()), std::max(target.height(), pic->height()),
                    QImage::Format_ARGB32_Premultiplied);
      bigger.fill(Qt::white);
      target = bigger;
    }
    QtCanvas canvas(&target);
    canvas.drawImage((target.width() - pic->width()) / 2, (target.height() - pic->height()) / 2, pic->image());
  }
  Bitmap.setImage(std::move(target));
  return true;
}

std::unique_ptr<TRVDrawLineInfo> TRVControlItemInfo::CreatePrintingDrawItem(TCustomRVData *RVData,
                                                                            const TRVScreenAndDevice &sad) {
  const TRVStyle *st = RVData ? RVData->GetRVStyle() : nullptr;
  if (!GetStyleFlag(rvbsfPrintToBMP, st) || MinHeightOnPage == 0)
    return TRVRectItemInfo::CreatePrintingDrawItem(RVData, sad);
  auto r = std::make_unique<TRVMultiImagePrintInfo>(sad, GetImageHeight(st), MinHeightOnPage);
  r->SetSize(ScaleXToDevice(GetWidth(), sad), ScaleYToDevice(GetHeight(), sad));
  return r;
}

void TRVControlItemInfo::Inserting(TCustomRVData *RVData, std::string &Text, bool Safe) {
  if (FControl) {
    FControl->hide();
    FControl->setParent(RVData ? RVData->GetParentControl() : nullptr);
  }
  TRVRectItemInfo::Inserting(RVData, Text, Safe);
}

void TRVControlItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo *DrawLine, bool Printing, TCanvas *Canvas,
                                          TCustomRVData *RVData, const TRVScreenAndDevice *sad, bool &Resized,
                                          int &Height) {
  // A layout for printing measures in printer units and must not resize
  // the control that a view shows: it prints at its present size.
  if (PercentWidth >= 1 && PercentWidth <= 100 && FControl && !Printing) {
    FControl->resize(DocWidth * PercentWidth / 100 - 2, FControl->height());
    Resized = true;
    Height = FControl->height();
    return;
  }
  TRVRectItemInfo::OnDocWidthChange(DocWidth, DrawLine, Printing, Canvas, RVData, sad, Resized, Height);
}

namespace {
const char *const kTrueTopProperty = "rvTop";
} // namespace

int GetControlTrueTop(const TControl *Control) {
  bool ok = false;
  const int top = Control->property(kTrueTopProperty).toInt(&ok);
  return ok ? top : Control->y();
}

void SetControlTrueTop(TControl *Control, int Top) { Control->setProperty(kTrueTopProperty, Top); }

int GetClampedControlTop(const TControl *Control) {
  return std::clamp(GetControlTrueTop(Control), -RVMaxControlTop, RVMaxControlTop);
}

void ApplyClampedControlTop(TControl *Control) { Control->move(Control->x(), GetClampedControlTop(Control)); }

namespace {
const char *const kKeptHiddenProperty = "rvKeptHidden";
} // namespace

void SetControlKeptHidden(TControl *Control, bool Hidden) {
  Control->setProperty(kKeptHiddenProperty, Hidden);
  Control->setVisible(!Hidden);
}

bool IsControlKeptHidden(const TControl *Control) { return Control->property(kKeptHiddenProperty).toBool(); }

void TRVControlItemInfo::AdjustPosition(int X, int Y, bool Refresh, TCustomRVData *) {
  if (!FControl) return;
  // The scroller moves the control from its stored top later: a top left
  // over from before this layout would put it in the wrong place.
  SetControlTrueTop(FControl, RVSatAdd(Y, Spacing));
  FControl->move(RVSatAdd(X, Spacing), GetClampedControlTop(FControl));
  if (Refresh) FControl->update();
  if (!IsControlKeptHidden(FControl)) FControl->show();
}

bool TRVControlItemInfo::OwnsControl(const TControl *AControl) const { return AControl && FControl.data() == AControl; }

void TRVControlItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVRectItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVControlItemInfo *>(&Source)) {
    Resizable = s->Resizable;
    PercentWidth = s->PercentWidth;
  }
}

int TRVControlItemInfo::GetRvfExtraPropertyCount() const {
  return TRVRectItemInfo::GetRvfExtraPropertyCount() + (MinHeightOnPage > 0 ? 1 : 0) + (Resizable ? 1 : 0);
}

void TRVControlItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVRectItemInfo::WriteRvfExtraProperties(Stream);
  if (MinHeightOnPage > 0) WriteRvfIntProperty(Stream, rvepMinHeightOnPage, MinHeightOnPage);
  if (Resizable) WriteRvfIntProperty(Stream, rvepResizable, 1);
}

bool TRVControlItemInfo::SetExtraIntProperty(int Prop, int Value) {
  switch (Prop) {
  case rvepMinHeightOnPage: MinHeightOnPage = Value; return true;
  case rvepResizable: Resizable = Value != 0; return true;
  default: return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
  }
}

bool TRVControlItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  switch (Prop) {
  case rvepMinHeightOnPage: Value = MinHeightOnPage; return true;
  case rvepResizable: Value = Resizable ? 1 : 0; return true;
  default: return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
  }
}

bool TRVControlItemInfo::ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo, int LineCount,
                                 std::string &Name, int &LineState) {
  // Widgets are not streamed as components here: the stored data is only
  // the class name, and the host makes the control from the item's name.
  if (Mode == 2 && LineNo == LineCount - 2) LineState = 1;
  const bool last = LineNo == LineCount - 1;
  if (LineNo == 0) {
    Name = s;
    if (RVData) SetControl(RVData->DoRVFControlNeeded(Name, Tag));
    if (!FControl) {
      AddWarning(RVData, rvfwUnknownCtrls);
      if (!RVData || !RVData->GetRVFOptions().Has(rvfoIgnoreUnknownCtrls)) return false;
    }
  } else if (Mode == 1 || (LineNo != 1 && !last)) {
    ReadRvfExtraProperty(s);
  }
  if (last && FControl && RVData) {
    TControl *c = FControl.data();
    RVData->DoControlAction(rvcaAfterRVFLoad, -1, c);
  }
  return true;
}

void TRVControlItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                                 bool ForceSameAsPrev) {
  const TRVFOptions o = RVData ? RVData->GetRVFOptions() : TRVFOptions{};
  const int extra = GetRvfExtraPropertyCount();
  if (o.Has(rvfoSaveControlsBody) && FControl) {
    const bool binary = o.Has(rvfoSaveBinary);
    WriteRvfHeader(Stream, RVData, extra + 3, binary ? 2 : 0, ForceSameAsPrev);
    WriteLine(Stream, Name);
    WriteLine(Stream, FControl->metaObject()->className());
    WriteRvfExtraProperties(Stream);
    TControl *c = FControl.data();
    if (RVData) RVData->DoControlAction(rvcaBeforeRVFSave, ItemNo, c);
    if (binary) WriteBinaryBlock(Stream, std::string());
    else WriteLine(Stream, std::string());
    if (RVData) RVData->DoControlAction(rvcaAfterRVFSave, ItemNo, c);
  } else {
    WriteRvfHeader(Stream, RVData, extra + 1, 1, ForceSameAsPrev);
    WriteLine(Stream, Name);
    WriteRvfExtraProperties(Stream);
  }
}

void TRVControlItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *RVData, int, const std::string &,
                                    TRVHTMLSaveContext &Context) {
  std::string text;
  if (RVData && FControl && RVData->DoSaveComponentToFile(Context.Path, FControl.data(), rvsfHTML, text))
    Stream += text;
}

void TRVControlItemInfo::SaveRTF(std::string &Stream, TCustomRVData *RVData, int, const std::string &,
                                 TRVRTFSaveContext &) {
  std::string text;
  if (RVData && FControl && RVData->DoSaveComponentToFile(std::string(), FControl.data(), rvsfRTF, text))
    Stream += text;
}

std::string TRVControlItemInfo::AsText(int, char, TCustomRVData *RVData, const std::string &, const std::string &Path,
                                       bool, bool) {
  std::string text;
  if (RVData && FControl && RVData->DoSaveComponentToFile(Path, FControl.data(), rvsfText, text)) return text;
  return std::string();
}

void TRVControlItemInfo::MovingToUndoList(int ItemNo, TCustomRVData *RVData) {
  TRVRectItemInfo::MovingToUndoList(ItemNo, RVData);
  if (FControl) {
    FControl->hide();
    FControl->setParent(nullptr);
  }
  if (RVData) {
    TControl *c = FControl.data();
    RVData->DoControlAction(rvcaMoveToUndoList, ItemNo, c);
  }
}

void TRVControlItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData *RVData) {
  TRVRectItemInfo::MovingFromUndoList(ItemNo, RVData);
  if (!RVData) return;
  TControl *c = FControl.data();
  RVData->DoControlAction(rvcaMoveFromUndoList, ItemNo, c);
  if (FControl) FControl->setParent(RVData->GetParentControl());
}

void AdoptItemControls(TCustomRVData &Doc) {
  for (TCustomRVItemInfo *item : Doc.Items.WindowedItems())
    if (auto *c = dynamic_cast<TRVControlItemInfo *>(item); c && c->Control()) {
      c->Control()->hide();
      c->Control()->setParent(Doc.GetParentControl());
    }
}

} // namespace kc
