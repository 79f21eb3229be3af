#include "widgets/KcDragDrop.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>

namespace kc {
namespace {

QMimeData *uriList(const QByteArray &list) {
  auto *m = new QMimeData;
  m->setData("text/uri-list", list);
  return m;
}

// What the desktop does on a drop: enter, then drop, as long as the enter
// was taken.
bool dropOn(QWidget *w, QMimeData *data, QPoint at) {
  QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &drop);
  return drop.isAccepted();
}

struct DropFixture : ::testing::Test {
  QWidget form;
  TKcDragDrop target{&form};
  QStringList dropped;
  QPoint where;
  int drops = 0;
  void SetUp() override {
    form.resize(200, 200);
    target.OnDrop = [this](TKcDragDrop *, QPoint p, const QStringList &files) {
      ++drops;
      where = p;
      dropped = files;
    };
  }
};

TEST_F(DropFixture, LocalFilesOfAUriListAreDelivered) {
  const QString longName = "/tmp/" + QString(150, 'n') + ".txt";
  std::unique_ptr<QMimeData> data(
      uriList("file:///home/ann/report.doc\r\n# a comment line\r\nfile:///tmp/two%20words.txt\r\n" +
              QUrl::fromLocalFile(longName).toEncoded() + "\r\n"));
  ASSERT_TRUE(dropOn(&form, data.get(), QPoint(30, 40)));
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(where, QPoint(30, 40));
  EXPECT_EQ(dropped, (QStringList{"/home/ann/report.doc", "/tmp/two words.txt", longName}));
  EXPECT_EQ(target.Files(), dropped) << "the last drop is kept";
}

TEST_F(DropFixture, DropsWithoutLocalFilesAreNotTaken) {
  std::unique_ptr<QMimeData> web(uriList("https://example.invalid/a.zip\r\n"));
  EXPECT_FALSE(dropOn(&form, web.get(), QPoint(5, 5)));
  auto text = std::make_unique<QMimeData>();
  text->setText("/etc/passwd");
  EXPECT_FALSE(dropOn(&form, text.get(), QPoint(5, 5)));
  EXPECT_EQ(drops, 0);
}

TEST_F(DropFixture, SwitchingAcceptDragOffStopsDropsAtOnce) {
  EXPECT_TRUE(form.acceptDrops());
  EXPECT_EQ(WndProcHookCount(&form, THookOrder::hoBeforeMsg), 1);
  target.SetAcceptDrag(false);
  EXPECT_FALSE(form.acceptDrops());
  EXPECT_EQ(WndProcHookCount(&form, THookOrder::hoBeforeMsg), 0);
  std::unique_ptr<QMimeData> data(uriList("file:///tmp/a\r\n"));
  EXPECT_FALSE(dropOn(&form, data.get(), QPoint(5, 5)));
  EXPECT_EQ(drops, 0);
  target.SetAcceptDrag(true);
  EXPECT_TRUE(dropOn(&form, data.get(), QPoint(5, 5)));
  EXPECT_EQ(drops, 1);
}

TEST(KcDragDrop, FreedTargetLeavesItsOwnerWorking) {
  QWidget form;
  auto *target = new TKcDragDrop(&form);
  delete target;
  EXPECT_EQ(WndProcHookCount(&form, THookOrder::hoBeforeMsg), 0);
  std::unique_ptr<QMimeData> data(uriList("file:///tmp/a\r\n"));
  dropOn(&form, data.get(), QPoint(5, 5)); // must not reach the freed target
}

} // namespace
} // namespace kc
