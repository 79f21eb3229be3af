#include "toolbars/TBarHook.h"

#include <QCoreApplication>
#include <QWidget>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "platform/Log.h"

namespace kc::tb {

namespace {

struct Registration {
  TTBHookProc proc;
  int count;
  TTBHookKinds kinds;
};

// Which underlying hook each kind needs: 0 window messages, 1 window life,
// 2 message retrieval.
int HookOf(TTBHookKind K) {
  switch (K) {
  case hkActivateApp:
  case hkWindowPosChanged: return 0;
  case hkDestroyWindow: return 1;
  case hkGetMessage: return 2;
  }
  return 0;
}

class HookFilter : public QObject {
protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override;
};

std::vector<Registration> g_regs;
std::array<int, 3> g_useCounts{};
std::unique_ptr<HookFilter> g_filter;

void Deliver(TTBHookKind Kind, QObject *Window, QEvent *Event) {
  // A snapshot: a procedure may remove itself or others.
  const std::vector<Registration> regs = g_regs;
  for (const Registration &r : regs)
    if ((r.kinds & HookKind(Kind)) &&
        std::any_of(g_regs.begin(), g_regs.end(), [&](const Registration &x) { return x.proc == r.proc; }))
      r.proc(Kind, Window, Event);
}

bool HookFilter::eventFilter(QObject *Watched, QEvent *Event) {
  try {
    if (g_useCounts[2] > 0) Deliver(hkGetMessage, Watched, Event);
    if (g_useCounts[0] > 0) {
      if (Event->type() == QEvent::ApplicationActivate || Event->type() == QEvent::ApplicationDeactivate)
        Deliver(hkActivateApp, Watched, Event);
      else if ((Event->type() == QEvent::Move || Event->type() == QEvent::Resize) && Watched->isWidgetType() &&
               static_cast<QWidget *>(Watched)->isWindow())
        Deliver(hkWindowPosChanged, Watched, Event);
    }
    if (g_useCounts[1] > 0 && Event->type() == QEvent::Close && Watched->isWidgetType() &&
        static_cast<QWidget *>(Watched)->isWindow())
      Deliver(hkDestroyWindow, Watched, Event);
  } catch (...) {
    LogCaughtException("toolbar hook");
  }
  return false;
}

void UpdateFilter() {
  const bool needed = std::any_of(g_useCounts.begin(), g_useCounts.end(), [](int c) { return c > 0; });
  QCoreApplication *app = QCoreApplication::instance();
  if (needed && !g_filter && app) {
    g_filter = std::make_unique<HookFilter>();
    app->installEventFilter(g_filter.get());
  } else if (!needed && g_filter) {
    if (app) app->removeEventFilter(g_filter.get());
    g_filter.reset();
  }
}

void CountHooks(TTBHookKinds Kinds, int Delta) {
  std::array<bool, 3> needs{};
  for (int k = 0; k < 4; ++k)
    if (Kinds & HookKind(TTBHookKind(k))) needs[size_t(HookOf(TTBHookKind(k)))] = true;
  for (size_t h = 0; h < 3; ++h)
    if (needs[h]) g_useCounts[h] = std::max(0, g_useCounts[h] + Delta);
}

} // namespace

void InstallToolbarHook(TTBHookProc Proc, TTBHookKinds Kinds, bool NoSystemHooks) {
  auto it = std::find_if(g_regs.begin(), g_regs.end(), [&](const Registration &r) { return r.proc == Proc; });
  if (it != g_regs.end()) ++it->count;
  else g_regs.push_back({Proc, 1, Kinds});
  if (NoSystemHooks) return;
  CountHooks(Kinds, +1);
  UpdateFilter();
}

void RemoveToolbarHook(TTBHookProc Proc) {
  auto it = std::find_if(g_regs.begin(), g_regs.end(), [&](const Registration &r) { return r.proc == Proc; });
  if (it == g_regs.end()) return;
  const TTBHookKinds kinds = it->kinds;
  if (--it->count <= 0) g_regs.erase(it);
  CountHooks(kinds, -1);
  UpdateFilter();
}

int ToolbarHookUseCount(int Hook) { return Hook >= 0 && Hook < 3 ? g_useCounts[size_t(Hook)] : 0; }
bool ToolbarHookFilterInstalled() { return g_filter != nullptr; }

} // namespace kc::tb
