// The main window's emoticon palettes: the still emoticons (made for each
// use) and the animated ones (the catalogue made at start-up), opened from
// the send toolbar of the active talk at its buttons, on the screen that
// holds the toolbar.
#include "platform/Screen.h"
#include "richtext/controls/RichVistaEdit.h"
#include "toolbars/TBarToolbar.h"
#include "ui/fmErrorUn.h"
#include "ui/fmKavetChatUn.h"
#include "ui/fmSelectPictureGIFMoodUn.h"
#include "ui/fmSelectPictureMoodUn.h"
#include "ui/frConnectUserUn.h"

namespace kc {

using namespace kc::tb;

void TfmKavetChat::WirePickers() {
  TMainActionList &a = *FActions;
  // Only the buttons of a send toolbar open a palette (not a shortcut).
  a.actSelectImageMood.OnExecute = [this](TTBCustomItem *Sender) {
    try {
      if (Sender) OpenPicker(false);
    } catch (...) {
      ApplicationEventsException(this, ExceptionMessage(std::current_exception()));
    }
  };
  a.actSelectGifMood.OnExecute = [this](TTBCustomItem *Sender) {
    try {
      if (Sender) OpenPicker(true);
    } catch (...) {
      ApplicationEventsException(this, ExceptionMessage(std::current_exception()));
    }
  };
  a.actSelectImageMood.SetEnabled(true);
  a.actSelectGifMood.SetEnabled(true);
}

TfmSelectPictureMood *TfmKavetChat::StillPicker() const { return FStillPicker.data(); }

void TfmKavetChat::OpenPicker(bool Animated) {
  TfrConnectUser *f = Frame(ActiveTab());
  if (!f || f->reMessage->ReadOnly()) return;
  TCustomRichVistaEdit *box = f->reMessage;
  QWidget *bar = f->tbSendMessage;
  const QPoint at = bar->mapToGlobal(QPoint(Animated ? 96 : 64, 32));
  // The screen that holds the toolbar, not the primary one.
  const QRect area = monitorWorkAreaOf(QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size()));
  TTBAction *action = Animated ? &FActions->actSelectGifMood : &FActions->actSelectImageMood;
  if (Animated) {
    TfmSelectPictureGIFMood *catalogue = fmSelectPictureGIFMood.get();
    if (!catalogue) return;
    catalogue->StopAllAnimations();
    catalogue->OnOpenChanged = [action](bool Open) { action->SetChecked(Open); };
    catalogue->Popup(box, PlaceAtButton(at, catalogue->size(), area));
    return;
  }
  if (FStillPicker) FStillPicker->ClosePalette();
  auto *picker = new TfmSelectPictureMood(&ilProfilesImage, this);
  picker->OnOpenChanged = [action](bool Open) { action->SetChecked(Open); };
  FStillPicker = picker;
  picker->Popup(box, at, area);
}

} // namespace kc
