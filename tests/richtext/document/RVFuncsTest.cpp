#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <climits>

#include "platform/RecordingCanvas.h"
#include "richtext/document/DLines.h"
#include "richtext/document/RVClasses.h"
#include "richtext/document/RVFuncs.h"

using namespace kc;

namespace {

TEST(SimilarityScores, IntegerWeight) {
  EXPECT_EQ(IntegerWeight(10, 15, 100), 50);
  EXPECT_EQ(IntegerWeight(0, 0, 100), 100);
  EXPECT_EQ(IntegerWeight(10, 10, 300), 300);
  EXPECT_EQ(IntegerWeight(0, 3, 1000), -2000);
  // Far-apart values must not wrap around into a good score.
  EXPECT_EQ(IntegerWeight(1, INT_MAX, 50000), (1LL - (INT_MAX - 1LL)) * 50000);
  EXPECT_EQ(IntegerWeight(0, INT_MIN, 10000), (1LL - 2147483648LL) * 10000);
  EXPECT_LT(IntegerWeight(-1, INT_MAX, 10000), 0);
}

TEST(SimilarityScores, ColorWeight) {
  EXPECT_EQ(ColorWeight(clNone, clNone, 10, 5), 35);
  EXPECT_EQ(ColorWeight(clNone, clRed, 10, 5), 0);
  EXPECT_EQ(ColorWeight(clRed, clRed, 3333, 3000), 3000);
  // Black against white: every channel 255 apart, one bright and one not.
  EXPECT_EQ(ColorWeight(clBlack, clWhite, 3333, 3000), -3 * 3333);
  // System colours are resolved first.
  EXPECT_EQ(ColorWeight(clWindow, clWhite, 100, 7), 7);
}

TEST(ResolutionRatio, ScalesBetweenScreenAndDevice) {
  setScreenPixelsPerInch(96);
  RecordingCanvas::Metrics m;
  m.ppiX = 600;
  m.ppiY = 300;
  RecordingCanvas printer(m);
  TRVScreenAndDevice sad = GetResolutionRatio(printer);
  EXPECT_EQ(sad.ppixScreen, 96);
  EXPECT_EQ(sad.ppixDevice, 600);
  EXPECT_EQ(sad.ppiyDevice, 300);
  EXPECT_EQ(ScaleXToDevice(96, sad), 600);
  EXPECT_EQ(ScaleYToDevice(96, sad), 300);
  EXPECT_EQ(ScaleX(600, sad), 96);
  EXPECT_EQ(ScaleY(300, sad), 96);
  TRect r = Rect(8, 16, 96, 32);
  ScaleRect(r, sad);
  EXPECT_EQ(r, Rect(50, 50, 600, 100));
  setScreenPixelsPerInch(0);
  EXPECT_TRUE(PointInRect(0, 0, 0, 0, 1, 1));
  EXPECT_FALSE(PointInRect(1, 0, 0, 0, 1, 1));
  EXPECT_FALSE(PointInRect(0, 1, 0, 0, 1, 1));
  EXPECT_TRUE(PointInRect(INT_MAX, 0, INT_MAX - 1, 0, INT_MAX, 1)); // no 32-bit wrap
}

TEST(PrintColors, ColorModes) {
  EXPECT_EQ(SysColorToPrintColor(clBtnFace), clSilver);
  EXPECT_EQ(SysColorToPrintColor(clScrollBar), clSilver);
  EXPECT_EQ(SysColorToPrintColor(clWindow), clWhite);
  EXPECT_EQ(SysColorToPrintColor(clBtnHighlight), clWhite);
  EXPECT_EQ(SysColorToPrintColor(clWindowText), clBlack);
  EXPECT_EQ(SysColorToPrintColor(clBtnShadow), clGray);
  EXPECT_EQ(SysColorToPrintColor(clHighlight), clHighlight);
  EXPECT_EQ(ColorToGray(clNone), clNone);
  EXPECT_EQ(ColorToGray(RGB(255, 0, 0)), RGB(76, 76, 76));
  EXPECT_EQ(ColorToGray(clWhite), clWhite);
  EXPECT_EQ(ColorForColorMode(clWhite, 3), clWhite);
  EXPECT_EQ(ColorForColorMode(clRed, 3), clBlack);
  EXPECT_EQ(ColorForColorMode(clWindow, 4), clWhite);
  EXPECT_EQ(ColorForColorMode(clNone, 3), clNone);
  EXPECT_EQ(ColorForColorMode(clBtnFace, 1), clSilver);
  EXPECT_EQ(ColorForColorMode(clBtnFace, 2), RGB(192, 192, 192));
  EXPECT_EQ(ColorForColorMode(clRed, 0), clRed);
  EXPECT_EQ(BackColorForColorMode(clRed, 3), clWhite);
  EXPECT_EQ(BackColorForColorMode(clNone, 3), clNone);
  EXPECT_EQ(BackColorForColorMode(clWindow, 1), clWhite);
}

TEST(HtmlRoutines, ColoursSizesAndCharsets) {
  EXPECT_EQ(ColorToHtml(RGB(0x12, 0xAB, 0xEF)), "#12ABEF");
  EXPECT_EQ(ColorToHtml(clRed, true), "\"#FF0000\"");
  EXPECT_EQ(ColorToHtml(clWindowText), "#000000");
  EXPECT_EQ(ColorToHtml(clNone), "");
  EXPECT_EQ(ColorToCss(clNone), "transparent");
  struct {
    int pt, size;
  } sizes[] = {{8, 1},  {9, 2},  {10, 2}, {11, 3}, {12, 3}, {13, 4}, {14, 4},
               {15, 5}, {18, 5}, {19, 6}, {24, 6}, {25, 7}, {30, 7}, {-3, 1}};
  for (auto s : sizes) EXPECT_EQ(FontSizeToHtmlSize(s.pt), s.size) << s.pt;
  EXPECT_EQ(CharsetToHtmlName(204), "Windows-1251");
  EXPECT_EQ(CharsetToHtmlName(128), "shift_jis");
  EXPECT_EQ(CharsetToHtmlName(255), "ascii");
  EXPECT_EQ(CharsetToHtmlName(0), "");
}

TEST(HtmlRoutines, TextEscaping) {
  struct {
    const char *in;
    bool nonEmpty;
    const char *out;
  } cases[] = {
      {"a<b>&c", false, "a&lt;b&gt;&amp;c"},
      {"a  b", false, "a&nbsp; b"},
      {"a ", false, "a&nbsp;"},
      {" a", false, "&nbsp;a"},
      {"", true, "&nbsp;"},
      {"", false, ""},
  };
  for (auto c : cases) EXPECT_EQ(MakeHtmlText(c.in, c.nonEmpty), c.out) << c.in;
  EXPECT_EQ(MakeHtmlTitle("say \"hi\""), "title=\"say 'hi'\"");
  EXPECT_EQ(MakeHtmlTitle(""), "");
}

TEST(HtmlRoutines, FontTagsAndCss) {
  THtmlFontDesc base{"Arial", 10, clBlack, 0, 0};
  THtmlFontDesc f{"Courier New", 14, clRed, fsBold | fsUnderline, -50};
  EXPECT_EQ(HtmlOpenFontTags(f, base), "<FONT size=4 color=\"#FF0000\" face=\"Courier New\"><B><U><SUB>");
  EXPECT_EQ(HtmlCloseFontTags(f, base), "</SUB></U></B></FONT>");
  THtmlFontDesc same = base;
  same.Name = "ARIAL";
  EXPECT_EQ(HtmlOpenFontTags(same, base), "");
  same.Style = fsItalic;
  EXPECT_EQ(HtmlOpenFontTags(same, base), "<I>");
  EXPECT_EQ(FontToCss(f), "font: bold 14pt 'Courier New'; text-decoration: underline; color: #FF0000;");
  THtmlFontDesc g{"Arial", 12, clNone, fsItalic | fsUnderline | fsStrikeOut, 0};
  EXPECT_EQ(FontToCss(g, true),
            "font: italic 12px 'Arial'; text-decoration: underline line-through; color: transparent;");
}

TEST(RtfRoutines, Escaping) {
  EXPECT_EQ(RtfEscapeText("a\\b{c}\x01\xE9"), "a\\\\b\\{c\\}\\'01\\'e9");
  EXPECT_EQ(RtfEscapeText("{\\b x}\xE9", true), "{\\b x}\\'e9");
  EXPECT_EQ(RtfEscapeHint("a\\b{c}\xE9"), "a_b_c_\\'e9");
  EXPECT_EQ(RtfEscapeName("my mark-1\xE9", 1252), "my_mark_1\\'e9");
  EXPECT_EQ(RtfEscapeName("x\xA7", 1252), "x_");
  // "Ж" (replacement "?" in 1252), "a", a unit above 0x7FFF.
  std::string raw("\x16\x04"
                  "a\x00"
                  "\x00\xE0",
                  6);
  EXPECT_EQ(RtfUnicodeText(raw, 1252), "\\uc1 \\u1046 ?\\u97 a\\u-8192 ?");
  // A double-byte replacement sets the count to 2.
  EXPECT_EQ(RtfUnicodeText(std::string("\xE5\x65", 2), 936), "\\uc1 \\uc2 \\u26085 \\'c8\\'d5");
}

TEST(TextRoutines, TabsScansAndReplacement) {
  EXPECT_EQ(ExpandTabsA("a\tb", 3), "a   b");
  EXPECT_EQ(ExpandTabsA("a\tb", -2), "ab");
  EXPECT_EQ(ExpandTabsW(std::string("a\0\t\0", 4), 2), std::string("a\0 \0 \0", 6));
  EXPECT_EQ(ExpandTabsW(std::string("\t\x01", 2), 2), std::string("\t\x01", 2)); // not a tab unit
  EXPECT_EQ(ScanByte("abc", 'c', 3), 3);
  EXPECT_EQ(ScanByte("abc", 'c', 2), 0);
  EXPECT_EQ(ScanByte(nullptr, 'c', 3), 0);
  EXPECT_EQ(ScanByte("abc", 'a', -1), 0);
  EXPECT_EQ(ReplaceAll("aXbX", "X", "XX"), "aXXbXX");
  EXPECT_EQ(ReplaceAll("abc", "", "z"), "abc");
  EXPECT_EQ(SlashPath("a\\b\\c"), "a/b/c");
  std::string s;
  AppendWord(s, "bold");
  AppendWord(s, "italic");
  EXPECT_EQ(s, "bold italic");
}

TEST(ClipboardFormats, NamesAndMimeTypes) {
  EXPECT_STREQ(CFRV_RVF.Name, "RichVista Format");
  EXPECT_STREQ(CFRV_RTF.Name, "Rich Text Format");
  EXPECT_STREQ(CFRV_URL.Name, "UniformResourceLocator");
  EXPECT_STREQ(CFRV_HTML.Name, "HTML Format");
  EXPECT_EQ(ClipboardFormatMime("Rich Text Format"), "text/rtf");
  EXPECT_EQ(ClipboardFormatMime("HTML Format"), "text/html");
  EXPECT_EQ(ClipboardFormatMime("Other"), "");
}

struct Counted {
  explicit Counted(int &live) : live_(live) { ++live_; }
  ~Counted() { --live_; }
  int &live_;
};

TEST(Lists, OwningListFreesItsObjects) {
  int live = 0;
  {
    TRVList<Counted> l;
    for (int i = 0; i < 4; ++i) l.Add(std::make_unique<Counted>(live));
    EXPECT_EQ(live, 4);
    l.Delete(0);
    EXPECT_EQ(live, 3);
    std::unique_ptr<Counted> kept = l.DeleteAsPointer(0);
    EXPECT_EQ(live, 3);
    EXPECT_EQ(l.Count(), 2);
    l.Clear();
    EXPECT_EQ(live, 1);
    EXPECT_THROW(l.Items(0), EListError);
  }
  EXPECT_EQ(live, 0);
}

TEST(Lists, IntegerAndColourLists) {
  TRVIntegerList l = TRVIntegerList::CreateFilled(3, 7);
  EXPECT_EQ(l.Values(), (std::vector<int32_t>{7, 7, 7}));
  EXPECT_EQ(TRVIntegerList::CreateFilled(-5, 1).Count(), 0);
  l.Fill(-1, 0);
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.AddUnique(5), 0);
  EXPECT_EQ(l.AddUnique(3), 1);
  EXPECT_EQ(l.AddUnique(5), 0);
  l.Add(-2);
  l.SortAscending();
  EXPECT_EQ(l.Values(), (std::vector<int32_t>{-2, 3, 5}));
  EXPECT_THROW(l.Items(3), EListError);
  EXPECT_THROW(l.Put(-1, 0), EListError);
  TRVIntegerList copy = TRVIntegerList::CreateCopy(l);
  EXPECT_EQ(copy.Values(), l.Values());
  TRVColorList colors;
  EXPECT_EQ(colors.AddUnique(clNone), -1);
  EXPECT_EQ(colors.AddUnique(clRed), 0);
  EXPECT_EQ(colors.AddUnique(clBlue), 1);
  EXPECT_EQ(colors.AddUnique(clRed), 0);
  EXPECT_EQ(colors.Count(), 2);
}

