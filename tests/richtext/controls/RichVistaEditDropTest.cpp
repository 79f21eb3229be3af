// Drops into the editor, with QMimeData objects standing for what is
// dragged: the drop caret and auto-scroll while dragging, which format a
// drop uses for what is offered and accepted, drops onto the selection,
// moves of the editor's own selection (and the moves that must keep it),
// dropped links and dropped files.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

#include "PasteFixture.h"
#include "platform/Files.h"
#include "platform/GuiTimer.h"
#include "support/TempDir.h"

using namespace kc;
using kctest::PasteDoc;

namespace {

// Points on the first line (10 px a character): the place before
// character N (0-based) of the first paragraph.
int XBefore(int N) { return N * 10; }
constexpr int kLineY = 5;

// Drags Data over the editor to a point and drops it there.
int DropAt(TCustomRichVistaEdit &Ed, const QMimeData &Data, int X, int Y, bool Move = false) {
  if (!Ed.OleDragEnter(Data)) return -1;
  Ed.OleDragOver(X, Y);
  return Ed.OleDrop(Data, Move);
}

std::unique_ptr<QMimeData> Mime(const std::vector<std::pair<const char *, std::string>> &Formats) {
  auto md = std::make_unique<QMimeData>();
  for (const auto &[type, bytes] : Formats) {
    if (std::string(type) == "image") md->setImageData(QImage(4, 3, QImage::Format_RGB32));
    else md->setData(type, QByteArray::fromStdString(bytes));
  }
  return md;
}

std::string Descriptor(const std::string &Name) {
  std::string b = {1, 0, 0, 0};
  b.append(72, '\0');
  return b + Name + '\0';
}

const char *kUrlMime = "application/x-qt-windows-mime;value=\"UniformResourceLocator\"";
const char *kDescriptorMime = "application/x-qt-windows-mime;value=\"FileGroupDescriptor\"";

} // namespace

TEST(Drop, DropCaretFollowsThePointAndScrollDirection) {
  PasteDoc d({"abc def"}, 300, 100);
  auto md = Mime({{"text/plain", "T"}});
  ASSERT_TRUE(d.ed->OleDragEnter(*md));
  int item = -1, offs = -1;
  EXPECT_TRUE(d.ed->OleDragOver(XBefore(2), kLineY));
  ASSERT_TRUE(d.ed->GetDropCaret(item, offs));
  EXPECT_EQ(offs, 3) << "before the third character";
  EXPECT_EQ(d.ed->DropCaretRect().left(), XBefore(2));
  d.ed->OleDragOver(XBefore(1), 5);
  EXPECT_EQ(d.ed->DropVScrollDirection(), -1) << "near the top";
  d.ed->OleDragOver(XBefore(1), 85);
  EXPECT_EQ(d.ed->DropVScrollDirection(), 1) << "near the bottom";
  d.ed->OleDragOver(XBefore(1), 50);
  EXPECT_EQ(d.ed->DropVScrollDirection(), 0);
  d.ed->OleDragLeave();
  EXPECT_FALSE(d.ed->GetDropCaret(item, offs)) << "gone with the drag";
  EXPECT_TRUE(d.ed->DropCaretRect().isEmpty());
  EXPECT_EQ(d.items(), "abc def");
}

TEST(Drop, EnterIsRefusedWhenNothingFitsOrReadOnly) {
  PasteDoc d;
  auto text = Mime({{"text/plain", "T"}});
  d.ed->AcceptDragDropFormats = {rvddRVF, rvddBitmap};
  EXPECT_FALSE(d.ed->OleDragEnter(*text)) << "no accepted format offered";
  d.ed->AcceptDragDropFormats = TRVDragDropFormats::FromRaw(191);
  d.ed->SetReadOnly(true);
  EXPECT_FALSE(d.ed->OleDragEnter(*text)) << "read-only";
  d.ed->Flags |= rvflDropIntoReadOnly;
  ASSERT_TRUE(d.ed->OleDragEnter(*text)) << "read-only, drops allowed";
  d.ed->OleDragOver(XBefore(1), kLineY);
  EXPECT_EQ(d.ed->OleDrop(*text, false), 0) << "but the change itself is refused";
  EXPECT_EQ(d.items(), "abc def");
}

