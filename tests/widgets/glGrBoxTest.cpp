#include "widgets/glGrBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "widgets/KcAlign.h"
#include "widgets/KcDraw.h"
#include "widgets/glDraw.h"

namespace kc {
namespace {

void click(QWidget *w, QPoint p) {
  for (auto t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent e(t, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton,
                  t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
}

// A box whose caption font is 13 pixels high (no face at hand measures
// exactly that).
struct Box13 : TglGroupBox {
  using TglGroupBox::TglGroupBox;
  QSize CaptionTextExtent() const override { return QSize(40, 13); }
};

TEST(glGroupBox, WorkedGeometryExample) {
  QWidget form;
  Box13 box(&form);
  box.CaptionShift().SetY(-18);
  ASSERT_EQ(box.CaptionBorder().Inner(), TglBevelCut::bvSpace);
  ASSERT_EQ(box.CaptionBorder().Outer(), TglBevelCut::bvNone);
  box.SetCaption("Friends");
  box.resize(200, 120);
  EXPECT_EQ(box.BodyTop(), 15) << "h = 13 + 18 = 31, halved";
  EXPECT_EQ(box.CaptionRect().top(), 0);
  EXPECT_EQ(box.CaptionRect().left(), 8);
  EXPECT_EQ(box.CaptionRect().width(), 40 + 2 + 2);
  EXPECT_EQ(box.CaptionRect().height(), 15);

  box.Colors().SetCaptionActive(clRed);
  const QImage shot = box.grab().toImage();
  EXPECT_EQ(TColorOf(shot.pixelColor(150, 15)), GetSysColor(16)) << "body frame: its top line";
  EXPECT_EQ(TColorOf(shot.pixelColor(150, 119)), GetSysColor(16)) << "body frame: its bottom line";
  EXPECT_EQ(TColorOf(shot.pixelColor(100, 60)), GetSysColor(15)) << "body filled with the client colour";
  EXPECT_EQ(TColorOf(shot.pixelColor(8, 5)), GetSysColor(16)) << "caption frame";
  EXPECT_EQ(TColorOf(shot.pixelColor(box.CaptionRect().center().x(), 13)), clRed) << "filled caption band";

  int collapsed = 0;
  box.OnCollapsed = [&](TglGroupBox *) { ++collapsed; };
  click(&box, QPoint(12, 5));
  EXPECT_TRUE(box.Collapsed());
  EXPECT_EQ(box.height(), 16);
  EXPECT_EQ(box.FullHeight(), 120);
  EXPECT_EQ(collapsed, 1);
  click(&box, QPoint(12, 5));
  EXPECT_FALSE(box.Collapsed());
  EXPECT_EQ(box.height(), 120);
}

TEST(glGroupBox, BoxNotYetPaintedAnswersACaptionClick) {
  TglGroupBox box; // never shown, so never painted
  box.SetCaption("Group");
  box.resize(100, 90);
  click(&box, QPoint(10, 3));
  EXPECT_TRUE(box.Collapsed());
}

TEST(glGroupBox, IgnoreMouseLeavesClicksAlone) {
  TglGroupBox box;
  box.SetCaption("Group");
  box.resize(100, 90);
  box.SetOptions(box.Options() | fgoIgnoreMouse);
  click(&box, QPoint(10, 3));
  EXPECT_FALSE(box.Collapsed());
}

TEST(glGroupBox, CarriesTheUserListsGroupFields) {
  TglGroupBox box;
  box.SetTag(2);
  box.SetCaption("Bad list");
  box.SetHint("{GROUP-ID}");
  EXPECT_EQ(box.Tag(), 2);
  EXPECT_EQ(box.Caption(), "Bad list");
  EXPECT_EQ(box.Hint(), "{GROUP-ID}");
  EXPECT_FALSE(box.Collapsed());
  EXPECT_EQ(box.Options(), TglGroupBox::kDefaultOptions);
}

TEST(glGroupBox, CollapsingTwiceKeepsTheFullHeight) {
  TglGroupBox box;
  box.SetCaption("Group");
  box.resize(100, 90);
  box.ChangeCollapsed(true);
  box.ChangeCollapsed(true);
  box.ChangeCollapsed(false);
  EXPECT_EQ(box.height(), 90);
}

TEST(glGroupBox, WithoutCanCollapseOnlyExpandingWorks) {
  TglGroupBox box;
  box.SetCaption("Bad list");
  box.resize(100, 90);
  box.SetCollapsed(true);
  ASSERT_TRUE(box.Collapsed());
  box.SetOptions(box.Options() & ~fgoCanCollapse);
  box.SetCollapsed(false);
  EXPECT_FALSE(box.Collapsed()) << "expanding always works";
  EXPECT_EQ(box.height(), 90);
  box.SetCollapsed(true);
  click(&box, QPoint(10, 3));
  EXPECT_FALSE(box.Collapsed());
  EXPECT_EQ(box.height(), 90);
}

TEST(glGroupBox, EmptyCaptionHasNoBandToClick) {
  TglGroupBox box;
  box.resize(100, 90);
  EXPECT_TRUE(box.CaptionRect().isNull());
  click(&box, QPoint(10, 3));
  click(&box, QPoint(10, 3));
  EXPECT_FALSE(box.Collapsed());
  const QImage shot = box.grab().toImage();
  EXPECT_EQ(TColorOf(shot.pixelColor(50, box.BodyTop())), GetSysColor(16)) << "only the body frame";
}

TEST(glGroupBox, BoxFillingItsParentNeverCollapses) {
  QWidget form;
  form.resize(100, 100);
  auto *box = new TglGroupBox(&form);
  box->SetCaption("All");
  SetAlign(box, TAlign::alClient);
  box->ChangeCollapsed(true);
  EXPECT_FALSE(box->Collapsed());
  box->SetCollapsed(true);
  EXPECT_FALSE(box->Collapsed());
  EXPECT_EQ(box->height(), 100);
}

struct Accordion {
  QWidget form;
  TglGroupBox *a = new TglGroupBox(&form), *b = new TglGroupBox(&form), *c = new TglGroupBox(&form);
  explicit Accordion(TglGrBoxOptions extra) {
    for (TglGroupBox *x : {a, b, c}) {
      x->SetCaption("g");
      x->resize(100, 80);
      x->SetOptions(x->Options() | extra);
    }
    a->SetGroupIndex(1);
    b->SetGroupIndex(1); // collapses a
    c->SetGroupIndex(1); // collapses b
  }
};

TEST(glGroupBox, JoiningAGroupCollapsesTheOthers) {
  Accordion acc(0);
  EXPECT_TRUE(acc.a->Collapsed());
  EXPECT_TRUE(acc.b->Collapsed());
  EXPECT_FALSE(acc.c->Collapsed());
}

TEST(glGroupBox, OneAlwaysExpandedRefusesToCollapseTheLastOpenBox) {
  Accordion acc(fgoOneAlwaysExpanded);
  acc.c->ChangeCollapsed(true);
  EXPECT_FALSE(acc.c->Collapsed());
  acc.a->ChangeCollapsed(false);
  acc.c->ChangeCollapsed(true);
  EXPECT_TRUE(acc.c->Collapsed()) << "another box of the group is open";
}

TEST(glGroupBox, CollapseOtherClosesTheRestWhenOneOpens) {
  Accordion acc(fgoCollapseOther);
  int expanded = 0, collapsed = 0;
  acc.c->OnCollapsed = [&](TglGroupBox *) { ++collapsed; };
  acc.a->OnExpanded = [&](TglGroupBox *) { ++expanded; };
  acc.a->ChangeCollapsed(false);
  EXPECT_FALSE(acc.a->Collapsed());
  EXPECT_TRUE(acc.c->Collapsed());
  EXPECT_EQ(expanded, 1);
  EXPECT_EQ(collapsed, 0) << "the others change silently";
}

TEST(glGroupBox, LoadingAppliesNoRulesAndNoResizing) {
  TglGroupBox box;
  box.SetCaption("g");
  box.resize(100, 80);
  int events = 0;
  box.OnCollapsed = [&](TglGroupBox *) { ++events; };
  box.BeginLoading();
  box.ChangeCollapsed(true);
  EXPECT_FALSE(box.Collapsed());
  box.SetCollapsed(true);
  box.EndLoading();
  EXPECT_TRUE(box.Collapsed());
  EXPECT_EQ(box.height(), 80);
  EXPECT_EQ(events, 0);
}

TEST(glGroupBox, ResizeParentFollowsTheBox) {
  QWidget form;
  auto *list = new QWidget(&form);
  list->resize(100, 300);
  auto *box = new TglGroupBox(list);
  box->SetCaption("g");
  box->resize(100, 100);
  box->SetOptions(box->Options() | fgoResizeParent);
  const int band = box->CaptionRect().bottom() + 1;
  box->ChangeCollapsed(true);
  EXPECT_EQ(list->height(), 300 - (100 - band));
  box->ChangeCollapsed(false);
  EXPECT_EQ(list->height(), 300);
}

TEST(glGroupBox, DisablingReachesTheChildren) {
  TglGroupBox box;
  auto *child = new QWidget(&box);
  box.SetEnabled(false);
  EXPECT_FALSE(child->isEnabled());
  box.SetEnabled(true);
  EXPECT_TRUE(child->isEnabled());
}

TEST(glGroupBox, DraggingTheBodyScrollsTheScrollBox) {
  QScrollArea area;
  area.resize(150, 100);
  auto *content = new QWidget;
  content->resize(130, 600);
  auto *box = new TglGroupBox(content);
  box->SetCaption("g");
  box->setGeometry(0, 0, 130, 600);
  area.setWidget(content);
  area.show();
  ASSERT_GT(area.verticalScrollBar()->maximum(), 100);
  auto send = [&](QEvent::Type t, QPoint p) {
    QMouseEvent e(t, QPointF(p), QPointF(box->mapToGlobal(p)), Qt::LeftButton,
                  t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &e);
  };
  send(QEvent::MouseButtonPress, QPoint(60, 80));
  EXPECT_EQ(box->cursor().shape(), Qt::PointingHandCursor);
  send(QEvent::MouseMove, QPoint(60, 50));
  EXPECT_EQ(area.verticalScrollBar()->value(), 30);
  send(QEvent::MouseButtonRelease, QPoint(60, 50));
  EXPECT_FALSE(box->Collapsed());
}

TEST(glGradient, StepsAndFillingStayInRange) {
  TGradient g;
  g.SetSteps(0);
  EXPECT_EQ(g.Steps(), 1);
  g.SetSteps(1000);
  EXPECT_EQ(g.Steps(), 255);
  g.SetPercentFilling(250);
  EXPECT_EQ(g.PercentFilling(), 100);
  g.SetPercentFilling(-5);
  EXPECT_EQ(g.PercentFilling(), 0);
}

TEST(glGradient, SettersTellOnlyOfChanges) {
  TGradient g;
  int told = 0;
  g.OnChange = [&] { ++told; };
  g.SetActive(false);
  g.SetOrientation(TglGradientDir::fgdVertical); // inactive: silent
  EXPECT_EQ(told, 0);
  g.SetActive(true);
  g.SetOrientation(TglGradientDir::fgdHorizontal);
  g.SetBrushStyle(TglBrushStyle::bsSolid); // always tells
  EXPECT_EQ(told, 3);
}

struct RampCase {
  const char *name;
  TColor from, to;
  int index, count;
  TColor expected;
};
class Ramps : public ::testing::TestWithParam<RampCase> {};
TEST_P(Ramps, StayBetweenTheirEnds) {
  const RampCase &c = GetParam();
  EXPECT_EQ(RampColor(c.from, c.to, c.index, c.count), c.expected);
}
const RampCase kRamps[] = {
    {"Start", clBlack, clWhite, 0, 5, clBlack},
    {"End", clBlack, clWhite, 4, 5, clWhite},
    {"Middle", clBlack, RGB(200, 100, 0), 2, 5, RGB(100, 50, 0)},
    {"Downwards", clWhite, clBlack, 1, 3, RGB(128, 128, 128)},
    {"PastTheEndIsTheEnd", clBlack, clWhite, 9, 5, clWhite},
    {"BeforeTheStartIsTheStart", clBlack, clWhite, -3, 5, clBlack},
    {"OneStep", RGB(10, 20, 30), clWhite, 0, 1, RGB(10, 20, 30)},
};
INSTANTIATE_TEST_SUITE_P(Table, Ramps, ::testing::ValuesIn(kRamps),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(glDraw, GradientFillsOnlyItsPercentage) {
  QImage img(100, 10, QImage::Format_ARGB32);
  img.fill(Qt::green);
  TGradient g;
  g.SetActive(true);
  g.SetFromColor(clBlack);
  g.SetToColor(clWhite);
  g.SetPercentFilling(50);
  {
    QPainter p(&img);
    DrawGradient(p, img.rect(), g);
  }
  EXPECT_EQ(img.pixel(0, 5), qRgb(0, 0, 0));
  EXPECT_LT(qRed(img.pixel(40, 5)), 128);
  EXPECT_EQ(img.pixel(80, 5), QColor(Qt::green).rgb());
  g.SetPercentFilling(100);
  {
    QPainter p(&img);
    DrawGradient(p, img.rect(), g);
  }
  EXPECT_EQ(img.pixel(99, 5), qRgb(255, 255, 255));
}

TEST(glDraw, BoldLoweredBevelDrawsDarkShadowOutside) {
  QImage img(20, 20, QImage::Format_ARGB32);
  img.fill(Qt::green);
  {
    QPainter p(&img);
    DrawBevelBox(p, img.rect(), kAllSides, true, TglBevelCut::bvNone, TglBevelCut::bvLowered, false, clRed);
  }
  EXPECT_EQ(TColorOf(img.pixelColor(0, 10)), GetSysColor(21)) << "dark shadow, left";
  EXPECT_EQ(TColorOf(img.pixelColor(1, 10)), GetSysColor(16)) << "shadow, left";
  EXPECT_EQ(TColorOf(img.pixelColor(19, 10)), GetSysColor(20)) << "highlight, right";
  EXPECT_EQ(TColorOf(img.pixelColor(10, 10)), clRed) << "filled inside";
}

// Which of the pass colours a text drawn in a style leaves on white.
struct StyleCase {
  const char *name;
  TglTextStyle style;
  bool plain, delineated;
  bool shadow, highlight, delineate;
};
class TextStyles : public ::testing::TestWithParam<StyleCase> {};
TEST_P(TextStyles, DrawTheirPasses) {
  const StyleCase &c = GetParam();
  QImage img(60, 40, QImage::Format_RGB32);
  img.fill(Qt::white);
  QFont f("Liberation Sans");
  f.setPixelSize(24);
  f.setBold(true);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    f.setStyleStrategy(QFont::NoAntialias);
    DrawStyledText(p, 5, 5, f, nullptr, clBlue, clRed, clLime, clBlack, c.plain, c.delineated, c.style, "W",
                   img.rect());
  }
  auto has = [&](QRgb colour) {
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (img.pixel(x, y) == colour) return true;
    return false;
  };
  EXPECT_TRUE(has(qRgb(0, 0, 0)) || c.style == TglTextStyle::fstPushed) << "the text itself";
  EXPECT_EQ(has(qRgb(0, 0, 255)), c.shadow) << "shadow";
  EXPECT_EQ(has(qRgb(255, 0, 0)), c.highlight) << "highlight";
  EXPECT_EQ(has(qRgb(0, 255, 0)), c.delineate) << "delineation";
}
const StyleCase kStyles[] = {
    {"None", TglTextStyle::fstNone, false, false, false, false, false},
    {"Raised", TglTextStyle::fstRaised, false, false, true, true, false},
    {"RaisedPlain", TglTextStyle::fstRaised, true, false, false, false, false},
    {"Recessed", TglTextStyle::fstRecessed, false, false, true, true, false},
    {"PushedAlwaysBoth", TglTextStyle::fstPushed, true, false, true, true, false},
    {"Shadow", TglTextStyle::fstShadow, false, false, true, false, false},
    {"Volumetric", TglTextStyle::fstVolumetric, false, false, true, false, false},
    {"Delineated", TglTextStyle::fstNone, false, true, false, false, true},
    {"DelineatedPlain", TglTextStyle::fstNone, true, true, false, false, false},
};
INSTANTIATE_TEST_SUITE_P(Table, TextStyles, ::testing::ValuesIn(kStyles),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(glDraw, GradientTextStaysBetweenItsColoursWhateverTheFilling) {
  QImage img(80, 40, QImage::Format_RGB32);
  img.fill(Qt::white);
  TGradient g;
  g.SetActive(true);
  g.SetFromColor(RGB(0, 0, 100));
  g.SetToColor(RGB(0, 0, 200));
  g.SetPercentFilling(400); // kept at 100
  QFont f("Liberation Sans");
  f.setPixelSize(30);
  f.setStyleStrategy(QFont::NoAntialias);
  {
    QPainter p(&img);
    p.setFont(f);
    DrawGradientText(p, 2, 2, "WWW", img.rect(), g);
  }
  int inked = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb px = img.pixel(x, y);
      if (px == qRgb(255, 255, 255)) continue;
      ++inked;
      EXPECT_EQ(qRed(px), 0);
      EXPECT_GE(qBlue(px), 100);
      EXPECT_LE(qBlue(px), 200);
    }
  EXPECT_GT(inked, 50);
}

TEST(glDraw, GlyphLeavesItsTransparentColourOut) {
  QImage glyph(4, 4, QImage::Format_RGB32);
  glyph.fill(qRgb(255, 0, 255));
  glyph.setPixel(1, 1, qRgb(0, 0, 255));
  QImage img(4, 4, QImage::Format_ARGB32);
  img.fill(Qt::green);
  {
    QPainter p(&img);
    DrawGlyph(p, glyph, 0, 0, glyph.pixel(0, 3), false);
  }
  EXPECT_EQ(img.pixel(0, 0), QColor(Qt::green).rgb());
  EXPECT_EQ(img.pixel(1, 1), qRgb(0, 0, 255));
}

} // namespace
} // namespace kc
