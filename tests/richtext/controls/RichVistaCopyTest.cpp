// Copying a view's selection: the clipboard gets one content with the
// formats the options ask for, with the right bytes. With
// KC_CLIPBOARD_HOLD set to a folder the program instead copies and keeps
// the clipboard until that folder holds a file "done", for a check by
// another program under a real X server (ClipboardX11Test.sh).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <chrono>
#include <thread>

#include "ViewFixture.h"
#include "platform/Files.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVUni.h"

using namespace kc;
using kctest::FixedPitchView;

namespace {

struct Doc {
  Doc() {
    view = std::make_unique<FixedPitchView>(sheet);
    view->AddTextParagraph("alpha beta", 0, 0);
    auto pic = std::make_unique<TRVGraphicItemInfo>(
        view->RVData(), std::make_unique<TBitmap>(QImage(30, 20, QImage::Format_RGB32)), rvvaBaseline);
    pic->ParaNo = -1;
    view->RVData()->AddItem("", std::move(pic));
    view->ReformatDocument();
  }
  TRVStyle sheet;
  std::unique_ptr<FixedPitchView> view;
};

QStringList Formats() {
  const QMimeData *m = QGuiApplication::clipboard()->mimeData();
  return m ? m->formats() : QStringList();
}

std::string Bytes(const char *Mime) {
  const QMimeData *m = QGuiApplication::clipboard()->mimeData();
  return m ? m->data(Mime).toStdString() : std::string();
}

} // namespace

TEST(Copy, TheDefaultOptionsGiveRvfTextAndRtf) {
  Doc d;
  d.view->SetSelectionBounds(0, 7, 0, 11);
  d.view->CopyDef();
  const QStringList f = Formats();
  EXPECT_TRUE(f.contains("application/x-richvista")) << f.join(",").toStdString();
  EXPECT_TRUE(f.contains("text/plain"));
  EXPECT_TRUE(f.contains("text/rtf"));
  EXPECT_FALSE(f.contains("application/x-qt-image")) << "text only: no picture";
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "beta");
  const std::string rvf = Bytes("application/x-richvista");
  ASSERT_GE(rvf.size(), 4u);
  const uint32_t n = uint8_t(rvf[0]) | uint8_t(rvf[1]) << 8 | uint8_t(rvf[2]) << 16 | uint32_t(uint8_t(rvf[3])) << 24;
  EXPECT_EQ(n, rvf.size() - 4) << "the block starts with the length of the RVF that follows";
  // The RVF read back is the selected text alone.
  TRVStyle sheet;
  FixedPitchView back(sheet);
  const TRVFReadResult r = LoadRvfFromStream(*back.RVData(), std::string_view(rvf).substr(4));
  ASSERT_TRUE(r.Ok) << r.Error;
  ASSERT_EQ(back.ItemCountOf(), 1);
  EXPECT_EQ(back.ItemTextOf(0), "beta");
  const std::string rtf = Bytes("text/rtf");
  EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(rtf.find("beta"), std::string::npos);
  EXPECT_EQ(rtf.find("alpha"), std::string::npos);
}

TEST(Copy, FormatsFollowTheOptions) {
  struct Case {
    const char *name;
    TRVOptions options;
    bool picture; // the selection is the picture alone
    std::vector<const char *> present, absent;
  } cases[] = {
      {"text options only: text alone",
       {rvoAutoCopyText, rvoAutoCopyUnicodeText},
       false,
       {"text/plain"},
       {"application/x-richvista", "text/rtf"}},
      {"a picture alone with the image option", {rvoAutoCopyImage}, true, {"application/x-qt-image"}, {"text/plain"}},
      {"RVF only", {rvoAutoCopyRVF}, false, {"application/x-richvista"}, {"text/plain", "text/rtf"}},
  };
  for (const auto &c : cases) {
    Doc d;
    d.view->Options = c.options;
    if (c.picture) d.view->SetSelectionBounds(1, 0, 1, 1);
    else d.view->SetSelectionBounds(0, 1, 0, 6);
    d.view->CopyDef();
    const QStringList f = Formats();
    for (const char *m : c.present) EXPECT_TRUE(f.contains(m)) << c.name << ": " << m;
    for (const char *m : c.absent) EXPECT_FALSE(f.contains(m)) << c.name << ": " << m;
  }
}