TEST(Drop, FormatUsedForOfferedAndAccepted) {
  struct Case {
    const char *Name;
    std::vector<std::pair<const char *, std::string>> Offered;
    TRVDragDropFormats Accepted;
    std::string Expected;
  };
  const TRVDragDropFormats def = TRVDragDropFormats::FromRaw(191);
  const std::vector<Case> cases = {
      {"unicode text", {{"text/plain", "T"}}, def, "aTbc def"},
      {"text before an image", {{"image", ""}, {"text/plain", "T"}}, def, "aTbc def"},
      {"image when text is refused", {{"image", ""}, {"text/plain", "T"}}, {rvddBitmap}, "a<pic>bc def"},
      {"a link is refused by default",
       {{"text/uri-list", "http://example.org/\r\n"}, {"text/plain", "T"}},
       def,
       "aTbc def"},
      {"rtf before text", {{"text/rtf", "{\\rtf1\\ansi R}"}, {"text/plain", "T"}}, def, "aRbc def"},
      {"rvf before rtf",
       {{"application/x-richvista", kctest::RvfBlockOf("V", 1)}, {"text/rtf", "{\\rtf1 R}"}},
       def,
       "a*Vbc def"},
      {"rvf refused: rtf",
       {{"application/x-richvista", kctest::RvfBlockOf("V", 1)}, {"text/rtf", "{\\rtf1\\ansi R}"}},
       {rvddRTF},
       "aRbc def"},
      {"files refused", {{"text/uri-list", "file:///tmp/x.png\r\n"}}, {rvddText, rvddUnicodeText}, ""},
      {"nothing accepted", {{"text/plain", "T"}}, {rvddRVF}, ""},
  };
  for (const Case &c : cases) {
    PasteDoc d;
    d.ed->SetCurTextStyleNo(PasteDoc::kUnicodeStyle);
    d.ed->AcceptDragDropFormats = c.Accepted;
    auto md = Mime(c.Offered);
    const int effect = DropAt(*d.ed, *md, XBefore(1), kLineY);
    if (c.Expected.empty()) {
      EXPECT_EQ(effect, -1) << c.Name << ": refused as it enters";
      EXPECT_EQ(d.items(), "abc def") << c.Name;
    } else {
      EXPECT_EQ(effect, 1) << c.Name;
      EXPECT_EQ(d.plain(), c.Expected) << c.Name;
    }
  }
}

TEST(Drop, OntoTheSelectionChangesNothing) {
  PasteDoc d;
  d.select(0, 2, 0, 5); // "bc "
  const std::string before = d.rvf();
  auto md = Mime({{"text/plain", "T"}});
  EXPECT_EQ(DropAt(*d.ed, *md, XBefore(2), kLineY), 0);
  EXPECT_EQ(d.rvf(), before);
  EXPECT_EQ(d.doc().UndoList->Count(), 0);
  EXPECT_FALSE(d.doc().SelectionExists()) << "the selection collapses to the drop place";
  EXPECT_EQ(d.ed->GetCaretOffset(), 3);
}

using kctest::DragSelection;

TEST(Drop, MoveInsideTheEditor) {
  struct Case {
    const char *Name;
    TRVDragDropFormats Accepted;
    int SelA, SelB, DropBefore; // character positions on the first line
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"text moved forward", {rvddUnicodeText}, 0, 3, 7, " defabc"},
      {"text moved back", {rvddUnicodeText}, 4, 7, 0, "defabc "},
      {"own format moved forward", TRVDragDropFormats::FromRaw(191), 0, 3, 7, " def / abc"},
      {"own format moved back", TRVDragDropFormats::FromRaw(191), 4, 7, 1, "adefbc "},
  };
  for (const Case &c : cases) {
    PasteDoc d;
    d.ed->AcceptDragDropFormats = c.Accepted;
    d.select(0, c.SelA + 1, 0, c.SelB + 1);
    d.ed->SetCurTextStyleNo(PasteDoc::kUnicodeStyle);
    EXPECT_EQ(DragSelection(*d.ed, *d.ed, XBefore(c.DropBefore), kLineY, true), Qt::MoveAction) << c.Name;
    EXPECT_EQ(d.items(), c.Expected) << c.Name;
    EXPECT_EQ(d.doc().UndoList->Count(), 1) << c.Name << ": one step";
    d.ed->Undo();
    EXPECT_EQ(d.items(), "abc def") << c.Name << ": undone whole";
  }
}

