#pragma once
// A notification bus that records the calls instead of sending them. Its
// daemon answers at once with ids 1, 2, ... (a replacing call keeps its id),
// or holds the answers until answer() while Hold is set.
#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

#include "platform/Notifications.h"

namespace kctest {

struct NotificationLog {
  bool available = true;
  QStringList capabilities{QStringLiteral("body-markup"), QStringLiteral("actions")};
  bool hold = false;
  bool fail = false;
  std::vector<kc::NotifyCall> calls;
  std::vector<std::uint32_t> closed;
  std::deque<std::function<void()>> pending;
  std::uint32_t nextId = 1;
  kc::NotificationBus *bus = nullptr;

  // The held answers, oldest first.
  void answer() {
    while (!pending.empty()) {
      auto f = std::move(pending.front());
      pending.pop_front();
      f();
    }
  }
  // How many notifications would be on screen now.
  int onScreen() const {
    std::vector<std::uint32_t> ids;
    for (std::uint32_t id = 1; id < nextId; ++id)
      if (std::find(closed.begin(), closed.end(), id) == closed.end()) ids.push_back(id);
    return int(ids.size());
  }
};

class RecordingNotificationBus : public kc::NotificationBus {
public:
  explicit RecordingNotificationBus(std::shared_ptr<NotificationLog> Log) : FLog(std::move(Log)) { FLog->bus = this; }
  ~RecordingNotificationBus() override {
    if (FLog->bus == this) FLog->bus = nullptr;
  }
  bool available() override { return FLog->available; }
  QStringList capabilities() override { return FLog->capabilities; }
  void notify(const kc::NotifyCall &Call, std::function<void(std::optional<std::uint32_t>)> Done) override {
    FLog->calls.push_back(Call);
    std::shared_ptr<NotificationLog> log = FLog;
    const bool fail = log->fail;
    const std::uint32_t replaces = Call.replacesId;
    auto reply = [log, fail, replaces, Done = std::move(Done)] {
      if (fail) return Done(std::nullopt);
      Done(replaces != 0 ? replaces : log->nextId++);
    };
    if (FLog->hold) FLog->pending.push_back(std::move(reply));
    else reply();
  }
  void closeNotification(std::uint32_t Id) override { FLog->closed.push_back(Id); }

private:
  std::shared_ptr<NotificationLog> FLog;
};

} // namespace kctest
