// Pasting into the editor from the clipboard: the first format offered is
// the one used, RVF blocks are read by their length, data that cannot be
// read changes nothing, and RTF gets the base path of the HTML that came
// with it. PasteX11.FromAnotherProgram runs only under PasteX11Test.sh.
#include <gtest/gtest.h>

#include <QMimeData>
#include <cstdlib>

#include "PasteFixture.h"
#include "richtext/controls/RVDropTarget.h"
#include "richtext/controls/RVRTFImport.h"

using namespace kc;
using kctest::PasteDoc;

namespace {

const char *kRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 R {\\b B}}";

QMimeData *Content(const std::vector<std::pair<const char *, std::string>> &Formats) {
  auto *md = new QMimeData;
  for (const auto &[type, bytes] : Formats) {
    if (std::string(type) == "image") md->setImageData(QImage(4, 3, QImage::Format_RGB32));
    else md->setData(type, QByteArray::fromStdString(bytes));
  }
  return md;
}

} // namespace

TEST(Paste, FirstFormatOfferedIsUsed) {
  const std::string rvf = kctest::RvfBlockOf("V", 1);
  struct Case {
    const char *Name;
    std::vector<std::pair<const char *, std::string>> Offered;
    bool UnicodeStyle;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"rvf before rtf and text",
       {{"application/x-richvista", rvf}, {"text/rtf", kRtf}, {"text/plain", "T"}},
       false,
       "a*Vbc def"},
      {"rtf and text: the rtf only", {{"text/rtf", kRtf}, {"text/plain", "T"}}, false, "aR *Bbc def"},
      {"text into an ansi style", {{"text/plain", "T"}}, false, "aTbc def"},
      {"text into a unicode style", {{"text/plain", "Ж"}}, true, "aЖbc def"},
      {"bitmap", {{"image", ""}}, false, "a<pic>bc def"},
      {"text before a bitmap", {{"image", ""}, {"text/plain", "T"}}, false, "aTbc def"},
      {"a link is not pasted", {{"text/uri-list", "http://example.org/\r\n"}}, false, "abc def"},
  };
  for (const Case &c : cases) {
    PasteDoc d;
    if (c.UnicodeStyle) d.ed->SetCurTextStyleNo(PasteDoc::kUnicodeStyle);
    kctest::OfferOnClipboard(Content(c.Offered));
    d.ed->Paste();
    EXPECT_EQ(d.plain(), c.Expected) << c.Name;
  }
}

TEST(Paste, AnsiTextGoesInInTheCodePageOfTheStyle) {
  PasteDoc d;
  d.sheet.TextStyles().Items(0)->Charset = 204; // Cyrillic: code page 1251
  kctest::OfferOnClipboard(Content({{"text/plain", "Привет"}}));
  d.ed->Paste();
  EXPECT_EQ(d.items(), "aПриветbc def");
  EXPECT_FALSE(d.doc().GetItem(0)->IsUnicode());
}

TEST(Paste, LineEndsOfThisDesktopBreakParagraphs) {
  PasteDoc d;
  kctest::OfferOnClipboard(Content({{"text/plain", "x\ny"}}));
  d.ed->Paste();
  EXPECT_EQ(d.items(), "ax / ybc def");
}

TEST(Paste, RvfBlockLongerThanItsLengthUsesOnlyTheLength) {
  PasteDoc d;
  std::string block = kctest::RvfBlockOf("V", 1);
  block += "-1 garbage that is no RVF\r\n";
  kctest::OfferOnClipboard(Content({{"application/x-richvista", block}}));
  d.ed->Paste();
  EXPECT_EQ(d.items(), "a|*V|bc def") << "and the run goes into the line";
}

