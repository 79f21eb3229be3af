#include "richtext/controls/RVRTF.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/CodePage.h"

using namespace kc;

namespace {

const char *posName(TRVRTFPosition p) { return p == rtf_ts_NewPara ? "P" : (p == rtf_ts_NewLine ? "L" : "C"); }

// Records the reader's events as short strings: "P:text" (new paragraph),
// "L:" (new line), "C:" (continued), "U" prefix for Unicode runs, "pic",
// "tbl:start/end/row/cell", "page", "hdr+/-".
struct Recorder {
  TRVRTFReader reader;
  std::vector<std::string> ev;
  std::vector<TRVRTFCharProperties> props;

  explicit Recorder(bool unicode = true, bool pictures = false) {
    reader.OnNewText = [this](TRVRTFReader &r, const std::string &t, TRVRTFPosition p) {
      ev.push_back(std::string(posName(p)) + ":" + t);
      props.push_back(r.CharProps());
    };
    if (unicode)
      reader.OnNewUnicodeText = [this](TRVRTFReader &r, const std::u16string &t, TRVRTFPosition p) {
        ev.push_back(std::string("U") + posName(p) + ":" + utf16ToUtf8(t));
        props.push_back(r.CharProps());
      };
    if (pictures)
      reader.OnNewPicture = [this](TRVRTFReader &, TRVRTFPicture *pic, std::unique_ptr<TGraphic> &g, TRVRTFPosition,
                                   bool &) {
        ev.push_back(std::string("pic:") + (g ? g->className() : "none") + ":" + std::to_string(g ? g->width() : 0) +
                     "x" + std::to_string(g ? g->height() : 0) + (pic && pic->Invalid ? ":invalid" : ""));
        if (pic) lastPicture = *pic;
      };
    reader.OnTable = [this](TRVRTFReader &r, TRVRTFTableEventKind k) {
      static const char *names[] = {"tbl:start", "tbl:end", "tbl:row", "tbl:cell"};
      ev.push_back(names[k]);
      if (k == rvf_tbl_RowEnd && r.RowProps()) rows.push_back(*r.RowProps());
    };
  }
  int read(const std::string &rtf) { return reader.ReadRTFData(rtf); }

  std::vector<TRVRTFRowProperties> rows;
  TRVRTFPicture lastPicture;
};

std::string hex(std::string_view bytes) {
  static const char *digits = "0123456789abcdef";
  std::string r;
  for (unsigned char c : bytes) {
    r += digits[c >> 4];
    r += digits[c & 15];
  }
  return r;
}

std::string bmpBytes(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(qRgb(10, 200, 30));
  QByteArray out;
  QBuffer buf(&out);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "BMP");
  return std::string(out.constData(), size_t(out.size()));
}

using Events = std::vector<std::string>;

// A document and the events the reader gives for it, with or without a
// receiver of Unicode text.
struct EventCase {
  const char *rtf;
  Events want;
  bool unicode = true;
};

void ExpectEvents(std::initializer_list<EventCase> Cases) {
  for (const EventCase &c : Cases) {
    Recorder r(c.unicode);
    EXPECT_EQ(r.read(c.rtf), rtf_ec_OK) << c.rtf;
    EXPECT_EQ(r.ev, c.want) << c.rtf;
  }
}

} // namespace

TEST(RVRTFReader, ParagraphsLinesAndRuns) {
  ExpectEvents({
      {R"({\rtf1 a\par b})", {"P:a", "P:b"}},
      {R"({\rtf1 a\line b})", {"P:a", "L:b"}},
      {R"({\rtf1 a\b b\b0 c})", {"P:a", "C:b", "C:c"}},
      {"{\\rtf1 a\\\nb}", {"P:a", "P:b"}},
      {R"({\rtf1 {\b a}b\par\par c})", {"P:a", "C:b", "P:c"}},
      {R"({\rtf1 x\tab y\~z\{\}\\})", {"P:x\ty\xA0z{}\\"}},
  });
}

TEST(RVRTFReader, UnicodeAndFallbacks) {
  ExpectEvents({
      {R"({\rtf1 a\u8364?b})", {"P:a", "UC:\u20ac", "C:b"}},
      {R"({\rtf1 a\u8364?b})", {"P:a?b"}, false},
      {R"({\rtf1 \uc2\u8364xyb})", {"UP:\u20ac", "C:b"}},
      // a brace ends the dropping early
      {R"({\rtf1 \uc2\u8364x{b}})", {"UP:\u20ac", "C:b"}},
      // \'hh is one fallback character, its digits included
      {R"({\rtf1 \u233\'e9x})", {"UP:\u00e9", "C:x"}},
      // a control word is one fallback character too
      {R"({\rtf1 \u233\par x})", {"UP:\u00e9", "C:x"}},
      // \uc is scoped to its group
      {R"({\rtf1 {\uc0\u233}\u233?x})", {"UP:\u00e9", "UC:\u00e9", "C:x"}},
      {R"({\rtf1 \ldblquote q\rdblquote})", {"P:\"q\""}, false},
      {R"({\rtf1 \ldblquote q\rdblquote})", {"UP:\u201c", "C:q", "UC:\u201d"}},
      // negative parameters are UTF-16 units
      {R"({\rtf1 \u-3913?})", {"UP:\uf0b7"}},
  });
}

TEST(RVRTFReader, DestinationsSkippedAndRead) {
  ExpectEvents({
      {R"({\rtf1 a{\*\unknown b{c}d}e})", {"P:ae"}},
      {R"({\rtf1 a{\unknown b}e})", {"P:ab", "C:e"}},
      {R"({\rtf1 a{\info{\title T}}b})", {"P:ab"}},
      {R"({\rtf1 {\*\listtext 1.}x})", {"P:x"}},
      {R"({\rtf1 a\page b})", {"P:ab"}},
      {R"({\rtf1 {\header H}x})", {"P:x"}},
  });
}

TEST(RVRTFReader, ResultCodes) {
  struct Case {
    const char *rtf;
    int code;
  } cases[] = {
      {R"({\rtf1 \'e9})", rtf_ec_OK},
      {R"({\rtf1 \'g9})", rtf_ec_InvalidHex},
      {R"({\rtf1 a)", rtf_ec_UnmatchedBrace},
      {R"({\rtf1 a}})", rtf_ec_OK}, // bytes after the outermost group are not read
      {R"(a})", rtf_ec_StackUnderflow},
      {R"({\rtf1 a\)", rtf_ec_EndOfFile},
      {R"({\rtf1 {\pict {\pict 00}}})", rtf_ec_InvalidPicture},
      {R"({\rtf1 {\pict\wmetafile8 0g}})", rtf_ec_InvalidHex},
      {"", rtf_ec_OK},
  };
  for (const auto &c : cases) {
    Recorder r(true, true);
    EXPECT_EQ(r.read(c.rtf), c.code) << c.rtf;
  }
}

