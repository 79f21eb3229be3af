#include "ui/fmKavetChatSettings.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QToolTip>
#include <QWidget>

#include <string>
#include <vector>

#include "core/iniFileUn.h"
#include "toolbars/TBarCommon.h"
#include "toolbars/TBarDockPositions.h"
#include "ui/fmKavetChatActions.h"

namespace kc {

namespace {

// The language submenu's items as the language store takes them.
std::vector<TLanguageItem> LanguageItems(const TMainActionList &Actions) {
  std::vector<TLanguageItem> items;
  if (!Actions.tbsiLanguage) return items;
  for (int i = 0; i < Actions.tbsiLanguage->Count(); ++i) {
    const tb::TTBCustomItem *item = Actions.tbsiLanguage->ItemAt(i);
    items.push_back({item->Hint().toStdString(), item->Checked()});
  }
  return items;
}

void LoadLanguage(std::string_view Key, TMainActionList &Actions) {
  std::vector<TLanguageItem> items = LanguageItems(Actions);
  if (items.empty()) return;
  LoadLanguageName(Key, items);
  for (size_t i = 0; i < items.size(); ++i) Actions.tbsiLanguage->ItemAt(int(i))->SetChecked(items[i].Checked);
}

void ApplyCheckedLanguage(TMainActionList &Actions, IMainWindowActions &Window) {
  if (!Actions.tbsiLanguage) return;
  for (int i = 0; i < Actions.tbsiLanguage->Count(); ++i) {
    const tb::TTBCustomItem *item = Actions.tbsiLanguage->ItemAt(i);
    if (item->Checked()) {
      Window.ApplyLanguage(item->Hint().toStdString());
      return;
    }
  }
}

void Check(tb::TTBAction &Action, bool Checked) { Action.SetChecked(Checked); }

class HintSwitch final : public QObject {
public:
  explicit HintSwitch(QObject *Parent) : QObject(Parent) {}
  bool On = true;

protected:
  bool eventFilter(QObject *, QEvent *Event) override { return !On && Event->type() == QEvent::ToolTip; }
};

QPointer<HintSwitch> g_hints; // lives as long as the application

} // namespace

void LoadMainSettings(std::string_view Key, TMainActionList &Actions, IMainWindowActions &Window) {
  if (QWidget *form = Window.MainForm()) {
    const TFormBounds b = LoadMainFormPosition(Key);
    form->move(b.Left, b.Top);
    form->resize(b.Width, b.Height);
    LoadToolbarLayout(Key, tb::DockablePositionsLoader(form));
  }

  bool value = Actions.actHideProgramm.Checked();
  LoadHideInTrey(Key, value);
  Check(Actions.actHideProgramm, value);
  Window.ApplyMinimizeToTray(value);

  LoadLanguage(Key, Actions);

  value = Actions.actShowUserList.Checked();
  LoadShowUserList(Key, value);
  Check(Actions.actShowUserList, value);

  ApplyCheckedLanguage(Actions, Window);

  bool big = Actions.actBtnBigIcon.Checked(), little = Actions.actBtnLitleIcon.Checked(),
       showText = Actions.actShowText.Checked();
  LoadButtonsOptions(Key, big, little, showText);
  Check(Actions.actBtnBigIcon, big);
  Check(Actions.actBtnLitleIcon, little);
  Check(Actions.actShowText, showText);
  Actions.ApplyButtonSize(big);
  Actions.ApplyShowText(showText);

  bool ip = Actions.actShowUserIPWhenMessage.Checked(), time = Actions.actShowDataTimewhenMessage.Checked(),
       picture = Actions.actShowPictureWhenMessage.Checked();
  LoadShowMessageType(Key, ip, time, picture);
  Check(Actions.actShowUserIPWhenMessage, ip);
  Check(Actions.actShowDataTimewhenMessage, time);
  Check(Actions.actShowPictureWhenMessage, picture);
  Window.ApplyMessageFormat(ip, time, picture);

  bool start = false, connect = false, message = false, disconnect = false;
  LoadPlaySound(Key, start, connect, message, disconnect);
  Check(Actions.actSoundKavetChat, start);
  Check(Actions.actSoundUserConnect, connect);
  Check(Actions.actSoundNewMessage, message);
  Check(Actions.actSoundUserDisconnect, disconnect);

  Check(Actions.actStopAnimation, LoadStopGifAnimation(Key));
  Actions.StopGifAnimation = Actions.actStopAnimation.Checked();
  Check(Actions.actShowAnimation, LoadShowGifAnimation(Key));
  Actions.HideGifAnimation = Actions.actShowAnimation.Checked();
  Window.SetGifAnimationFlags(Actions.StopGifAnimation, Actions.HideGifAnimation);

  SetApplicationShowHint(LoadShowHint(Key));
  Check(Actions.actShowHint, ApplicationShowHint());
}

void SaveMainSettings(std::string_view Key, TMainActionList &Actions, IMainWindowActions &Window) {
  if (QWidget *form = Window.MainForm()) {
    SaveToolbarLayout(Key, tb::DockablePositionsSaver(form));
    SaveFormPosition(Key, kMainFormClass, {form->x(), form->y(), form->width(), form->height()});
  }
  SaveStayOnTop(Key, Actions.actStayOnTop.Checked());
  SaveStayOnTopUserList(Key, Actions.actStayOnTopUserList.Checked());
  SaveLanguageName(Key, LanguageItems(Actions));
  SaveShowUserList(Key, Actions.actShowUserList.Checked());
  SaveHideInTrey(Key, Actions.actHideProgramm.Checked());
  SaveShowHint(Key, ApplicationShowHint());
  SavePlaySound(Key, Actions.actSoundKavetChat.Checked(), Actions.actSoundUserConnect.Checked(),
                Actions.actSoundNewMessage.Checked(), Actions.actSoundUserDisconnect.Checked());
  SaveButtonsOptions(Key, Actions.actBtnBigIcon.Checked(), Actions.actBtnLitleIcon.Checked(),
                     Actions.actShowText.Checked());
  SaveShowMessageType(Key, Actions.actShowUserIPWhenMessage.Checked(), Actions.actShowDataTimewhenMessage.Checked(),
                      Actions.actShowPictureWhenMessage.Checked());
  SaveStopGifAnimation(Key, Actions.actStopAnimation.Checked());
  SaveShowGifAnimation(Key, Actions.actShowAnimation.Checked());
}

void ApplyStoredStayOnTop(std::string_view Key, TMainActionList &Actions, IMainWindowActions &Window) {
  bool main = Actions.actStayOnTop.Checked(), userList = Actions.actStayOnTopUserList.Checked();
  LoadStayOnTop(Key, main);
  LoadStayOnTopUserList(Key, userList);
  Check(Actions.actStayOnTop, main);
  Check(Actions.actStayOnTopUserList, userList);
  ApplyStayOnTop(Window.MainForm(), main);
  ApplyStayOnTop(Window.UserListForm(), userList);
}

void ApplyStayOnTop(QWidget *Form, bool On) {
  if (!Form) return;
  if (bool(Form->windowFlags() & Qt::WindowStaysOnTopHint) == On) return;
  // Changing a window's flags hides it: show it again where it was.
  const bool visible = Form->isVisible();
  const QPoint pos = Form->pos();
  Form->setWindowFlag(Qt::WindowStaysOnTopHint, On);
  if (visible) {
    Form->move(pos);
    Form->show();
  }
}

void SetApplicationShowHint(bool On) {
  if (!g_hints) {
    if (On) return;
    if (!qApp) return;
    g_hints = new HintSwitch(qApp);
    qApp->installEventFilter(g_hints);
  }
  g_hints->On = On;
  tb::SetMenuHintsShown(On);
  if (!On) QToolTip::hideText();
}

bool ApplicationShowHint() { return !g_hints || g_hints->On; }

} // namespace kc