TEST(Paste, UnreadableDataChangesNothing) {
  std::string shortBlock = kctest::RvfBlockOf("V", 1);
  shortBlock.resize(shortBlock.size() - 3); // the length now runs past the block
  const std::string junkBlock = std::string("\x0C\0\0\0", 4) + "-99 1 2\r\nzz" + "zzzz";
  struct Case {
    const char *Name;
    const char *Type;
    std::string Bytes;
  };
  const std::vector<Case> cases = {
      {"rvf length beyond the block", "application/x-richvista", shortBlock},
      {"rvf that cannot be read", "application/x-richvista", junkBlock},
      {"rtf that cannot be read", "text/rtf", "{\\rtf1 {\\b bold}\\'zz}"},
  };
  for (const Case &c : cases) {
    for (bool selected : {false, true}) {
      PasteDoc d({"abc def", "second"});
      // Something to redo, which a paste that put nothing in must not take.
      d.ed->InsertText("z");
      d.ed->Undo();
      if (selected) d.select(0, 2, 1, 3);
      d.ed->Modified = false;
      int changes = 0;
      d.ed->OnChange = [&](TCustomRichVistaEdit *) { ++changes; };
      const std::string before = d.rvf();
      const int groups = d.doc().UndoList->Count();
      // Offered with text, which must not be taken instead.
      kctest::OfferOnClipboard(Content({{c.Type, c.Bytes}, {"text/plain", "T"}}));
      d.ed->Paste();
      EXPECT_EQ(d.rvf(), before) << c.Name << (selected ? ", over a selection" : "");
      EXPECT_EQ(d.doc().UndoList->Count(), groups) << c.Name;
      EXPECT_EQ(d.doc().SelectionExists(), selected) << c.Name;
      EXPECT_EQ(changes, 0) << c.Name;
      EXPECT_FALSE(d.ed->Modified) << c.Name;
      EXPECT_EQ(d.doc().RedoList->Count(), 1) << c.Name;
      d.ed->Redo();
      EXPECT_NE(d.rvf(), before) << c.Name << ": the earlier redo is still there";
    }
  }
}

TEST(Paste, OnPasteAndReadOnly) {
  {
    PasteDoc d;
    int asked = 0;
    d.ed->OnPaste = [&](TCustomRichVistaEdit *, bool &DoDefault) {
      ++asked;
      DoDefault = false;
    };
    kctest::OfferOnClipboard(Content({{"text/plain", "T"}}));
    d.ed->Paste();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(d.items(), "abc def");
  }
  {
    PasteDoc d;
    bool asked = false;
    d.ed->OnPaste = [&](TCustomRichVistaEdit *, bool &) { asked = true; };
    d.ed->SetReadOnly(true);
    kctest::OfferOnClipboard(Content({{"text/plain", "T"}}));
    d.ed->Paste();
    EXPECT_FALSE(asked) << "a read-only editor does not even ask";
    EXPECT_EQ(d.items(), "abc def");
  }
}

TEST(Paste, RtfTakesTheBasePathOfTheHtmlBesideIt) {
  PasteDoc d;
  std::vector<std::string> seen;
  // The closest-style search asks the filter, which sees the settings.
  d.ed->RTFReadProperties().TextStyleMode = rvrsUseClosest;
  d.ed->RTFReadProperties().OnCanUseStyle = [&](TRVRTFReaderProperties &P, int, bool, bool &) {
    seen.push_back(P.LinkBasePath);
  };
  kctest::OfferOnClipboard(
      Content({{"text/rtf", kRtf}, {"text/html", "Version:0.9\r\nSourceURL:http://example.org/docs/page.html\r\n"}}));
  d.ed->Paste();
  ASSERT_FALSE(seen.empty()) << "the RTF was read";
  EXPECT_EQ(seen.front(), "http://example.org/docs/");
  EXPECT_EQ(d.ed->RTFReadProperties().LinkBasePath, "") << "emptied afterwards";
}

TEST(Paste, CanPaste) {
  PasteDoc d;
  kctest::OfferOnClipboard(Content({{"text/uri-list", "http://example.org/\r\n"}}));
  EXPECT_FALSE(d.ed->CanPaste());
  for (const char *type : {"text/plain", "text/rtf", "application/x-richvista", "image"}) {
    kctest::OfferOnClipboard(Content({{type, "x"}}));
    EXPECT_TRUE(d.ed->CanPaste()) << type;
  }
  kctest::OfferOnClipboard(Content({{"text/rtf", "x"}}));
  EXPECT_TRUE(d.ed->CanPasteFormat(0));
  EXPECT_TRUE(d.ed->CanPasteFormat(CF_RTF()));
  EXPECT_FALSE(d.ed->CanPasteFormat(CF_RVF()));
  EXPECT_FALSE(d.ed->CanPasteFormat(DataObject::cfText));
  EXPECT_FALSE(d.ed->CanPasteFormat(CF_HTML())) << "only the formats a paste takes";
  d.ed->SetReadOnly(true);
  EXPECT_FALSE(d.ed->CanPasteFormat(0)) << "read-only";
}

