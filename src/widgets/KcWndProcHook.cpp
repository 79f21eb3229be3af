#include "widgets/KcWndProcHook.h"

#include <map>
#include <vector>

#include <QEvent>

namespace kc {

namespace {

struct THookNode {
  TKcHookMethod method;
  bool owned; // registered with an owner: skipped and dropped once it is gone
};

struct TKcHookInfos {
  std::vector<THookNode> hooks[2];
  bool empty() const { return hooks[0].empty() && hooks[1].empty(); }
};

bool sameHook(const TKcHookMethod &a, const TKcHookMethod &b) { return a.Data == b.Data && a.Code == b.Code; }

// The one dispatcher, installed as event filter on every hooked control.
class TKcWndProcHook : public QObject {
public:
  static TKcWndProcHook &instance() {
    static TKcWndProcHook hook;
    return hook;
  }

  bool add(QObject *control, const TKcHookMethod &h, THookOrder order) {
    auto [it, made] = FInfos.try_emplace(control);
    if (made) {
      control->installEventFilter(this);
      // The removal notice: the record goes with its control.
      connect(control, &QObject::destroyed, this, [this](QObject *gone) { FInfos.erase(gone); });
    }
    it->second.hooks[static_cast<int>(order)].push_back(THookNode{h, !h.Owner.isNull()});
    return true;
  }

  bool remove(QObject *control, const TKcHookMethod &h, THookOrder order) {
    auto it = FInfos.find(control);
    if (it == FInfos.end()) return false;
    auto &list = it->second.hooks[static_cast<int>(order)];
    for (auto n = list.begin(); n != list.end(); ++n)
      if (sameHook(n->method, h)) {
        list.erase(n);
        if (it->second.empty()) {
          control->removeEventFilter(this);
          disconnect(control, &QObject::destroyed, this, nullptr);
          FInfos.erase(it);
        }
        return true;
      }
    return false;
  }

  int count(QObject *control, THookOrder order) const {
    auto it = FInfos.find(control);
    return it == FInfos.end() ? 0 : static_cast<int>(it->second.hooks[static_cast<int>(order)].size());
  }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (FInfos.find(watched) == FInfos.end()) return false;
    QPointer<QObject> control(watched);
    if (runHooks(watched, event, THookOrder::hoBeforeMsg)) return true;
    if (!control) return true;
    auto it = FInfos.find(watched);
    if (it == FInfos.end() || it->second.hooks[1].empty()) return false;
    // The control handles the event here, so that the "after" hooks see
    // its result; the event is then done.
    watched->event(event);
    if (control) runHooks(watched, event, THookOrder::hoAfterMsg);
    return true;
  }

private:
  // Runs the hooks of one order up to the first that handled the event.
  // Hooks may register and unregister while they run, so a copy is run.
  bool runHooks(QObject *control, QEvent *event, THookOrder order) {
    auto it = FInfos.find(control);
    if (it == FInfos.end()) return false;
    const std::vector<THookNode> hooks = it->second.hooks[static_cast<int>(order)];
    QPointer<QObject> alive(control);
    for (const THookNode &h : hooks) {
      if (h.owned && h.method.Owner.isNull()) {
        remove(control, h.method, order);
        continue;
      }
      if (h.method.Call(control, event)) return true;
      if (!alive) return true;
    }
    return false;
  }

  std::map<QObject *, TKcHookInfos> FInfos;
};

} // namespace

bool RegisterWndProcHook(QObject *Control, const TKcHookMethod &Hook, THookOrder Order) {
  if (!Control || !Hook.Call) return false;
  return TKcWndProcHook::instance().add(Control, Hook, Order);
}

bool UnregisterWndProcHook(QObject *Control, const TKcHookMethod &Hook, THookOrder Order) {
  if (!Control || !Hook.Call) return false;
  return TKcWndProcHook::instance().remove(Control, Hook, Order);
}

int WndProcHookCount(QObject *Control, THookOrder Order) { return TKcWndProcHook::instance().count(Control, Order); }

} // namespace kc
