// The emoticon and user-picture palettes: what they offer, where they open
// (left or up at a screen edge, on the screen of their toolbar), what a click
// inserts or hands on, and that they close and go when they should.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include <algorithm>

#include "MarkupFixture.h"
#include "platform/Screen.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "toolbars/TBarToolbar.h"
#include "ui/fmKavetChatUn.h"
#include "ui/fmSelectPictureMoodUn.h"
#include "ui/fmSelectPictureUn.h"
#include "ui/frConnectUserUn.h"
#include "widgets/KcImageSquare.h"
#include "widgets/KcTransparentButton.h"

namespace {

using namespace kc;
using kctest::ChatDesk;
using kctest::Describe;

void flushDeletes() { QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

TEST(PlaceAtButton, OpensLeftOrUpAtTheEdgesOfItsScreen) {
  const QRect left(0, 0, 1000, 800), right(1000, 0, 800, 600);
  const QSize size(224, 150);
  struct Row {
    const char *name;
    QPoint at;
    QRect area;
    QPoint expected;
  } rows[] = {
      {"room on both sides", {100, 100}, left, {100, 100}},
      {"right edge: opens to the left", {900, 100}, left, {676, 100}},
      {"bottom edge: opens upwards", {100, 700}, left, {100, 550}},
      {"corner: left and up", {900, 700}, left, {676, 550}},
      {"just fits", {776, 650}, left, {776, 650}},
      {"second screen, its own bottom", {1100, 500}, right, {1100, 350}},
      {"second screen, its own right edge", {1700, 100}, right, {1476, 100}},
  };
  for (const Row &r : rows) EXPECT_EQ(PlaceAtButton(r.at, size, r.area), r.expected) << r.name;
}

TEST(StillPalette, OffersTwentyFourEmoticonsButNeverImage34) {
  ChatDesk desk;
  auto *p = new TfmSelectPictureMood(&desk.profiles);
  const std::vector<int> offered = p->Pictures();
  EXPECT_EQ(offered, std::vector<int>(TfmSelectPictureMood::kImages.begin(), TfmSelectPictureMood::kImages.end()));
  EXPECT_EQ(offered.size(), 24u);
  EXPECT_EQ(std::count(offered.begin(), offered.end(), 34), 0);
  for (int image = 25; image <= 49; ++image)
    EXPECT_EQ(std::count(offered.begin(), offered.end(), image), image == 34 ? 0 : 1) << image;
  EXPECT_EQ(p->size(), QSize(224, 150));
  // Six columns on a 37-pixel grid from (1, 1).
  EXPECT_EQ(p->Cell(7)->geometry().topLeft(), QPoint(1 + 37, 1 + 37));
  delete p;
}

TEST(StillPalette, AClickAppendsAtTheEndAndTheOpenerFollows) {
  ChatDesk desk;
  TRichVistaEdit &input = desk.NewBox();
  input.AddTextParagraph("ab", 0, 0);
  input.AddTextParagraph("cd", 0, 0);
  input.ReformatDocument();
  // The caret in the first paragraph: the picture still goes to the end.
  input.SetSelectionBounds(0, 1, 0, 1);
  std::vector<bool> open;
  QPointer<TfmSelectPictureMood> p = new TfmSelectPictureMood(&desk.profiles);
  p->OnOpenChanged = [&](bool On) { open.push_back(On); };
  p->Popup(&input, QPoint(10, 10), QRect(0, 0, 1000, 800));
  EXPECT_TRUE(p->isVisible());
  p->Cell(20)->OnClick(p->Cell(20)); // image 33
  EXPECT_EQ(Describe(input), "|\"ab\" |\"cd\" B33");
  EXPECT_EQ(open, (std::vector<bool>{true, false}));
  flushDeletes();
  EXPECT_TRUE(p.isNull()) << "made for one use";
}

TEST(StillPalette, EscapeClosesAndLaterKeysAreSwallowed) {
  ChatDesk desk;
  TRichVistaEdit &input = desk.NewBox();
  std::vector<bool> open;
  QPointer<TfmSelectPictureMood> p = new TfmSelectPictureMood(&desk.profiles);
  p->OnOpenChanged = [&](bool On) { open.push_back(On); };
  p->Popup(&input, QPoint(10, 10), QRect(0, 0, 1000, 800));
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(p.data(), &escape);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(p.data(), &enter);
  EXPECT_EQ(open, (std::vector<bool>{true, false}));
  EXPECT_EQ(Describe(input), "");
  flushDeletes();
  EXPECT_TRUE(p.isNull());
}

TEST(UserPicturePalette, OffersElevenToTwentyFourAndNoPictureLast) {
  ChatDesk desk;
  struct Row {
    const char *name;
    int cell;
    int picked;
  } rows[] = {{"first picture", 0, 11}, {"last picture", 13, 24}, {"the no-picture cell", 14, -1}};
  for (const Row &r : rows) {
    TKcTransparentButton button;
    QPointer<TfmSelectPicture> p = new TfmSelectPicture(&desk.profiles);
    EXPECT_EQ(p->CellCount(), 15) << r.name;
    EXPECT_EQ(p->Pictures().back(), -1) << r.name;
    EXPECT_EQ(p->size(), QSize(187, 113)) << r.name;
    std::vector<int> picked;
    p->OnPick = [&](int Index) { picked.push_back(Index); };
    p->Popup(&button, QPoint(0, 0), QRect(0, 0, 1000, 800));
    EXPECT_TRUE(button.Down()) << r.name << ": the opener shows pressed while open";
    p->Cell(r.cell)->OnClick(p->Cell(r.cell));
    EXPECT_EQ(picked, std::vector<int>{r.picked}) << r.name;
    EXPECT_FALSE(button.Down()) << r.name;
    flushDeletes();
    EXPECT_TRUE(p.isNull()) << r.name;
  }
}

class PickerWindowTest : public ::testing::Test {
protected:
  PickerWindowTest() : config("XDG_CONFIG_HOME", dir.file("config")), data("XDG_DATA_HOME", dir.file("data")) {
    TNetOptions o;
    o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
    w = std::make_unique<TfmKavetChat>(o);
    RUserID me;
    me.ID = "{ANNA}";
    me.IP = "198.18.0.1";
    w->Users().Append(me);
    w->CreateGifCatalogue();
    w->setGeometry(100, 100, 475, 309);
    TTalkFrame all;
    w->OpenTalkTab("All Users", 1, all);
    w->show();
  }
  ~PickerWindowTest() override {
    if (w->StillPicker()) delete w->StillPicker();
    w.reset();
  }
  QPoint toolbarPoint(int X) { return w->Frame(0)->tbSendMessage->mapToGlobal(QPoint(X, 32)); }

  kctest::TempDir dir{"kc-pickers"};
  kctest::ScopedEnv config, data;
  std::unique_ptr<TfmKavetChat> w;
  tb::TTBItem button;
};

TEST_F(PickerWindowTest, ThePalettesOpenAtTheirButtonsOnTheToolbarsScreen) {
  TMainActionList &a = w->ActionList();
  ASSERT_TRUE(a.actSelectImageMood.Enabled());
  ASSERT_TRUE(a.actSelectGifMood.Enabled());
  // A shortcut or a menu opens nothing: only a toolbar button does.
  a.actSelectImageMood.Execute(nullptr);
  EXPECT_EQ(w->StillPicker(), nullptr);

  const QPoint still = toolbarPoint(64), animated = toolbarPoint(96);
  struct Row {
    const char *name;
    QRect screen;
    QPoint stillAt, animatedAt;
  } rows[] = {
      {"room enough", QRect(0, 0, 3000, 3000), still, animated},
      {"right edge near", QRect(0, 0, still.x() + 100, 3000), still - QPoint(224, 0), animated - QPoint(211, 0)},
      {"bottom edge near", QRect(0, 0, 3000, still.y() + 50), still - QPoint(0, 150), animated - QPoint(0, 146)},
  };
  for (const Row &r : rows) {
    MonitorsOverride monitors({Monitor{r.screen, r.screen}});
    a.actSelectImageMood.Execute(&button);
    ASSERT_NE(w->StillPicker(), nullptr) << r.name;
    EXPECT_EQ(w->StillPicker()->pos(), r.stillAt) << r.name;
    EXPECT_TRUE(a.actSelectImageMood.Checked()) << r.name;
    w->StillPicker()->ClosePalette();
    EXPECT_FALSE(a.actSelectImageMood.Checked()) << r.name;
    flushDeletes();

    a.actSelectGifMood.Execute(&button);
    EXPECT_TRUE(w->fmSelectPictureGIFMood->isVisible()) << r.name;
    EXPECT_EQ(w->fmSelectPictureGIFMood->pos(), r.animatedAt) << r.name;
    EXPECT_TRUE(a.actSelectGifMood.Checked()) << r.name;
    EXPECT_EQ(w->fmSelectPictureGIFMood->Target(), w->GetInputBox(0)) << r.name;
    w->fmSelectPictureGIFMood->ClosePalette();
    EXPECT_FALSE(a.actSelectGifMood.Checked()) << r.name;
  }
}

TEST_F(PickerWindowTest, AStillEmoticonGoesIntoTheActiveInputBox) {
  w->ActionList().actSelectImageMood.Execute(&button);
  TfmSelectPictureMood *p = w->StillPicker();
  ASSERT_NE(p, nullptr);
  p->Cell(0)->OnClick(p->Cell(0));
  EXPECT_EQ(w->DocumentToText(0), "{[!BULLET!]}25{[/!BULLET!]}");
  flushDeletes();
  EXPECT_EQ(w->StillPicker(), nullptr);
}

} // namespace
