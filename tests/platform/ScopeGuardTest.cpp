#include "platform/ScopeGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace kc;

namespace {

enum class Exit { Normal, Throw };
enum class Kind { Always, AlwaysDismissed, OnFailure };

// Leaves a scope holding one guard of the kind, the normal way or by a throw;
// whether the guard's work ran.
bool RanOn(Kind K, Exit E) {
  bool ran = false;
  try {
    if (K == Kind::OnFailure) {
      const FailureGuard g([&] { ran = true; });
      if (E == Exit::Throw) throw std::runtime_error("body");
    } else {
      ScopeGuard g([&] { ran = true; });
      if (K == Kind::AlwaysDismissed) g.Dismiss();
      if (E == Exit::Throw) throw std::runtime_error("body");
    }
  } catch (const std::runtime_error &) {
  }
  return ran;
}

} // namespace

TEST(ScopeGuard, RunsOnTheExitsItIsFor) {
  const struct {
    const char *name;
    Kind kind;
    Exit exit;
    bool runs;
  } cases[] = {
      {"always, normal exit", Kind::Always, Exit::Normal, true},
      {"always, thrown", Kind::Always, Exit::Throw, true},
      {"dismissed, normal exit", Kind::AlwaysDismissed, Exit::Normal, false},
      {"dismissed, thrown", Kind::AlwaysDismissed, Exit::Throw, false},
      {"on failure, normal exit", Kind::OnFailure, Exit::Normal, false},
      {"on failure, thrown", Kind::OnFailure, Exit::Throw, true},
  };
  for (const auto &c : cases) EXPECT_EQ(RanOn(c.kind, c.exit), c.runs) << c.name;
}

TEST(ScopeGuard, AFailingCleanUpReachesTheCallerOnANormalExit) {
  EXPECT_THROW({ const ScopeGuard g([] { throw std::logic_error("clean-up"); }); }, std::logic_error);
}

TEST(ScopeGuard, AFailingCleanUpDuringAFailureIsLoggedAndTheFirstFailureGoesOn) {
  std::vector<std::string> lines;
  SetLogSink([&](const std::string &l) { lines.push_back(l); });
  std::string caught;
  try {
    const ScopeGuard g([] { throw std::logic_error("clean-up"); });
    throw std::runtime_error("body");
  } catch (const std::exception &e) {
    caught = e.what();
  }
  SetLogSink(nullptr);
  EXPECT_EQ(caught, "body");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("clean-up"), std::string::npos) << lines[0];
}

TEST(ScopeGuard, AGuardInsideACatchBlockRunsOnItsOwnScopesExit) {
  // The exception being handled is not one leaving the guard's scope.
  bool ranOnFailure = false, ranAlways = false;
  try {
    throw std::runtime_error("handled");
  } catch (...) {
    const FailureGuard f([&] { ranOnFailure = true; });
    const ScopeGuard a([&] { ranAlways = true; });
  }
  EXPECT_FALSE(ranOnFailure);
  EXPECT_TRUE(ranAlways);
}
