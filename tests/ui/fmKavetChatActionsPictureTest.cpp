// The two main toolbars docked at the top of a window, as a picture: both
// show, side by side on one row, with their captions drawn. With
// KC_PICTURE_DIR set the picture is written there to be looked at.
#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include "fmKavetChatActionsDouble.h"
#include "toolbars/TBSkinPlus.h"
#include "ui/ArtUn.h"

using namespace kc;
using namespace kc::tb;

namespace {

// Distinct colours in a rectangle of the picture.
int Colours(const QImage &Image, const QRect &R) {
  std::vector<QRgb> seen;
  for (int y = R.top(); y <= R.bottom(); ++y)
    for (int x = R.left(); x <= R.right(); ++x) {
      const QRgb c = Image.pixel(x, y);
      if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
      if (seen.size() > 8) return int(seen.size());
    }
  return int(seen.size());
}

TEST(ActionToolbarsPicture, BothToolbarsShowOnOneRow) {
  kctest::MainWindowDouble window;
  FillHotImages(window.hot32, 32);
  FillHotImages(window.hot16, 16);
  TMainActionList actions(window);
  actions.CreateToolbars(window.form.get(), window.top, window.bottom);
  actions.ApplyShowText(true);
  window.form->resize(900, 120);
  window.form->show();
  QApplication::processEvents();
  window.top->setGeometry(0, 0, window.form->width(), window.top->height());
  window.bottom->setGeometry(0, window.form->height() - window.bottom->height(), window.form->width(),
                             window.bottom->height());
  QApplication::processEvents();

  const QImage picture = window.form->grab().toImage();
  if (const char *dir = std::getenv("KC_PICTURE_DIR"))
    picture.save(QString::fromLocal8Bit(dir) + QStringLiteral("/main-toolbars.png"));

  TTBToolbar *main = actions.tbMainForm(), *additional = actions.tbAdditional();
  ASSERT_TRUE(main->isVisible());
  ASSERT_TRUE(additional->isVisible());
  EXPECT_EQ(main->DockRow(), additional->DockRow());
  const QRect m = main->geometry().translated(window.top->pos());
  const QRect a = additional->geometry().translated(window.top->pos());
  EXPECT_FALSE(m.intersects(a));
  EXPECT_LE(m.right(), a.left());
  // Captions are drawn: more than the face and frame colours.
  EXPECT_GT(Colours(picture, m), 3);
  EXPECT_GT(Colours(picture, a), 3);
}

} // namespace