TEST(RVRTFReader, HexByteIsText) {
  Recorder r(false);
  ASSERT_EQ(r.read(R"({\rtf1 caf\'e9})"), 0);
  EXPECT_EQ(r.ev, Events{"P:caf\xE9"});
}

TEST(RVRTFReader, GroupDepthIsCapped) {
  std::string deep(size_t(kRTFMaxGroupDepth) + 5, '{');
  Recorder r;
  EXPECT_EQ(r.read(deep), rtf_ec_StackOverflow);
  std::string ok = std::string(50, '{') + "x" + std::string(50, '}');
  EXPECT_EQ(r.read(ok), rtf_ec_OK);
}

TEST(RVRTFReader, OverlongNumbersAndWordsAreTolerated) {
  Recorder r;
  int32_t indent = 0;
  r.reader.OnNewText = [&](TRVRTFReader &rd, const std::string &, TRVRTFPosition) {
    r.props.push_back(rd.CharProps());
    indent = rd.ParaProps().LeftIndent;
  };
  ASSERT_EQ(r.read(R"({\rtf1 \fs99999999999999999999 a\li-99999999999999 b})"), 0);
  ASSERT_EQ(r.props.size(), 2u);
  EXPECT_EQ(r.props[0].Size, 1073741824); // INT32_MAX half points
  EXPECT_EQ(indent, INT32_MIN);

  // an over-long word is unknown even when it starts with a known one
  std::string word(200, 'b');
  Recorder r2;
  ASSERT_EQ(r2.read("{\\rtf1 \\" + word + " x{\\*\\" + word + " skipped}y}"), 0);
  EXPECT_EQ(r2.ev, Events{"P:xy"});
  EXPECT_EQ(r2.props[0].Style, 0);
}

TEST(RVRTFReader, BinaryData) {
  // \bin4 passes braces and backslashes to the picture unchanged
  Recorder r(true, true);
  ASSERT_EQ(r.read("{\\rtf1 {\\pict\\dibitmap0 \\bin4 {}\\\\}x}"), 0);
  EXPECT_EQ(r.lastPicture.Data, std::string("{}\\\\"));
  EXPECT_EQ(r.ev.back(), "C:x");

  // \bin0 and \bin without a count take no byte
  for (const char *rtf : {"{\\rtf1 \\bin0 {x}}", "{\\rtf1 \\bin {x}}", "{\\rtf1 \\bin-5 {x}}"}) {
    Recorder b;
    EXPECT_EQ(b.read(rtf), 0) << rtf;
    EXPECT_EQ(b.ev, Events{"P:x"}) << rtf;
  }
  // a stale parameter of an earlier word does not become a count
  Recorder s;
  EXPECT_EQ(s.read("{\\rtf1 \\fs20\\bin {x}}"), 0);
  EXPECT_EQ(s.ev, Events{"P:x"});

  // binary data inside a skipped group is skipped with it, braces and all
  Recorder k;
  EXPECT_EQ(k.read("{\\rtf1 a{\\*\\foo\\bin3 }}{b}x}"), 0);
  EXPECT_EQ(k.ev, Events{"P:ax"});

  // a count beyond the end stops at the end
  Recorder e(true, true);
  EXPECT_EQ(e.read("{\\rtf1 {\\pict\\bin1000000 ab"), rtf_ec_UnmatchedBrace);
}

TEST(RVRTFReader, ColourTable) {
  struct Case {
    const char *rtf;
    std::vector<TRVRTFColor> want;
  } cases[] = {
      {R"({\rtf1{\colortbl;\red255\green0\blue0;}})", {rtf_clWindowText, 0x0000FF}},
      {R"({\rtf1{\colortbl\red0\green128\blue255;}})", {0xFF8000}},
      // no closing ";": the last real colour stays
      {R"({\rtf1{\colortbl;\red255\green0\blue0}})", {rtf_clWindowText, 0x0000FF}},
      {R"({\rtf1{\colortbl}})", {rtf_clWindowText}},
      // \u has no meaning in the colour table: no ";" comes of it
      {R"({\rtf1{\colortbl;\red255\u59 ?;}})", {rtf_clWindowText, 0x0000FF}},
      {R"({\rtf1 no table})", {}},
  };
  for (const auto &c : cases) {
    Recorder r;
    EXPECT_EQ(r.read(c.rtf), 0) << c.rtf;
    EXPECT_EQ(r.reader.ColorList().Items(), c.want) << c.rtf;
  }
}

TEST(RVRTFReader, ColourIndicesAreRangeChecked) {
  Recorder r;
  ASSERT_EQ(r.read(R"({\rtf1{\colortbl;\red255\green0\blue0;}\cf1 a\cf7 b\cf-1 c\chcbpat0 d\chcbpat1 e})"), 0);
  ASSERT_EQ(r.props.size(), 5u);
  EXPECT_EQ(r.props[0].Color, 0x0000FF);
  EXPECT_EQ(r.props[1].Color, 0x0000FF);
  EXPECT_EQ(r.props[2].Color, 0x0000FF);
  EXPECT_EQ(r.props[3].BackColor, rtf_clNone); // automatic colour: no background
  EXPECT_EQ(r.props[4].BackColor, 0x0000FF);
}

TEST(RVRTFReader, FontTable) {
  Recorder r;
  ASSERT_EQ(r.read(R"({\rtf1\deff1{\fonttbl{\f0\fswiss\fcharset204 Arial Cyr;}{\f1\froman\fcharset0 Times Cyr;})"
                   R"({\f2\fcharset300 Mac;}{\f3\fcharset238 Arial CE;}}\plain a\f2 b\f9 c})"),
            0);
  const auto &fl = r.reader.FontList();
  ASSERT_EQ(fl.Count(), 4);
  EXPECT_EQ(fl.Get(0)->FontName, "Arial");
  EXPECT_EQ(fl.Get(0)->Family, 2);
  EXPECT_EQ(fl.Get(1)->FontName, "Times Cyr");
  EXPECT_EQ(fl.Get(2)->Charset, 77);
  EXPECT_EQ(fl.Get(3)->FontName, "Arial");
  EXPECT_EQ(fl.Get(4), nullptr);
  ASSERT_EQ(r.props.size(), 3u);
  EXPECT_EQ(r.props[0].FontIndex, 1); // \plain takes \deff
  EXPECT_EQ(r.props[1].FontIndex, 2);
  EXPECT_EQ(r.props[2].FontIndex, 1); // unknown number: the default font
  EXPECT_EQ(fl.GetFontIndex(9, 7), 0);
  EXPECT_EQ(fl.GetFontIndex(7, 7), 0);

  // a new font table (here of the next document) forgets the numbers of the last
  ASSERT_EQ(r.read(R"({\rtf1{\fonttbl{\f7 A;}{\f1 B;}{\f3 C;}{\f0 D;}}\f0 x})"), 0);
  EXPECT_EQ(r.props.back().FontIndex, 3);
  EXPECT_EQ(r.reader.FontList().GetFontIndex(3, 0), 2);
}