TEST(Lists, RtfFontTable) {
  TRVRTFFontTable t;
  EXPECT_EQ(t.AddUnique("Arial", 0), 0);
  EXPECT_EQ(t.AddUnique("ARIAL", 0), 0);
  EXPECT_EQ(t.AddUnique("Arial", 204), 1);
  EXPECT_EQ(t.Find("arial", 204), 1);
  EXPECT_EQ(t.Find("Tahoma", 0), -1);
}

std::unique_ptr<TRVDrawLineInfo> line(int item) {
  auto d = std::make_unique<TRVDrawLineInfo>();
  d->ItemNo = item;
  return d;
}

TEST(DrawLines, HoleIsFilledAndClosed) {
  TRVDrawLines lines;
  EXPECT_EQ(lines.HoleStart, -1);
  for (int i = 0; i < 6; ++i) lines.Add(line(i));
  lines.MarkHole(2, 4);
  EXPECT_EQ(lines.HoleStart, 2);
  EXPECT_EQ(lines.HoleCount, 3);
  EXPECT_EQ(lines.Items(3), nullptr);
  TRVDrawLineInfo *after = lines.Items(5);
  // Deleting next to the hole keeps the record after it in place.
  lines.Delete(1);
  EXPECT_EQ(lines.HoleStart, 1);
  EXPECT_EQ(lines.HoleCount, 4);
  EXPECT_EQ(lines.Items(5), after);
  // Inserting fills the hole from its start.
  lines.Insert(1, line(10));
  lines.Insert(2, line(11));
  EXPECT_EQ(lines.HoleStart, 3);
  EXPECT_EQ(lines.HoleCount, 2);
  EXPECT_EQ(lines.Items(5), after);
  lines.CloseHole();
  ASSERT_EQ(lines.Count(), 4);
  EXPECT_EQ(lines.Items(0)->ItemNo, 0);
  EXPECT_EQ(lines.Items(1)->ItemNo, 10);
  EXPECT_EQ(lines.Items(2)->ItemNo, 11);
  EXPECT_EQ(lines.Items(3), after);
  EXPECT_EQ(lines.HoleCount, 0);
  // Without a hole, insertion inserts.
  lines.Insert(0, line(20));
  EXPECT_EQ(lines.Count(), 5);
  lines.MarkHole(3, 100); // cut to the list
  EXPECT_EQ(lines.HoleCount, 2);
}

