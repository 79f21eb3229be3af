// The input box holds every character typed into it; the body sent stays
// 8-bit text of the ANSI code page, byte-exact for what the code page
// holds, and the characters it cannot hold are named for the notice.
#include <gtest/gtest.h>

#include "MarkupFixture.h"
#include "platform/CodePage.h"
#include "richtext/document/RVUni.h"
#include "ui/UnsendableTextUn.h"

using namespace kc;
using kctest::ChatDesk;

namespace {

// Runs a test in one ANSI code page and puts the old one back.
struct CodePageScope {
  int old = ansiCodePage();
  explicit CodePageScope(int CodePage) { EXPECT_TRUE(setAnsiCodePage(CodePage)); }
  ~CodePageScope() { setAnsiCodePage(old); }
};

struct TypedRow {
  const char *name;
  int codePage;
  std::u16string typed;
  std::string sent; // the body's bytes
  int lost;
  std::u16string named; // the distinct characters the notice names
};

} // namespace

TEST(InputBoxText, KeepsWhatIsTypedAndSendsTheCodePage) {
  const TypedRow rows[] = {
      {"Cyrillic in 1251 byte-exact", 1251, u"Привет, мир! Ёё", "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! \xA8\xB8", 0,
       u""},
      {"Latin in 1252 with accents", 1252, u"café naïve", "caf\xE9 na\xEFve", 0, u""},
      {"a letter and a mark the page joins", 1252, u"e\u0301", "\xE9", 0, u""},
      {"Chinese in 1251", 1251, u"ok 中文", "ok ??", 2, u"中文"},
      {"emoji is one character", 1251, u"a😀b😀", "a?b?", 2, u"😀"},
      {"Arabic in 1251", 1251, u"سلام", "????", 4, u"سلام"},
      {"Arabic in its own page", 1256, u"سلام", "\xD3\xE1\xC7\xE3", 0, u""},
      {"Cyrillic in 1252", 1252, u"Да", "??", 2, u"Да"},
      {"repeats counted, named once", 1251, u"中中中x中", "???x?", 4, u"中"},
  };
  for (const TypedRow &row : rows) {
    SCOPED_TRACE(row.name);
    CodePageScope cp(row.codePage);
    ChatDesk desk;
    TRichVistaEdit &box = desk.NewBox();
    box.ReformatDocument();
    box.InsertTextW(row.typed);
    // The box shows what was typed, not question marks.
    ASSERT_EQ(box.ItemCountOf(), 1);
    ASSERT_TRUE(box.GetItem(0)->IsUnicode());
    EXPECT_EQ(RawToWideString(box.RVData()->Items.Strings(0)), row.typed);
    EXPECT_EQ(DocumentToText(box, ChatDesk::kLocalID, ChatDesk::kLocalIP, &desk.files), row.sent);
    const TUnsendableText lost = FindUnsendableText(box);
    EXPECT_EQ(lost.Count, row.lost);
    EXPECT_EQ(lost.Characters, row.named);
    const QString notice = UnsendableNotice(lost);
    EXPECT_EQ(notice.isEmpty(), row.lost == 0);
    if (row.lost > 0) {
      EXPECT_TRUE(notice.contains(QString::number(row.lost))) << notice.toStdString();
      EXPECT_TRUE(notice.contains(QString::fromStdU16String(row.named))) << notice.toStdString();
    }
  }
}

TEST(InputBoxText, NamesAtMostAFewDistinctCharacters) {
  CodePageScope cp(1251);
  std::u16string typed;
  for (char16_t c = u'\u4E00'; c < u'\u4E00' + 40; ++c) typed += c;
  const TUnsendableText lost = FindUnsendableText(typed, 1251);
  EXPECT_EQ(lost.Count, 40);
  EXPECT_EQ(lost.Shown, TUnsendableText::kShown);
  EXPECT_EQ(lost.Characters, typed.substr(0, TUnsendableText::kShown));
}

TEST(InputBoxText, ReceivedBodiesReadBackByteExact) {
  // A transcript's text is Unicode now; what a peer sent still reads back
  // as the bytes it sent.
  CodePageScope cp(1251);
  ChatDesk desk;
  TRichVistaEdit &box = desk.NewBox();
  const std::string body = "\xCF\xF0\xE8\xE2\xE5\xF2 ?";
  TextToDocument(&box, 0, desk.Reader(), body);
  EXPECT_EQ(DocumentToText(box, ChatDesk::kLocalID, ChatDesk::kLocalIP, &desk.files), body);
  EXPECT_EQ(FindUnsendableText(box).Count, 0);
}