TEST(RVRTFReader, TextBeforeTableEntriesIsTolerated) {
  Recorder r;
  EXPECT_EQ(r.read(R"({\rtf1{\fonttbl stray;{\f0 Arial;}}{\stylesheet stray\s3 text;{\s1 Head;}}x})"), 0);
  ASSERT_EQ(r.reader.FontList().Count(), 1);
  EXPECT_EQ(r.reader.FontList().Get(0)->FontName, "Arial");
  ASSERT_EQ(r.reader.StyleSheet().Count(), 1);
  EXPECT_EQ(r.reader.StyleSheet().Get(0)->Name, "Head");
  EXPECT_EQ(r.ev, Events{"P:x"});
  // no font table at all: no font index
  Recorder n;
  EXPECT_EQ(n.read(R"({\rtf1\plain\f3 x})"), 0);
  EXPECT_EQ(n.props[0].FontIndex, -1);
}

TEST(RVRTFReader, StyleSheetEntries) {
  Recorder r;
  ASSERT_EQ(r.read(R"({\rtf1{\stylesheet{\ql\fs20 Normal;}{\s1\qc\b\sbasedon0\snext0 heading 1;})"
                   R"({\*\cs10\additive\i Emph;}}x})"),
            0);
  const auto &ss = r.reader.StyleSheet();
  ASSERT_EQ(ss.Count(), 3);
  EXPECT_EQ(ss.Get(0)->Name, "Normal");
  EXPECT_EQ(ss.Get(0)->CharProps.Size, 10);
  EXPECT_EQ(ss.Get(1)->Kind, 1);
  EXPECT_EQ(ss.Get(1)->Number, 1);
  EXPECT_EQ(ss.Get(1)->ParaProps.Alignment, 2);
  EXPECT_TRUE(ss.Get(1)->CharProps.Style & rtf_fsBold);
  EXPECT_EQ(ss.Get(2)->Kind, 0);
  EXPECT_EQ(ss.Get(2)->Number, 10);
  EXPECT_TRUE(ss.Get(2)->Additive);

  // a style word between the entries names none of them
  Recorder between;
  ASSERT_EQ(between.read(R"({\rtf1{\stylesheet{\s0 Normal;}\s5 x{\s1 Head;}}y})"), 0);
  const auto &sb = between.reader.StyleSheet();
  ASSERT_EQ(sb.Count(), 2);
  EXPECT_EQ(sb.Get(0)->Name, "Normal");
  EXPECT_EQ(sb.Get(0)->Number, 0);
  EXPECT_EQ(sb.Get(1)->Name, "Head");
  EXPECT_EQ(sb.Get(1)->Number, 1);
  // the entries' formatting does not leak into the text
  EXPECT_EQ(r.props[0].Style, 0);
  EXPECT_EQ(r.props[0].Size, 12);
}

TEST(RVRTFReader, CharacterProperties) {
  Recorder r;
  ASSERT_EQ(r.read(R"({\rtf1 \b\i\ul\strike\fs23\super\caps\charscalex80\expndtw-20\lang1049 a)"
                   R"(\plain\fs21 b\highlight6 c\highlight99 d})"),
            0);
  ASSERT_EQ(r.props.size(), 4u);
  const auto &p = r.props[0];
  EXPECT_EQ(p.Style, rtf_fsBold | rtf_fsItalic | rtf_fsUnderline | rtf_fsStrikeOut);
  EXPECT_EQ(p.Size, 12); // 11.5 rounds to even
  EXPECT_EQ(p.SubSuperScript, 2);
  EXPECT_EQ(p.StyleEx, rtf_fsAllCaps);
  EXPECT_EQ(p.CharScaleX, 80);
  EXPECT_EQ(p.CharSpacing, -20);
  EXPECT_EQ(p.Language, 1049);
  EXPECT_EQ(r.props[1].Style, 0);
  EXPECT_EQ(r.props[1].Size, 10);            // 10.5 rounds to even
  EXPECT_EQ(r.props[2].BackColor, 0x0000FF); // highlight 6 is red
  EXPECT_EQ(r.props[3].BackColor, rtf_clNone);
}

// Spacing and scale beyond what word processors offer only overflow the
// sums of measuring and painting; they land on the nearest sane value.
TEST(RVRTFReader, CharacterSpacingAndScaleAreKeptInRange) {
  struct Case {
    const char *name;
    const char *words;
    int32_t spacing, scale;
  } cases[] = {
      {"ordinary", R"(\expndtw-20\charscalex80)", -20, 80},
      {"widest given", R"(\expndtw31680\charscalex600)", 31680, 600},
      {"largest numbers", R"(\expndtw2147483647\charscalex2147483647)", 31680, 600},
      {"smallest numbers", R"(\expndtw-2147483648\charscalex-2147483648)", -31680, 1},
      {"overlong numbers", R"(\expndtw-99999999999\charscalex99999999999)", -31680, 600},
      {"zero scale", R"(\charscalex0)", 0, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Recorder r;
    ASSERT_EQ(r.read(std::string(R"({\rtf1{\stylesheet{\s1)") + c.words + R"( Entry;}})" + c.words + " a}"), 0);
    ASSERT_EQ(r.props.size(), 1u);
    EXPECT_EQ(r.props[0].CharSpacing, c.spacing);
    EXPECT_EQ(r.props[0].CharScaleX, c.scale);
    ASSERT_EQ(r.reader.StyleSheet().Count(), 1);
    EXPECT_EQ(r.reader.StyleSheet().Get(0)->CharProps.CharSpacing, c.spacing);
    EXPECT_EQ(r.reader.StyleSheet().Get(0)->CharProps.CharScaleX, c.scale);
  }
}

TEST(RVRTFReader, HiddenTextIsItsOwnRun) {
  Recorder r;
  ASSERT_EQ(r.read(R"({\rtf1 a{\v h}b})"), 0);
  // the change of the hidden attribute forces a (here empty) run of its own
  ASSERT_EQ(r.ev, (Events{"P:a", "C:", "C:h", "C:b"}));
  EXPECT_FALSE(r.props[1].Hidden);
  EXPECT_TRUE(r.props[2].Hidden);
  EXPECT_FALSE(r.props[3].Hidden);

  ExpectEvents({
      // the forced run comes in a field instruction too, with the position pending
      {R"({\rtf1 {\field{\*\fldinst {\v X}}{\fldrslt r}}})", {"P:", "C:r"}},
      // a style sheet entry only records the attribute
      {R"({\rtf1{\stylesheet{\s1\v Hid;}}x})", {"P:x"}},
  });
}

TEST(RVRTFReader, ParagraphPropertiesAndShading) {
  TRVRTFParaProperties seen;
  TRVRTFReader reader;
  reader.OnNewText = [&](TRVRTFReader &r, const std::string &, TRVRTFPosition) { seen = r.ParaProps(); };
  ASSERT_EQ(reader.ReadRTFData(R"({\rtf1{\colortbl;\red255\green255\blue255;\red0\green0\blue0;})"
                               R"(\li100\ri200\fi-50\sb10\sa20\qj\sl360\slmult1\keep\keepn)"
                               R"(\brdrt\brdrs\brdrw15\brdrcf2\brsp40\brdrdb)"
                               R"(\cbpat1\cfpat2\shading5000 x})"),
            0);
  EXPECT_EQ(seen.LeftIndent, 100);
  EXPECT_EQ(seen.RightIndent, 200);
  EXPECT_EQ(seen.FirstIndent, -50);
  EXPECT_EQ(seen.SpaceBefore, 10);
  EXPECT_EQ(seen.SpaceAfter, 20);
  EXPECT_EQ(seen.Alignment, 3);
  EXPECT_EQ(seen.LineSpacing, 360);
  EXPECT_TRUE(seen.KeepLinesTogether && seen.KeepWithNext);
  ASSERT_TRUE(seen.Border);
  const TRVRTFBorderSide *top = seen.Border->GetSide(1);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->BorderType, 1); // only the first type counts
  EXPECT_EQ(top->Width, 15);
  EXPECT_EQ(top->Color, 0);
  EXPECT_EQ(top->Space, 40);
  EXPECT_TRUE(seen.Border->IsVisible());
  EXPECT_EQ(seen.Border->GetSide(0), nullptr);
  // half white, half black
  EXPECT_EQ(seen.Color, 0x7F7F7F);
  EXPECT_EQ(seen.Shading, 0);
}

