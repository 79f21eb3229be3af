#include "richtext/controls/RVScroll.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/QtCanvas.h"
#include "richtext/document/RVItem.h"

namespace kc {

namespace {

bool IsBar(const QObject *o, const QScrollBar *a, const QScrollBar *b) { return o == a || o == b; }

// Cell editors open inside cell editors; a longer chain is a cycle.
constexpr int kMaxEditorDepth = 64;

// One notch of a wheel, in eighths of a degree.
constexpr int kWheelDelta = 120;

} // namespace

TRVScroller::TRVScroller(QWidget *Parent) : QWidget(Parent) {
  FVBar = new QScrollBar(Qt::Vertical, this);
  FHBar = new QScrollBar(Qt::Horizontal, this);
  FVBar->hide();
  FHBar->hide();
  setFocusPolicy(Qt::StrongFocus);
  Flags = rvflBuildJumps | rvflTrim | rvflRoot;
  // Controls embedded in the document are children of this window.
  ParentControl = this;
  // The thumb moves the view while it is dragged only with Tracking; a
  // release always does.
  FVBar->setTracking(false);
  FHBar->setTracking(false);
  QObject::connect(FVBar, &QScrollBar::sliderMoved, this, [this](int v) {
    if (Tracking) VScroll(sbThumbTrack, v);
  });
  QObject::connect(FVBar, &QScrollBar::valueChanged, this, [this](int v) {
    if (v != FVPos) VScroll(sbThumbPosition, v);
  });
  QObject::connect(FHBar, &QScrollBar::sliderMoved, this, [this](int v) {
    if (Tracking) HScroll(sbThumbTrack, v);
  });
  QObject::connect(FHBar, &QScrollBar::valueChanged, this, [this](int v) {
    if (v != FHPos) HScroll(sbThumbPosition, v);
  });
}

TRVScroller::~TRVScroller() {
  FDestroying = true;
  FActiveSubData = nullptr;
  FActiveItem = nullptr;
}

void TRVScroller::PrepareDestroy() {
  FDestroying = true;
  FreeSubEditor();
  ReleaseActiveSubData(FActiveSubData);
}

int TRVScroller::ClientWidth() const {
  return std::max(0, width() - (FVBar->isVisibleTo(this) ? FVBar->sizeHint().width() : 0));
}

int TRVScroller::ClientHeight() const {
  return std::max(0, height() - (FHBar->isVisibleTo(this) ? FHBar->sizeHint().height() : 0));
}

TCanvas *TRVScroller::FormatCanvas() {
  if (!FMeasureCanvas) FMeasureCanvas = std::make_unique<QtCanvas>();
  return FMeasureCanvas.get();
}

void TRVScroller::InvalidateRect(const TRect &R) { update(QRect(R.Left, R.Top, R.width(), R.height())); }

void TRVScroller::PlaceBars() {
  const int vw = FVBar->sizeHint().width(), hh = FHBar->sizeHint().height();
  const bool v = FVBar->isVisibleTo(this), h = FHBar->isVisibleTo(this);
  const bool left = BiDiMode == rvbdRightToLeft;
  if (v) FVBar->setGeometry(left ? 0 : width() - vw, 0, vw, height() - (h ? hh : 0));
  if (h) FHBar->setGeometry(left && v ? vw : 0, height() - hh, width() - (v ? vw : 0), hh);
}

void TRVScroller::SetBiDiModeValue(TRVBiDiMode Value) {
  if (Value == BiDiMode) return;
  BiDiMode = Value;
  RecreateWindow();
}

void TRVScroller::RecreateWindow() {
  FShowVBarAtOnce = false;
  PlaceBars();
}

QRect TRVScroller::ClientRect() const {
  const bool left = BiDiMode == rvbdRightToLeft && FVBar->isVisibleTo(this);
  return QRect(left ? FVBar->sizeHint().width() : 0, 0, ClientWidth(), ClientHeight());
}

void TRVScroller::resizeEvent(QResizeEvent *Event) {
  QWidget::resizeEvent(Event);
  PlaceBars();
}

void TRVScroller::UpdateScrollBars(int Width, int HeightUnits, bool Redraw, bool UpdateHorizontal) {
  (void)Redraw;
  if (FUpdating) return;
  FUpdating = true;
  if (UpdateHorizontal) FHRange = std::max(0, Width);
  FVRange = std::clamp(HeightUnits, 0, RVMaxScrollUnits);
  // A bar shows when its range exceeds its page; showing one narrows the
  // client, which may show the other.
  for (int pass = 0; pass < 2; ++pass) {
    FVPage = FVSmallStep > 0 ? ClientHeight() / FVSmallStep : 0;
    FVBar->setVisible(FVScrollVisible && FVRange > FVPage);
    if (UpdateHorizontal) {
      FHPage = ClientWidth();
      FHBar->setVisible(FHScrollVisible && FHRange > FHPage);
    }
  }
  FVPage = FVSmallStep > 0 ? ClientHeight() / FVSmallStep : 0;
  PlaceBars();
  const QSignalBlocker bv(FVBar), bh(FHBar);
  const int vmax = std::max(0, FVRange - 1 - (FVPage - 1));
  FVPos = std::clamp(FVPos, 0, vmax);
  FVBar->setRange(0, vmax);
  FVBar->setPageStep(std::max(1, FVPage));
  FVBar->setSingleStep(LineAmount);
  FVBar->setValue(FVPos);
  if (UpdateHorizontal) {
    FHPage = ClientWidth();
    const int hmax = std::max(0, FHRange - 1 - (FHPage - 1));
    FHPos = std::clamp(FHPos, 0, hmax);
    FHBar->setRange(0, hmax);
    FHBar->setPageStep(std::max(1, FHPage));
    FHBar->setSingleStep(std::max(1, FVSmallStep * LineAmount));
    FHBar->setValue(FHPos);
  }
  FUpdating = false;
}

void TRVScroller::AdjustScrollBars() {
  UpdateScrollBars(ClientWidth(), FVSmallStep > 0 ? ClientHeight() / FVSmallStep : 0, true, true);
}

void TRVScroller::SetVSmallStep(int Value) {
  Value = std::max(1, Value);
  if (Value == FVSmallStep) return;
  const int64_t pixels = int64_t(FVPos) * FVSmallStep;
  FVSmallStep = Value;
  FVPos = static_cast<int>(pixels / Value);
}

void TRVScroller::SetVScrollPos(int Pos, bool Redraw) {
  const int vmax = std::max(0, FVRange - 1 - (FVPage - 1));
  const int old = FVPos;
  FVPos = std::clamp(Pos, 0, vmax);
  if (FVPos == old) return;
  {
    const QSignalBlocker b(FVBar);
    FVBar->setValue(FVPos);
  }
  ScrollClient(0, static_cast<int>(std::clamp<int64_t>((int64_t(old) - FVPos) * FVSmallStep, -RVMaxCoord, RVMaxCoord)),
               Redraw);
  VScrolled();
}

void TRVScroller::ScrollClient(int DX, int DY, bool Redraw) {
  if (Redraw) ScrollClientPixels(DX, DY);
  ShiftChildControls(DX, DY);
}

void TRVScroller::ScrollClientPixels(int DX, int DY) {
  const QRect client = ClientRect();
  // Moving the pixels is only worth it when some of them stay in view;
  // the view asks for a full redraw when its picture does not move with
  // the text (a fixed background).
  if (!FullRedraw && std::abs(DX) < client.width() && std::abs(DY) < client.height())
    scroll(DX, DY, client); // children stay: the caller moves them, clamped
  else update();
}

void TRVScroller::SetHScrollPos(int Pos) {
  const int hmax = std::max(0, FHRange - 1 - (FHPage - 1));
  const int old = FHPos;
  FHPos = std::clamp(Pos, 0, hmax);
  if (FHPos == old) return;
  {
    const QSignalBlocker b(FHBar);
    FHBar->setValue(FHPos);
  }
  ScrollClient(old - FHPos, 0, true);
  HScrolled();
}

void TRVScroller::VScroll(TScrollCode Code, int Pos) {
  const int page = FVSmallStep > 0 ? ClientHeight() / FVSmallStep : 0;
  switch (Code) {
  case sbLineUp: SetVScrollPos(FVPos - LineAmount); break;
  case sbLineDown: SetVScrollPos(FVPos + LineAmount); break;
  case sbPageUp: SetVScrollPos(FVPos - page); break;
  case sbPageDown: SetVScrollPos(FVPos + page); break;
  case sbThumbPosition: SetVScrollPos(Pos & 0xFFFF); break;
  case sbThumbTrack:
    if (Tracking) SetVScrollPos(Pos & 0xFFFF);
    break;
  case sbTop: SetVScrollPos(0); break;
  case sbBottom: SetVScrollPos(FVRange); break;
  }
}

void TRVScroller::HScroll(TScrollCode Code, int Pos) {
  switch (Code) {
  case sbLineUp: SetHScrollPos(FHPos - FVSmallStep * LineAmount); break;
  case sbLineDown: SetHScrollPos(FHPos + FVSmallStep * LineAmount); break;
  case sbPageUp: SetHScrollPos(FHPos - ClientWidth()); break;
  case sbPageDown: SetHScrollPos(FHPos + ClientWidth()); break;
  case sbThumbPosition: SetHScrollPos(Pos & 0xFFFF); break;
  case sbThumbTrack:
    if (Tracking) SetHScrollPos(Pos & 0xFFFF);
    break;
  case sbTop: SetHScrollPos(0); break;
  case sbBottom: SetHScrollPos(FHRange); break;
  }
}

void TRVScroller::SetVScrollVisible(bool Value) {
  const bool was = FVScrollVisible;
  FVScrollVisible = Value;
  UpdateScrollBars(FHRange, FVRange, true);
  if (Value && !was && FShowVBarAtOnce) {
    UpdateScrollBars(FHRange, FVRange, true);
    FVBar->setVisible(true);
    PlaceBars();
  }
}

void TRVScroller::SetHScrollVisible(bool Value) {
  FHScrollVisible = Value;
  UpdateScrollBars(FHRange, FVRange, true);
}

void TRVScroller::PlaceChildControl(QWidget *Control, int X, int Y) {
  SetControlTrueTop(Control, Y);
  Control->move(X, GetClampedControlTop(Control));
}

void TRVScroller::ShiftChildControls(int DX, int DY) {
  for (QObject *o : children()) {
    auto *w = qobject_cast<QWidget *>(o);
    if (!w || IsBar(o, FVBar, FHBar)) continue;
    int x = w->x();
    if (DY != 0) SetControlTrueTop(w, RVSatAdd(GetControlTrueTop(w), DY));
    if (DX != 0) x = RVSatAdd(x, DX);
    w->move(x, DY != 0 ? GetClampedControlTop(w) : w->y());
  }
}

void TRVScroller::keyPressEvent(QKeyEvent *Event) {
  QWidget::keyPressEvent(Event);
  if (!KeyboardScrolling) return;
  switch (Event->key()) {
  case Qt::Key_PageUp: VScroll(sbPageUp); break;
  case Qt::Key_PageDown: VScroll(sbPageDown); break;
  case Qt::Key_End: VScroll(sbBottom); break;
  case Qt::Key_Home: VScroll(sbTop); break;
  case Qt::Key_Up: VScroll(sbLineUp); break;
  case Qt::Key_Down: VScroll(sbLineDown); break;
  case Qt::Key_Left: HScroll(sbLineUp); break;
  case Qt::Key_Right: HScroll(sbLineDown); break;
  default: return;
  }
  Event->accept();
}

void TRVScroller::wheelEvent(QWheelEvent *Event) {
  QWidget::wheelEvent(Event);
  // Only the vertical wheel scrolls; a sideways turn is left to the parent.
  if (WheelStep == 0 || (Event->angleDelta().y() == 0 && Event->angleDelta().x() != 0)) {
    Event->ignore();
    return;
  }
  // Fractions of a notch add up until they make a whole one, in either
  // direction; turning the other way starts afresh from the remainder.
  FWheelAccumulator = static_cast<int>(std::clamp<int64_t>(int64_t(FWheelAccumulator) + Event->angleDelta().y(),
                                                           -kWheelDelta * 1000, kWheelDelta * 1000));
  const int notches = FWheelAccumulator / kWheelDelta;
  FWheelAccumulator -= notches * kWheelDelta;
  // Round half to even, as the class library's Round does; positions are
  // at most 32000 units, so a larger amount only needs to reach the end.
  const double amount =
      std::clamp(std::nearbyint(double(WheelStep) * WheelScrollLines / 3.0), -1e6, 1e6) * double(notches);
  if (notches != 0) SetVScrollPos(static_cast<int>(std::clamp(double(FVPos) - amount, -1e6, 1e6)));
  Event->accept();
}

void TRVScroller::focusInEvent(QFocusEvent *Event) {
  QWidget::focusInEvent(Event);
  if (InsideDestroyingScroller()) return;
  if (TRVScroller *editor = GetSubEditor()) editor->setFocus(Event->reason());
}

bool TRVScroller::InsideDestroyingScroller() const {
  for (const QWidget *w = this; w; w = w->parentWidget())
    if (auto *s = dynamic_cast<const TRVScroller *>(w); s && s->FDestroying) return true;
  return false;
}

bool TRVScroller::IsFocusedDeep() const {
  const TRVScroller *s = this;
  for (int depth = 0; s && depth < kMaxEditorDepth; ++depth, s = s->GetSubEditor())
    if (s->hasFocus()) return true;
  return false;
}

void TRVScroller::FocusIfCanFocus() {
  if (isVisible() && isEnabled() && focusPolicy() != Qt::NoFocus) setFocus(Qt::OtherFocusReason);
}

// ------------------------------------------------ the active nested document

TRVScroller *TRVScroller::GetSubEditor() const {
  return FActiveSubData ? FActiveSubData->GetEditingCellEditor() : nullptr;
}

TCustomRVFormattedData *TRVScroller::GetActiveSubDataEdited() const {
  return FActiveSubData ? FActiveSubData->GetEditingRVData() : nullptr;
}

void TRVScroller::FreeSubEditor() {
  // The editor's destruction tells its table, which may release the cell
  // from here again.
  delete GetSubEditor();
}

void TRVScroller::SetActiveSubData(TCustomRVFormattedData *Data, TCustomRVItemInfo *Item) {
  if (Data != FActiveSubData) {
    FreeSubEditor();
    ReleaseActiveSubData(FActiveSubData);
    FActiveSubData = Data;
    FActiveItem = Item;
  }
  // An editor placed for the cell takes its place among the embedded
  // controls from where it stands now.
  if (TRVScroller *editor = GetSubEditor()) SetControlTrueTop(editor, editor->y());
}

void TRVScroller::ReleaseActiveSubData(TCustomRVFormattedData *Data) {
  if (!Data || !FActiveSubData || (Data != FActiveSubData && Data != GetActiveSubDataEdited())) return;
  TCustomRVFormattedData *cell = FActiveSubData;
  TCustomRVItemInfo *item = FActiveItem;
  FActiveSubData = nullptr;
  FActiveItem = nullptr;
  if (!FDestroying) cell->ClearSelection(false);
  if (item) item->DeselectPartial();
}

} // namespace kc