// An edit at Index of records 0..8 with an open hole, and what it gives.
struct HoleCase {
  int index;
  int holeStart, holeCount;
  std::vector<int> items; // -1 for a hole slot
};

// Lays records 0..8 out with a hole over HoleFrom..HoleTo, lets Edit change
// them at the case's index, and checks the hole and the records; the record
// behind them all must not move unless the edit took it.
void ExpectHoleEdit(int HoleFrom, int HoleTo, const HoleCase &C, const std::function<void(TRVDrawLines &)> &Edit,
                    bool LastStays) {
  TRVDrawLines lines;
  for (int i = 0; i < 9; ++i) lines.Add(line(i));
  lines.MarkHole(HoleFrom, HoleTo);
  TRVDrawLineInfo *last = lines.Items(8);
  Edit(lines);
  EXPECT_EQ(lines.HoleStart, C.holeStart) << C.index;
  EXPECT_EQ(lines.HoleCount, C.holeCount) << C.index;
  ASSERT_EQ(lines.Count(), 9) << C.index;
  for (int i = 0; i < 9; ++i) {
    TRVDrawLineInfo *d = lines.Items(i);
    EXPECT_EQ(d ? d->ItemNo : -1, C.items[i]) << C.index << " at " << i;
  }
  if (LastStays) {
    EXPECT_EQ(lines.Items(8), last) << C.index;
  }
}

