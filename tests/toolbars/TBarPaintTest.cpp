// Painting of menus and toolbar buttons in the four looks and their states,
// compared with small stored pictures, plus the rules a picture alone would
// not make plain. Set KC_TB_UPDATE_PICTURES=1 to write the pictures anew
// after a deliberate change of the looks.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <map>
#include <memory>

#include "platform/ImageList.h"
#include "platform/ReadableColour.h"
#include "platform/SystemColors.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarView.h"

using namespace kc;
using namespace kc::tb;

namespace {

QFont PinnedFont() {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(11);
  f.setStyleStrategy(QFont::NoAntialias);
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

TTBCustomItem *Add(TTBCustomItem &Parent, const char *Caption, TTBCustomItem *Item = nullptr) {
  if (!Item) Item = new TTBItem;
  Item->SetCaption(QString::fromUtf8(Caption));
  Parent.Add(Item);
  return Item;
}

// A menu: plain, selected, checked, disabled, submenu, separator, shortcut.
struct MenuFixture {
  TTBRootItem root;
  TTBCustomItem *plain, *checked, *disabled, *sub, *shortcut;
  MenuFixture() {
    plain = Add(root, "&Plain");
    checked = Add(root, "&Checked");
    checked->SetChecked(true);
    disabled = Add(root, "&Disabled");
    disabled->SetEnabled(false);
    Add(root, "-", new TTBSeparatorItem);
    sub = Add(root, "&More", new TTBSubmenuItem);
    shortcut = Add(root, "&Send\tCtrl+Enter");
  }
};

QImage Render(TTBView &View, const QColor &Background) {
  View.EnsurePositions();
  QImage img(View.TotalSize.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  img.fill(Background);
  QPainter p(&img);
  p.setFont(PinnedFont());
  View.PaintViewers(p, img.rect());
  return img;
}

void Compare(const QImage &Got, const QString &Name) {
  const QString dir = qEnvironmentVariable("KC_SOURCE_DIR") + QStringLiteral("/tests/toolbars/data/");
  const QString path = dir + Name + QStringLiteral(".png");
  if (qEnvironmentVariableIsSet("KC_TB_UPDATE_PICTURES")) {
    QDir().mkpath(dir);
    ASSERT_TRUE(Got.save(path));
    return;
  }
  QImage want(path);
  ASSERT_FALSE(want.isNull()) << "missing picture " << path.toStdString();
  want = want.convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(Got.size(), want.size()) << Name.toStdString();
  int differing = 0;
  for (int y = 0; y < Got.height(); ++y)
    for (int x = 0; x < Got.width(); ++x)
      if (Got.pixel(x, y) != want.pixel(x, y)) ++differing;
  EXPECT_EQ(differing, 0) << Name.toStdString();
}

struct LookCase {
  const char *name;
  TTBSkins skin;
};

class Looks : public ::testing::TestWithParam<LookCase> {
protected:
  void SetUp() override { SetMenuFont(PinnedFont()); }
};

TEST_P(Looks, MenuEntriesInEveryState) {
  MenuFixture m;
  TTBSkin skin;
  skin.SetSkinType(GetParam().skin);
  TTBView view(nullptr, &m.root, nullptr, false);
  view.Skin = &skin;
  view.SetSelection(view.Find(m.plain));
  const QColor bg = skin.SkinType() == tbsDisabled ? ToQColor(clMenu) : ToQColor(skin.ElementColor(1));
  Compare(Render(view, bg), QStringLiteral("menu_%1").arg(QString::fromLatin1(GetParam().name)));
}

TEST_P(Looks, ToolbarButtonsInEveryState) {
  TTBRootItem root;
  TTBCustomItem *hot = Add(root, "&Hot");
  Add(root, "&Check")->SetChecked(true);
  Add(root, "&Off")->SetEnabled(false);
  Add(root, "-", new TTBSeparatorItem);
  TTBCustomItem *drop = Add(root, "&Drop", new TTBSubmenuItem);
  drop->SetDropdownCombo(true);
  TTBSkin skin;
  skin.SetSkinType(GetParam().skin);
  TTBView view(nullptr, &root, nullptr, true);
  view.Skin = &skin;
  view.SetSelection(view.Find(hot));
  Compare(Render(view, ToQColor(clBtnFace)), QStringLiteral("toolbar_%1").arg(QString::fromLatin1(GetParam().name)));
}

// Within a selected entry (inside its frame): the fill is its commonest
// colour, and the caption's strongest pixel must read on it.
double CaptionContrast(const QImage &Img, const QRect &Entry) {
  const QRect inner = Entry.adjusted(2, 2, -2, -2);
  std::map<QRgb, int> count;
  for (int y = inner.top(); y <= inner.bottom(); ++y)
    for (int x = inner.left(); x <= inner.right(); ++x) ++count[Img.pixel(x, y)];
  const QRgb fill =
      std::max_element(count.begin(), count.end(), [](auto &a, auto &b) { return a.second < b.second; })->first;
  double best = 1;
  for (const auto &[rgb, n] : count) best = std::max(best, ContrastRatio(QColor(rgb), QColor(fill)));
  return best;
}

TEST_P(Looks, SelectedEntryTextReadsOnItsFill) {
  MenuFixture m;
  TTBSkin skin;
  skin.SetSkinType(GetParam().skin);
  TTBView view(nullptr, &m.root, nullptr, false);
  view.Skin = &skin;
  const QColor bg = skin.SkinType() == tbsDisabled ? ToQColor(clMenu) : ToQColor(skin.ElementColor(1));
  for (TTBCustomItem *item : {m.plain, m.disabled, m.shortcut}) {
    SCOPED_TRACE(item->Caption().toStdString());
    view.SetSelection(view.Find(item));
    const QImage img = Render(view, bg);
    EXPECT_GE(CaptionContrast(img, view.Find(item)->BoundsRect), 4.5);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, Looks,
                         ::testing::Values(LookCase{"classic", tbsDisabled}, LookCase{"officexp", tbsOfficeXP},
                                           LookCase{"windowsxp", tbsWindowsXP},
                                           LookCase{"native_without_theme", tbsNativeXP}),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(PaintRules, ACheckedClassicButtonShowsTheDitherAndShiftsItsContent) {
  SetMenuFont(PinnedFont());
  TTBRootItem root;
  TTBCustomItem *b = Add(root, "&Check");
  TTBView view(nullptr, &root, nullptr, true);
  const QImage plain = Render(view, ToQColor(clBtnFace));
  b->SetChecked(true);
  const QImage checked = Render(view, ToQColor(clBtnFace));
  const QRect r = view.Find(b)->BoundsRect;
  // The dither: neighbouring inside pixels alternate face and highlight.
  EXPECT_NE(checked.pixel(r.left() + 2, r.top() + 2), checked.pixel(r.left() + 3, r.top() + 2));
  // The caption moved one pixel right and down: the checked picture's
  // text equals the plain one shifted.
  int same = 0, total = 0;
  for (int y = r.top() + 4; y < r.bottom() - 3; ++y)
    for (int x = r.left() + 4; x < r.right() - 3; ++x) {
      if (plain.pixel(x, y) == ToQColor(clBtnFace).rgb()) continue;
      ++total;
      if (checked.pixel(x + 1, y + 1) == plain.pixel(x, y)) ++same;
    }
  ASSERT_GT(total, 0);
  EXPECT_EQ(same, total);
}

// A picture of dark lines stays readable on a dark desktop face: a light
// rim beside its dark pixels; on the classic light face it is drawn as is.
TEST(PaintRules, ADarkPictureReadsOnTheFaceItIsDrawnOn) {
  SetMenuFont(PinnedFont());
  TCustomImageList images(16, 16);
  QImage pic(16, 16, QImage::Format_ARGB32);
  pic.fill(Qt::transparent);
  for (int y = 4; y < 12; ++y)
    for (int x = 4; x < 12; ++x) pic.setPixel(x, y, qRgb(0, 0, 0));
  images.Add(pic);
  TTBRootItem root;
  root.SetSubMenuImages(&images);
  TTBCustomItem *item = Add(root, "&Open");
  item->SetImageIndex(0);
  const struct {
    const char *name;
    bool dark;
    TTBSkins skin;
    bool toolbar;
  } rows[] = {{"classic_light_toolbar", false, tbsDisabled, true},
              {"classic_dark_toolbar", true, tbsDisabled, true},
              {"officexp_dark_toolbar", true, tbsOfficeXP, true},
              {"officexp_dark_menu", true, tbsOfficeXP, false}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    if (row.dark) ApplyPaletteSysColors(QPalette(QColor(53, 53, 53), QColor(45, 45, 45)));
    TTBSkin skin;
    skin.SetSkinType(row.skin);
    TTBView view(nullptr, &root, nullptr, row.toolbar);
    view.Skin = &skin;
    const QRect r = [&] {
      view.EnsurePositions();
      return view.Find(item)->BoundsRect;
    }();
    const QColor face = ToQColor(row.toolbar || row.skin == tbsDisabled ? clBtnFace : clMenu);
    const QImage img = Render(view, face);
    StopFollowingDesktopColors();
    QRect box;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        if (img.pixel(x, y) == qRgb(0, 0, 0)) box |= QRect(x, y, 1, 1);
    ASSERT_EQ(box.size(), QSize(8, 8));
    const QRgb fill = img.pixel(box.left() - 3, box.center().y());
    for (const QPoint beside : {QPoint(box.left() - 1, box.center().y()), QPoint(box.center().x(), box.top() - 1)}) {
      const QRgb got = img.pixel(beside);
      if (row.dark) EXPECT_GE(ContrastRatio(QColor(got), QColor(fill)), 3.0) << beside.x() << "," << beside.y();
      else EXPECT_EQ(got, fill);
    }
  }
}

TEST(PaintRules, ADisabledOfficeXPEntryIsOneFlatColourWithoutHighlight) {
  SetMenuFont(PinnedFont());
  MenuFixture m;
  TTBSkin skin;
  TTBView view(nullptr, &m.root, nullptr, false);
  view.Skin = &skin;
  const QImage img = Render(view, ToQColor(skin.ElementColor(1)));
  const QRect r = view.Find(m.disabled)->BoundsRect;
  bool shadow = false;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left() + 25; x <= r.right(); ++x) {
      const QRgb p = img.pixel(x, y);
      ASSERT_NE(p, ToQColor(clBtnHighlight).rgb()) << x << "," << y;
      shadow |= p == ToQColor(clBtnShadow).rgb();
    }
  EXPECT_TRUE(shadow);
}

TEST(PaintRules, AMenuSeparatorKeepsTwelvePixelsFromBothEdges) {
  SetMenuFont(PinnedFont());
  MenuFixture m;
  TTBView view(nullptr, &m.root, nullptr, false);
  const QImage img = Render(view, ToQColor(clMenu));
  QRect sep;
  for (int i = 0; i < view.ViewerCount(); ++i)
    if (view.Viewer(i)->Item()->Has(ikSeparator)) sep = view.Viewer(i)->BoundsRect;
  const int y = sep.top() + sep.height() / 2 - 1;
  EXPECT_EQ(img.pixel(sep.left() + 11, y), ToQColor(clMenu).rgb());
  EXPECT_EQ(img.pixel(sep.left() + 12, y), ToQColor(clBtnShadow).rgb());
  EXPECT_EQ(img.pixel(sep.right() - 12, y), ToQColor(clBtnShadow).rgb());
  EXPECT_EQ(img.pixel(sep.right() - 11, y), ToQColor(clMenu).rgb());
}

} // namespace

TEST(PaintRules, ADisabledSkinnedToolbarButtonIsEmbossedWithTheHighlightBelowRight) {
  SetMenuFont(PinnedFont());
  TTBRootItem root;
  TTBCustomItem *off = Add(root, "&Off");
  off->SetEnabled(false);
  TTBSkin skin;
  skin.SetSkinType(tbsWindowsXP);
  TTBView view(nullptr, &root, nullptr, true);
  view.Skin = &skin;
  const QImage img = Render(view, ToQColor(clBtnFace));
  const QRect r = view.Find(off)->BoundsRect;
  int shadow = 0, highlightBelowRight = 0;
  for (int y = r.top(); y < r.bottom(); ++y)
    for (int x = r.left(); x < r.right(); ++x) {
      if (img.pixel(x, y) != ToQColor(clBtnShadow).rgb()) continue;
      ++shadow;
      const QRgb below = img.pixel(x + 1, y + 1);
      if (below == ToQColor(clBtnHighlight).rgb() || below == ToQColor(clBtnShadow).rgb()) ++highlightBelowRight;
    }
  ASSERT_GT(shadow, 0);
  EXPECT_EQ(highlightBelowRight, shadow);
}

struct DisabledShadowCase {
  const char *name;
  TTBSkins skin;
  bool toolbar;
  bool selected;
  bool embossed;
};

class DisabledShadow : public ::testing::TestWithParam<DisabledShadowCase> {};

TEST_P(DisabledShadow, IsUsedOnlyWhereTheItemSitsOnTheFaceColour) {
  const DisabledShadowCase &c = GetParam();
  TTBRootItem root;
  TTBCustomItem *off = Add(root, "&Off");
  off->SetEnabled(false);
  TTBSkin skin;
  skin.SetSkinType(c.skin);
  TTBView view(nullptr, &root, nullptr, c.toolbar);
  view.Skin = &skin;
  view.EnsurePositions();
  EXPECT_EQ(view.UseDisabledShadowFor(view.Find(off), c.selected), c.embossed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DisabledShadow,
    ::testing::Values(DisabledShadowCase{"toolbar_button_officexp", tbsOfficeXP, true, false, true},
                      DisabledShadowCase{"toolbar_button_selected", tbsWindowsXP, true, true, true},
                      DisabledShadowCase{"menu_entry_officexp", tbsOfficeXP, false, false, false},
                      DisabledShadowCase{"menu_entry_on_highlight", tbsWindowsXP, false, true, false}),
    [](const auto &i) { return std::string(i.param.name); });

struct HoverIconCase {
  const char *name;
  TTBSkins skin;
  bool toolbar;
  bool selected;
  bool enabled;
  bool lifted;
};

class HoverIcon : public ::testing::TestWithParam<HoverIconCase> {};

// The red square of the image, or an empty rectangle.
QRect RedBox(const QImage &Img) {
  QRect box;
  for (int y = 0; y < Img.height(); ++y)
    for (int x = 0; x < Img.width(); ++x)
      if (Img.pixel(x, y) == qRgb(255, 0, 0)) box |= QRect(x, y, 1, 1);
  return box;
}

TEST_P(HoverIcon, IsLiftedOverItsShadowOnlyUnderTheOfficeXPPointer) {
  const HoverIconCase &c = GetParam();
  SetMenuFont(PinnedFont());
  TCustomImageList images(16, 16);
  QImage pic(16, 16, QImage::Format_ARGB32);
  pic.fill(Qt::transparent);
  for (int y = 4; y < 12; ++y)
    for (int x = 4; x < 12; ++x) pic.setPixel(x, y, qRgb(255, 0, 0));
  images.Add(pic);
  TTBRootItem root;
  root.SetSubMenuImages(&images);
  TTBCustomItem *item = Add(root, "&Open");
  item->SetImageIndex(0);
  item->SetEnabled(c.enabled);
  auto render = [&](bool effectOff) {
    TTBSkin skin;
    skin.SetSkinType(c.skin);
    if (effectOff) skin.SetOptions(skin.Options() | tboNoHoverIconShadow);
    TTBView view(nullptr, &root, nullptr, c.toolbar);
    view.Skin = &skin;
    if (c.selected) view.SetSelection(view.Find(item));
    return Render(view, ToQColor(clBtnFace));
  };
  const QImage got = render(false), plain = render(true);
  if (!c.lifted) {
    EXPECT_EQ(got, plain);
    return;
  }
  TTBSkin skin;
  skin.SetSkinType(c.skin);
  const QRect was = RedBox(plain);
  ASSERT_FALSE(was.isEmpty());
  EXPECT_EQ(RedBox(got), was.translated(-1, -1));
  EXPECT_EQ(got.pixel(was.right() + 1, was.bottom() + 1), ToQColor(skin.ElementColor(6)).rgb());
}

INSTANTIATE_TEST_SUITE_P(
    Table, HoverIcon,
    ::testing::Values(HoverIconCase{"officexp_menu_entry_hovered", tbsOfficeXP, false, true, true, true},
                      HoverIconCase{"officexp_toolbar_button_hovered", tbsOfficeXP, true, true, true, true},
                      HoverIconCase{"officexp_not_hovered", tbsOfficeXP, false, false, true, false},
                      HoverIconCase{"officexp_disabled_hovered", tbsOfficeXP, false, true, false, false},
                      HoverIconCase{"windowsxp_hovered", tbsWindowsXP, true, true, true, false}),
    [](const auto &i) { return std::string(i.param.name); });
