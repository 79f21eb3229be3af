// The message body markup on real input boxes and transcripts: bodies
// rebuilt as documents (the ordinary cases and hostile ones), documents
// written as bodies, and the round trip of every body an editor can make.
#include <gtest/gtest.h>

#include <QTest>

#include "MarkupFixture.h"
#include "core/ChatServicesUn.h"
#include "platform/FileIcons.h"

using namespace kc;
using kctest::ChatDesk;
using kctest::Describe;

namespace {

const std::string P(markup::kParagraph);
const std::string kSep(markup::kFileInfoSeparator);

std::string bullet(const std::string &n) { return "{[!BULLET!]}" + n + "{[/!BULLET!]}"; }
std::string gif(const std::string &n) { return "{[!CONTROL!]}" + n + "{[/!CONTROL!]}"; }
std::string fileBlock(const std::string &id, const std::string &ip, const std::string &number,
                      const std::string &path) {
  return "{[!CONTROLFILE!]}" + kSep + id + kSep + ip + kSep + number + kSep + path + "{[!/CONTROLFILE!]}";
}
std::string repeat(const std::string &s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct BodyRow {
  const char *name;
  std::string body;
  std::string document; // as Describe gives it
};

} // namespace

TEST(BodyToDocument, RebuildsEachMarkerAndSurvivesHostileBodies) {
  const BodyRow rows[] = {
      {"plain text", "hello", "|\"hello\""},
      {"emoticon between letters", "x" + bullet("27") + "y", "|\"x\" B27 \"y\""},
      {"unknown animation number", gif("99") + "ok", "|\"\" \"ok\""},
      {"letters as an emoticon number", bullet("ab"), "|\"\" \"\""},
      {"separator only", P, "|\"\" |\"\" \"\""},
      {"two paragraphs", "ab" + P + "cd", "|\"ab\" |\"\" \"cd\""},
      {"animation 0 is valid", gif("0"), "|\"\" G0 \"\""},
      {"emoticon index 99999", bullet("99999") + "z", "|\"\" \"z\""},
      {"emoticon index -1", bullet("-1") + "z", "|\"\" \"z\""},
      {"emoticon index past 32 bits", bullet("4294967323") + "z", "|\"\" \"z\""},
      {"unterminated emoticon eats its closing length", "{[!BULLET!]}27abcdefghijklmnop", "|\"\" \"lmnop\""},
      {"unterminated animation", "{[!CONTROL!]}3", "|\"\" \"\""},
      {"unterminated file block still offers a file", "{[!CONTROLFILE!]}x", "|\"\" F0 \"\""},
      {"empty file block", "{[!CONTROLFILE!]}{[!/CONTROLFILE!]}", "|\"\" F0 \"\""},
      {"marker text without its brace", "[!BULLET!]}1", "|\"[!BULLET!]}1\""},
      {"closing markers alone are text", "{[/!BULLET!]}", "|\"{[/!BULLET!]}\""},
      {"lone line feed stays text", std::string("a\x0A") + "b",
       "|\"a\x0A"
       "b\""},
  };
  for (const BodyRow &row : rows) {
    SCOPED_TRACE(row.name);
    ChatDesk desk;
    TRichVistaEdit &box = desk.NewBox();
    TextToDocument(&box, 0, desk.Reader(), row.body);
    EXPECT_EQ(Describe(box), row.document);
    box.ReformatDocument();
  }
}

TEST(BodyToDocument, SixHundredOpeningMarkersStayBounded) {
  const struct {
    const char *name;
    std::string body;
    int maxGifs, maxFiles;
  } rows[] = {
      {"emoticons", repeat("{[!BULLET!]}", 600), 0, 0},
      {"animations", repeat("{[!CONTROL!]}", 600), 0, 0},
      {"closed animations", repeat(gif("1"), 600), markup::kMaxGifsPerMessage, 0},
      {"file blocks", repeat("{[!CONTROLFILE!]}", 600), 0, 600},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    ChatDesk desk;
    TRichVistaEdit &box = desk.NewBox();
    std::vector<int> files;
    TextToDocument(&box, 0, desk.Reader(), row.body, &files);
    box.ReformatDocument();
    EXPECT_LE(TTranscriptRenderer::CountGifs(box), row.maxGifs);
    EXPECT_LE(int(files.size()), row.maxFiles);
    EXPECT_LE(box.ItemCountOf(), 2 * 600 + 2);
  }
}

TEST(BodyToDocument, NothingWithoutDocumentOrImageList) {
  ChatDesk desk;
  TRichVistaEdit &box = desk.NewBox();
  TBodyReader reader = desk.Reader();
  TextToDocument(nullptr, 0, reader, "ab");
  reader.Images = nullptr;
  TextToDocument(&box, 0, reader, "ab");
  EXPECT_EQ(box.ItemCountOf(), 0);
}

TEST(BodyToDocument, TextTakesTheGivenStyle) {
  ChatDesk desk;
  const int style = desk.renderer->EnsureUserTextStyle("{user}", clRed);
  TRichVistaEdit &box = desk.NewBox();
  TextToDocument(&box, style, desk.Reader(), "ab" + P + "cd");
  for (int i = 0; i < box.ItemCountOf(); ++i) EXPECT_EQ(box.ItemStyleOf(i), style) << i;
}

TEST(FileInfo, SplitsFieldsAsEveryPeerReadsThem) {
  const struct {
    const char *name;
    std::string block;
    std::array<std::string, 4> fields;
  } rows[] = {
      {"as a sender writes it",
       kSep + "{id}" + kSep + "1.2.3.4" + kSep + "0" + kSep + "/home/a/b.txt",
       {"{id}", "1.2.3.4", "0", "/home/a/b.txt"}},
      {"empty owner IP moves the rest up", kSep + "{id}" + kSep + kSep + "0" + kSep + "/p", {"{id}", "0", "/p", ""}},
      {"empty", "", {"", "", "", ""}},
      {"separator only", kSep, {"", "", "", ""}},
      {"no separator", "abc", {"abc", "", "", ""}},
      {"fields past four dropped", "a" + kSep + "b" + kSep + "c" + kSep + "d" + kSep + "e", {"a", "b", "c", "d"}},
      {"trailing separator", "a" + kSep, {"a", "", "", ""}},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(SplitFileInfo(row.block), row.fields);
  }
}

TEST(FileInfo, EmptyOwnerIPShiftsThePathIntoTheNumber) {
  ChatDesk desk;
  TRichVistaEdit &box = desk.NewBox();
  std::vector<int> files;
  TextToDocument(&box, 0, desk.Reader(), fileBlock("{peer}", "", "0", "/tmp/x"), &files);
  ASSERT_EQ(files.size(), 1u);
  const RLFile *f = desk.files.Find(files[0]);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->OwnerID, "{peer}");
  EXPECT_EQ(f->OwnerIP, "0");
  EXPECT_EQ(f->Number, 0); // "/tmp/x" is no number
  EXPECT_EQ(f->Path, "");
  EXPECT_FALSE(f->Mine);
}

