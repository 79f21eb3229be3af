#include "widgets/KcColorComboBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace kc {
namespace {

TEST(KcColorComboBox, StandardColoursComeFirstWithTheirNames) {
  TKcColorComboBox c;
  ASSERT_EQ(c.count(), 20);
  EXPECT_EQ(c.ItemColor(0), clBlack);
  EXPECT_EQ(c.DisplayName(0), "Black");
  EXPECT_EQ(c.ItemColor(19), 0xA4A0A0);
  EXPECT_EQ(c.DisplayName(16), "MoneyGreen");
  EXPECT_EQ(c.currentIndex(), 0) << "ColorValue black selects its entry";
}

TEST(KcColorComboBox, UnknownColourBecomesACustomEntryAtTheEnd) {
  TKcColorComboBox c;
  c.SetOptions(0);
  c.SetColorValue(0x123456);
  ASSERT_EQ(c.count(), 21);
  EXPECT_EQ(c.itemText(20), "Custom");
  EXPECT_EQ(c.currentIndex(), 20);
  EXPECT_EQ(c.ColorValue(), 0x123456);
  c.SetColorValue(clRed);
  EXPECT_EQ(c.count(), 21) << "a known colour just selects its entry";
  EXPECT_EQ(c.currentIndex(), 9);
}

struct TextCase {
  const char *name;
  TKcColorComboOptions options;
  TColor color;
  const char *text;
};
class ItemTexts : public ::testing::TestWithParam<TextCase> {};
TEST_P(ItemTexts, FollowTheOptions) {
  TKcColorComboBox c;
  c.SetOptions(GetParam().options);
  c.SetColorValue(GetParam().color);
  EXPECT_EQ(c.ItemText(c.currentIndex()), GetParam().text);
}
const TextCase kTexts[] = {
    {"Name", coText, clRed, "Red"},
    {"HexInColourByteOrder", coHex, clRed, "0x0000ff"},
    {"HexOfBlue", coHex, clBlue, "0xff0000"},
    {"Rgb", coRGB, 0x123456, "(86,52,18)"},
    {"NameAndHex", coText | coHex, clLime, "Lime 0x00ff00"},
    {"SystemColourResolved", coSysColors | coHex, static_cast<TColor>(0xFF000005), "0xffffff"},
    {"SystemColourName", coSysColors | coText, static_cast<TColor>(0xFF000018), "InfoBk"},
};
INSTANTIATE_TEST_SUITE_P(Table, ItemTexts, ::testing::ValuesIn(kTexts),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(KcColorComboBox, NameMapAndHandlerNameTheColours) {
  TKcColorComboBox c;
  c.SetColorNameMap({"clRed=Rot", "clBlue=Blau"});
  EXPECT_EQ(c.DisplayName(9), "Rot");
  EXPECT_EQ(c.DisplayName(0), "Black");
  c.OnGetDisplayName = [](TKcColorComboBox *, int, TColor col, QString &name) {
    if (col == clBlack) name = "Night";
  };
  EXPECT_EQ(c.DisplayName(0), "Night");
  EXPECT_EQ(DefaultColorNameMap().size(), 45);
  EXPECT_EQ(DefaultColorNameMap().last(), "clInfoBk=InfoBk");
}

struct CustomPicker : ::testing::Test {
  TKcColorComboBox c;
  std::optional<TColor> answer;
  int dialogs = 0, clicks = 0;
  void SetUp() override {
    c.SetOptions(coText | coCustomColors);
    c.ExecuteColorDialog = [this](TKcColorComboBox *, TColor initial) {
      ++dialogs;
      EXPECT_EQ(initial, c.ColorValue());
      return answer;
    };
    c.OnClick = [this](TKcCustomComboBox *) { ++clicks; };
    c.SetColorValue(clGreen);
  }
  int dialogEntry() const { return c.count() - 1; }
};

TEST_F(CustomPicker, CancellingTheDialogChangesNothing) {
  ASSERT_TRUE(c.IsDialogEntry(dialogEntry()));
  EXPECT_EQ(c.itemText(dialogEntry()), "Custom...");
  c.Choose(dialogEntry());
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(c.ColorValue(), clGreen);
  EXPECT_EQ(c.currentIndex(), 2);
  EXPECT_EQ(clicks, 1);
}

TEST_F(CustomPicker, NewColourGoesBeforeTheDialogEntry) {
  c.NewColorText = "Mine %d";
  answer = 0x102030;
  c.Choose(dialogEntry());
  EXPECT_EQ(c.ColorValue(), 0x102030);
  EXPECT_EQ(c.itemText(c.currentIndex()), "Mine 1");
  EXPECT_EQ(c.currentIndex(), dialogEntry() - 1);
  answer = clRed; // already listed: selected, not added again
  const int before = c.count();
  c.Choose(dialogEntry());
  EXPECT_EQ(c.count(), before);
  EXPECT_EQ(c.currentIndex(), 9);
  EXPECT_EQ(c.CustomCount(), 1);
}

TEST_F(CustomPicker, OptionsAddAndRemoveTheDialogEntry) {
  c.SetOptions(coText);
  EXPECT_FALSE(c.IsDialogEntry(c.count() - 1));
  EXPECT_EQ(c.count(), 20);
  c.SetOptions(coText | coCustomColors);
  EXPECT_TRUE(c.IsDialogEntry(c.count() - 1));
  c.SetColorDialogText("Other...");
  EXPECT_EQ(c.itemText(c.count() - 1), "Other...");
  c.SetOptions(coText | coCustomColors | coSysColors);
  EXPECT_EQ(c.count(), 20 + 25 + 1);
}

TEST(KcCustomComboBox, TypedTextIsKeptWithinMaxPixel) {
  TKcCustomComboBox c;
  c.MaxPixel().Length = 50;
  const QString longText(40, 'W');
  c.lineEdit()->setText(longText);
  c.TextChanged(longText);
  const QFontMetrics fm(c.font());
  EXPECT_LE(fm.horizontalAdvance(c.currentText()), 50);
  EXPECT_GT(fm.horizontalAdvance(c.currentText() + "W"), 50) << "cut no more than needed";
}

TEST(KcCustomComboBox, TypingCompletesFromTheList) {
  TKcCustomComboBox c;
  c.addItems({"Alice", "Bob"});
  c.lineEdit()->setText("al");
  c.TextChanged("al");
  EXPECT_EQ(c.currentText(), "Alice");
  EXPECT_EQ(c.lineEdit()->selectedText(), "ice");
}

TEST(KcCustomComboBox, ReadOnlyComboKeepsItsValue) {
  TKcCustomComboBox c;
  c.setEditable(false);
  c.addItems({"a", "b", "c"});
  c.setCurrentIndex(0);
  c.SetReadOnly(true);
  for (int k : {Qt::Key_Down, Qt::Key_End, Qt::Key_B}) {
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, k == Qt::Key_B ? "b" : "");
    QApplication::sendEvent(&c, &e);
  }
  EXPECT_EQ(c.currentIndex(), 0);
  c.SetReadOnly(false);
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(&c, &down);
  EXPECT_EQ(c.currentIndex(), 1);
}

TEST(KcCustomComboBox, AutoSaveKeepsTheValueInTheProgramKey) {
  kctest::TempDir dir;
  const QByteArray old = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((dir.path() / "cfg").string()));
  {
    TKcCustomComboBox c;
    c.setEditable(false);
    c.addItems({"a", "b", "c"});
    c.AutoSave().Active = true;
    c.AutoSave().Registry = {"Software\\Dornick\\Kavet Chat\\Combo", "Choice"};
    c.setCurrentIndex(2);
  }
  TKcCustomComboBox again;
  again.setEditable(false);
  again.addItems({"a", "b", "c"});
  again.AutoSave().Active = true;
  again.AutoSave().Registry = {"Software\\Dornick\\Kavet Chat\\Combo", "Choice"};
  int restored = 0;
  again.OnAutoSaveRestore = [&](TKcCustomComboBox *) { ++restored; };
  again.Loaded();
  EXPECT_EQ(again.currentIndex(), 2);
  EXPECT_EQ(restored, 1);
  if (old.isNull()) qunsetenv("XDG_CONFIG_HOME");
  else qputenv("XDG_CONFIG_HOME", old);
}

} // namespace
} // namespace kc
