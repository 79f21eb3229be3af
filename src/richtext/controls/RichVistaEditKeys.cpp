// Keys of the editor: Qt's key events become key codes of the Windows
// keyboard (the dispatch below speaks them), then caret moves, Shift
// selection, editing keys, shortcuts and jump mode. Typed text comes with
// the key as UTF-16 and goes in as typing.
#include <QContextMenuEvent>
#include <QKeyEvent>

#include "platform/Log.h"
#include "richtext/controls/RichVistaEdit.h"

namespace kc {

namespace {

enum : int {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,
  VK_PAUSE = 0x13,
  VK_CAPITAL = 0x14,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PRIOR = 0x21,
  VK_NEXT = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_SNAPSHOT = 0x2C,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_LWIN = 0x5B,
  VK_APPS = 0x5D,
  VK_F1 = 0x70,
  VK_F24 = 0x87,
  VK_NUMLOCK = 0x90,
  VK_SCROLL = 0x91,
  VK_VOLUME_MUTE = 0xAD,
  VK_MEDIA_PLAY_PAUSE = 0xB3,
  VK_OEM_1 = 0xBA,
  VK_PROCESSKEY = 0xE5,
  VK_NONAME = 0xFC
};

// The Windows key code of a Qt key. Keys that type something without a
// code of their own (punctuation, letters of other scripts) all become one
// typing key; keys that neither type nor move become a key that changes
// nothing.
int KeyCodeOf(const QKeyEvent &E) {
  const int k = E.key();
  switch (k) {
  case Qt::Key_Backspace: return VK_BACK;
  case Qt::Key_Tab:
  case Qt::Key_Backtab: return VK_TAB;
  case Qt::Key_Return:
  case Qt::Key_Enter: return VK_RETURN;
  case Qt::Key_Shift: return VK_SHIFT;
  case Qt::Key_Control: return VK_CONTROL;
  case Qt::Key_Alt:
  case Qt::Key_AltGr: return VK_MENU;
  case Qt::Key_Pause: return VK_PAUSE;
  case Qt::Key_CapsLock: return VK_CAPITAL;
  case Qt::Key_Escape: return VK_ESCAPE;
  case Qt::Key_Space: return VK_SPACE;
  case Qt::Key_PageUp: return VK_PRIOR;
  case Qt::Key_PageDown: return VK_NEXT;
  case Qt::Key_End: return VK_END;
  case Qt::Key_Home: return VK_HOME;
  case Qt::Key_Left: return VK_LEFT;
  case Qt::Key_Up: return VK_UP;
  case Qt::Key_Right: return VK_RIGHT;
  case Qt::Key_Down: return VK_DOWN;
  case Qt::Key_Print: return VK_SNAPSHOT;
  case Qt::Key_Insert: return VK_INSERT;
  case Qt::Key_Delete: return VK_DELETE;
  case Qt::Key_Meta:
  case Qt::Key_Super_L:
  case Qt::Key_Super_R: return VK_LWIN;
  case Qt::Key_Menu: return VK_APPS;
  case Qt::Key_NumLock: return VK_NUMLOCK;
  case Qt::Key_ScrollLock: return VK_SCROLL;
  case Qt::Key_VolumeMute:
  case Qt::Key_VolumeDown:
  case Qt::Key_VolumeUp:
  case Qt::Key_MediaPlay:
  case Qt::Key_MediaStop:
  case Qt::Key_MediaPrevious:
  case Qt::Key_MediaNext:
  case Qt::Key_MediaPause:
  case Qt::Key_MediaTogglePlayPause:
  case Qt::Key_Back:
  case Qt::Key_Forward:
  case Qt::Key_Refresh: return VK_MEDIA_PLAY_PAUSE;
  default: break;
  }
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return VK_F1 + (k - Qt::Key_F1);
  if ((k >= Qt::Key_0 && k <= Qt::Key_9) || (k >= Qt::Key_A && k <= Qt::Key_Z)) return k;
  if (!E.text().isEmpty() || (k > 0x20 && k < 0x1000000)) return VK_OEM_1;
  return VK_NONAME;
}

Qt::KeyboardModifiers ModsOf(const QKeyEvent &E) {
  return E.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

bool IsCaretKey(int Key) { return Key >= VK_PRIOR && Key <= VK_DOWN; }

// Keys that neither type nor move: they pass to the second dispatch
// without touching the selection.
bool IsInertKey(int Key) {
  return Key == VK_SHIFT || Key == VK_MENU || Key == VK_PAUSE || Key == VK_CAPITAL || Key == VK_ESCAPE ||
         Key == VK_SNAPSHOT || (Key >= VK_LWIN && Key <= VK_APPS) || (Key >= VK_F1 && Key <= VK_F24) ||
         Key == VK_NUMLOCK || Key == VK_SCROLL || (Key >= 0xA0 && Key <= 0xB7) || Key == VK_PROCESSKEY || Key >= 0xF6;
}

} // namespace

bool TCustomRichVistaEdit::IsUndoShortcut(Qt::KeyboardModifiers Shift, int Key) {
  if (Shift & Qt::ShiftModifier) return false;
  return (Key == 'Z' && (Shift & Qt::ControlModifier) && !(Shift & Qt::AltModifier)) ||
         (Key == VK_BACK && (Shift & Qt::AltModifier));
}

bool TCustomRichVistaEdit::IsRedoShortcut(Qt::KeyboardModifiers Shift, int Key) {
  // Ctrl+Y as well, as the desktop's other editors have it.
  if (Key == 'Y' && Shift == Qt::ControlModifier) return true;
  if (!(Shift & Qt::ShiftModifier)) return false;
  return (Key == 'Z' && (Shift & Qt::ControlModifier) && !(Shift & Qt::AltModifier)) ||
         (Key == VK_BACK && (Shift & Qt::AltModifier));
}

void TCustomRichVistaEdit::KeyDown(int &Key, Qt::KeyboardModifiers Shift) {
  EditData()->EnsureNotEmpty();
  if (ShortcutKey(Key, Shift)) return;
  bool refresh = false;
  if (!SelectionBeforeKey(Key, Shift, refresh)) return;
  // The second dispatch: the key itself.
  if (EditingKey(Key, Shift)) return;
  CaretKey(Key, Shift, refresh);
}

bool TCustomRichVistaEdit::ShortcutKey(int &Key, Qt::KeyboardModifiers Shift) {
  const bool ctrl = Shift & Qt::ControlModifier, alt = Shift & Qt::AltModifier;
  bool taken = true;
  if (Key == VK_RETURN && EditorOptions.Has(rvoDoNotWantReturns)) {
    // left to the window
  } else if (IsUndoShortcut(Shift, Key)) {
    Undo();
  } else if (IsRedoShortcut(Shift, Key)) {
    Redo();
  } else if (ctrl && !alt && (Key == 'C' || Key == VK_INSERT)) {
    // The view's copy shortcut.
    CopyDef();
  } else if (Key == VK_ESCAPE && EditData()->CancelResize()) {
    update();
  } else {
    taken = false;
  }
  if (taken) Key = 0;
  return taken;
}

bool TCustomRichVistaEdit::SelectionBeforeKey(int &Key, Qt::KeyboardModifiers Shift, bool &Refresh) {
  TRVEditRVData *d = EditData();
  const bool shift = Shift & Qt::ShiftModifier, ctrl = Shift & Qt::ControlModifier, alt = Shift & Qt::AltModifier;
  if (Key == VK_DELETE || Key == VK_BACK) {
    if (!shift && d->DeleteSelectedCells()) {
      Key = 0;
      update();
      return false;
    }
    if (d->SelectionExists()) {
      if (!CanChange()) return false;
      if (Key == VK_DELETE && shift) {
        CutToClipboard();
        Key = 0;
        return false;
      }
      DeleteSelection();
      Key = 0;
      update();
      return false;
    }
    // A change refused for the key itself beeps in the second dispatch.
  } else if (Key == VK_CONTROL) {
    if (EditorOptions.Has(rvoCtrlJumps) && !d->InJumpMode()) {
      d->EnterJumpMode(false);
      GenerateMouseMove();
    }
  } else if (IsInertKey(Key)) {
    // nothing
  } else if (IsCaretKey(Key)) {
    if (shift) {
      d->StartShiftSelection();
    } else if (d->SelectionExists()) {
      d->ClearSelection(false);
    }
    Refresh = true;
  } else {
    if (ctrl && !alt && (Key == 'C' || Key == VK_INSERT)) {
      Key = 0;
      return false;
    }
    if ((ctrl && !alt && Key == 'X') || (shift && Key == VK_DELETE)) {
      CutToClipboard();
      Key = 0;
      return false;
    }
    if ((ctrl && !alt && Key == 'V') || (shift && !ctrl && Key == VK_INSERT)) {
      Paste();
      Key = 0;
      return false;
    }
    // Ctrl+A selects everything, as in the desktop's other editors.
    if (ctrl && !alt && !shift && Key == 'A') {
      SelectAll();
      Key = 0;
      return false;
    }
    if (!ctrl && !alt && Key != VK_INSERT && d->SelectionExists()) {
      if (!CanChange()) {
        Key = 0;
        return false;
      }
      DeleteSelection();
    }
  }
  return true;
}

bool TCustomRichVistaEdit::EditingKey(int &Key, Qt::KeyboardModifiers Shift) {
  TRVEditRVData *d = EditData();
  const bool shift = Shift & Qt::ShiftModifier, ctrl = Shift & Qt::ControlModifier, alt = Shift & Qt::AltModifier;
  switch (Key) {
  case VK_BACK:
    if (CanChange()) {
      if (d->OnBackSpacePressed(ctrl, false, false)) Change(true);
      update();
    }
    Key = 0;
    return true;
  case VK_DELETE:
    if (CanChange()) {
      if (d->OnDelPressed(ctrl, false)) Change(true);
      update();
    }
    Key = 0;
    return true;
  case VK_RETURN:
    if (!(shift && EditorOptions.Has(rvoDoNotWantShiftReturns)) && CanChange()) {
      if (d->OnEnterPress(shift)) Change(true);
      update();
    }
    Key = 0;
    return true;
  case VK_TAB:
    if (ctrl && !alt) {
      // Typed as a tab even where the window would take Tab for moving
      // the focus.
      KeyPress(u"\t");
      Key = 0;
    }
    return true;
  default: return false;
  }
}

void TCustomRichVistaEdit::CaretKey(int &Key, Qt::KeyboardModifiers Shift, bool Refresh) {
  TRVEditRVData *d = EditData();
  const bool shift = Shift & Qt::ShiftModifier, ctrl = Shift & Qt::ControlModifier;
  auto getOut = [this](TRVGetOutDirection Dir) {
    if (OnCaretGetOut) OnCaretGetOut(this, Dir);
  };
  switch (Key) {
  case VK_PRIOR: d->MoveCaretPageUp(); break;
  case VK_NEXT: d->MoveCaretPageDown(); break;
  case VK_HOME:
    if (d->MoveCaretHome(shift, ctrl)) getOut(rvdTop);
    break;
  case VK_END:
    if (d->MoveCaretEnd(shift, ctrl)) getOut(rvdBottom);
    break;
  case VK_LEFT:
  case VK_RIGHT: {
    // Right-to-left text runs the other way: Left moves forward.
    const bool forward = (Key == VK_RIGHT) != (BiDiMode == rvbdRightToLeft);
    if (forward ? d->MoveCaretRight(shift, ctrl) : d->MoveCaretLeft(shift, ctrl)) getOut(forward ? rvdRight : rvdLeft);
    break;
  }
  case VK_UP:
    if (d->MoveCaretUp(shift, ctrl)) getOut(rvdUp);
    break;
  case VK_DOWN:
    if (d->MoveCaretDown(shift, ctrl)) getOut(rvdDown);
    break;
  default:
    if (Refresh) update();
    return;
  }
  if (shift) d->ExtendShiftSelection();
  if (Refresh) {
    d->DoSelect();
    update();
  }
  Key = 0;
}

void TCustomRichVistaEdit::KeyUp(int &Key, Qt::KeyboardModifiers Shift) {
  (void)Shift;
  if (Key == VK_CONTROL && !GetReadOnly() && EditData()->InJumpMode()) {
    EditData()->LeaveJumpMode();
    GenerateMouseMove();
    update();
  }
}

void TCustomRichVistaEdit::KeyPress(std::u16string_view Text) {
  TRVEditRVData *d = EditData();
  if (Text.empty()) return;
  const char16_t c = Text.front();
  if (c == u'\r' || c == u'\n') {
    if (EditorOptions.Has(rvoDoNotWantReturns)) d->Beep();
    return;
  }
  if ((c < 0x20 && c != u'\t') || c == 0x7F) return;
  if (!CanChange()) return;
  if (d->SelectionExists()) DeleteSelection();
  if (c == u'\t') {
    const int n = Style ? std::max<int>(0, Style->SpacesInTab()) : 8;
    InsertText(std::string(size_t(n), ' '));
    return;
  }
  // Typing reports its own change.
  d->InsertTypedText(Text);
  update();
}

void TCustomRichVistaEdit::CutToClipboard() {
  TCustomRichVistaEdit *e = InnermostEditor();
  if (!e->EditData()->SelectionExists() || !e->CanChange()) return;
  e->CopyDef();
  e->DeleteSelection();
}

void TCustomRichVistaEdit::CopyToClipboard() { InnermostEditor()->CopyDef(); }

void TCustomRichVistaEdit::keyPressEvent(QKeyEvent *Event) {
  try {
    int key = KeyCodeOf(*Event);
    const Qt::KeyboardModifiers mods = ModsOf(*Event);
    // Enter left to the window (its default button) when the editor takes
    // no returns.
    if (key == VK_RETURN && EditorOptions.Has(rvoDoNotWantReturns)) {
      Event->ignore();
      return;
    }
    KeyDown(key, mods);
    Event->accept();
    if (key == 0) return;
    // Ctrl or Alt alone make a shortcut, not a character; Ctrl+Alt is AltGr
    // on some keyboards and types.
    const bool ctrl = mods & Qt::ControlModifier, alt = mods & Qt::AltModifier;
    if (ctrl != alt) return;
    const QString text = Event->text();
    if (text.isEmpty()) return;
    if (key == VK_TAB) {
      if (!EditorOptions.Has(rvoWantTabs) || (mods & (Qt::ControlModifier | Qt::AltModifier))) {
        Event->ignore();
        return;
      }
      KeyPress(u"\t");
      return;
    }
    const std::u16string typed(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
    if (typed.front() >= 0x20 && typed.front() != 0x7F) SwitchToDefUnicodeStyle();
    // Several units at once (a surrogate pair, a composed sequence) go in
    // as one step; control characters are sorted out by KeyPress.
    if (typed.size() == 1 || (typed.size() == 2 && QChar::isHighSurrogate(typed[0]))) {
      KeyPress(typed);
    } else if (typed.front() >= 0x20) {
      InsertTextW(typed);
    }
  } catch (...) {
    LogCaughtException("key");
  }
}

void TCustomRichVistaEdit::contextMenuEvent(QContextMenuEvent *Event) {
  Event->accept();
  if (Event->reason() == QContextMenuEvent::Mouse || !OnContextPopup) return;
  const QRect caret = CaretRect();
  const QPoint p = caret.isEmpty() ? QPoint(0, 0) : caret.bottomLeft();
  OnContextPopup(this, p.x(), p.y());
}

void TCustomRichVistaEdit::keyReleaseEvent(QKeyEvent *Event) {
  try {
    int key = KeyCodeOf(*Event);
    KeyUp(key, ModsOf(*Event));
  } catch (...) {
    LogCaughtException("key");
  }
  TCustomRichVista::keyReleaseEvent(Event);
}

} // namespace kc
