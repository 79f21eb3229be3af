#include "widgets/KcStatusBar.h"

#include <QApplication>
#include <QEnterEvent>
#include <gtest/gtest.h>

#include "platform/DesktopMetrics.h"

namespace kc {
namespace {

// The main window's bar: two text panels and two status images on it.
struct MainBar : ::testing::Test {
  QWidget form;
  TKcStatusBar *bar = new TKcStatusBar(&form);
  QWidget *online = new QWidget(bar), *sound = new QWidget(bar);
  void SetUp() override {
    bar->resize(400, 20);
    bar->Panels() = {{"3 users", 100}, {"", 50}};
    online->setGeometry(102, 2, 16, 16);
    sound->setGeometry(120, 2, 16, 16);
    bar->SetAutoHint(true);
    form.show();
  }
};

TEST_F(MainBar, HintTakesTheWholeBarAndHidesTheImages) {
  EXPECT_TRUE(bar->HintAction("Send a message to everybody"));
  EXPECT_EQ(bar->ShownHint(), "Send a message to everybody");
  EXPECT_FALSE(online->isVisible());
  EXPECT_FALSE(sound->isVisible());
  EXPECT_TRUE(bar->PanelRect(0).isNull());
}

TEST(KcStatusBar, HintBeforeTheBarIsShownStillHidesTheImages) {
  TKcStatusBar bar;
  auto *image = new QWidget(&bar);
  bar.SetAutoHint(true);
  bar.HintAction("hint");
  bar.show();
  EXPECT_FALSE(image->isVisible());
  bar.HintAction("");
  EXPECT_TRUE(image->isVisible());
}

TEST_F(MainBar, BlankHintRestoresPanelsAndImages) {
  sound->hide(); // hidden before the hint: stays hidden
  bar->HintAction("Open history");
  EXPECT_FALSE(bar->HintAction("   "));
  EXPECT_TRUE(bar->ShownHint().isEmpty());
  EXPECT_TRUE(online->isVisible());
  EXPECT_FALSE(sound->isVisible());
  EXPECT_EQ(bar->PanelRect(0).left(), 0);
  EXPECT_EQ(bar->PanelRect(1).right(), 400 - 3) << "the last panel reaches the end";
}

TEST_F(MainBar, WithoutAutoHintOrInSimpleModeTheBarIgnoresHints) {
  bar->SetAutoHint(false);
  EXPECT_FALSE(bar->HintAction("x"));
  EXPECT_TRUE(online->isVisible());
  bar->SetAutoHint(true);
  bar->SetSimplePanel(true);
  EXPECT_FALSE(bar->HintAction("x"));
  EXPECT_TRUE(online->isVisible());
}

TEST_F(MainBar, MouseOverTheBarUsesItsHintColour) {
  setApplicationHintColor(clInfoBk);
  bar->SetHintColor(clLime);
  int entered = 0, left = 0;
  bar->OnMouseEnter = [&](TKcStatusBar *) { ++entered; };
  bar->OnMouseLeave = [&](TKcStatusBar *) { ++left; };
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(bar, &enter);
  EXPECT_EQ(applicationHintColor(), clLime);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(bar, &leave);
  EXPECT_EQ(applicationHintColor(), clInfoBk);
  EXPECT_EQ(entered + left, 2);
}

TEST_F(MainBar, PanelTextIsDrawn) {
  bar->SetPanelText(0, "Away");
  bar->SetPanelText(7, "ignored");
  const QImage shot = bar->grab().toImage();
  bool ink = false;
  const QRect r = bar->PanelRect(0).adjusted(3, 3, -3, -3);
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) ink |= qGray(shot.pixel(x, y)) < 80;
  EXPECT_TRUE(ink);
}

TEST(KcStatusBar, PanelsThatFitTheirTextWidenToItAtTheBarsFont) {
  const struct {
    const char *name;
    QString text;
    bool fit;
    int pointSize;
  } rows[] = {
      {"address at the usual font", "IP: 127.0.0.1", true, 9},
      {"address at a large font", "IP: 127.0.0.1", true, 16},
      {"short text keeps the least width", "a", true, 9},
      {"empty text keeps the least width", "", true, 9},
      {"a fixed panel cuts its text", "IP: 127.0.0.1", false, 9},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    TKcStatusBar bar;
    QFont font = bar.font();
    font.setPointSize(row.pointSize);
    bar.setFont(font);
    bar.resize(600, 24);
    bar.Panels() = {{"", 18}, {row.text, 50, row.fit}, {"notice", 50}};
    const int need = bar.fontMetrics().horizontalAdvance(row.text);
    const QRect r = bar.PanelRect(1);
    if (row.fit) {
      EXPECT_GE(r.width() - 4, need) << "the text and its margins fit";
    }
    EXPECT_GE(r.width(), 50 - 2);
    if (!row.fit || need + 8 <= 50) {
      EXPECT_EQ(bar.PanelWidth(1), 50);
    }
    EXPECT_EQ(bar.PanelRect(2).left(), 18 + bar.PanelWidth(1)) << "the next panel starts after it";
  }
}

} // namespace
} // namespace kc