TEST(RVRTFReader, SimpleTable) {
  Recorder r;
  ASSERT_EQ(
      r.read(R"({\rtf1{\colortbl;\red255\green0\blue0;})"
             R"(\trowd\trgaph108\trleft-108\trqc\clcbpat0\cellx1000\clcbpat1\clvmgf\cellx2000\clvertalc\cellx3000)"
             R"(\pard\intbl a\cell b\cell c\cell\row\pard after})"),
      0);
  Events want = {"tbl:start", "P:a", "tbl:cell", "P:b", "tbl:cell", "P:c", "tbl:cell", "tbl:row", "tbl:end", "P:after"};
  EXPECT_EQ(r.ev, want);
  ASSERT_EQ(r.rows.size(), 1u);
  const auto &row = r.rows[0];
  ASSERT_EQ(row.Cells.size(), 3u);
  EXPECT_EQ(row.Cells[0].RightBoundary, 1000);
  EXPECT_EQ(row.Cells[0].Color, rtf_clNone);
  EXPECT_EQ(row.Cells[1].Color, 0x0000FF);
  EXPECT_EQ(row.Cells[1].VMerge, 1);
  EXPECT_EQ(row.Cells[2].VAlign, 2);
  EXPECT_EQ(row.Gap, 108);
  EXPECT_EQ(row.Left, -108);
  EXPECT_EQ(r.reader.TableAlignment(), 2);
}

TEST(RVRTFReader, RowWithoutCellxHasNoCells) {
  Recorder r;
  ASSERT_EQ(r.read(R"({\rtf1\trowd\intbl a\cell\row})"), 0);
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_TRUE(r.rows[0].Cells.empty());
  // cell words after such a row have a cell to go to
  Recorder again;
  ASSERT_EQ(again.read(R"({\rtf1{\colortbl;\red1\green2\blue3;}\trowd\intbl a\cell\row)"
                       R"(\clcbpat1\clvmgf\clbrdrl\brdrs\cellx5\intbl b\cell\row})"),
            0);
  ASSERT_EQ(again.rows.size(), 2u);
  ASSERT_EQ(again.rows[1].Cells.size(), 1u);
  EXPECT_EQ(again.rows[1].Cells[0].Color, 0x030201);
}

TEST(RVRTFReader, BorderWordsKeepTheirTargetOverPardAndTrowd) {
  // \pard and \trowd select no border: the last side word still does
  Recorder r;
  bool paraBorder = true;
  r.reader.OnNewText = [&](TRVRTFReader &rd, const std::string &, TRVRTFPosition) {
    paraBorder = rd.ParaProps().Border.has_value();
  };
  ASSERT_EQ(r.read(R"({\rtf1\trowd\clbrdrl\pard\brdrdb\trowd\brdrw30\cellx100\intbl a\cell\row})"), 0);
  EXPECT_FALSE(paraBorder);
  ASSERT_EQ(r.rows.size(), 1u);
  ASSERT_EQ(r.rows[0].Cells.size(), 1u);
  const TRVRTFBorderSide *left = r.rows[0].Cells[0].Border.GetSide(0);
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->Width, 30);
}

TEST(RVRTFReader, RowWidthsAndOwnWords) {
  Recorder r;
  ASSERT_EQ(
      r.read(
          R"({\rtf1\trowd\trftsWidth2\trwWidth2500\clftsWidth3\clwWidth1440\cellx1440\intbl a\cell\row)"
          R"(\trowd\richvistatbw-50\trftsWidth3\trwWidth999\richvistacbw77\richvistacbh33\cellx10\intbl b\cell\row})"),
      0);
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0].BestWidth, -2500);
  EXPECT_TRUE(r.rows[0].PercentWidth);
  EXPECT_EQ(r.rows[0].Cells[0].BestWidth, 1440);
  EXPECT_EQ(r.rows[1].BestWidth, -50); // the program's own word wins
  EXPECT_EQ(r.rows[1].Cells[0].BestWidth, 77);
  EXPECT_EQ(r.rows[1].Cells[0].BestHeight, 33);
}

TEST(RVRTFReader, ColumnsAndNestingAreCapped) {
  std::string rtf = "{\\rtf1\\trowd";
  for (int i = 1; i <= kRTFMaxCellsInRow + 50; ++i) rtf += "\\cellx" + std::to_string(i * 10);
  rtf += "\\intbl\\itap100000 x\\nestcell\\nestrow}";
  Recorder r;
  ASSERT_EQ(r.read(rtf), 0);
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_LE(r.rows[0].Cells.size(), size_t(kRTFMaxCellsInRow));
  int starts = 0, ends = 0;
  for (const auto &e : r.ev) {
    starts += e == "tbl:start";
    ends += e == "tbl:end";
  }
  EXPECT_EQ(starts, kRTFMaxTableNesting);
  EXPECT_EQ(ends, kRTFMaxTableNesting);
}