TEST(DrawLines, DeletingWithAnOpenHoleNeverMovesTheRecordsBehindIt) {
  // Records 0..8, hole over 3..4; each case deletes one slot.
  const HoleCase cases[] = {
      {2, 2, 3, {0, 1, -1, -1, -1, 5, 6, 7, 8}}, // just before the hole
      {0, 2, 3, {1, 2, -1, -1, -1, 5, 6, 7, 8}}, // further before it
      {5, 3, 3, {0, 1, 2, -1, -1, -1, 6, 7, 8}}, // just behind it
      {7, 3, 3, {0, 1, 2, -1, -1, -1, 5, 6, 8}}, // further behind it
      {4, 3, 2, {0, 1, 2, -1, -1, 5, 6, 7, 8}},  // a hole slot stays one
  };
  for (const HoleCase &c : cases)
    ExpectHoleEdit(
        3, 4, c, [&](TRVDrawLines &l) { l.Delete(c.index); }, c.index != 8);
}

TEST(DrawLines, InsertingWithAnOpenHoleFillsItsSlots) {
  // Records 0..8, hole over 3..5; the new record is 99.
  const HoleCase cases[] = {
      {3, 4, 2, {0, 1, 2, 99, -1, -1, 6, 7, 8}}, // at the hole's start
      {1, 4, 2, {0, 99, 1, 2, -1, -1, 6, 7, 8}}, // before it
      {5, 4, 2, {0, 1, 2, 99, -1, -1, 6, 7, 8}}, // inside it
      {6, 4, 2, {0, 1, 2, 99, -1, -1, 6, 7, 8}}, // at its end
      {8, 3, 2, {0, 1, 2, -1, -1, 6, 7, 99, 8}}, // behind it
  };
  for (const HoleCase &c : cases)
    ExpectHoleEdit(
        3, 5, c, [&](TRVDrawLines &l) { l.Insert(c.index, line(99)); }, true);
}