TEST(Drop, MoveThatIsRefusedKeepsTheSource) {
  struct Case {
    const char *Name;
    std::function<void(PasteDoc &Target)> Set;
    std::function<void(QMimeData &)> Tamper;
  };
  const std::vector<Case> cases = {
      {"vetoed change",
       [](PasteDoc &T) { T.ed->OnChanging = [](TCustomRichVistaEdit *, bool &CanEdit) { CanEdit = false; }; }, nullptr},
      {"read-only target that lets drops in",
       [](PasteDoc &T) {
         T.ed->SetReadOnly(true);
         T.ed->Flags |= rvflDropIntoReadOnly;
       },
       nullptr},
      {"read-only target", [](PasteDoc &T) { T.ed->SetReadOnly(true); }, nullptr},
      {"bad data", nullptr,
       [](QMimeData &M) {
         M.clear();
         M.setData("application/x-richvista", QByteArray("\x40\0\0\0-1 junk", 11));
       }},
  };
  for (bool sameEditor : {true, false}) {
    for (const Case &c : cases) {
      PasteDoc source({"abc def"});
      PasteDoc other({"xyz"});
      PasteDoc &target = sameEditor ? source : other;
      source.select(0, 1, 0, 4); // "abc"
      if (c.Set) c.Set(target);
      const std::string before = source.rvf(), targetBefore = target.rvf();
      const int sourceSteps = source.doc().UndoList->Count();
      const Qt::DropAction result =
          DragSelection(*source.ed, *target.ed, XBefore(sameEditor ? 7 : 3), kLineY, true, c.Tamper);
      const std::string where = std::string(c.Name) + (sameEditor ? ", same editor" : ", other editor");
      EXPECT_EQ(result, Qt::IgnoreAction) << where;
      EXPECT_EQ(source.rvf(), before) << where;
      EXPECT_EQ(target.rvf(), targetBefore) << where;
      EXPECT_EQ(source.doc().UndoList->Count(), sourceSteps) << where << ": no step left behind";
    }
  }
}

TEST(Drop, MoveToAnotherEditorDeletesTheSourceAfterItArrived) {
  PasteDoc source({"abc def"});
  PasteDoc target({"xyz"});
  target.ed->SetCurTextStyleNo(PasteDoc::kUnicodeStyle);
  target.ed->AcceptDragDropFormats = {rvddUnicodeText};
  source.select(0, 1, 0, 4);
  EXPECT_EQ(DragSelection(*source.ed, *target.ed, XBefore(3), kLineY, true), Qt::MoveAction);
  EXPECT_EQ(target.items(), "xyzabc") << "the caret at the drop takes the style there, so the text joins";
  EXPECT_EQ(source.items(), " def");
}

TEST(Drop, CopyKeepsTheSource) {
  PasteDoc d;
  d.ed->AcceptDragDropFormats = {rvddUnicodeText};
  d.select(0, 1, 0, 4);
  d.ed->SetCurTextStyleNo(PasteDoc::kUnicodeStyle);
  EXPECT_EQ(DragSelection(*d.ed, *d.ed, XBefore(7), kLineY, false), Qt::CopyAction);
  EXPECT_EQ(d.items(), "abc defabc");
}

TEST(Drop, LinkTitle) {
  struct Case {
    const char *Name;
    std::string DescriptorName; // empty: no descriptor
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"named by its descriptor", "Example site.url", "Example site"},
      {"a name of 4 characters", "a.ur", "http://example.org/"},
      {"a name of 5 characters", "ab.ur", "a"},
      {"no descriptor", "", "http://example.org/"},
  };
  for (const Case &c : cases) {
    PasteDoc d;
    d.ed->AcceptDragDropFormats = TRVDragDropFormats::FromRaw(0xFF);
    std::string asked;
    d.ed->OnReadHyperlink = [&](TCustomRichVistaEdit *, const std::string &Url, int DocFormat, int &StyleNo, TRVTag &,
                                std::string &) {
      asked = Url + " " + std::to_string(DocFormat);
      StyleNo = 1;
    };
    std::vector<std::pair<const char *, std::string>> offered = {{kUrlMime, std::string("http://example.org/\0", 20)}};
    if (!c.DescriptorName.empty()) offered.push_back({kDescriptorMime, Descriptor(c.DescriptorName)});
    auto md = Mime(offered);
    EXPECT_EQ(DropAt(*d.ed, *md, XBefore(1), kLineY, true), 1) << c.Name << ": a link is copied, never moved";
    EXPECT_EQ(asked, "http://example.org/ 4") << c.Name;
    EXPECT_EQ(d.items(), "a|*" + c.Expected + "|bc def") << c.Name;
  }
}

