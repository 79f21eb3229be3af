#include "widgets/KcImageSquare.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "widgets/KcDraw.h"

namespace kc {
namespace {

TEST(KcImageSquare, PaintsInHiColorUnderTheMouseAndBackColorAfter) {
  TKcImageSquare s;
  s.SetBackColor(clBtnFace);
  s.SetHiColor(0xD2BCB6);
  s.SetBorderStyle(TBorderStyle::bsNone);
  s.SetShowClick(true);
  TCustomImageList list(16, 16);
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(qRgb(0, 0, 255));
  list.Add(img);
  s.SetImageList(&list);
  int entered = 0, exited = 0;
  s.OnEnter = [&](TKcImageSquare *) { ++entered; };
  s.OnExit = [&](TKcImageSquare *) { ++exited; };
  EXPECT_EQ(s.grab().toImage().pixel(3, 3), QColorOf(clBtnFace).rgb());
  QEnterEvent in(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(&s, &in);
  const QImage lit = s.grab().toImage();
  EXPECT_EQ(lit.pixel(3, 3), QColorOf(0xD2BCB6).rgb());
  EXPECT_EQ(lit.pixel(18, 18), qRgb(0, 0, 255)) << "the image in the middle";
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(&s, &press);
  EXPECT_TRUE(s.MouseDown());
  QEvent out(QEvent::Leave);
  QApplication::sendEvent(&s, &out);
  EXPECT_FALSE(s.MouseDown()) << "leaving clears the pressed state";
  EXPECT_EQ(s.grab().toImage().pixel(3, 3), QColorOf(clBtnFace).rgb());
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(exited, 1);
}

TEST(KcImageSquare, SingleBorderIsSunkenThreePixels) {
  TKcImageSquare s;
  s.SetBackColor(clWhite);
  const QImage shot = s.grab().toImage();
  EXPECT_EQ(shot.pixel(0, 10), QColorOf(clBtnShadow).rgb());
  EXPECT_EQ(shot.pixel(1, 10), QColorOf(cl3DDkShadow).rgb());
  EXPECT_EQ(shot.pixel(35, 10), QColorOf(clBtnHighlight).rgb());
  EXPECT_EQ(shot.pixel(10, 10), qRgb(255, 255, 255));
}

} // namespace
} // namespace kc
