// Partial reformatting gives exactly the draw lines and hyperlink areas of
// a whole pass: random documents, random edits, each followed by the
// partial pass and compared with a whole pass of the same document; the
// draw-line invariants hold after both.
#include <gtest/gtest.h>

#include <random>

#include "FormatFixture.h"

using namespace kc;
using kctest::FormatDoc;

namespace {

class RandomDoc {
public:
  RandomDoc(unsigned Seed, int Width) : rng(Seed), f(Width) {
    f.canvas->widths[u'w'] = 17;
    f.canvas->widths[u'i'] = 4;
    // Paragraph styles: plain, right with indents, centred and spaced,
    // justified with a first-line indent and tight lines.
    int no = 0;
    TParaInfo &right = f.newPara(no);
    right.Alignment = rvaRight;
    right.LeftIndent = 6;
    right.RightIndent = 9;
    TParaInfo &centre = f.newPara(no);
    centre.Alignment = rvaCenter;
    centre.LineSpacing = 150;
    centre.SpaceBefore = 3;
    centre.SpaceAfter = 5;
    TParaInfo &justify = f.newPara(no);
    justify.Alignment = rvaJustify;
    justify.LineSpacing = 50;
    justify.FirstIndent = 15;
    TParaInfo &between = f.newPara(no);
    between.LineSpacingType = rvlsSpaceBetween;
    between.LineSpacing = 4;
    between.SpaceAfter = 2;
    f.style.TextStyles().Add();
    // Style 1 is a hyperlink: its pieces have link areas, which the
    // partial pass splices into the list.
    f.style.TextStyles()[1]->Jump = true;
    // Style 2 holds UTF-16 text: ideographs that break between each other,
    // and runs without any opportunity (a URL, Thai, emoji sequences) that
    // are cut between clusters.
    f.style.TextStyles().Add()->Unicode = true;
    TRVListLevel *level = f.style.ListStyles().Add()->Levels.Add();
    level->ListType = rvlstBullet;
    level->FormatString = "*";
    level->LeftIndent = 12;
  }

  std::mt19937 rng;
  FormatDoc f;

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

  std::string text() {
    static const char *words[] = {"ab", "wiw", "iii", "abcdefgh", "w", "", "x y", "  "};
    std::string s;
    const int n = pick(6);
    for (int i = 0; i < n; ++i) {
      if (i) s += ' ';
      s += words[pick(8)];
    }
    return s;
  }

  std::string wideText() {
    static const char16_t *words[] = {u"中文字",
                                      u"日本語のテキスト。",
                                      u"https://example.com/path/to/page?id=42",
                                      u"ภาษาไทย",
                                      u"e\u0301e\u0301",
                                      u"\U0001F468\u200D\U0001F469\u200D\U0001F467\U0001F1FA\U0001F1E6",
                                      u"wi",
                                      u""};
    std::u16string s;
    const int n = pick(5);
    for (int i = 0; i < n; ++i) {
      if (i && pick(2)) s += u' ';
      s += words[pick(8)];
    }
    return WideStringToRaw(s);
  }

  // The item's text goes with it: UTF-16 for the wide style.
  std::pair<std::string, std::unique_ptr<TCustomRVItemInfo>> textItem(int ParaNo, bool Continue) {
    auto item = RichVistaTextItemClass(f.doc.get());
    item->StyleNo = pick(3);
    item->ParaNo = ParaNo;
    if (Continue) item->SetContinuePara(true);
    if (item->StyleNo == 2) {
      item->ItemOptions.Include(rvioUnicode);
      return {wideText(), std::move(item)};
    }
    return {text(), std::move(item)};
  }

  // A paragraph's items: a text item starting it, then some continuing it
  // or starting a line inside it.
  std::vector<std::pair<std::string, std::unique_ptr<TCustomRVItemInfo>>> paragraph() {
    std::vector<std::pair<std::string, std::unique_ptr<TCustomRVItemInfo>>> items;
    const int para = pick(5);
    if (pick(8) == 0) {
      items.emplace_back("", std::make_unique<TRVBreakItemInfo>(f.doc.get(), clNone, 0, 1));
      return items;
    }
    if (pick(6) == 0) {
      auto marker = std::make_unique<TRVMarkerItemInfo>(f.doc.get(), 0, 0, 1, false);
      marker->ParaNo = para;
      items.emplace_back("", std::move(marker));
      items.push_back(textItem(para, true));
    } else {
      items.push_back(textItem(para, false));
    }
    const int more = pick(3);
    for (int i = 0; i < more; ++i) {
      auto item = textItem(para, true);
      if (pick(4) == 0) item.second->SetLineBreakBefore(true);
      items.push_back(std::move(item));
    }
    return items;
  }

