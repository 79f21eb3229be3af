#include "widgets/KcGIFCtrl.h"

#include "platform/ScopeGuard.h"

#include <QPainter>
#include <algorithm>

namespace kc {

TKcGIFAnimator::TKcGIFAnimator(QWidget *parent) : TKcImageControl(parent) {
  FImage.OnChange = [this] { imageChanged(); };
}

TKcGIFAnimator::~TKcGIFAnimator() {
  FDestroying = true;
  OnStart = OnStop = OnChange = OnFrameChanged = nullptr;
  SetKcxAnimate(false);
  FCache.Drop();
  FImage.OnChange = nullptr;
}

void TKcGIFAnimator::SetImage(const TKcGIFImage &picture) {
  Lock();
  FImage.Assign(picture);
  Unlock();
}

void TKcGIFAnimator::SetImage(const QImage &picture) {
  Lock();
  FImage.Assign(picture);
  Unlock();
}

void TKcGIFAnimator::ReadImageData(QIODevice &stream) {
  FLoading = true;
  const ScopeGuard loaded([this] {
    FLoading = false;
    autoSize();
  });
  FImage.ReadData(stream);
}

int TKcGIFAnimator::FrameDelay() const {
  if (FFrameIndex < 0 || FFrameIndex >= FImage.Count() || FImage.Count() < 2) return 0;
  return std::clamp<int>(FImage.Frames(FFrameIndex).AnimateInterval, 50, 10000);
}

void TKcGIFAnimator::imageChanged() {
  Lock();
  FCache.Drop();
  FFrameIndex = FImage.FrameIndex();
  if (FFrameIndex >= 0 && FImage.Count() > 0) FTimer.SetInterval(FrameDelay());
  Unlock();
  PictureChanged();
  Change();
}

void TKcGIFAnimator::autoSize() {
  if (!FLoading && FAutoSize && !FImage.Empty()) resize(FImage.ScreenWidth(), FImage.ScreenHeight());
}

void TKcGIFAnimator::PictureChanged() {
  if (FDestroying) return;
  autoSize();
  update();
}

QSize TKcGIFAnimator::sizeHint() const {
  if (!FImage.Empty()) return QSize(FImage.ScreenWidth(), FImage.ScreenHeight());
  return QWidget::sizeHint();
}

void TKcGIFAnimator::SetAutoSize(bool on) {
  if (FAutoSize == on) return;
  FAutoSize = on;
  autoSize();
}

void TKcGIFAnimator::SetCenter(bool on) { setDrawOption(FCenter, on, false); }

void TKcGIFAnimator::SetStretch(bool on) { setDrawOption(FStretch, on, false); }

// The composed picture depends on it.
void TKcGIFAnimator::SetTransparent(bool on) { setDrawOption(FTransparent, on, true); }

void TKcGIFAnimator::setDrawOption(bool &option, bool on, bool recompose) {
  if (option == on) return;
  Lock();
  option = on;
  if (recompose) FCache.Drop();
  Unlock();
  PictureChanged();
  if (FAnimating) PaintNow();
}

void TKcGIFAnimator::SetFrameIndex(int index) {
  if (index == FFrameIndex || index < 0 || index >= FImage.Count()) return;
  Lock();
  FFrameIndex = index;
  FTimer.SetInterval(FrameDelay());
  Unlock();
  FrameChanged();
  PictureChanged();
}

void TKcGIFAnimator::SetAsyncDrawing(bool on) {
  if (FAsyncDrawing == on) return;
  Lock();
  FTimer.SetSyncEvent(!on);
  FAsyncDrawing = on;
  Unlock();
}

void TKcGIFAnimator::SetKcxAnimate(bool on) {
  if (FAnimating == on) return;
  FParked = false;
  if (on) {
    FTimer.SetOnTimer([this](TKcTimer *) { frameStep(); });
    FTimer.SetEnabled(true);
    FAnimating = FTimer.Enabled();
    Start();
  } else {
    FTimer.SetEnabled(false);
    FTimer.SetOnTimer(nullptr);
    FAnimating = false;
    Stop();
    PictureChanged();
  }
}

void TKcGIFAnimator::frameStep() {
  QWidget *parent = parentWidget();
  if (parent && parent->testAttribute(Qt::WA_WState_Created) && !isVisible()) {
    // Out of sight (a talk on a tab in the background): no ticks until it
    // shows again.
    FTimer.SetEnabled(false);
    FParked = true;
    return;
  }
  if (!isVisibleTo(parent) || FImage.Count() < 2 || !parent || !parent->testAttribute(Qt::WA_WState_Created)) return;
  Lock();
  FFrameIndex = FFrameIndex + 1 < FImage.Count() ? FFrameIndex + 1 : 0;
  Unlock();
  FrameChanged();
  PaintNow();
  if (FFrameIndex >= 0 && FFrameIndex < FImage.Count()) FTimer.SetInterval(FrameDelay());
  if (!FLoop && FFrameIndex == 0) SetKcxAnimate(false);
}

void TKcGIFAnimator::PaintImage(QPainter &p) {
  // The control's colour is its parent's: a child paints nothing under the
  // picture, so the parent's own painting (a transcript's page colour or
  // background picture) shows through, as on the parent itself.
  const bool seeThrough = FImage.Transparent() || FImage.Empty();
  if (!seeThrough && !parentWidget()) p.fillRect(rect(), palette().color(backgroundRole()));
  if (FImage.Empty() || FImage.ScreenWidth() < 1 || FImage.ScreenHeight() < 1) return;
  const QImage *pic = &FCache.Compose(FImage, FFrameIndex, palette().color(QPalette::Base).rgba(), FTransparent);
  QRect target;
  if (FStretch) target = rect();
  else if (FCenter) target = QRect(QPoint((width() - pic->width()) / 2, (height() - pic->height()) / 2), pic->size());
  else target = QRect(QPoint(0, 0), pic->size());
  p.drawImage(target, *pic);
}

void TKcGIFAnimator::Change() {
  if (OnChange) OnChange(this);
}

void TKcGIFAnimator::FrameChanged() {
  if (OnFrameChanged) OnFrameChanged(this);
}

void TKcGIFAnimator::Start() {
  if (OnStart) OnStart(this);
}

void TKcGIFAnimator::Stop() {
  if (OnStop) OnStop(this);
}

void TKcGIFAnimator::showEvent(QShowEvent *Event) {
  TKcImageControl::showEvent(Event);
  if (FAnimating && FParked) {
    FParked = false;
    FTimer.SetEnabled(true);
  }
}

} // namespace kc