TEST(TrimLineBreaks, KeepsATrailingSeparatorOnlyAfterAnother) {
  const struct {
    const char *name;
    std::string in, out;
  } rows[] = {
      {"none", "ab", "ab"},
      {"leading", P + "ab", "ab"},
      {"only trailing", "ab" + P, "ab"},
      {"trailing after another", "ab" + P + "cd" + P, "ab" + P + "cd" + P},
      {"leading and trailing", P + "ab" + P, "ab"},
      {"separator only", P, ""},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(TrimLineBreaks(row.in), row.out);
  }
}

// ---------------------------------------------------------------------------
// Document to body

namespace {

// Builds an input box through the editor's own appending operations.
struct BoxBuilder {
  TRichVistaEdit &box;
  void para(const std::string &text) { box.AddTextParagraph(text, 0, 0); }
  void run(const std::string &text) { box.AddTextRun(text, 0); }
};

} // namespace

TEST(DocumentToBody, WritesParagraphsAndMarkers) {
  const struct {
    const char *name;
    std::function<void(BoxBuilder &, ChatDesk &)> build;
    std::string body;
  } rows[] = {
      {"one text item", [](BoxBuilder &b, ChatDesk &) { b.para("ab"); }, "ab"},
      {"two paragraphs", [](BoxBuilder &b, ChatDesk &) { b.para("ab"), b.para("cd"); }, "ab" + P + "cd"},
      {"empty first paragraph", [](BoxBuilder &b, ChatDesk &) { b.para(""), b.para("ab"); }, "ab"},
      {"empty last paragraph after two", [](BoxBuilder &b, ChatDesk &) { b.para("ab"), b.para("cd"), b.para(""); },
       "ab" + P + "cd" + P},
      {"empty last paragraph after one", [](BoxBuilder &b, ChatDesk &) { b.para("ab"), b.para(""); }, "ab"},
      {"still emoticon",
       [](BoxBuilder &b, ChatDesk &d) {
         b.para("x");
         b.box.AddPictureItem("", 27, &d.profiles, -1);
         b.run("y");
       },
       "x" + bullet("27") + "y"},
      {"animated emoticon",
       [](BoxBuilder &b, ChatDesk &d) {
         auto *g = new TKcGIFAnimator(&b.box);
         g->SetImage(d.catalogue->FindAnimatorByTag(7)->Image());
         b.box.AddControlItem("", g, 0, rvvaMiddle, 7);
       },
       gif("7")},
      {"a line break of the writer",
       [](BoxBuilder &b, ChatDesk &) {
         b.para("ab");
         b.run("cd");
         b.box.GetItem(1)->SetLineBreakBefore(true);
       },
       "ab" + P + "cd"},
      {"horizontal line sends dashes",
       [](BoxBuilder &b, ChatDesk &) {
         b.para("ab");
         b.box.AddLineBreak();
         b.para("cd");
       },
       "ab" + P + std::string(markup::kBreakTextWidth, '-') + P + "cd"},
      {"other control sends nothing",
       [](BoxBuilder &b, ChatDesk &) {
         b.para("a");
         b.box.AddControlItem("", new QWidget(&b.box), -1, rvvaMiddle, 0);
         b.run("b");
       },
       "ab"},
      {"offered file of a dropped record sends nothing",
       [](BoxBuilder &b, ChatDesk &) {
         b.para("a");
         b.box.AddHotPictureItem("/x", std::make_unique<TBitmap>(QImage(4, 4, QImage::Format_RGB32)), -1, rvvaBaseline,
                                 12345);
       },
       "a"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    ChatDesk desk;
    BoxBuilder b{desk.NewBox()};
    row.build(b, desk);
    b.box.ReformatDocument();
    EXPECT_EQ(DocumentToText(b.box, ChatDesk::kLocalID, ChatDesk::kLocalIP, &desk.files), row.body);
  }
}

TEST(DocumentToBody, WrapPointsOfTheSendersWindowAreNoParagraphs) {
  // Narrow boxes wrap a long text and push an emoticon to the next line:
  // the receiver gets one paragraph all the same.
  ChatDesk desk;
  TRichVistaEdit &box = desk.NewBox(120, 300);
  box.AddTextParagraph("a long line of words that cannot fit into so narrow a box", 0, 0);
  box.AddPictureItem("", 27, &desk.profiles, -1);
  box.AddTextRun("tail words after the picture", 0);
  box.ReformatDocument();
  ASSERT_LT(box.ItemParagraphOf(0, 0), box.ItemParagraphOf(1, 0)) << "the box must wrap for this test";
  EXPECT_EQ(DocumentToText(box, ChatDesk::kLocalID, ChatDesk::kLocalIP),
            "a long line of words that cannot fit into so narrow a box" + bullet("27") +
                "tail words after the picture");
}

TEST(DocumentToBody, TypedTextGivesParagraphs) {
  ChatDesk desk;
  TRichVistaEdit &box = desk.NewBox();
  box.ReformatDocument();
  box.show();
  box.activateWindow();
  box.setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  QTest::keyClicks(&box, "ab");
  QTest::keyClick(&box, Qt::Key_Return);
  QTest::keyClicks(&box, "c&d");
  EXPECT_EQ(DocumentToText(box, ChatDesk::kLocalID, ChatDesk::kLocalIP), "ab" + P + "c&d");
}

TEST(Markup, RoundTripOfBodiesAnEditorCanMake) {
  const struct {
    const char *name;
    std::string body;
  } rows[] = {
      {"text", "hello, world"},
      {"paragraphs", "ab" + P + "cd" + P + "ef"},
      {"empty paragraph inside", "a" + P + P + "b"},
      {"empty paragraph at the end after two", "ab" + P + "cd" + P},
      {"emoticons", "x" + bullet("27") + bullet("49") + "y"},
      {"emoticon first", bullet("25") + "x"},
      {"animations", "a" + gif("0") + gif("22") + P + "b"},
      {"file of the sender", "see " + fileBlock(ChatDesk::kLocalID, ChatDesk::kLocalIP, "0", "/home/u/report.txt")},
      {"file of another user forwarded", fileBlock("{peer}", "198.18.0.7", "0", "/srv/a b.zip") + P + "x"},
      {
          "marker-like text",
          "{[!BULLET",
      },
      {"8-bit text", "\xCF\xF0\xE8\xE2\xE5\xF2 & <b>"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    ChatDesk desk;
    TRichVistaEdit &box = desk.NewBox();
    TextToDocument(&box, 0, desk.Reader(), row.body);
    box.ReformatDocument();
    EXPECT_EQ(DocumentToText(box, ChatDesk::kLocalID, ChatDesk::kLocalIP, &desk.files), row.body);
  }
}

TEST(Markup, NumbersAreDecimalInThirtyTwoBits) {
  const struct {
    const char *text;
    std::optional<std::int32_t> value;
  } rows[] = {{"0", 0},
              {"27", 27},
              {"-1", -1},
              {"+5", 5},
              {"", std::nullopt},
              {"-", std::nullopt},
              {"2147483647", INT32_MAX},
              {"-2147483648", INT32_MIN},
              {"2147483648", std::nullopt},
              {"1a", std::nullopt},
              {" 1", std::nullopt},
              {"99999999999999999999", std::nullopt}};
  for (const auto &row : rows) EXPECT_EQ(ParseMarkupNumber(row.text), row.value) << row.text;
}

TEST(Markup, MixturesOfMarkerPiecesNeverBreakATranscript) {
  // Bodies glued from pieces of markers, numbers and separators, as a peer
  // could send them: rendered, laid out and written back without a fault,
  // and never more than five animations alive.
  const std::vector<std::string> pieces = {"{[!BULLET!]}",
                                           "{[/!BULLET!]}",
                                           "{[!CONTROL!]}",
                                           "{[/!CONTROL!]}",
                                           "{[!CONTROLFILE!]}",
                                           "{[!/CONTROLFILE!]}",
                                           kSep,
                                           P,
                                           "\x0A",
                                           "\x0D",
                                           "27",
                                           "3",
                                           "-1",
                                           "99999",
                                           "abc ",
                                           "{",
                                           "{[!",
                                           "\t",
                                           "/etc/passwd",
                                           ChatDesk::kLocalID};
  ChatDesk desk;
  TRichVistaEdit &t = desk.NewBox(200, 100);
  t.show();
  std::uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
  for (int round = 0; round < 300; ++round) {
    std::string body;
    const int n = 1 + int(next() % 40);
    for (int i = 0; i < n; ++i) body += pieces[next() % pieces.size()];
    TTalkMessage m;
    m.SenderID = "{peer-" + std::to_string(next() % 5) + "}";
    m.Body = body;
    m.Color = int(next() & 0xFFFFFF);
    desk.renderer->RenderTalkMessage(t, m);
    ASSERT_LE(TTranscriptRenderer::CountGifs(t), markup::kMaxGifsPerMessage) << round;
    (void)DocumentToText(t, ChatDesk::kLocalID, ChatDesk::kLocalIP, &desk.files);
  }
  t.ReformatDocument();
  EXPECT_GT(t.ItemCountOf(), 300);
}
