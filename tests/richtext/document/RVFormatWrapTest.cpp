// Wrapping text that has few or no spaces, on a fixed-pitch canvas (10 px a
// UTF-16 unit, no margins): ideographs break between each other, a run
// without any opportunity is cut between grapheme clusters, and the
// document is as wide as its view unless a no-wrap paragraph or a cluster
// wider than the view asks for more.
#include <gtest/gtest.h>

#include <QString>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <string>
#include <vector>

#include "FormatFixture.h"

using namespace kc;
using kctest::FormatDoc;

namespace {

struct WrapCase {
  const char *name;
  int width;
  std::vector<std::vector<std::string>> paras; // items (UTF-8) of each paragraph
  bool ansi;                                   // 8-bit items instead of UTF-16 ones
  bool noWrap;
  int docWidth; // the document's width
  std::vector<std::string> lines;
  uint8_t charset = 1; // of the 8-bit items
};

std::u16string Wide(const std::string &Utf8) {
  const QString q = QString::fromUtf8(Utf8.data(), static_cast<qsizetype>(Utf8.size()));
  return std::u16string(reinterpret_cast<const char16_t *>(q.utf16()), static_cast<size_t>(q.size()));
}

std::string Utf8(std::u16string_view W) {
  return QString::fromUtf16(W.data(), static_cast<qsizetype>(W.size())).toStdString();
}

std::vector<int> Boundaries(std::u16string_view W) {
  const QString q = QString::fromUtf16(W.data(), static_cast<qsizetype>(W.size()));
  QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, q);
  std::vector<int> out{0};
  for (qsizetype p = f.toNextBoundary(); p > 0; p = f.toNextBoundary()) out.push_back(static_cast<int>(p));
  return out;
}

class Wrap : public ::testing::TestWithParam<WrapCase> {};

TEST_P(Wrap, LinesStayInTheViewAndClustersWhole) {
  const WrapCase &c = GetParam();
  FormatDoc f(c.width);
  f.style.TextStyles().Add()->Unicode = true;
  f.style.TextStyles().Items(0)->Charset = c.charset;
  int para = 0;
  if (c.noWrap) f.newPara(para).Options.Include(rvpaoNoWrap);
  for (const auto &items : c.paras) {
    bool first = true;
    for (const std::string &t : items) {
      auto item = RichVistaTextItemClass(f.doc.get());
      item->ParaNo = first ? para : -1;
      if (!first) item->SetContinuePara(true);
      if (c.ansi) {
        f.doc->AddItem(t, std::move(item));
      } else {
        item->StyleNo = 1;
        item->ItemOptions.Include(rvioUnicode);
        f.doc->AddItem(WideStringToRaw(Wide(t)), std::move(item));
      }
      first = false;
    }
  }
  f.format();
  ASSERT_EQ(f.doc->CheckDrawLines(), "");
  EXPECT_EQ(f.host->AreaWidth(), c.docWidth);

  std::vector<std::string> lines;
  const TRVDrawLines &dl = f.doc->DrawLines;
  for (int i = 0; i < dl.Count(); ++i) {
    const TRVDrawLineInfo *d = dl.Items(i);
    if (d->FromNewLine) lines.emplace_back();
    const std::string &raw = f.doc->GetItemTextRaw(d->ItemNo);
    if (c.ansi) {
      lines.back() += raw.substr(static_cast<size_t>(d->Offs - 1), static_cast<size_t>(d->Length));
    } else {
      const std::u16string w = RawToWideString(raw);
      lines.back() += Utf8(std::u16string_view(w).substr(static_cast<size_t>(d->Offs - 1), size_t(d->Length)));
      // A piece starts and ends between clusters.
      const std::vector<int> b = Boundaries(w);
      for (int edge : {d->Offs - 1, d->Offs - 1 + d->Length})
        EXPECT_TRUE(std::binary_search(b.begin(), b.end(), edge)) << "draw line " << i << " edge " << edge;
    }
    EXPECT_LE(d->Left + d->Width, c.docWidth) << "draw line " << i;
  }
  EXPECT_EQ(lines, c.lines);
}