TEST(Copy, TextLinesEndInLineFeedsAlone) {
  TRVStyle sheet;
  FixedPitchView view(sheet);
  view.AddTextParagraph("first", 0, 0);
  view.AddTextParagraph("second", 0, 0);
  view.ReformatDocument();
  view.SelectAll();
  view.CopyDef();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "first\nsecond");
}

TEST(Copy, PlainTextIsTheUnicodeTextWhateverTextOptionAsksForIt) {
  // Characters outside every 8-bit code page, and one from the ANSI one in
  // an 8-bit item beside them.
  const std::u16string world = u"\u041F\u0440\u0438\u0432\u0435\u0442 \u4E2D\u6587 \U0001F600";
  const std::string want = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE4\xB8\xAD\xE6\x96\x87 "
                           "\xF0\x9F\x98\x80 caf\xC3\xA9";
  struct Case {
    const char *name;
    TRVOptions options;
  } cases[] = {
      {"8-bit text option", {rvoAutoCopyText}},
      {"Unicode text option", {rvoAutoCopyUnicodeText}},
      {"both", {rvoAutoCopyText, rvoAutoCopyUnicodeText}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    TRVStyle sheet;
    sheet.TextStyles().Add();
    sheet.TextStyles().Items(1)->Unicode = true;
    FixedPitchView view(sheet);
    auto item = RichVistaTextItemClass(view.RVData());
    item->StyleNo = 1;
    item->ParaNo = 0;
    item->ItemOptions.Include(rvioUnicode);
    view.RVData()->AddItem(WideStringToRaw(world), std::move(item));
    view.AddTextRun(" caf\xE9", 0);
    view.ReformatDocument();
    view.Options = c.options;
    view.SelectAll();
    view.CopyDef();
    EXPECT_EQ(Bytes("text/plain"), want);
  }
}

TEST(Copy, NothingSelectedLeavesTheClipboardAlone) {
  QGuiApplication::clipboard()->setText("before");
  Doc d;
  EXPECT_TRUE(d.view->RVData()->CopySelectionToClipboard());
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "before");
  d.view->Options = TRVOptions{rvoAllowSelection};
  d.view->SelectAll();
  EXPECT_FALSE(d.view->RVData()->CopySelectionToClipboard()) << "no format asked for and no copy handler";
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "before");
}

TEST(Copy, TheCopyHandlerAddsItsOwnFormats) {
  Doc d;
  d.view->OnCopy = [](TCustomRichVista *, Clipboard::Batch &b) {
    b.setData(Clipboard::registerFormat("application/x-kavet-test"), "extra");
  };
  d.view->SetSelectionBounds(0, 1, 0, 6);
  d.view->CopyDef();
  EXPECT_EQ(Bytes("application/x-kavet-test"), "extra");
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "alpha");
}

TEST(Copy, CtrlCCopies) {
  Doc d;
  d.view->SetSelectionBounds(0, 7, 0, 11);
  QGuiApplication::clipboard()->setText("before");
  QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
  QCoreApplication::sendEvent(d.view.get(), &press);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "beta");
}

// Not a check of its own: the holding side of ClipboardX11Test.sh.
TEST(Copy, HoldForAnotherProgram) {
  const QByteArray folder = qgetenv("KC_CLIPBOARD_HOLD");
  if (folder.isEmpty()) GTEST_SKIP() << "runs only under ClipboardX11Test.sh";
  Doc d;
  d.view->SetSelectionBounds(0, 7, 0, 11);
  d.view->CopyDef();
  const std::string dir = folder.toStdString();
  ASSERT_TRUE(WriteFileAtomically(dir + "/ready", "1"));
  for (int i = 0; i < 600 && !FileExists(dir + "/done"); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(FileExists(dir + "/done"));
}