// Shifts of the lines from a place on read back as if every line had been
// moved, whichever side the list moves at once, across lines leaving the
// front and new lines added between the shifts.
TEST(DrawLines, ShiftedLinesReadBackAsIfEachHadMoved) {
  struct Step {
    const char *name;
    int dropFront, from, dy, di, add;
  };
  const Step steps[] = {
      {"oldest lines go, the rest move up", 2, 1, -30, -2, 0},
      {"only the last lines move", 0, 6, 12, 1, 0},
      {"lines appended", 0, 0, 0, 0, 3},
      {"one line goes, all move", 1, 0, -10, -1, 0},
      {"a shift past the end", 0, 100, 5, 5, 0},
      {"a middle shift after both kinds", 0, 4, 7, 3, 0},
      {"a shift beyond the coordinate bound stays inside it", 0, 1, 2000000000, 0, 0},
      {"and back", 0, 1, -2000000000, 0, 0},
  };
  TRVDrawLines lines;
  std::vector<std::pair<int, int>> want; // top, item
  int next = 0;
  auto add = [&] {
    auto d = line(next);
    d->Top = 10 * next;
    want.push_back({d->Top, next});
    lines.Add(std::move(d));
    ++next;
  };
  for (int i = 0; i < 10; ++i) add();
  for (const Step &s : steps) {
    SCOPED_TRACE(s.name);
    if (s.dropFront > 0) {
      lines.MarkHole(0, s.dropFront - 1);
      lines.CloseHole();
      want.erase(want.begin(), want.begin() + s.dropFront);
    }
    lines.Shift(s.from, s.dy, s.di);
    for (size_t i = size_t(std::max(0, s.from)); i < want.size(); ++i) {
      want[i].first = int(std::clamp<int64_t>(int64_t(want[i].first) + s.dy, -(1 << 30), 1 << 30));
      want[i].second += s.di;
    }
    for (int k = 0; k < s.add; ++k) add();
    ASSERT_EQ(lines.Count(), int(want.size()));
    for (int i = 0; i < lines.Count(); ++i) {
      EXPECT_EQ(lines.Items(i)->Top, want[size_t(i)].first) << "line " << i;
      EXPECT_EQ(lines.Items(i)->ItemNo, want[size_t(i)].second) << "line " << i;
    }
  }
}

