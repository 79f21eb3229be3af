// The main window's dump as scripts read it: what can be clicked, where it
// is on the screen, and a file kept current while dialogs the main window
// never hears of open, change and close.
#include <gtest/gtest.h>

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>

#include <fstream>
#include <functional>
#include <sstream>

#include "ChatWindowOnLoopback.h"
#include "ui/TfmUserProfileUn.h"
#include "widgets/KcComCtrls.h"

namespace {

using namespace kc;

class DumpTest : public kctest::ChatWindowOnLoopback {
protected:
  static QJsonObject parse(const std::string &Json) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(Json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.object();
  }
  // The first target with this name (and caption and window, when given).
  static QJsonObject target(const QJsonObject &Dump, const QString &Name, const QString &Caption = QString(),
                            const QString &Window = QString()) {
    for (const QJsonValue &t : Dump["targets"].toArray())
      if (t["name"].toString() == Name && (Caption.isNull() || t["caption"].toString() == Caption) &&
          (Window.isNull() || t["window"].toString() == Window))
        return t.toObject();
    return {};
  }
  static QRect rect(const QJsonObject &Target) {
    const QJsonArray r = Target["rect"].toArray();
    return QRect(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt());
  }
  std::string file() {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  const std::string path = dir + "/dump.json";
};

TEST_F(DumpTest, ToolbarItemsTreeRowsAndButtonsAreListedWhereTheyShow) {
  w->show();
  pump(200);
  const QJsonObject main = parse(w->DumpJson());
  const QJsonObject profile = target(main, "miMyProfile");
  ASSERT_FALSE(profile.isEmpty());
  EXPECT_EQ(profile["caption"].toString(), "My profile");
  EXPECT_EQ(profile["window"].toString(), "fmKavetChat");
  const QRect client(w->mapToGlobal(QPoint(0, 0)), w->size());
  EXPECT_TRUE(client.contains(rect(profile))) << "in screen coordinates, inside the window";

  TfmUserProfile d("", nullptr, w.get());
  d.SetEditMode(true);
  d.LoadUserData(me());
  d.show();
  d.tvProfile->setCurrentItem(d.tvProfile->topLevelItem(1));
  // The page shows once the event loop has laid it out (slowly on a busy
  // machine); the deadline is only against a hang.
  for (int i = 0; i < 250 && !d.edAlias->isVisible(); ++i) pump(20);
  ASSERT_TRUE(d.edAlias->isVisible());
  const QJsonObject dump = parse(w->DumpJson());
  const QJsonObject row = target(dump, "tvProfile", "Basic data");
  ASSERT_FALSE(row.isEmpty()) << w->DumpJson();
  EXPECT_TRUE(row["selected"].toBool());
  EXPECT_FALSE(target(dump, "tvProfile", "Summary data")["selected"].toBool());
  const QRect tree(d.tvProfile->mapToGlobal(QPoint(0, 0)), d.tvProfile->size());
  EXPECT_TRUE(tree.contains(rect(row)));
  EXPECT_EQ(target(dump, "edAlias")["window"].toString(), "TfmUserProfile") << "the shown page's controls";
  EXPECT_TRUE(target(dump, "mmDataMemo").isEmpty()) << "not the hidden page's";
  EXPECT_FALSE(target(dump, "", "OK", "TfmUserProfile").isEmpty()) << "buttons by caption, without '&'";
}

TEST_F(DumpTest, TheFileFollowsDialogsAndClicksTheMainWindowNeverHearsOf) {
  w->show();
  w->SetDumpFile(path);
  pump(400);
  ASSERT_EQ(parse(file())["dialogs"].toArray().size(), 0);
  TfmUserProfile d("", nullptr, w.get());
  d.SetEditMode(true);
  d.LoadUserData(me());
  struct Row {
    const char *name;
    std::function<void()> step;
    std::function<bool(const QJsonObject &)> seen;
  } rows[] = {
      {"a dialog opens", [&] { d.show(); }, [](const QJsonObject &j) { return j["dialogs"].toArray().size() == 1; }},
      {"a row is chosen",
       [&] {
         d.tvProfile->setCurrentItem(d.tvProfile->topLevelItem(3));
         QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::NoButton,
                             Qt::NoModifier);
         QApplication::sendEvent(d.tvProfile->viewport(), &release);
       },
       [](const QJsonObject &j) { return target(j, "tvProfile", "Work")["selected"].toBool(); }},
      {"the dialog closes", [&] { d.hide(); }, [](const QJsonObject &j) { return j["dialogs"].toArray().isEmpty(); }},
  };
  for (const Row &r : rows) {
    r.step();
    pump(400);
    EXPECT_TRUE(r.seen(parse(file()))) << r.name << ": " << file();
  }
}

} // namespace
