#pragma once
// A main window for the actions: a real top-level widget with the two
// docks, recording every call the actions make of the window as a line.
#include <QWidget>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ImageList.h"
#include "toolbars/TBarDock.h"
#include "ui/fmKavetChatActions.h"

namespace kctest {

class MainWindowDouble : public kc::IMainWindowActions {
public:
  MainWindowDouble() : hot32(32, 32), hot16(16, 16) {
    form = std::make_unique<QWidget>();
    form->setObjectName(QStringLiteral("fmKavetChat"));
    form->resize(475, 309);
    top = new kc::tb::TTBDock(form.get(), kc::tb::dpTop);
    top->setObjectName(QStringLiteral("TBDockMainTop"));
    top->SetLimitToOneRow(true);
    bottom = new kc::tb::TTBDock(form.get(), kc::tb::dpBottom);
    bottom->setObjectName(QStringLiteral("TBDockMainBotton"));
    bottom->SetLimitToOneRow(true);
  }

  std::unique_ptr<QWidget> form;
  QWidget *userList = nullptr;
  kc::tb::TTBDock *top = nullptr, *bottom = nullptr;
  kc::TCustomImageList hot32, hot16;
  std::vector<std::string> calls;
  int activeTab = 0;
  std::vector<kc::RUserID> users;

  QWidget *MainForm() override { return form.get(); }
  QWidget *UserListForm() override { return userList; }
  void ShowMainWindow() override { calls.push_back("ShowMainWindow"); }
  void CloseMainWindow() override { calls.push_back("CloseMainWindow"); }
  int ActiveTab() const override { return activeTab; }
  bool failSend = false; // the send throws, as a failing window would
  void SendTalkMessage() override {
    calls.push_back("SendTalkMessage");
    if (failSend) throw std::runtime_error("send failed");
  }
  void CloseTalk(int Tab) override { calls.push_back("CloseTalk " + std::to_string(Tab)); }
  void SaveTalkHistory(int Tab) override { calls.push_back("SaveTalkHistory " + std::to_string(Tab)); }
  void ClearTranscript(int Tab) override { calls.push_back("ClearTranscript " + std::to_string(Tab)); }
  kc::TCustomImageList *HotImages(bool Big) override { return Big ? &hot32 : &hot16; }
  void ApplyTalkButtonSize(bool Big) override {
    calls.push_back(std::string("ApplyTalkButtonSize ") + (Big ? "1" : "0"));
  }
  void SetGifAnimationFlags(bool Stop, bool Hide) override {
    calls.push_back(std::string("SetGifAnimationFlags ") + (Stop ? "1" : "0") + (Hide ? "1" : "0"));
  }
  void AnimateTranscriptGifs(bool Animate) override {
    calls.push_back(std::string("AnimateTranscriptGifs ") + (Animate ? "1" : "0"));
  }
  void ShowTranscriptGifs(bool Show) override {
    calls.push_back(std::string("ShowTranscriptGifs ") + (Show ? "1" : "0"));
  }
  void ApplyMessageFormat(bool IP, bool Time, bool Picture) override {
    calls.push_back(std::string("ApplyMessageFormat ") + (IP ? "1" : "0") + (Time ? "1" : "0") + (Picture ? "1" : "0"));
  }
  void ApplyMinimizeToTray(bool On) override {
    calls.push_back(std::string("ApplyMinimizeToTray ") + (On ? "1" : "0"));
  }
  void ApplyLanguage(const std::string &Path) override { calls.push_back("ApplyLanguage " + Path); }
  int UserCount() const override { return int(users.size()); }
  const kc::RUserID *UserRecord(int Index) const override {
    return Index >= 0 && Index < int(users.size()) ? &users[size_t(Index)] : nullptr;
  }

  // The calls whose line starts with Prefix.
  std::vector<std::string> CallsOf(const std::string &Prefix) const {
    std::vector<std::string> out;
    for (const std::string &c : calls)
      if (c.rfind(Prefix, 0) == 0) out.push_back(c);
    return out;
  }
};

} // namespace kctest
