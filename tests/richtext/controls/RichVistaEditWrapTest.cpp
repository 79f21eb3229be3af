// An input box typed full: when the vertical bar appears the text wraps
// again at the narrower width in the same keystroke, so no line runs under
// the bar and no horizontal bar shows; when the text goes, the bar goes and
// the lines take the whole width again.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QScrollBar>

#include "EditorFixture.h"

using namespace kc;
using kctest::Editor;

namespace {

// Every draw line ends inside the client and the wrap width is the client's.
void ExpectLinesInsideTheClient(Editor &E, const std::string &When) {
  TRVEditRVData &d = E.doc();
  EXPECT_EQ(d.TextWidth, E.ed->ClientWidth()) << When;
  for (int i = 0; i < d.DrawLines.Count(); ++i) {
    const TRVDrawLineInfo *dl = d.DrawLines.Items(i);
    EXPECT_LE(dl->Left + dl->Width, E.ed->ClientWidth()) << When << ": draw line " << i;
  }
  EXPECT_EQ(d.CheckDrawLines(), "") << When;
}

// Types Text a character at a time as key events carrying it, as the
// desktop sends them (QTest types ASCII only); the key of a letter goes
// with every one, as the editor types only keys it knows.
void Type(QWidget *W, const QString &Text) {
  for (const QChar c : Text) {
    QKeyEvent press(QEvent::KeyPress, c == u' ' ? Qt::Key_Space : Qt::Key_A, Qt::NoModifier, QString(c));
    QApplication::sendEvent(W, &press);
    QKeyEvent release(QEvent::KeyRelease, c == u' ' ? Qt::Key_Space : Qt::Key_A, Qt::NoModifier, QString(c));
    QApplication::sendEvent(W, &release);
  }
}

struct TypingCase {
  const char *name;
  const char *word; // typed again and again
};

class TypedFull : public ::testing::TestWithParam<TypingCase> {};

TEST_P(TypedFull, TheBarNarrowsTheLinesAtOnceAndNoHorizontalBarShows) {
  Editor e(480, 90);
  e.sheet.TextStyles().Items(0)->Unicode = true;
  e.para({""});
  e.open(0, 0);
  const QString word = QString::fromUtf8(GetParam().word);
  bool barSeen = false;
  for (int i = 0; i < 60; ++i) {
    Type(e.ed.get(), word);
    const bool bar = e.ed->VerticalBar()->isVisibleTo(e.ed.get());
    ASSERT_FALSE(e.ed->HorizontalBar()->isVisibleTo(e.ed.get())) << "after " << i + 1 << " words";
    if (bar && !barSeen) ExpectLinesInsideTheClient(e, "when the bar appeared");
    barSeen |= bar;
  }
  ASSERT_TRUE(barSeen);
  ExpectLinesInsideTheClient(e, "typed full");
  // Deleting it all takes the bar away and the width back.
  QTest::keyClick(e.ed.get(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(e.ed.get(), Qt::Key_Backspace);
  EXPECT_FALSE(e.ed->VerticalBar()->isVisibleTo(e.ed.get()));
  EXPECT_FALSE(e.ed->HorizontalBar()->isVisibleTo(e.ed.get()));
  EXPECT_EQ(e.doc().TextWidth, 480);
}

const TypingCase kTyping[] = {
    {"Words", "chat words "},
    {"OneLongRunWithoutSpaces", "abcdefghij"},
    {"Ideographs", "中文字中文字中文字中"},
};

INSTANTIATE_TEST_SUITE_P(Editor, TypedFull, ::testing::ValuesIn(kTyping),
                         [](const auto &Info) { return std::string(Info.param.name); });

} // namespace