TEST(DrawLines, TextOfAPiece) {
  TRVDrawLines lines;
  auto d = line(0);
  d->Offs = 3;
  d->Length = 4;
  lines.Add(std::move(d));
  EXPECT_EQ(lines.GetDrawItemText(0, "abcdefgh", false), "cdef");
  std::string raw("a\0b\0c\0d\0e\0f\0g\0", 14);
  EXPECT_EQ(lines.GetDrawItemText(0, raw, true), std::string("c\0d\0e\0f\0", 8));
  EXPECT_EQ(lines.GetDrawItemText(0, "abcdefgh", false, 5, 10), "ef");
  EXPECT_EQ(lines.GetDrawItemText(0, "abcdefgh", false, 1, 3), "c");
  EXPECT_EQ(lines.GetDrawItemText(0, "abcdefgh", false, 1, -3), "");
  EXPECT_EQ(lines.GetDrawItemText(0, "abc", false), "c"); // cut to the text
  TRVDrawLineInfo info;
  EXPECT_FALSE(info.CanSplitFirst(10));
  EXPECT_FALSE(info.SplitAt(10));
}

} // namespace

#include "platform/Graphics.h"

namespace {

TEST(Pictures, StretchDrawGraphicAndHooks) {
  std::unique_ptr<TGraphic> g = RV_CreateGraphics("TBitmap");
  ASSERT_NE(g, nullptr);
  EXPECT_STREQ(g->className(), "TBitmap");
  EXPECT_EQ(RV_CreateGraphics("TNoSuchPicture"), nullptr);
  RV_AfterImportGraph(*g);
  auto *bmp = static_cast<TBitmap *>(g.get());
  bmp->setImage(QImage(4, 3, QImage::Format_RGB32));
  RecordingCanvas c;
  StretchDrawGraphic(c, Rect(10, 20, 100, 100), *g, -1, 6);
  StretchDrawGraphic(c, Rect(10, 20, 100, 100), *g, 0, 6); // nothing to draw
  EXPECT_EQ(c.logText(), "drawGraphic(10,20,14,26),TBitmap");
}

} // namespace

#include <QPushButton>
#include <QWidget>

#include "richtext/document/RVItem.h"

namespace {

QWidget *filled(QWidget *parent, const QColor &color) {
  auto *w = new QWidget(parent);
  QPalette p = w->palette();
  p.setColor(QPalette::Window, color);
  w->setPalette(p);
  w->setAutoFillBackground(true);
  return w;
}

TEST(ControlImages, DrawControlToBitmapPaintsTheControlAndItsChildren) {
  // A panel with a child at its position, never shown on a screen.
  std::unique_ptr<QWidget> panel(filled(nullptr, Qt::red));
  panel->resize(60, 40);
  filled(panel.get(), Qt::blue)->setGeometry(10, 10, 20, 20);
  std::unique_ptr<TBitmap> bmp = DrawControlToBitmap(panel.get());
  ASSERT_NE(bmp, nullptr);
  ASSERT_EQ(bmp->width(), 60);
  ASSERT_EQ(bmp->height(), 40);
  const QImage img = bmp->image();
  EXPECT_EQ(img.pixelColor(5, 5), QColor(Qt::red));
  EXPECT_EQ(img.pixelColor(15, 15), QColor(Qt::blue));
  EXPECT_EQ(img.pixelColor(35, 35), QColor(Qt::red));

  // A push button shows its caption: not one colour all over.
  QPushButton button("OK");
  button.resize(80, 24);
  bmp = DrawControlToBitmap(&button);
  ASSERT_NE(bmp, nullptr);
  const QImage face = bmp->image();
  EXPECT_EQ(face.size(), QSize(80, 24));
  bool varied = false;
  for (int y = 0; y < face.height() && !varied; ++y)
    for (int x = 0; x < face.width() && !varied; ++x) varied = face.pixel(x, y) != face.pixel(0, 12);
  EXPECT_TRUE(varied);

  // Nothing to paint: no bitmap.
  QWidget empty;
  empty.resize(0, 10);
  EXPECT_EQ(DrawControlToBitmap(&empty), nullptr);
  EXPECT_EQ(DrawControlToBitmap(nullptr), nullptr);
}

} // namespace
