// The animated-emoticon catalogue: 23 animators by number, pictures from the
// loader it is given, animation only under the mouse, and the palette's
// pick into an input box with the limit of five.
#include <gtest/gtest.h>

#include <QTest>

#include "MarkupFixture.h"
#include "widgets/KcPanel.h"

using namespace kc;
using kctest::ChatDesk;
using kctest::Describe;

TEST(Catalogue, AnimatorsByNumber) {
  std::vector<int> asked;
  TfmSelectPictureGIFMood catalogue([&](int n) {
    asked.push_back(n);
    if (n == 5) return QByteArray("not a GIF");
    if (n == 6) return QByteArray();
    return kctest::TestGif(10 * n, 12 + n);
  });
  EXPECT_EQ(asked.size(), 23u);
  EXPECT_FALSE(catalogue.isVisible());
  const struct {
    const char *name;
    int number;
    bool found;
  } rows[] = {{"number 0 is the first cell", 0, true}, {"the last", 22, true},
              {"one past the last", 23, false},        {"negative", -1, false},
              {"damaged picture", 5, false},           {"no picture", 6, false}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    TKcGIFAnimator *a = catalogue.FindAnimatorByTag(row.number);
    EXPECT_EQ(a != nullptr, row.found);
    if (a) {
      EXPECT_EQ(catalogue.TagOf(a), row.number);
      EXPECT_EQ(TfmSelectPictureGIFMood::FindAnimator(catalogue.Cell(row.number)), a);
      EXPECT_EQ(a->Image().ScreenWidth(), 12 + row.number);
    }
  }
  // The cells as the palette lays them out.
  EXPECT_EQ(catalogue.Cell(0)->geometry(), QRect(1, 1, 26, 33));
  EXPECT_EQ(catalogue.Cell(22)->geometry(), QRect(164, 120, 24, 24));
  EXPECT_EQ(catalogue.FindAnimatorByTag(8)->geometry(), QRect(4, 4, 45, 30));
}

TEST(Catalogue, AnimatesOnlyUnderTheMouse) {
  ChatDesk desk;
  TfmSelectPictureGIFMood &c = *desk.catalogue;
  for (int n = 0; n < TfmSelectPictureGIFMood::kCount; ++n) EXPECT_FALSE(c.FindAnimatorByTag(n)->KcxAnimate()) << n;
  TKcPanel *cell = c.Cell(3);
  cell->OnMouseEnter(cell);
  EXPECT_TRUE(c.FindAnimatorByTag(3)->KcxAnimate());
  EXPECT_EQ(cell->Color, TColor(0xD2BDB6));
  cell->OnMouseLeave(cell);
  EXPECT_FALSE(c.FindAnimatorByTag(3)->KcxAnimate());
  EXPECT_EQ(cell->Color, clBtnFace);
  c.Cell(4)->OnMouseEnter(c.Cell(4));
  c.StopAllAnimations();
  EXPECT_FALSE(c.FindAnimatorByTag(4)->KcxAnimate());
}

TEST(Catalogue, PickAppendsAndRefusesASixth) {
  ChatDesk desk;
  TfmSelectPictureGIFMood &c = *desk.catalogue;
  std::vector<std::string> notices;
  std::vector<bool> open;
  c.ShowInformation = [&](const std::string &text) { notices.push_back(text); };
  c.OnOpenChanged = [&](bool on) { open.push_back(on); };
  TRichVistaEdit &input = desk.NewBox();
  input.AddTextParagraph("hi", 0, 0);
  for (int n = 0; n < 5; ++n) {
    c.Popup(&input, QPoint(0, 0));
    c.PickEmoticon(n == 0 ? 0 : 20 + n % 3);
    EXPECT_FALSE(c.isVisible());
  }
  EXPECT_EQ(Describe(input), "|\"hi\" G0 G21 G22 G20 G21");
  EXPECT_TRUE(notices.empty());
  c.Popup(&input, QPoint(0, 0));
  c.PickEmoticon(7);
  EXPECT_EQ(TTranscriptRenderer::CountGifs(input), 5);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], "In consequence of economy of resources it is not authorized to add more than 5 animations "
                        "in the text of the message.");
  EXPECT_FALSE(c.isVisible());
  EXPECT_EQ(c.Target(), nullptr);
  EXPECT_EQ(open, (std::vector<bool>{true, false, true, false, true, false, true, false, true, false, true, false}));
  // The picked animation plays in the input box; the catalogue's rests.
  EXPECT_EQ(DocumentToText(input, ChatDesk::kLocalID, ChatDesk::kLocalIP),
            "hi{[!CONTROL!]}0{[/!CONTROL!]}{[!CONTROL!]}21{[/!CONTROL!]}{[!CONTROL!]}22{[/!CONTROL!]}"
            "{[!CONTROL!]}20{[/!CONTROL!]}{[!CONTROL!]}21{[/!CONTROL!]}");
}

TEST(Catalogue, ATargetThatWentAwayTakesNothing) {
  ChatDesk desk;
  TfmSelectPictureGIFMood &c = *desk.catalogue;
  auto input = std::make_unique<TRichVistaEdit>();
  input->Style = &desk.sheet;
  c.Popup(input.get(), QPoint(0, 0));
  input.reset();
  c.PickEmoticon(1); // nothing to append to
  EXPECT_EQ(c.Target(), nullptr);
  c.ClosePalette();
}

TEST(Catalogue, EscapeCloses) {
  ChatDesk desk;
  TfmSelectPictureGIFMood &c = *desk.catalogue;
  TRichVistaEdit &input = desk.NewBox();
  c.Popup(&input, QPoint(0, 0));
  QTest::keyClick(&c, Qt::Key_Escape);
  EXPECT_FALSE(c.isVisible());
  EXPECT_EQ(input.ItemCountOf(), 0);
}