TEST(Drop, FilesByType) {
  kctest::TempDir dir;
  QImage img(6, 5, QImage::Format_RGB32);
  img.fill(Qt::blue);
  ASSERT_TRUE(img.save(QString::fromStdString(dir.file("p.png")), "PNG"));
  ASSERT_TRUE(WriteFileAtomically(dir.file("t.txt"), "text\r\nfile"));
  ASSERT_TRUE(WriteFileAtomically(dir.file("r.rtf"), "{\\rtf1\\ansi R}"));
  ASSERT_TRUE(WriteFileAtomically(dir.file("o.doc"), "{\\rtf1\\ansi R}"));
  ASSERT_TRUE(WriteFileAtomically(dir.file("n.rvf"), kctest::RvfBlockOf("V", 1).substr(4)));
  struct Case {
    const char *Name;
    std::vector<std::string> Files;
    int Effect;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"picture", {"p.png"}, 1, "a<pic>bc def"}, {"text file", {"t.txt"}, 1, "atextfilebc def"},
      {"rtf file", {"r.rtf"}, 1, "aRbc def"},    {"rvf file", {"n.rvf"}, 1, "a*Vbc def"},
      {"other file", {"o.doc"}, 0, "abc def"},   {"several", {"o.doc", "p.png", "p.png"}, 1, "a<pic><pic>bc def"},
  };
  for (const Case &c : cases) {
    PasteDoc d;
    auto md = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const std::string &f : c.Files) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(dir.file(f))));
    md->setUrls(urls);
    std::vector<std::string> told;
    d.ed->OnDropFiles = [&](TCustomRichVistaEdit *, const std::vector<std::string> &Files, TRVDropFileAction &,
                            bool &) { told = Files; };
    EXPECT_EQ(DropAt(*d.ed, *md, XBefore(1), kLineY, true), c.Effect) << c.Name << ": never a move";
    EXPECT_EQ(d.plain(), c.Expected) << c.Name;
    EXPECT_EQ(told.size(), c.Files.size()) << c.Name;
  }
}

TEST(Drop, FilesTakenByTheHandler) {
  kctest::TempDir dir;
  ASSERT_TRUE(WriteFileAtomically(dir.file("t.txt"), "text"));
  for (TRVDropFileAction action : {rvdfNone, rvdfLink}) {
    PasteDoc d;
    auto md = std::make_unique<QMimeData>();
    md->setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.file("t.txt")))});
    d.ed->OnDropFiles = [&](TCustomRichVistaEdit *, const std::vector<std::string> &, TRVDropFileAction &FileAction,
                            bool &DoDefault) {
      DoDefault = false;
      FileAction = action;
    };
    EXPECT_EQ(DropAt(*d.ed, *md, XBefore(1), kLineY), action == rvdfNone ? 0 : 1);
    EXPECT_EQ(d.items(), "abc def");
  }
}

// The widget's own drag events: what Qt hears back from a drop.
TEST(Drop, QtEvents) {
  kctest::TempDir dir;
  ASSERT_TRUE(WriteFileAtomically(dir.file("t.txt"), "file"));
  struct Case {
    const char *Name;
    std::function<void(QMimeData &)> Fill;
    Qt::KeyboardModifiers Modifiers;
    bool Accepted;
    Qt::DropAction Result;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"text copied", [](QMimeData &M) { M.setText("T"); }, Qt::NoModifier, true, Qt::CopyAction, "aTbc def"},
      {"text from elsewhere is copied, Shift or not", [](QMimeData &M) { M.setText("T"); }, Qt::ShiftModifier, true,
       Qt::CopyAction, "aTbc def"},
      {"files are copied even when moved",
       [&](QMimeData &M) { M.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.file("t.txt")))}); },
       Qt::ShiftModifier, true, Qt::CopyAction, "afilebc def"},
      {"nothing the editor takes", [](QMimeData &M) { M.setData("application/x-other", "x"); }, Qt::NoModifier, false,
       Qt::IgnoreAction, "abc def"},
  };
  for (const Case &c : cases) {
    PasteDoc d;
    QMimeData md;
    c.Fill(md);
    const QPointF at(XBefore(1), kLineY);
    const Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at.toPoint(), possible, &md, Qt::LeftButton, c.Modifiers);
    QCoreApplication::sendEvent(d.ed.get(), &enter);
    EXPECT_EQ(enter.isAccepted(), c.Accepted) << c.Name;
    if (!c.Accepted) {
      EXPECT_EQ(d.items(), "abc def") << c.Name;
      continue;
    }
    QDragMoveEvent move(at.toPoint(), possible, &md, Qt::LeftButton, c.Modifiers);
    QCoreApplication::sendEvent(d.ed.get(), &move);
    EXPECT_TRUE(move.isAccepted()) << c.Name;
    QDropEvent drop(at, possible, &md, Qt::LeftButton, c.Modifiers);
    drop.setDropAction(move.dropAction());
    QCoreApplication::sendEvent(d.ed.get(), &drop);
    EXPECT_TRUE(drop.isAccepted()) << c.Name;
    EXPECT_EQ(drop.dropAction(), c.Result) << c.Name;
    EXPECT_EQ(d.plain(), c.Expected) << c.Name;
    int item = -1, offs = -1;
    EXPECT_FALSE(d.ed->GetDropCaret(item, offs)) << c.Name << ": the drop caret is gone";
  }
}

