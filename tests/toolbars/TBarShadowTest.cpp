// The shadows of a skinned popup on a screen scaled to 200 %: what each
// shadow window shows, laid over a backdrop of one colour, is that colour
// darkened the way its style darkens (a copy of the screen, or a translucent
// strip where a compositor runs) and nothing else: no black bars, no piece
// of the popup or of another place on the screen, each logical pixel a
// whole 2 x 2 block of device pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QPixmap>

#include <cstdlib>
#include <functional>
#include <memory>

#include "platform/GuiTimer.h"
#include "platform/Screen.h"
#include "platform/TbScreenShot.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBarShadow.h"

using namespace kc;
using namespace kc::tb;

namespace {

constexpr QRgb kBackdrop = qRgb(90, 160, 220);

// A window under the whole test screen: one colour around the popup, and a
// loud one everywhere else, so a picture taken from the wrong place shows.
// It reaches well past the screen: the headless screen finds the window to
// copy from by comparing device pixels with its logical size.
class Backdrop : public QWidget {
public:
  QRect uniform;
  Backdrop() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint) {
    setGeometry(0, 0, 1000, 1000);
    show();
  }
  void Around(const QRect &Popup) {
    uniform = Popup.adjusted(-12, -12, 12, 12);
    repaint();
  }

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(255, 0, 255));
    p.fillRect(uniform, QColor(kBackdrop));
  }
};

// What a shadow window shows, over the backdrop, one device pixel to one.
QImage Picture(TShadow &Shadow) {
  const QPixmap shot = Shadow.grab();
  QImage out(shot.size(), QImage::Format_RGB32);
  out.fill(kBackdrop);
  QImage top = shot.toImage();
  top.setDevicePixelRatio(1);
  QPainter p(&out);
  p.drawImage(0, 0, top);
  return out;
}

bool Near(QRgb A, QRgb B) {
  return std::abs(qRed(A) - qRed(B)) <= 1 && std::abs(qGreen(A) - qGreen(B)) <= 1 && std::abs(qBlue(A) - qBlue(B)) <= 1;
}

// The backdrop darkened by one of the style's steps (0 leaves it as it is).
struct Look {
  const char *name;
  TTBSkins skin;
  bool composited;
  int steps;
  std::function<QRgb(int)> colour;
};

int Mix(int C, int To, int K) { return (C * (255 - K) + To * K + 127) / 255; }

} // namespace

// Menus open at once, on a clock of their own.
class ShadowPictures : public ::testing::Test {
protected:
  ShadowPictures() : settings_(NoAnimation()) {}

private:
  static TbSystemSettings NoAnimation() {
    TbSystemSettings s;
    s.menuAnimation = false;
    return s;
  }
  ManualTimerClock clock_;
  TbSystemSettingsOverride settings_;
};

TEST_F(ShadowPictures, HoldOnlyTheBackdropDarkenedAtTwiceTheScale) {
  ASSERT_DOUBLE_EQ(qApp->devicePixelRatio(), 2.0);
  ScreenOverride screen{ScreenRect{0, 0, 380, 380}, ScreenRect{0, 0, 380, 380}};
  Backdrop backdrop;
  const int r = qRed(kBackdrop), g = qGreen(kBackdrop), b = qBlue(kBackdrop);
  const Look looks[] = {
      {"OfficeXP, copied: every channel less by up to 60", tbsOfficeXP, false, 60,
       [=](int k) { return qRgb(r - k, g - k, b - k); }},
      {"OfficeXP, translucent: black over it", tbsOfficeXP, true, 60,
       [=](int k) { return qRgb(Mix(r, 0, k), Mix(g, 0, k), Mix(b, 0, k)); }},
      {"WindowsXP, copied: towards dark grey", tbsWindowsXP, false, 153,
       [=](int k) { return qRgb(Mix(r, 30, k), Mix(g, 30, k), Mix(b, 30, k)); }},
      {"WindowsXP, translucent: dark grey over it", tbsWindowsXP, true, 153,
       [=](int k) { return qRgb(Mix(r, 30, k), Mix(g, 30, k), Mix(b, 30, k)); }},
  };
  for (const Look &look : looks) {
    SCOPED_TRACE(look.name);
    TbCompositingOverride composited(look.composited);
    TTBRootItem root;
    for (const char *caption : {"&Open", "&Save", "E&xit"}) {
      auto *item = new TTBItem;
      item->SetCaption(QString::fromLatin1(caption));
      root.Add(item);
    }
    TTBSkin skin;
    skin.SetSkinType(look.skin);
    skin.SetOptions(TTBOptions(0));
    // Off the screen's top-left quarter, where a copy taken in logical
    // coordinates from a picture in device pixels would come from.
    const QPoint at(200, 200);
    backdrop.Around(CreatePopup(&root, nullptr, nullptr, false, false, at, 0, &skin)->geometry());
    skin.SetOptions(tboShadow);
    auto wnd = CreatePopup(&root, nullptr, nullptr, false, false, at, 0, &skin);
    ASSERT_EQ(wnd->ShadowCount(), 2);
    for (int i = 0; i < wnd->ShadowCount(); ++i) {
      TShadow &shadow = *wnd->Shadow(i);
      EXPECT_EQ(shadow.Translucent(), look.composited);
      const QImage pic = Picture(shadow);
      ASSERT_EQ(pic.size(), shadow.size() * 2) << "device pixels";
      bool darkened = false;
      for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
          const QRgb px = pic.pixel(x, y);
          ASSERT_EQ(px, pic.pixel(x & ~1, y & ~1)) << "a logical pixel is one block, at " << x << "," << y;
          bool known = false;
          for (int k = 0; k <= look.steps && !known; ++k) known = Near(px, look.colour(k));
          ASSERT_TRUE(known) << "shadow " << i << " at " << x << "," << y << ": " << std::hex << px;
          darkened = darkened || px != kBackdrop;
        }
      EXPECT_TRUE(darkened) << "shadow " << i << " shows";
    }
  }
}