TEST(RVRTFReader, RowChangedInsideGroupComesBackAfterIt) {
  Recorder r;
  ASSERT_EQ(r.read(R"({\rtf1\trowd\cellx100{\cellx200\cellx300}\intbl a\cell\row})"), 0);
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_EQ(r.rows[0].Cells.size(), 1u);
  EXPECT_EQ(r.rows[0].Cells[0].RightBoundary, 100);
}

TEST(RVRTFReader, NestedTable) {
  Recorder r;
  ASSERT_EQ(r.read(R"({\rtf1\trowd\cellx5000\pard\intbl\itap1 o\par)"
                   R"(\itap2 i\nestcell{\*\nesttableprops\trowd\cellx1000\nestrow}{\nonesttables\par})"
                   R"(\pard\intbl\itap1 \cell\row\pard x})"),
            0);
  Events want = {"tbl:start", "P:o",      "tbl:start", "P:i",     "tbl:cell", "tbl:row",
                 "tbl:end",   "tbl:cell", "tbl:row",   "tbl:end", "P:x"};
  EXPECT_EQ(r.ev, want);
}

TEST(RVRTFReader, Pictures) {
  const std::string bmp = bmpBytes(3, 2);
  const std::string dib = bmp.substr(14);
  struct Case {
    std::string rtf;
    std::string want;
  } cases[] = {
      {"{\\rtf1 {\\pict\\dibitmap0\\picw3\\pich2 " + hex(dib) + "}}", "pic:TBitmap:3x2"},
      // the pixel data lacks a row: the invalid-picture image, and reading goes on
      {"{\\rtf1 {\\pict\\dibitmap0 " + hex(dib.substr(0, dib.size() - 8)) + "}}", "pic:TBitmap:24x24:invalid"},
      {"{\\rtf1 {\\pict\\jpegblip 00112233}}", "pic:TBitmap:24x24:invalid"},
      {"{\\rtf1 {\\pict\\wbitmap0\\picw8\\pich2\\wbmbitspixel1\\wbmwidthbytes2 ff00ff00}}", "pic:TBitmap:8x2"},
      {"{\\rtf1 {\\pict\\wbitmap0\\picw800\\pich600\\wbmbitspixel24 ff00ff00}}", "pic:TBitmap:24x24:invalid"},
  };
  for (const auto &c : cases) {
    Recorder r(true, true);
    EXPECT_EQ(r.read(c.rtf.substr(0, c.rtf.size() - 1) + "x}"), 0) << c.rtf;
    ASSERT_EQ(r.ev.size(), 2u) << c.rtf;
    EXPECT_EQ(r.ev[0], c.want) << c.rtf;
    EXPECT_EQ(r.ev[1], "C:x");
  }
}

TEST(RVRTFReader, PictureHexWithOddDigitsKeepsCompleteBytes) {
  Recorder r(true, true);
  ASSERT_EQ(r.read("{\\rtf1 {\\pict\\pngblip\\picw5\\picwgoal1440\\pichgoal720 0a1\n2b}}"), 0);
  // PNG has no graphic here: the picture is dropped without an event
  EXPECT_TRUE(r.ev.empty());
  Recorder r2(true, true);
  ASSERT_EQ(r2.read("{\\rtf1 {\\pict\\wbitmap0\\picw1\\pich1\\wbmbitspixel24\\wbmwidthbytes3"
                    "\\picwgoal1440\\pichgoal720 0a1b2c3}}"),
            0);
  EXPECT_EQ(r2.lastPicture.Data, std::string("\x0a\x1b\x2c", 3));
  EXPECT_EQ(r2.lastPicture.PixelWidth, 96);
  EXPECT_EQ(r2.lastPicture.PixelHeight, 48);
}

TEST(RVRTFReader, WindowsMetafileSizeFromMapMode) {
  // a plain metafile: header and the end record
  std::string wmf;
  auto put16 = [&](int v) {
    wmf.push_back(char(v & 0xFF));
    wmf.push_back(char((v >> 8) & 0xFF));
  };
  put16(1);
  put16(9);
  put16(0x300);
  put16(12);
  put16(0);
  put16(0);
  put16(3);
  put16(0);
  put16(0);
  put16(3);
  put16(0);
  put16(0);
  // one inch by half an inch in the screen's resolution; goals in twips win
  struct Case {
    int ppi;
    const char *goals;
    std::string want;
    int pixelWidth, pixelHeight;
  } cases[] = {
      {96, "", "pic:TMetafile:96x48", 96, 48},
      {120, "", "pic:TMetafile:120x60", 120, 60},
      {120, "\\picwgoal720\\pichgoal2880", "pic:TMetafile:120x60", 60, 240},
  };
  for (const auto &c : cases) {
    setScreenPixelsPerInch(c.ppi);
    Recorder r(true, true);
    ASSERT_EQ(r.read(std::string("{\\rtf1 {\\pict\\wmetafile8\\picw2540\\pich1270") + c.goals + " " + hex(wmf) + "}}"),
              0);
    EXPECT_EQ(r.ev, Events{c.want}) << c.ppi << c.goals;
    EXPECT_EQ(r.lastPicture.PixelWidth, c.pixelWidth) << c.ppi << c.goals;
    EXPECT_EQ(r.lastPicture.PixelHeight, c.pixelHeight) << c.ppi << c.goals;
  }
  setScreenPixelsPerInch(0);
}