// A source that offers only a link (a browser's address) gets a link, and
// what it carries goes in.
TEST(Drop, ALinkOnlySourceGetsALink) {
  PasteDoc d;
  QMimeData md;
  md.setText("T");
  const QPoint at(XBefore(1), kLineY);
  QDragEnterEvent enter(at, Qt::LinkAction, &md, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(d.ed.get(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDragMoveEvent move(at, Qt::LinkAction, &md, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(d.ed.get(), &move);
  EXPECT_EQ(move.dropAction(), Qt::LinkAction);
  QDropEvent drop(QPointF(at), Qt::LinkAction, &md, Qt::LeftButton, Qt::NoModifier);
  drop.setDropAction(move.dropAction());
  QCoreApplication::sendEvent(d.ed.get(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(drop.dropAction(), Qt::LinkAction);
  EXPECT_EQ(d.plain(), "aTbc def");
}

TEST(Drop, AutoScrollWhileDraggingNearAnEdge) {
  ManualTimerClock clock;
  std::vector<std::string> paras;
  for (int i = 0; i < 30; ++i) paras.push_back("line " + std::to_string(i));
  PasteDoc d(paras, 300, 100);
  auto md = Mime({{"text/plain", "T"}});
  ASSERT_TRUE(d.ed->OleDragEnter(*md));
  d.ed->OleDragOver(XBefore(1), 95);
  int item = -1, offs = -1;
  ASSERT_TRUE(d.ed->GetDropCaret(item, offs));
  const int firstItem = item;
  EXPECT_EQ(d.ed->VScrollPos(), 0);
  clock.advance(300);
  clock.advance(300);
  EXPECT_GT(d.ed->VScrollPos(), 0) << "scrolled down";
  ASSERT_TRUE(d.ed->GetDropCaret(item, offs));
  EXPECT_GT(item, firstItem) << "the drop caret follows the still pointer";
  d.ed->OleDragOver(XBefore(1), 50);
  const int pos = d.ed->VScrollPos();
  clock.advance(600);
  EXPECT_EQ(d.ed->VScrollPos(), pos) << "away from the edges nothing scrolls";
  d.ed->OleDragLeave();
  EXPECT_EQ(clock.runningCount(), 0u) << "the scroll timer stops with the drag";
}

TEST(Drop, DropCaretIsPaintedWhereItStands) {
  PasteDoc d;
  auto md = Mime({{"text/plain", "T"}});
  const QImage before = d.ed->grab().toImage();
  ASSERT_TRUE(d.ed->OleDragEnter(*md));
  d.ed->OleDragOver(XBefore(5), kLineY + 40);
  const QRect r = d.ed->DropCaretRect();
  ASSERT_FALSE(r.isEmpty());
  const QImage during = d.ed->grab().toImage();
  const QPoint in = r.center(), beside(r.right() + 15, r.center().y());
  EXPECT_NE(during.pixel(in), before.pixel(in)) << "the bar shows";
  EXPECT_EQ(during.pixel(beside), before.pixel(beside)) << "and nothing beside it";
  d.ed->OleDragLeave();
  EXPECT_EQ(d.ed->grab().toImage().pixel(in), before.pixel(in)) << "gone with the drag";
}
