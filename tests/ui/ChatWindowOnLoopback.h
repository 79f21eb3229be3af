#pragma once
// A main window whose network runs on 127.0.0.1 with a free port; what it
// sends goes to 127.0.0.2, where the test's sniffer reads it. Stores, data
// and resources are in a folder of the test's own.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/LngUn.h"
#include "core/ProtocolUn.h"
#include "core/SendMessageUn.h"
#include "platform/UdpSocket.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/fmKavetChatUn.h"

namespace kctest {

inline kc::RUserID Peer(const std::string &ID, const std::string &Alias, const std::string &IP) {
  kc::RUserID r;
  r.ID = ID;
  r.ALIAS = Alias;
  r.IP = IP;
  r.IMAGEINDEX = 12;
  r.COLOR = 255;
  r.Active = 1;
  return r;
}

class ChatWindowOnLoopback : public ::testing::Test {
protected:
  void SetUp() override {
    kc::ResetMessageTexts();
    for (int attempt = 0; attempt < 5 && !w; ++attempt) {
      std::uint16_t port = 0;
      {
        kc::UdpSocket s;
        if (s.open("127.0.0.1", 0)) port = s.localPort();
      }
      if (port == 0 || !sniffer.open("127.0.0.2", port)) continue;
      kc::TNetOptions o;
      o.Port = port;
      o.ListenAddress = o.LocalIP = "127.0.0.1";
      o.SendHost = "127.0.0.2";
      w = std::make_unique<kc::TfmKavetChat>(o);
      w->CreateMainWindow();
      if (w->Host().Net().ServerActive()) break;
      w.reset();
      sniffer.close();
    }
    ASSERT_TRUE(w) << "no free port on 127.0.0.1";
    sniffer.setReadHandler([this](const std::string &d, const std::string &, std::uint16_t) { sent.push_back(d); });
    w->CreateUserList();
    pump();
    sent.clear();
  }
  void TearDown() override { w.reset(); }

  void pump(int Ms = 60) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < Ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  void in(const std::string &Text) { w->Host().Net().ProcessIncoming(Text); }
  const kc::RUserID &me() { return *w->GetUserRecord(0); }
  std::vector<std::string> sentOf(kc::TMessageKind Kind) {
    pump();
    std::vector<std::string> out;
    for (const std::string &s : sent)
      if (kc::GetMessageKind(s) == Kind) out.push_back(s);
    return out;
  }

  TempDir tmp{"kc-dialogs"};
  const std::string dir = tmp.path().string();
  ScopedEnv config{"XDG_CONFIG_HOME", dir + "/config"};
  ScopedEnv data{"XDG_DATA_HOME", dir + "/data"};
  ScopedEnv res{"KAVET_RESOURCE_DIR", dir + "/res"};
  kc::UdpSocket sniffer;
  std::vector<std::string> sent;
  std::unique_ptr<kc::TfmKavetChat> w;
};

} // namespace kctest
