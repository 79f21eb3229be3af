#include "platform/Log.h"
#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace kc;

namespace {

void pumpUntil(const std::function<bool()> &Done) {
  QElapsedTimer waited;
  waited.start();
  while (!Done() && waited.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(TerminationSignals, TheSignalReachesTheEventLoopAndAFailingCloseIsReported) {
  std::vector<std::string> lines;
  SetLogSink([&](const std::string &l) { lines.push_back(l); });
  std::vector<int> received;
  {
    TerminationSignals termination([&](int Signal) {
      received.push_back(Signal);
      if (received.size() == 1) throw std::runtime_error("close failed");
    });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    pumpUntil([&] { return received.size() == 1; });
    ASSERT_EQ(std::raise(SIGINT), 0);
    pumpUntil([&] { return received.size() == 2; });
  }
  SetLogSink(nullptr);
  EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT})) << "the second signal still came through";
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "kavetchat: termination signal: close failed");
}

} // namespace
