#include "support/EventPump.h"
#include "support/TempDir.h"
#include "core/KcInstanceChecker.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace kc;

using kctest::fromOtherCopy;
using kctest::pumpEvents;

namespace {

TEST(KcDataStorageTest, DeleteMovesTheLastRecordIntoTheGap) {
  TKcDataStorage storage;
  auto *a = storage.Add("a");
  auto *b = storage.Add("b");
  auto *c = storage.Add("c");
  EXPECT_EQ(b->Index, 1);
  storage.Delete(b);
  ASSERT_EQ(storage.Count(), 2);
  EXPECT_EQ(storage.Items(0), a);
  EXPECT_EQ(storage.Items(1), c);
  EXPECT_EQ(c->Index, 1);
  storage.Delete(c); // the last one
  EXPECT_EQ(storage.Count(), 1);
  EXPECT_EQ(storage.Find(reinterpret_cast<std::uintptr_t>(a)), a);
  EXPECT_EQ(storage.Find(0), nullptr);
  EXPECT_EQ(storage.Find(0xdeadbeef), nullptr);
  storage.Add("left for the destructor");
}

class KcInstanceCheckerTest : public ::testing::Test {
protected:
  kctest::TempDir tmp{"kcchecker"};

  std::unique_ptr<TKcInstanceChecker> checker() {
    auto c = std::make_unique<TKcInstanceChecker>("{TEST-NAME", folder);
    c->SetTimeout(2000);
    return c;
  }
  const std::string folder = tmp.path().string();
};

TEST_F(KcInstanceCheckerTest, LaterCopyHandsItsTextsToTheFirst) {
  auto first = checker();
  std::vector<std::string> got;
  first->OnProcessData = [&](TKcInstanceChecker *sender, const std::string &data) {
    EXPECT_EQ(sender, first.get());
    got.push_back(data);
  };
  ASSERT_TRUE(first->ClaimFirstInstance());
  EXPECT_TRUE(first->ClaimFirstInstance());
  EXPECT_TRUE(first->FirstInstance());

  auto later = checker();
  EXPECT_FALSE(later->ClaimFirstInstance());
  EXPECT_EQ(later->FindFirstInstanceWindow(), first->Handle());

  const std::string bytes("\x00\xff\x80\r\n tail", 10);
  const std::vector<std::string> texts = {"Restart of appendix Kavet Chat", "", bytes};
  for (const std::string &t : texts) EXPECT_TRUE(fromOtherCopy([&] { return later->PostDataToFirstInstance(t); })) << t;
  // Received texts wait in the storage for the posted turn.
  pumpEvents();
  EXPECT_EQ(got, texts);
  EXPECT_EQ(first->DataStorage().Count(), 0);
}

TEST_F(KcInstanceCheckerTest, TextWithoutHandlerIsDropped) {
  auto first = checker();
  ASSERT_TRUE(first->ClaimFirstInstance());
  auto later = checker();
  EXPECT_TRUE(fromOtherCopy([&] { return later->PostDataToFirstInstance("x"); }));
  pumpEvents();
  EXPECT_EQ(first->DataStorage().Count(), 0);
}

TEST_F(KcInstanceCheckerTest, PostingToSelfRaises) {
  auto first = checker();
  ASSERT_TRUE(first->ClaimFirstInstance());
  try {
    first->PostDataToFirstInstance("x");
    FAIL() << "no exception";
  } catch (const EKcInstanceChecker &e) {
    EXPECT_STREQ(e.what(), "InstanceChecker can not post data to self");
  }
}

TEST_F(KcInstanceCheckerTest, NoFirstCopy) {
  auto alone = checker();
  EXPECT_EQ(alone->FindFirstInstanceWindow(), 0u);
  EXPECT_FALSE(alone->PostDataToFirstInstance("x"));
  EXPECT_EQ(alone->SendMessage(0, WM_USER, 123, 45), 0);
}

TEST_F(KcInstanceCheckerTest, ForeignWmUserIsNotTakenForAQueuedText) {
  auto first = checker();
  std::vector<std::string> got;
  first->OnProcessData = [&](TKcInstanceChecker *, const std::string &d) { got.push_back(d); };
  ASSERT_TRUE(first->ClaimFirstInstance());
  auto later = checker();
  // Another process sends the hidden window WM_USER with made-up wParams
  // while a real text waits for its turn.
  auto results = fromOtherCopy([&] {
    std::vector<std::int64_t> r;
    r.push_back(later->PostDataToFirstInstance("real") ? 1 : 0);
    for (std::uint64_t w : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{0xdeadbeefcafe}})
      r.push_back(later->SendMessage(first->Handle(), WM_USER, w, 0));
    return r;
  });
  EXPECT_EQ(results, (std::vector<std::int64_t>{1, 0, 0, 0}));
  pumpEvents();
  EXPECT_EQ(got, std::vector<std::string>{"real"});
}

TEST_F(KcInstanceCheckerTest, FreeingTheFirstCopyLetsTheNextOneClaim) {
  auto first = checker();
  ASSERT_TRUE(first->ClaimFirstInstance());
  auto next = checker();
  EXPECT_FALSE(next->ClaimFirstInstance());
  first.reset();
  EXPECT_TRUE(next->ClaimFirstInstance());
  next->ReleaseFirstInstance();
  EXPECT_FALSE(next->FirstInstance());
  EXPECT_EQ(checker()->FindFirstInstanceWindow(), 0u);
}

} // namespace