TEST(RVRTFReader, MetafileHoldingOneBitmapBecomesTheBitmap) {
  const std::string dib = bmpBytes(4, 3).substr(14);
  std::string wmf;
  auto put16 = [&](uint32_t v) {
    wmf.push_back(char(v & 0xFF));
    wmf.push_back(char((v >> 8) & 0xFF));
  };
  auto put32 = [&](uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  put16(1);
  put16(9);
  put16(0x300);
  put32(0);
  put16(0);
  put32(0);
  put16(0);
  put32(5);
  put16(0x020C);
  put16(3);
  put16(4); // SetWindowExt
  const uint32_t words = uint32_t((28 + dib.size() + 1) / 2);
  put32(words);
  put16(0x0F43); // StretchDIB
  put32(0x00CC0020);
  put16(0);
  for (int i = 0; i < 8; ++i) put16(i < 2 ? 3 : 4);
  wmf += dib;
  if (dib.size() % 2) wmf.push_back('\0');
  put32(3);
  put16(0);
  Recorder r(true, true);
  ASSERT_EQ(r.read("{\\rtf1 {\\pict\\wmetafile8\\picw100\\pich100 " + hex(wmf) + "}}"), 0);
  EXPECT_EQ(r.ev, Events{"pic:TBitmap:4x3"});
  // the picture keeps the metafile's size
  EXPECT_EQ(r.lastPicture.PixelWidth, 4);
  EXPECT_EQ(r.lastPicture.PixelHeight, 4);
  r.reader.ExtractMetafileBitmaps = false;
  r.ev.clear();
  ASSERT_EQ(r.read("{\\rtf1 {\\pict\\wmetafile8\\picw100\\pich100 " + hex(wmf) + "}}"), 0);
  EXPECT_EQ(r.ev, Events{"pic:TMetafile:4x4"}); // 100 hundredths of a mm
}

TEST(RVRTFReader, ShpPictAndNonShpPict) {
  const std::string dib = bmpBytes(2, 2).substr(14);
  const std::string pict = "{\\pict\\dibitmap0 " + hex(dib) + "}";
  struct Case {
    bool accept;
    size_t pictures;
  } cases[] = {{true, 1}, {false, 2}};
  for (const auto &c : cases) {
    TRVRTFReader reader;
    size_t pictures = 0;
    reader.OnNewPicture = [&](TRVRTFReader &, TRVRTFPicture *, std::unique_ptr<TGraphic> &, TRVRTFPosition,
                              bool &inserted) {
      ++pictures;
      inserted = c.accept;
    };
    ASSERT_EQ(reader.ReadRTFData("{\\rtf1 {\\*\\shppict" + pict + "}{\\nonshppict" + pict + "}}"), 0);
    EXPECT_EQ(pictures, c.pictures);
  }
  // an earlier accepted picture does not hide the fallback of a later one
  TRVRTFReader reader;
  std::vector<int> kinds;
  reader.OnNewPicture = [&](TRVRTFReader &, TRVRTFPicture *p, std::unique_ptr<TGraphic> &, TRVRTFPosition,
                            bool &inserted) {
    kinds.push_back(p->Kind);
    inserted = true;
  };
  ASSERT_EQ(reader.ReadRTFData("{\\rtf1 {\\*\\shppict" + pict + "}{\\nonshppict" + pict +
                               "}{\\*\\shppict{\\pict\\pngblip 00}}{\\nonshppict" + pict + "}}"),
            0);
  EXPECT_EQ(kinds, (std::vector<int>{6, 6}));
}

TEST(RVRTFReader, IncludePictureNeverOpensAFile) {
  namespace fs = std::filesystem;
  kctest::TempDir tmp("kc-rtf");
  const fs::path dir = tmp.path();
  { std::ofstream(dir / "pic.bmp", std::ios::binary) << bmpBytes(5, 5); }
  const std::string rtf = "{\\rtf1 {\\field{\\*\\fldinst INCLUDEPICTURE \"pic.bmp\" \\\\* MERGEFORMAT}"
                          "{\\fldrslt r}}x}";
  Recorder r(true, true);
  r.reader.BasePath = dir.string() + "/";
  ASSERT_EQ(r.read(rtf), 0);
  for (const auto &e : r.ev) EXPECT_NE(e.rfind("pic:", 0), 0u) << e;

  std::string asked;
  r.reader.OnImportPicture = [&](TRVRTFReader &, const std::string &loc, std::unique_ptr<TGraphic> &g) {
    asked = loc;
    g = makeInvalidPicture();
  };
  r.ev.clear();
  ASSERT_EQ(r.read(rtf), 0);
  EXPECT_EQ(asked, dir.string() + "/pic.bmp");
  EXPECT_EQ(r.ev, (Events{"pic:TBitmap:24x24", "C:r", "C:x"}));
}

TEST(RVRTFReader, FieldInstructionDuringResult) {
  TRVRTFReader reader;
  std::vector<std::string> instructions;
  reader.OnNewText = [&](TRVRTFReader &r, const std::string &, TRVRTFPosition) {
    instructions.push_back(r.RTFState().FieldInstruction);
  };
  ASSERT_EQ(reader.ReadRTFData(R"({\rtf1 a{\field{\*\fldinst HYPERLINK "http://x/"}{\fldrslt link}}b})"), 0);
  EXPECT_EQ(instructions, (std::vector<std::string>{"", "HYPERLINK \"http://x/\"", ""}));
  // text of groups inside the instruction belongs to it
  instructions.clear();
  ASSERT_EQ(reader.ReadRTFData(R"({\rtf1 {\field{\*\fldinst {\b HYPERLINK} {"http://x/"}}{\fldrslt {link}}}b})"), 0);
  EXPECT_EQ(instructions, (std::vector<std::string>{"HYPERLINK \"http://x/\"", ""}));
  // a field inside the result has its own, and the outer one comes back after it
  instructions.clear();
  ASSERT_EQ(reader.ReadRTFData(R"({\rtf1 {\field{\*\fldinst {A}}{\fldrslt x{\field{\*\fldinst {B}}{\fldrslt 1}}y}}})"),
            0);
  EXPECT_EQ(instructions, (std::vector<std::string>{"A", "B", "A"}));
}

TEST(RVRTFReader, TablesAndTextsAreBounded) {
  std::string rtf = "{\\rtf1{\\fonttbl{\\f0 " + std::string(1000, 'N') + ";}}{\\stylesheet";
  for (int i = 0; i < kRTFMaxTableEntries + 10; ++i) rtf += "{\\s1 s;}";
  rtf += "}{\\*\\listtable";
  for (int i = 0; i < kRTFMaxLists + 10; ++i) rtf += "{\\list\\listid1}";
  rtf += "}{\\field{\\*\\fldinst HYPERLINK " + std::string(100000, 'u');
  for (int i = 0; i < 500; ++i) rtf += "{x";
  rtf += std::string(500, '}') + "}{\\fldrslt r}}}";
  size_t longest = 0;
  TRVRTFReader reader;
  reader.OnNewText = [&](TRVRTFReader &r, const std::string &, TRVRTFPosition) {
    longest = std::max(longest, r.RTFState().FieldInstruction.str().size());
  };
  ASSERT_EQ(reader.ReadRTFData(rtf), 0);
  EXPECT_EQ(reader.FontList().Get(0)->FontName.size(), kRTFMaxNameLength);
  EXPECT_EQ(reader.StyleSheet().Count(), kRTFMaxTableEntries);
  EXPECT_EQ(reader.ListTable().Count(), kRTFMaxLists);
  EXPECT_EQ(longest, kRTFMaxFieldInstruction);
}

TEST(RVRTFReader, FieldArgument) {
  struct Case {
    const char *instr, *want;
  } cases[] = {
      {"HYPERLINK \"http://a b/\" \\o \"hint\"", "http://a b/"},
      {"  HYPERLINK   target more", "target"},
      {"HYPERLINK \\l \"anchor\"", "l"},
      {"INCLUDEPICTURE \"c:\\\\dir\\\\p.bmp\"", "c:\\\\dir\\\\p.bmp"},
      {"HYPERLINK \"unterminated", "unterminated"},
      {"PAGE", ""},
      {"", ""},
  };
  for (const auto &c : cases) EXPECT_EQ(TRVRTFReader::GetFieldArgument(c.instr), c.want) << c.instr;
}

TEST(RVRTFReader, SymbolField) {
  Recorder r(false);
  ASSERT_EQ(r.read(R"({\rtf1\fs20 {\field{\*\fldinst SYMBOL 183 \\f "Symbol" \\s 14}{\fldrslt }}x})"), 0);
  ASSERT_GE(r.ev.size(), 2u);
  EXPECT_EQ(r.ev[0], "P:\xB7");
  EXPECT_EQ(r.props[0].FontName, "Symbol");
  EXPECT_EQ(r.props[0].Size, 14);
  EXPECT_EQ(r.ev.back(), "C:x");
  EXPECT_EQ(r.props.back().FontName, "");
  EXPECT_EQ(r.props.back().Size, 10);
}

TEST(RVRTFReader, ListTables) {
  TRVRTFReader reader;
  std::vector<std::pair<int, int>> markers;
  reader.OnNewText = [](TRVRTFReader &, const std::string &, TRVRTFPosition) {};
  reader.OnUpdateMarker = [&](TRVRTFReader &r) {
    markers.emplace_back(r.ParaProps().ListOverrideIndex, r.ParaProps().ListLevel);
  };
  ASSERT_EQ(
      reader.ReadRTFData(
          R"({\rtf1\ansicpg932{\*\listtable{\list\listtemplateid5{\listlevel\levelnfc23\leveljc1\levelstartat3\fi-360\li720)"
          R"({\leveltext\'01\u-3913 ?;}{\levelnumbers;}\f0\fs20\b}{\listlevel\levelnfc4\levelnorestart)"
          R"({\leveltext\leveltemplateid9\'03\'00.\'01;}{\levelnumbers\'01\'03;}}{\listname Bul;}\listid77})"
          R"({\list\listid78{\listlevel{\leveltext\'05ab;}}})"
          // double-byte level text: 3 characters in 5 bytes
          R"({\list\listid79{\listlevel{\leveltext\'03\'91\'e6\'00\'8f\'cd;}}}})"
          R"({\*\listoverridetable{\listoverride\listid77\listoverridecount1{\lfolevel\listoverridestartat\levelstartat4}\ls1})"
          R"({\listoverride\listid999\ls2}}\pard\ls2\ilvl1 x\par\pard\ls9 y})"),
      0);
  const auto &lists = reader.ListTable();
  ASSERT_EQ(lists.Count(), 3);
  const TRVRTFList97 &l = *lists.Get(0);
  EXPECT_EQ(l.ListID, 77);
  EXPECT_EQ(l.Name, "Bul;");
  ASSERT_EQ(l.Levels.size(), 2u);
  EXPECT_EQ(l.Levels[0].NumberType, 6);
  EXPECT_EQ(l.Levels[0].Alignment, 2);
  EXPECT_EQ(l.Levels[0].StartAt, 3);
  EXPECT_EQ(l.Levels[0].FirstIndent, -360);
  EXPECT_EQ(l.Levels[0].LeftIndent, 720);
  EXPECT_EQ(l.Levels[0].Size, 10);
  EXPECT_TRUE(l.Levels[0].FontStyle & rtf_fsBold);
  // the length prefix goes exactly once
  EXPECT_EQ(l.Levels[0].TextW, std::u16string(1, char16_t(0xF0B7)));
  EXPECT_EQ(l.Levels[1].NumberType, 2);
  EXPECT_TRUE(l.Levels[1].NoRestart);
  EXPECT_EQ(l.Levels[1].Text, std::string("\x00.\x01", 3));
  EXPECT_EQ(l.Levels[1].TextW, std::u16string(u"\u0000.\u0001", 3));
  // a length longer than the text keeps what is there
  EXPECT_EQ(lists.Get(1)->Levels[0].Text, "ab;");
  EXPECT_EQ(lists.Get(2)->Levels[0].TextW, std::u16string(u"\u7B2C\u0000\u7AE0", 3));
  const auto &ov = reader.ListOverrideTable();
  ASSERT_EQ(ov.Count(), 2);
  EXPECT_EQ(ov.Get(0)->ListIndex, 0);
  EXPECT_EQ(ov.Get(0)->Number, 1);
  ASSERT_EQ(ov.Get(0)->Levels.size(), 1u);
  EXPECT_EQ(ov.Get(0)->Levels[0].StartAt, 4);
  EXPECT_TRUE(ov.Get(0)->Levels[0].UseStartAt);
  EXPECT_EQ(ov.Get(1)->ListIndex, -1); // no list with that id
  EXPECT_EQ(reader.GetListOverride(2), ov.Get(1));
  ASSERT_FALSE(markers.empty());
  EXPECT_NE(std::find(markers.begin(), markers.end(), std::make_pair(1, 1)), markers.end());
  EXPECT_EQ(reader.ParaProps().ListOverrideIndex, -1); // \ls9 has no override
}

namespace {

// Reads Rtf, which must read cleanly, and gives the old-style marker of the
// last paragraph that had one.
std::optional<TRVRTFMarkerProperties> ReadLastMarker(const std::string &Rtf) {
  TRVRTFReader reader;
  std::optional<TRVRTFMarkerProperties> marker;
  reader.OnNewText = [](TRVRTFReader &, const std::string &, TRVRTFPosition) {};
  reader.OnUpdateMarker = [&](TRVRTFReader &r) {
    if (r.ParaProps().Marker) marker = *r.ParaProps().Marker;
  };
  EXPECT_EQ(reader.ReadRTFData(Rtf), 0);
  return marker;
}

} // namespace

TEST(RVRTFReader, OldStyleMarkerTakesTextFormatting) {
  const std::optional<TRVRTFMarkerProperties> marker =
      ReadLastMarker(R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Symbol;}}{\colortbl;\red0\green0\blue255;})"
                     R"({\*\pn\pnlvlblt\pnf1\pnindent360{\pntxtb\u-3913 ?}}\fs32\cf1 item\par})");
  ASSERT_TRUE(marker);
  EXPECT_EQ(marker->Level, 11);
  EXPECT_EQ(marker->FontIndex, 1);
  EXPECT_EQ(marker->Size, 16);
  EXPECT_EQ(marker->Color, 0xFF0000);
  EXPECT_EQ(marker->Indent, 360);
  EXPECT_EQ(marker->TextBefore, "\xB7"); // the Symbol font's private-use bullet
}

TEST(RVRTFReader, HeaderWithReceiver) {
  TRVRTFReader reader;
  std::vector<std::string> ev;
  reader.OnNewText = [&](TRVRTFReader &, const std::string &t, TRVRTFPosition) { ev.push_back(t); };
  reader.OnHeaderFooter = [&](TRVRTFReader &, TRVRTFHeaderFooterType t, bool starting, bool &supported) {
    ev.push_back(std::string(t == rtf_hf_Header ? "header" : "footer") + (starting ? "+" : "-"));
    supported = true;
  };
  // Text before a header is handed over before the header starts.
  ASSERT_EQ(reader.ReadRTFData(R"({\rtf1 before{\header H}{\footer F}body})"), 0);
  EXPECT_EQ(ev, (std::vector<std::string>{"before", "header+", "H", "header-", "footer+", "F", "footer-", "body"}));
}

TEST(RVRTFReader, PageBreakAndObjects) {
  TRVRTFReader reader;
  std::vector<std::string> ev;
  reader.OnNewText = [&](TRVRTFReader &, const std::string &t, TRVRTFPosition) { ev.push_back(t); };
  reader.OnRequiredPageBreak = [&](TRVRTFReader &) { ev.push_back("page"); };
  reader.OnNewObject = [&](TRVRTFReader &, TRVRTFObject &o, TRVRTFPosition, bool &inserted) {
    ev.push_back("obj" + std::to_string(o.Kind) + ":" + std::to_string(o.Width) + ":" + o.Data);
    inserted = true;
  };
  ASSERT_EQ(reader.ReadRTFData(R"({\rtf1 a\page b{\object\objemb\objw30{\*\objdata 4142}{\result R}}c})"), 0);
  EXPECT_EQ(ev, (std::vector<std::string>{"a", "page", "b", "obj0:30:AB", "c"}));
}

TEST(RVRTFReader, StreamAndProgress) {
  std::string rtf = "{\\rtf1 ";
  while (rtf.size() < 50000) rtf += "word \\b bold\\b0 \\par ";
  rtf += "}";
  TRVRTFReader reader;
  std::vector<int> stages, running;
  size_t texts = 0;
  reader.OnNewText = [&](TRVRTFReader &, const std::string &, TRVRTFPosition) { ++texts; };
  reader.OnProgress = [&](TRVRTFReader &, TRVRTFProgressStage s, uint8_t pct) {
    stages.push_back(s);
    if (s == rvprtfprRunning) running.push_back(pct);
  };
  std::istringstream in(rtf);
  ASSERT_EQ(reader.ReadRTFStream(in), 0);
  const size_t streamTexts = texts;
  ASSERT_GE(stages.size(), 3u);
  EXPECT_EQ(stages.front(), rvprtfprStarting);
  EXPECT_EQ(stages.back(), rvprtfprEnding);
  // one report per block, before it is read, in rounded percent of the size
  const size_t blocks = (rtf.size() + 4095) / 4096;
  ASSERT_EQ(running.size(), blocks);
  for (size_t i = 0; i < blocks; ++i) EXPECT_EQ(running[i], (i * 4096 * 200 + rtf.size()) / (2 * rtf.size())) << i;
  // a stream read from the middle reports its position in the whole stream
  const std::string head(30000, ' ');
  std::istringstream tail(head + rtf);
  tail.seekg(std::streamoff(head.size()));
  running.clear();
  ASSERT_EQ(reader.ReadRTFStream(tail), 0);
  ASSERT_EQ(running.size(), blocks);
  EXPECT_EQ(running[0], (head.size() * 200 + head.size() + rtf.size()) / (2 * (head.size() + rtf.size())));
  texts = 0;
  ASSERT_EQ(reader.ReadRTFData(rtf), 0);
  EXPECT_EQ(texts, streamTexts);
  EXPECT_GT(texts, 1000u);
}

TEST(RVRTFReader, CodePageConversions) {
  TRVRTFReader reader;
  ASSERT_EQ(reader.ReadRTFData(R"({\rtf1\ansi\ansicpg1251 x})"), 0);
  EXPECT_EQ(reader.CodePage(), 1251u);
  EXPECT_EQ(reader.AnsiToUnicode("\xC0"), u"\u0410");
  EXPECT_EQ(reader.UnicodeToAnsi(u"\u0410\u4E00"), "\xC0?");
  ASSERT_EQ(reader.ReadRTFData(R"({\rtf1\ansi\ansicpg999999 x})"), 0);
  EXPECT_EQ(reader.AnsiToUnicode("abc"), u"abc"); // unknown code page: the system one
}

TEST(RVRTFReader, SectionLevelMarkersAndImportHook) {
  const std::optional<TRVRTFMarkerProperties> marker =
      ReadLastMarker(R"({\rtf1{\*\pnseclvl2\pnlcrm\pnstart4\pnindent720{\pntxta )}})"
                     R"({\*\pn\pnlvl2\pnhang{\pntxta )}}x\par})");
  ASSERT_TRUE(marker);
  EXPECT_EQ(marker->Level, 2);
  EXPECT_EQ(marker->NumberType, 4);
  EXPECT_EQ(marker->StartAt, 4);
  EXPECT_EQ(marker->Indent, 720);
  EXPECT_TRUE(marker->Hanging);
  EXPECT_EQ(marker->TextAfter, ")"); // given again by the paragraph, not doubled

  int hooked = 0;
  RVRTFAfterImportGraphic = [&](TGraphic &g) { hooked += g.width(); };
  TRVRTFReader pics;
  pics.OnNewPicture = [](TRVRTFReader &, TRVRTFPicture *, std::unique_ptr<TGraphic> &g, TRVRTFPosition, bool &) {
    g.reset();
  };
  EXPECT_EQ(pics.ReadRTFData("{\\rtf1 {\\pict\\jpegblip 00}}"), 0);
  RVRTFAfterImportGraphic = nullptr;
  EXPECT_EQ(hooked, 24); // the invalid-picture image went through the hook
}

TEST(RVRTFReader, GroupsShareRowStateUntilTheyChangeIt) {
  std::string rtf = "{\\rtf1\\trowd";
  for (int i = 1; i <= 200; ++i) rtf += "\\cellx" + std::to_string(i * 10);
  rtf += "\\intbl a{\\i b{\\b c}}{\\cellx5000 d}e\\cell\\row}";
  TRVRTFReader reader;
  std::vector<const TRVRTFRowProperties *> rows;
  reader.OnNewText = [&](TRVRTFReader &r, const std::string &, TRVRTFPosition) { rows.push_back(r.RowProps()); };
  ASSERT_EQ(reader.ReadRTFData(rtf), 0);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], rows[1]); // nested groups made no copy of the row
  EXPECT_EQ(rows[0], rows[2]);
  EXPECT_NE(rows[0], rows[3]); // the group that changed it has its own
  EXPECT_EQ(rows[0], rows[4]);
}
