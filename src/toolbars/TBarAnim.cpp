#include "toolbars/TBarAnim.h"

#include <QPointer>
#include <QRegion>

#include <algorithm>
#include <memory>

#include "platform/DesktopMetrics.h"
#include "platform/TbSystemSettings.h"
#include "platform/GuiTimer.h"

namespace kc::tb {

namespace {
struct Animation {
  QPointer<QWidget> wnd;
  int duration = 150;
  bool fade = false;
  int directions = 0;
  int progress = 0;
  long long start = 0;
  long long elapsed = 0;
  int period = 9;
  QPoint startCursor;
  std::function<void()> onFinished;
  std::unique_ptr<GuiTimer> timer;
  bool running = false;
};
Animation g_anim;
int g_generation = 0;

void ApplyStep() {
  QWidget *w = g_anim.wnd;
  if (!w) return;
  const int p = g_anim.progress;
  if (g_anim.fade) {
    w->setWindowOpacity(std::max(p, 1) / 255.0);
    if (!w->isVisible()) w->show();
    return;
  }
  const int width = w->width(), height = w->height();
  int dy = 0, dx = 0;
  if (g_anim.directions & 4) dy = p * height / 255 - height;
  else if (g_anim.directions & 8) dy = height - p * height / 255;
  if (g_anim.directions & 2) dx = p * width / 255 - width;
  else if (g_anim.directions & 1) dx = width - p * width / 255;
  const QRect visible = QRect(dx, dy, width, height).intersected(w->rect());
  if (visible.isEmpty()) return; // nothing uncovered yet: the window stays hidden
  w->setMask(QRegion(visible));
  w->setProperty("kcAnimOffset", QPoint(dx, dy));
  if (!w->isVisible()) w->show();
  w->update();
}

void Finish() {
  if (!g_anim.running) return;
  g_anim.running = false;
  if (g_anim.timer) g_anim.timer->stop();
  QWidget *w = g_anim.wnd;
  if (w) {
    if (g_anim.fade) w->setWindowOpacity(1.0);
    else w->clearMask();
    w->setProperty("kcAnimOffset", QVariant());
    if (!w->isVisible()) w->show();
    w->update();
  }
  std::function<void()> done = std::move(g_anim.onFinished);
  g_anim.onFinished = nullptr;
  g_anim.wnd = nullptr;
  if (done) done();
}
} // namespace

void StartPopupAnimation(QWidget *Window, int DurationMs, bool Fade, int Directions, std::function<void()> OnFinished) {
  StopPopupAnimation(nullptr);
  if (!Window) return;
  g_anim.wnd = Window;
  g_anim.duration = std::max(DurationMs, 1);
  g_anim.fade = Fade;
  g_anim.directions = Directions;
  g_anim.elapsed = 0;
  g_anim.start = monotonicMs();
  g_anim.onFinished = std::move(OnFinished);
  g_anim.startCursor = cursorPosition();
  g_anim.running = true;
  // Steps come in multiples of 16 on the 0..255 scale.
  g_anim.period = std::max(1, g_anim.duration * 16 / 255);
  g_anim.progress = Fade ? 32 : 0;
  ApplyStep();
  const int gen = ++g_generation;
  // A fresh timer each time: no tick of an animation before is still due.
  g_anim.timer = std::make_unique<GuiTimer>();
  g_anim.timer->start(g_anim.period, [gen] { PopupAnimationStep(gen); });
}

void PopupAnimationStep(int Generation) {
  // A step of an animation that has ended or been replaced does nothing.
  if (!g_anim.running || Generation != g_generation || !g_anim.wnd) return;
  // Real time, so a late timer does not stretch the animation.
  g_anim.elapsed = monotonicMs() - g_anim.start;
  const int raw = int(255 * g_anim.elapsed / g_anim.duration);
  const int step = raw / 16 * 16;
  QWidget *w = g_anim.wnd;
  const QPoint cursor = cursorPosition();
  bool done = step >= 255 || g_anim.elapsed >= g_anim.duration;
  if (cursor != g_anim.startCursor) {
    // The user moved into the popup: show it whole at once.
    if (QRect(w->mapToGlobal(QPoint(0, 0)), w->size()).contains(cursor)) done = true;
    g_anim.startCursor = cursor;
  }
  if (done) {
    Finish();
    return;
  }
  if (step > g_anim.progress) {
    g_anim.progress = step;
    ApplyStep();
  }
}

void StopPopupAnimation(QWidget *Window) {
  if (!g_anim.running) return;
  if (Window && Window != g_anim.wnd) return;
  Finish();
}

bool PopupAnimationRunning(const QWidget *Window) { return g_anim.running && (!Window || Window == g_anim.wnd); }

int PopupAnimationGeneration() { return g_generation; }
int PopupAnimationProgress() { return g_anim.progress; }

} // namespace kc::tb
