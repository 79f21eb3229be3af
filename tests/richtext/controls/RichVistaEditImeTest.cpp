// Input methods in the editor: committed strings land as text (any
// script, characters outside the basic plane too), the composition is
// shown by the widget and never enters the document, and the input
// method's questions are answered from the caret.
#include <gtest/gtest.h>

#include <QInputMethodEvent>

#include "EditorFixture.h"
#include "richtext/document/RVUni.h"

using namespace kc;
using kctest::Editor;

namespace {

// The whole document's text as UTF-16, paragraphs joined by "|".
QString DocText(const Editor &E) {
  std::u16string s;
  for (int i = 0; i < E.doc().GetItemCount(); ++i) {
    if (i > 0 && E.doc().IsParaStart(i)) s += u'|';
    if (!E.doc().IsTextItem(i)) continue;
    const std::string raw = E.doc().GetItemTextRaw(i);
    s += E.doc().GetItem(i)->IsUnicode() ? RawToWideString(raw)
                                         : RawToWideString(AnsiToUnicode(E.doc().GetStyleCodePage(0), raw));
  }
  return QString::fromStdU16String(s);
}

void Commit(QWidget *W, const QString &Text) {
  QInputMethodEvent ev;
  ev.setCommitString(Text);
  QApplication::sendEvent(W, &ev);
}

void Preedit(QWidget *W, const QString &Text, int Cursor) {
  QList<QInputMethodEvent::Attribute> attrs{{QInputMethodEvent::Cursor, Cursor, 1, QVariant()}};
  QInputMethodEvent ev(Text, attrs);
  QApplication::sendEvent(W, &ev);
}

struct CommitRow {
  const char *name;
  const char16_t *text;
};

class EditorImeCommit : public ::testing::TestWithParam<CommitRow> {};

TEST_P(EditorImeCommit, LandsAsTextInOneUndoStep) {
  Editor e;
  e.sheet.TextStyles().Items(0)->Unicode = true;
  e.para({""});
  e.open(0, 1);
  QTest::keyClicks(e.ed.get(), "ab");
  const QString commit = QString::fromUtf16(GetParam().text);
  Commit(e.ed.get(), commit);
  EXPECT_EQ(DocText(e), "ab" + commit);
  EXPECT_EQ(e.ed->GetCaretOffset(), 3 + int(commit.size())) << "the caret after the committed text";
  e.ed->Undo();
  EXPECT_EQ(DocText(e), "ab");
}

// A text style without Unicode switches to the style sheet's Unicode
// style rather than losing the characters to a code page.
TEST_P(EditorImeCommit, SwitchesToTheDefaultUnicodeStyle) {
  Editor e;
  e.sheet.TextStyles().Add()->Unicode = true;
  const int uni = e.sheet.TextStyles().Count() - 1;
  e.sheet.DefUnicodeStyle = uni;
  e.para({"ab"});
  e.open(0, 3);
  const QString commit = QString::fromUtf16(GetParam().text);
  Commit(e.ed.get(), commit);
  EXPECT_EQ(DocText(e), "ab" + commit);
  EXPECT_EQ(e.ed->CurTextStyleNo(), uni);
}

INSTANTIATE_TEST_SUITE_P(Scripts, EditorImeCommit,
                         ::testing::Values(CommitRow{"Russian", u"Привет"}, CommitRow{"Chinese", u"你好世界"},
                                           CommitRow{"Emoji", u"😀"}, CommitRow{"Mixed", u"мир 世 🎉!"}),
                         [](const ::testing::TestParamInfo<CommitRow> &I) { return std::string(I.param.name); });

TEST(EditorIme, ThePreeditIsShownButNeverEntersTheDocument) {
  Editor e;
  e.sheet.TextStyles().Items(0)->Unicode = true;
  e.para({""});
  e.open(0, 1);
  QTest::keyClicks(e.ed.get(), "ab");
  const std::string before = e.rvf();
  int changes = 0;
  e.ed->OnChange = [&](TCustomRichVistaEdit *) { ++changes; };
  Preedit(e.ed.get(), QStringLiteral("нихао"), 2);
  EXPECT_EQ(e.ed->PreeditText(), QStringLiteral("нихао"));
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(changes, 0);
  e.ed->repaint(); // painting the composition touches nothing either
  EXPECT_EQ(e.rvf(), before);
  Commit(e.ed.get(), QStringLiteral("你好"));
  EXPECT_TRUE(e.ed->PreeditText().isEmpty());
  EXPECT_EQ(DocText(e), QStringLiteral("ab你好"));
  EXPECT_EQ(changes, 1);
}

TEST(EditorIme, AnEmptyEventEndsTheComposition) {
  Editor e;
  e.para({"ab"});
  e.open(0, 2);
  const std::string before = e.rvf();
  Preedit(e.ed.get(), QStringLiteral("x"), 1);
  QInputMethodEvent cancel;
  QApplication::sendEvent(e.ed.get(), &cancel);
  EXPECT_TRUE(e.ed->PreeditText().isEmpty());
  EXPECT_EQ(e.rvf(), before);
}

TEST(EditorIme, QueriesAreAnsweredFromTheCaret) {
  Editor e;
  e.sheet.TextStyles().Items(0)->FontName = "DejaVu Sans";
  e.sheet.TextStyles().Items(0)->Size = 14;
  e.sheet.TextStyles().Items(0)->Style = fsBold;
  e.para({"first"});
  e.para({"one ", "two"});
  e.open(2, 2);
  EXPECT_TRUE(e.ed->inputMethodQuery(Qt::ImEnabled).toBool());
  const QRect r = e.ed->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  EXPECT_EQ(r.left(), e.ed->CaretRect().left());
  EXPECT_EQ(r.top(), e.ed->CaretRect().top());
  EXPECT_EQ(r.height(), e.doc().CaretHeight);
  EXPECT_EQ(e.ed->inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("one two"));
  EXPECT_EQ(e.ed->inputMethodQuery(Qt::ImCursorPosition).toInt(), 5);
  const QFont f = e.ed->inputMethodQuery(Qt::ImFont).value<QFont>();
  EXPECT_EQ(f.family(), QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(f.pointSize(), 14);
  EXPECT_TRUE(f.bold());
  e.ed->SetReadOnly(true);
  EXPECT_FALSE(e.ed->inputMethodQuery(Qt::ImEnabled).toBool());
}

TEST(EditorIme, ACommitIntoAReadOnlyEditorIsRefused) {
  Editor e;
  e.para({"ab"});
  e.open(0, 2);
  e.ed->SetReadOnly(true);
  const std::string before = e.rvf();
  Commit(e.ed.get(), QStringLiteral("日本"));
  EXPECT_EQ(e.rvf(), before);
  EXPECT_EQ(e.beeps, 1);
}

} // namespace