  void build(int Paragraphs) {
    for (int p = 0; p < Paragraphs; ++p)
      for (auto &[t, item] : paragraph()) f.doc->Items.Add(t, std::move(item));
  }

  int lastDrawLineOf(int Item) const {
    int dl = f.doc->FirstDrawLineOfItem(Item);
    while (dl + 1 < f.doc->DrawLines.Count() && f.doc->DrawLines.Items(dl + 1)->ItemNo == Item) ++dl;
    return dl;
  }
  int paraEnd(int Item) const {
    while (Item + 1 < f.doc->GetItemCount() && !f.doc->GetItem(Item + 1)->IsParaStart()) ++Item;
    return Item;
  }
  int paraStart(int Item) const {
    while (Item > 0 && !f.doc->GetItem(Item)->IsParaStart()) --Item;
    return Item;
  }

  // One random edit followed by the partial pass that an editor would ask.
  std::string edit() {
    TCustomRVFormattedData &d = *f.doc;
    const int count = d.GetItemCount();
    switch (pick(4)) {
    case 0: { // typing inside an item
      const int k = pick(count);
      if (!d.IsTextItem(k)) return "none";
      std::string t = d.GetItemTextRaw(k);
      if (d.GetItem(k)->IsUnicode())
        t.insert(2 * static_cast<size_t>(pick(int(t.size() / 2) + 1)), WideStringToRaw(pick(2) ? u" wi" : u"字ab"));
      else t.insert(static_cast<size_t>(pick(int(t.size()) + 1)), pick(2) ? " wi" : "ab");
      const int first = d.FirstDrawLineOfItem(k), last = lastDrawLineOf(k);
      d.SetItemTextRaw(k, t);
      d.FormatParagraphs(first, last, 0);
      return "type in " + std::to_string(k);
    }
    case 1: { // a new paragraph after the end of one
      const int k = paraEnd(pick(count));
      auto items = paragraph();
      const int m = int(items.size());
      const int first = d.FirstDrawLineOfItem(k), last = lastDrawLineOf(k);
      for (int i = 0; i < m; ++i) d.Items.Insert(k + 1 + i, items[size_t(i)].first, std::move(items[size_t(i)].second));
      d.FormatParagraphs(first, last, m);
      return "insert " + std::to_string(m) + " after " + std::to_string(k);
    }
    case 2: { // deleting a paragraph
      const int s = paraStart(pick(count));
      const int e = paraEnd(s);
      const int m = e - s + 1;
      if (m == count) return "none";
      int first, last;
      if (s > 0) {
        first = d.FirstDrawLineOfItem(s - 1);
        last = lastDrawLineOf(e);
      } else {
        first = d.FirstDrawLineOfItem(0);
        last = lastDrawLineOf(paraEnd(e + 1));
      }
      for (int i = e; i >= s; --i) d.Items.Delete(i);
      d.FormatParagraphs(first, last, -m);
      return "delete " + std::to_string(s) + ".." + std::to_string(e);
    }
    default: { // another paragraph style
      const int s = paraStart(pick(count));
      const int e = paraEnd(s);
      const int para = pick(5);
      const int first = d.FirstDrawLineOfItem(s), last = lastDrawLineOf(e);
      for (int i = s; i <= e; ++i) d.GetItem(i)->ParaNo = para;
      d.FormatParagraphs(first, last, 0);
      return "restyle " + std::to_string(s) + ".." + std::to_string(e);
    }
    }
  }
};

// Every link area stands on one piece of a hyperlink item, and no piece
// has two.
std::string checkJumps(const TCustomRVFormattedData &d) {
  int prevLine = -1;
  for (const auto &j : d.Jumps) {
    const std::string at = "link area on line " + std::to_string(j->DrawLineNo);
    if (j->DrawLineNo <= prevLine) return at + ": out of order or a second one";
    prevLine = j->DrawLineNo;
    if (j->DrawLineNo >= d.DrawLines.Count()) return at + ": no such line";
    const TRVDrawLineInfo *l = d.DrawLines.Items(j->DrawLineNo);
    if (d.GetItem(l->ItemNo)->StyleNo != 1) return at + ": the piece is no hyperlink";
    if (j->Left != l->Left || j->Top != l->Top) return at + ": not at the piece";
  }
  return "";
}

void compareWithWholePasses(int Ppi, int &compared) {
  for (unsigned seed = 1; seed <= 150; ++seed) {
    std::mt19937 widths(seed);
    RandomDoc r(seed, 40 + int(widths() % 200));
    r.f.canvas->metrics.ppiX = r.f.canvas->metrics.ppiY = Ppi;
    r.build(1 + r.pick(8));
    r.f.format();
    ASSERT_EQ(r.f.doc->CheckDrawLines(), "") << "seed " << seed;
    if (::testing::Test::HasFatalFailure()) return;
    for (int step = 0; step < 12; ++step) {
      const TRVScreenAndDevice sad = GetResolutionRatio(*r.f.canvas);
      const int minBefore = r.f.doc->CalcDocumentMinWidth(&sad, *r.f.canvas);
      const std::string what = r.edit();
      const int minAfter = r.f.doc->CalcDocumentMinWidth(&sad, *r.f.canvas);
      // A change of the minimal width needs a whole pass, as the editor does.
      if (minBefore != minAfter || what == "none") {
        r.f.format();
        continue;
      }
      ASSERT_EQ(r.f.doc->CheckDrawLines(), "") << "seed " << seed << " step " << step << " " << what;
      const std::string partial = r.f.dump(), partialJumps = r.f.jumps();
      r.f.format();
      ASSERT_EQ(partial, r.f.dump()) << "ppi " << Ppi << " seed " << seed << " step " << step << " " << what;
      ASSERT_EQ(partialJumps, r.f.jumps()) << "ppi " << Ppi << " seed " << seed << " step " << step << " " << what;
      ASSERT_EQ(checkJumps(*r.f.doc), "") << "ppi " << Ppi << " seed " << seed << " step " << step << " " << what;
      ++compared;
    }
  }
}

TEST(PartialFormat, GivesTheDrawLinesOfAWholePass) {
  int compared = 0;
  compareWithWholePasses(96, compared);
  // Most edits keep the minimal width, so most are compared.
  EXPECT_GT(compared, 600);
}

// On a canvas of another resolution the spacing of the style sheet is
// scaled; the partial pass scales it as the whole pass does.
TEST(PartialFormat, GivesTheDrawLinesOfAWholePassOnAFinerCanvas) {
  int compared = 0;
  compareWithWholePasses(240, compared);
  EXPECT_GT(compared, 600);
}

TEST(PartialFormat, TypingThatKeepsTheLineHeightMovesNoLaterLine) {
  FormatDoc f(200);
  for (int i = 0; i < 4; ++i) f.para({"aaa bbb"});
  f.format();
  std::vector<int> tops;
  for (int i = 0; i < f.doc->DrawLines.Count(); ++i) tops.push_back(f.doc->DrawLines.Items(i)->Top);
  f.doc->SetItemTextRaw(1, "aaa bbbb");
  f.doc->FormatParagraphs(1, 1, 0);
  for (int i = 0; i < f.doc->DrawLines.Count(); ++i) EXPECT_EQ(f.doc->DrawLines.Items(i)->Top, tops[size_t(i)]);
}

TEST(PartialFormat, DeletingTheLastParagraphShrinksTheDocument) {
  FormatDoc f(200);
  f.para({"aaa"});
  f.para({"bbb"});
  f.format();
  ASSERT_EQ(f.doc->DocumentHeight, 20);
  f.doc->Items.Delete(1);
  f.doc->FormatParagraphs(0, 1, -1);
  EXPECT_EQ(f.doc->DocumentHeight, 10);
  EXPECT_EQ(f.doc->DrawLines.Count(), 1);
  EXPECT_EQ(f.doc->CheckDrawLines(), "");
}

} // namespace