const WrapCase kWrapCases[] = {
    {"IdeographsBreakBetweenEachOther", 50, {{"中文字中文字中文"}}, false, false, 50, {"中文字中文", "字中文"}},
    {"IdeographsAfterAnotherItemFillTheLine", 50, {{"ab", "中文字中文字"}}, false, false, 50, {"ab中文字", "中文字"}},
    {"KanaAndPunctuationKeepTheirRules",
     50,
     {{"日本語です。日本"}},
     false,
     false,
     50,
     // No line starts with the full stop: it takes the kana before it along.
     {"日本語で", "す。日本"}},
    {"AUrlBreaksAfterAStopAndIsCutWhereNothingElseIs",
     60,
     {{"https://a.example/x"}},
     false,
     false,
     60,
     {"https:", "//a.", "exampl", "e/x"}},
    // "Thai is a beautiful language": the line ends between words, as a
    // Thai reader's dictionary cuts them.
    {"ThaiBreaksBetweenWords",
     80,
     {{"ภาษาไทยเป็นภาษาที่สวยงามมาก"}},
     false,
     false,
     80,
     {"ภาษาไทย", "เป็นภาษา", "ที่สวย", "งามมาก"}},
    {"ThaiIsCutBetweenClustersNotBeforeItsMarks", 50, {{"น้ำน้ำน้ำ"}}, false, false, 50, {"น้ำ", "น้ำ", "น้ำ"}},
    {"CombiningMarksStayWithTheirLetters",
     30,
     {{"e\xcc\x81"
       "e\xcc\x81"
       "e\xcc\x81"}},
     false,
     false,
     30,
     {"e\xcc\x81", "e\xcc\x81", "e\xcc\x81"}},
    {"JamoOfOneSyllableStayTogether",
     50,
     {{"\xe1\x84\x80\xe1\x85\xa1\xe1\x86\xa8\xe1\x84\x80\xe1\x85\xa1\xe1\x86\xa8"}},
     false,
     false,
     50,
     {"\xe1\x84\x80\xe1\x85\xa1\xe1\x86\xa8", "\xe1\x84\x80\xe1\x85\xa1\xe1\x86\xa8"}},
    {"FlagsStayWhole", 30, {{"🇺🇦🇩🇪"}}, false, false, 40, {"🇺🇦", "🇩🇪"}},
    // The family is one cluster of eight units: the document (and so its
    // wrap width) grows to it.
    {"AClusterWiderThanTheViewWidensTheDocument",
     50,
     {{"🇺🇦🇩🇪👨‍👩‍👧"}},
     false,
     false,
     80,
     {"🇺🇦🇩🇪", "👨‍👩‍👧"}},
    {"ALongWordNoLongerKeepsOtherParagraphsFromWrapping",
     50,
     {{"abcdefghijkl"}, {"ab cd ef"}},
     false,
     false,
     50,
     {"abcde", "fghij", "kl", "ab cd", "ef"}},
    {"ALongEightBitWordNoLongerWidensTheDocument",
     50,
     {{"abcdefghijkl"}, {"ab cd ef"}},
     true,
     false,
     50,
     {"abcde", "fghij", "kl", "ab cd", "ef"}},
    // Shift-JIS: the first five bytes (two characters and the lead byte of
    // the third) measure exactly the line's width, but the third character
    // goes whole to the next line.
    {"DoubleByteCharactersAreNeverCutInTwo",
     30,
     {{"\x93\xFA\x96\x7B\x8C\xEA"
       "a"}},
     true,
     false,
     30,
     {"\x93\xFA\x96\x7B", "\x8C\xEA"
                          "a"},
     128},
    {"ANoWrapParagraphStillWidensTheDocument", 30, {{"中文字中文字"}}, false, true, 60, {"中文字中文字"}},
};

INSTANTIATE_TEST_SUITE_P(Wrap, Wrap, ::testing::ValuesIn(kWrapCases),
                         [](const auto &Info) { return std::string(Info.param.name); });

} // namespace