TEST_F(ShadowPictures, NoPictureOfTheScreenMeansNoShadow) {
  TbCompositingOverride composited(false);
  TTBRootItem root;
  root.Add(new TTBItem);
  TTBSkin skin;
  skin.SetOptions(tboShadow);
  // Past the screen's edge there is nothing to copy.
  ScreenOverride screen{ScreenRect{0, 0, 2000, 2000}, ScreenRect{0, 0, 2000, 2000}};
  auto wnd = CreatePopup(&root, nullptr, nullptr, false, false, QPoint(1500, 1500), 0, &skin);
  EXPECT_EQ(wnd->ShadowCount(), 0);
}

// A closed popup's shadow windows wait hidden for the next popup, which
// moves them into place instead of making new ones; a change of compositor
// lets the kept ones of the old kind go.
TEST_F(ShadowPictures, WindowsAreKeptForTheNextPopup) {
  ScreenOverride screen{ScreenRect{0, 0, 380, 380}, ScreenRect{0, 0, 380, 380}};
  Backdrop backdrop;
  TTBRootItem root;
  root.Add(new TTBItem);
  TTBSkin skin;
  skin.SetOptions(tboShadow);
  auto open = [&](QPoint At) { return CreatePopup(&root, nullptr, nullptr, false, false, At, 0, &skin); };

  TbCompositingOverride copied(false);
  auto first = open(QPoint(40, 40));
  ASSERT_EQ(first->ShadowCount(), 2);
  const TShadow *made[] = {first->Shadow(0), first->Shadow(1)};
  const int keptBefore = KeptShadowCount(); // from the tests before
  first.reset();
  EXPECT_EQ(KeptShadowCount(), keptBefore + 2);
  EXPECT_FALSE(made[0]->isVisible());
  EXPECT_FALSE(made[1]->isVisible());

  auto second = open(QPoint(150, 120));
  ASSERT_EQ(second->ShadowCount(), 2);
  EXPECT_EQ(KeptShadowCount(), keptBefore);
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(second->Shadow(i) == made[0] || second->Shadow(i) == made[1]) << "shadow " << i;
    EXPECT_TRUE(second->Shadow(i)->isVisible());
  }
  const QRect me = second->geometry();
  EXPECT_EQ(second->ShadowGeometry(0), QRect(me.right() + 1, me.top() + 4, 4, me.height() - 4));
  EXPECT_EQ(second->ShadowGeometry(1), QRect(me.left() + 4, me.bottom() + 1, me.width(), 4));
  second.reset();
  EXPECT_EQ(KeptShadowCount(), keptBefore + 2);

  TbCompositingOverride composited(true);
  auto third = open(QPoint(40, 40));
  ASSERT_EQ(third->ShadowCount(), 2);
  EXPECT_TRUE(third->Shadow(0)->Translucent());
  EXPECT_EQ(KeptShadowCount(), 0) << "copied shadows are no use under a compositor";
}

// This program draws on a screen of twice the density, which has to be
// asked for before the application starts.
int main(int argc, char **argv) {
  // The headless screen, unless a script runs this under an X server to
  // check the pictures the server gives.
  if (qEnvironmentVariableIsEmpty("KC_SHADOWS_ON_X11")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
