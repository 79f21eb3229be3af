// Figures for editing, printed with their ratios: one typed character, one
// Enter and one Backspace that joins two paragraphs, each with its
// reformat, in the middle of documents of 1k, 10k and 50k paragraphs at
// 600 px, beside QTextCursor::insertText on a QTextDocument of the same text
// and width (with its layout brought up to date). Then 10,000 characters
// typed in a row, and the undo group they make.
#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/QtCanvas.h"
#include "richtext/controls/RVERVData.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::vector<std::string> paragraphs(int count) {
  static const char *words[] = {"hello",   "the",    "meeting", "is",   "moved", "to",  "three",
                                "o'clock", "please", "bring",   "your", "notes", "and", "a",
                                "coffee",  "thanks", "see",     "you",  "there"};
  std::mt19937 rng(5);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    std::string s;
    const int n = 4 + int(rng() % 30);
    for (int w = 0; w < n; ++w) s += std::string(w ? " " : "") + words[rng() % 19];
    out.push_back(s);
  }
  return out;
}

struct Editor {
  explicit Editor(const std::vector<std::string> &Paras) : host(&canvas, 600, 400) {
    host.Style = &style;
    style.UseSound = false;
    doc = std::make_unique<kc::TRVEditRVData>(&host);
    for (const auto &p : Paras) doc->AddText(p, 0, 0);
    doc->ReformatAllForced(true);
  }
  kc::QtCanvas canvas;
  kc::TRVStyle style;
  kc::TRVFixedHost host;
  std::unique_ptr<kc::TRVEditRVData> doc;
};

struct Figures {
  double type = 0, enter = 0, join = 0, qt = 0;
};

Figures measure(int size) {
  const auto paras = paragraphs(size);
  Figures f;
  Editor e(paras);
  const int k = size / 2;
  constexpr int kRounds = 40;
  e.doc->SetCaretItemPos(k, 10);
  auto t0 = Clock::now();
  for (int r = 0; r < kRounds; ++r) e.doc->InsertTypedText(u"x");
  f.type = ms(Clock::now() - t0) / kRounds;
  double enter = 0, join = 0;
  for (int r = 0; r < kRounds; ++r) {
    t0 = Clock::now();
    e.doc->OnEnterPress(false);
    enter += ms(Clock::now() - t0);
    t0 = Clock::now();
    e.doc->OnBackSpacePressed(false, false, false);
    join += ms(Clock::now() - t0);
  }
  f.enter = enter / kRounds;
  f.join = join / kRounds;

  QTextDocument d;
  {
    QTextCursor c(&d);
    for (size_t i = 0; i < paras.size(); ++i) {
      if (i) c.insertBlock();
      c.insertText(QString::fromStdString(paras[i]));
    }
  }
  d.setTextWidth(590);
  d.documentLayout()->documentSize();
  QTextCursor c(d.findBlockByNumber(k));
  c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 10);
  t0 = Clock::now();
  for (int r = 0; r < kRounds; ++r) {
    c.insertText(QStringLiteral("x"));
    d.documentLayout()->documentSize();
  }
  f.qt = ms(Clock::now() - t0) / kRounds;
  return f;
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  measure(200); // warm the font caches
  const int sizes[] = {1000, 10000, 50000};
  Figures f[3];
  for (int i = 0; i < 3; ++i) {
    f[i] = measure(sizes[i]);
    std::printf("%6d paragraphs: type %.3f ms, Enter %.3f ms, Backspace join %.3f ms; "
                "QTextCursor::insertText %.3f ms; typing/Qt %.3f (goal < 1 ms a keystroke)\n",
                sizes[i], f[i].type, f[i].enter, f[i].join, f[i].qt, f[i].type / f[i].qt);
  }
  std::printf("flatness 50k/1k: type %.2f, Enter %.2f, Backspace join %.2f (goal ~1)\n", f[2].type / f[0].type,
              f[2].enter / f[0].enter, f[2].join / f[0].join);

  Editor e(paragraphs(10000));
  e.doc->SetCaretItemPos(5000, 1);
  const auto t0 = Clock::now();
  for (int i = 0; i < 10000; ++i) e.doc->InsertTypedText(i % 7 == 6 ? u" " : u"x");
  const double each = ms(Clock::now() - t0) / 10000;
  const kc::TRVUndoInfos *g = e.doc->UndoList->LastGroup();
  std::printf("10000 characters typed in a row: %.3f ms each; undo groups %d, records in the group %d\n", each,
              e.doc->UndoList->Count(), g ? g->Count() : 0);
  return 0;
}