// Pastes what another program holds on a real X server's clipboard as
// text/rtf; the bold run must come out bold.
TEST(PasteX11, FromAnotherProgram) {
  if (!std::getenv("KC_PASTE_X11")) GTEST_SKIP() << "run by PasteX11Test.sh";
  PasteDoc d({""});
  d.ed->show();
  QCoreApplication::processEvents();
  ASSERT_TRUE(d.ed->CanPaste());
  d.ed->Paste();
  std::printf("items: %s\n", d.items().c_str());
  EXPECT_NE(d.items().find("*bold"), std::string::npos) << d.items();
  EXPECT_NE(d.items().find("plain"), std::string::npos) << d.items();
  EXPECT_EQ(d.items().find("*plain"), std::string::npos) << d.items();
}

// The talk input box's common pastes: RTF into an empty box, an empty
// paragraph, and the end and middle of a line. Pasted text joins the line
// at the caret, with no empty paragraph left before or after it.
TEST(Paste, RtfJoinsTheLineAtTheCaret) {
  const std::string oneLine = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\plain\\f0 x {\\b B} y\\par}";
  const std::string twoParas = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 one {\\b B}\\par two\\par}";
  struct Case {
    const char *Name;
    std::vector<std::string> Doc;
    int CaretOffs;
    std::string Rtf, Expected;
  };
  const std::vector<Case> cases = {
      {"empty box", {}, -1, oneLine, "x |*B| y"},
      {"empty paragraph", {""}, -1, oneLine, "x |*B| y"},
      // The pasted runs keep their own look (a style of their own).
      {"end of a line", {"abcd"}, 5, oneLine, "abcd|x |*B| y"},
      {"middle of a line", {"abcd"}, 3, oneLine, "ab|x |*B| y|cd"},
      {"two paragraphs into an empty box", {}, -1, twoParas, "one |*B / two"},
      {"two paragraphs into a line", {"abcd"}, 3, twoParas, "ab|one |*B / two|cd"},
  };
  for (const Case &c : cases) {
    PasteDoc d(c.Doc);
    if (c.CaretOffs >= 0) d.caret(0, c.CaretOffs);
    kctest::OfferOnClipboard(Content({{"text/rtf", c.Rtf}}));
    d.ed->Paste();
    EXPECT_EQ(d.items(), c.Expected) << c.Name;
  }
}

// RTF as LibreOffice and other programs write it: characters outside the
// code page as \u escapes with a "?" fallback, or as bytes of a font's
// charset. Every character arrives as it was, into an 8-bit style as well,
// and plain text stays plain (never the sheet's nearest 8-bit style).
TEST(Paste, RtfKeepsEveryCharacterWhateverTheStylesCodePage) {
  const std::string head = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                           "{\\f1\\fcharset204 Arial;}{\\f2\\fcharset134 SimSun;}}\\pard\\plain\\f0\\fs24 ";
  struct Case {
    const char *Name;
    std::string Body, Expected;
  };
  const std::vector<Case> cases = {
      {"cyrillic and chinese as unicode escapes",
       "\\uc1\\u1055\\'3f\\u1088\\'3f\\u1080\\'3f \\u20013\\'3f\\u25991\\'3f",
       "a\u041F\u0440\u0438 \u4E2D\u6587bc def"},
      {"fallback of two bytes", "\\uc2\\u20013\\'d6\\'d0!", "a\u4E2D!bc def"},
      {"emoji as a surrogate pair", "\\u-10179\\'3f\\u-8704\\'3f", "a\U0001F600bc def"},
      {"cyrillic as bytes of its charset", "{\\f1 \\'cf\\'f0\\'e8}", "a\u041F\u0440\u0438bc def"},
      {"chinese as bytes of its charset", "{\\f2 \\'d6\\'d0\\'ce\\'c4}", "a\u4E2D\u6587bc def"},
      {"latin with accents", "caf\\'e9 na\\u239\\'3fve", "acaf\u00E9 na\u00EFvebc def"},
  };
  for (const Case &c : cases) {
    PasteDoc d;
    kctest::OfferOnClipboard(Content({{"text/rtf", head + c.Body + "}"}}));
    d.ed->Paste();
    EXPECT_EQ(d.plain(), c.Expected) << c.Name << ": " << d.items();
    EXPECT_EQ(d.plain().find('*'), std::string::npos) << c.Name << ": plain text stays plain";
  }
}
