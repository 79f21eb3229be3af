#pragma once
// Lets any number of clients see a control's events before or after the
// control handles them, without taking the control over. A "before" hook
// that returns true has handled the event: nothing after it sees it, nor
// does the control. Hooks of a control go with it; a hook whose owner is
// gone is never called. To run "after" hooks the control handles the event
// inside the hook dispatcher, so event filters installed on the control
// before its first hook no longer see events once it has "after" hooks.
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>

class QEvent;

namespace kc {

enum class THookOrder { hoBeforeMsg = 0, hoAfterMsg = 1 };

struct TKcHookMethod {
  // Which method of which object: a hook is removed by the same pair.
  const void *Data = nullptr;
  std::uintptr_t Code = 0;
  std::function<bool(QObject *control, QEvent *event)> Call;
  // The object the method belongs to, when it is a QObject: once it is gone
  // the hook is skipped and dropped.
  QPointer<QObject> Owner;
};

// False for an absent control or a hook without a method.
bool RegisterWndProcHook(QObject *Control, const TKcHookMethod &Hook, THookOrder Order);
// False when the control or the hook is not registered.
bool UnregisterWndProcHook(QObject *Control, const TKcHookMethod &Hook, THookOrder Order);
// How many hooks a control has in one order (for checks).
int WndProcHookCount(QObject *Control, THookOrder Order);

} // namespace kc
