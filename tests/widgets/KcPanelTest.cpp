#include "widgets/KcPanel.h"

#include <QApplication>
#include <QEnterEvent>
#include <gtest/gtest.h>

#include "platform/DesktopMetrics.h"
#include "widgets/KcDraw.h"

namespace kc {
namespace {

TEST(KcPanel, FlatBorderIsOnePixelOfItsColour) {
  TKcPanel p;
  p.resize(40, 40);
  p.FlatBorder = true;
  p.FlatBorderColor = clWindow;
  p.Color = clRed;
  const QImage shot = p.grab().toImage();
  EXPECT_EQ(shot.pixel(0, 20), QColorOf(clWindow).rgb());
  EXPECT_EQ(shot.pixel(1, 20), QColorOf(clRed).rgb());
}

TEST(KcPanel, TransparentPanelLeavesItsParentsBackground) {
  QWidget parent;
  parent.resize(100, 100);
  parent.setAutoFillBackground(true);
  QPalette pal = parent.palette();
  pal.setColor(QPalette::Window, Qt::green);
  parent.setPalette(pal);
  auto *p = new TKcPanel(&parent);
  p->setGeometry(10, 10, 50, 50);
  p->BevelOuter = TBevelCut::bvNone;
  p->SetTransparent(true);
  parent.show();
  EXPECT_EQ(parent.grab().toImage().pixel(30, 30), QColor(Qt::green).rgb());
  p->SetTransparent(false);
  EXPECT_EQ(parent.grab().toImage().pixel(30, 30), QColorOf(clBtnFace).rgb());
}

TEST(KcPanel, LoweredBevelSwapsTheColours) {
  TKcPanel p;
  p.resize(40, 40);
  p.BevelOuter = TBevelCut::bvLowered;
  const QImage shot = p.grab().toImage();
  EXPECT_EQ(shot.pixel(0, 20), QColorOf(clBtnShadow).rgb());
  EXPECT_EQ(shot.pixel(39, 20), QColorOf(clBtnHighlight).rgb());
  EXPECT_EQ(p.CaptionRect(), QRect(1, 1, 38, 38));
}

TEST(KcPanel, MouseOverSwapsTheHintColour) {
  TKcPanel p;
  p.HintColor = clAqua;
  setApplicationHintColor(clInfoBk);
  QEnterEvent in(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(&p, &in);
  EXPECT_EQ(applicationHintColor(), clAqua);
  QEvent out(QEvent::Leave);
  QApplication::sendEvent(&p, &out);
  EXPECT_EQ(applicationHintColor(), clInfoBk);
}

} // namespace
} // namespace kc
