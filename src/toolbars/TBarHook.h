#pragma once
// One registry of event hooks for the toolbar family: procedures register
// for kinds of events and share a single application event filter, which is
// installed while any registration needs it. A procedure registered twice
// is counted twice.
#include <QEvent>
#include <QObject>

#include <cstdint>

namespace kc::tb {

enum TTBHookKind : std::uint8_t { hkActivateApp, hkWindowPosChanged, hkDestroyWindow, hkGetMessage };
using TTBHookKinds = std::uint8_t;
constexpr TTBHookKinds HookKind(TTBHookKind K) { return TTBHookKinds(1u << K); }

// hkActivateApp: the application became active or inactive (Event is the
// activation event); hkWindowPosChanged: a top-level window moved or was
// resized; hkDestroyWindow: a top-level window is closing; hkGetMessage:
// every event the application delivers.
using TTBHookProc = void (*)(TTBHookKind Kind, QObject *Window, QEvent *Event);

void InstallToolbarHook(TTBHookProc Proc, TTBHookKinds Kinds, bool NoSystemHooks = false);
void RemoveToolbarHook(TTBHookProc Proc);

// The use counts of the three underlying hooks (window messages, window
// life, message retrieval) and whether the event filter is installed.
int ToolbarHookUseCount(int Hook);
bool ToolbarHookFilterInstalled();

} // namespace kc::tb
