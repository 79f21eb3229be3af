// Saved toolbar positions: written and read back to the same layout, the
// stored format, hostile stored values loaded without harm, and the settings
// store reaching the positions through its hook.
#include <gtest/gtest.h>

#include <QStringList>

#include <map>
#include <memory>

#include "core/iniFileUn.h"
#include "platform/Log.h"
#include "platform/ProgramKey.h"
#include "platform/Screen.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "toolbars/TBarPositions.h"

using namespace kc;
using namespace kc::tb;

namespace {

struct FakeDock : TTBPositionsDock {
  FakeDock(QString n, TTBPositionEdge e, bool drag = true) : name(std::move(n)), edge(e), allowDrag(drag) {}
  QString DockName() const override { return name; }
  bool DockAllowsDrag() const override { return allowDrag; }
  TTBPositionEdge DockEdge() const override { return edge; }
  void DockBeginUpdate() override { ++updates, ++begins; }
  void DockEndUpdate() override { --updates; }
  QString name;
  TTBPositionEdge edge;
  bool allowDrag;
  int updates = 0, begins = 0;
};

// The state a bar keeps, in one comparable value.
struct Layout {
  bool visible = true;
  bool floating = false;
  QString dock, lastDock;
  int row = 0, pos = -1;
  QPoint floatAt;
  int floatingWidth = 0;
  bool operator==(const Layout &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Layout &l) {
  return os << (l.visible ? "visible " : "hidden ") << (l.floating ? "floating" : "dock=") << l.dock.toStdString()
            << " last=" << l.lastDock.toStdString() << " row=" << l.row << " pos=" << l.pos << " at=" << l.floatAt.x()
            << "," << l.floatAt.y() << " width=" << l.floatingWidth;
}

struct FakeOwner;

struct FakeBar : TTBPositionsBar {
  FakeBar(FakeOwner *o, QString n) : owner(o), name(std::move(n)) {}
  QString BarName() const override { return name; }
  bool BarVisible() const override { return s.visible; }
  void SetBarVisible(bool v) override { s.visible = v; }
  bool BarFloating() const override { return s.floating; }
  TTBPositionsDock *BarDock() const override;
  TTBPositionsDock *BarLastDock() const override;
  bool BarUsesLastDock() const override { return true; }
  int BarDockRow() const override { return s.row; }
  int BarDockPos() const override { return s.pos; }
  QPoint BarFloatingPosition() const override { return s.floatAt; }
  bool BarMayFloat() const override { return mayFloat; }
  bool BarMayDockIn(const TTBPositionsDock *d) const override {
    return (edges & (1 << static_cast<const FakeDock *>(d)->edge)) != 0;
  }
  void SetBarDockRow(int r) override { s.row = r; }
  void SetBarDockPos(int p) override { s.pos = p; }
  void SetBarFloatingPosition(QPoint p) override { s.floatAt = p; }
  void SetBarDock(TTBPositionsDock *d) override {
    s.floating = !d;
    s.dock = d ? d->DockName() : QString();
    if (d) s.lastDock = d->DockName();
    events << (d ? "dock " + d->DockName() : QStringLiteral("float"));
  }
  void SetBarLastDock(TTBPositionsDock *d) override { s.lastDock = d->DockName(); }
  void KeepBarOnScreen() override {
    s.floatAt = OnScreenPosition(QRect(s.floatAt, QSize(80, 40)), {monitorWorkAreaOf(QRect(s.floatAt, QSize(80, 40)))});
  }
  void ArrangeBar() override { events << QStringLiteral("arrange"); }
  void WriteOwnPositions(const TTBPositionWriter &w, const QString &sec) override {
    if (toolbar) w.WriteInteger(sec, QStringLiteral("FloatRightX"), s.floatingWidth);
  }
  void ReadOwnPositions(const TTBPositionReader &r, const QString &sec) override {
    if (toolbar) s.floatingWidth = StoredFloatingWidth(r.ReadInteger(sec, QStringLiteral("FloatRightX"), 0));
  }
  void BarPlaced() override { events << QStringLiteral("placed"); }

  FakeOwner *owner;
  QString name;
  Layout s;
  bool toolbar = true, mayFloat = true;
  int edges = 0xF;
  QStringList events;
};

struct FakeOwner : TTBPositionsOwner {
  std::vector<std::unique_ptr<FakeDock>> docks;
  std::vector<std::unique_ptr<FakeBar>> bars;
  FakeOwner() {
    docks.push_back(std::make_unique<FakeDock>("TopDock", peTop));
    docks.push_back(std::make_unique<FakeDock>("BottomDock", peBottom));
    docks.push_back(std::make_unique<FakeDock>("LeftDock", peLeft));
    docks.push_back(std::make_unique<FakeDock>("FixedDock", peRight, false));
    for (const char *n : {"Standard", "Format", "Menu"}) bars.push_back(std::make_unique<FakeBar>(this, n));
  }
  std::vector<TTBPositionsDock *> PositionsDocks() const override {
    std::vector<TTBPositionsDock *> out;
    for (auto &d : docks) out.push_back(d.get());
    return out;
  }
  std::vector<TTBPositionsBar *> PositionsBars() const override {
    std::vector<TTBPositionsBar *> out;
    for (auto &b : bars) out.push_back(b.get());
    return out;
  }
  FakeDock *dock(const QString &n) const {
    for (auto &d : docks)
      if (d->name == n) return d.get();
    return nullptr;
  }
  FakeBar &bar(int i) { return *bars[size_t(i)]; }
};

TTBPositionsDock *FakeBar::BarDock() const { return s.floating ? nullptr : owner->dock(s.dock); }
TTBPositionsDock *FakeBar::BarLastDock() const { return owner->dock(s.lastDock); }

// A store in memory, the way the settings keep it: every value as text.
struct MemoryStore {
  std::map<std::pair<QString, QString>, QString> values;
  QStringList order;
  TTBPositionWriter writer() {
    TTBPositionWriter w;
    w.WriteInteger = [this](const QString &s, const QString &n, int v) { put(s, n, QString::number(v)); };
    w.WriteString = [this](const QString &s, const QString &n, const QString &v) { put(s, n, v); };
    return w;
  }
  TTBPositionReader reader() {
    TTBPositionReader r;
    r.ReadInteger = [this](const QString &s, const QString &n, int def) {
      auto it = values.find({s.toLower(), n.toLower()});
      bool ok = false;
      const int v = it == values.end() ? 0 : it->second.toInt(&ok);
      return ok ? v : def;
    };
    r.ReadString = [this](const QString &s, const QString &n, const QString &def) {
      auto it = values.find({s.toLower(), n.toLower()});
      return it == values.end() ? def : it->second;
    };
    return r;
  }
  void put(const QString &s, const QString &n, const QString &v) {
    values[{s.toLower(), n.toLower()}] = v;
    order << s + "." + n + "=" + v;
  }
};

Layout Docked(const char *dock, int row, int pos, bool visible = true) {
  Layout l;
  l.visible = visible;
  l.dock = QString::fromLatin1(dock);
  l.lastDock = l.dock;
  l.row = row;
  l.pos = pos;
  return l;
}

Layout Floating(QPoint at, int width, const char *last, bool visible = true) {
  Layout l;
  l.visible = visible;
  l.floating = true;
  l.lastDock = QString::fromLatin1(last);
  l.floatAt = at;
  l.floatingWidth = width;
  return l;
}

// One 1024 x 768 monitor.
struct OneMonitor {
  MonitorsOverride monitors{{Monitor{QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 740)}}};
};

TEST(DockablePositions, WrittenAndReadBackToTheSameLayout) {
  OneMonitor screen;
  FakeOwner owner;
  const Layout saved[] = {Docked("LeftDock", 1, 30), Floating({100, 50}, 200, "BottomDock"),
                          Docked("BottomDock", 0, 0, false)};
  for (int i = 0; i < 3; ++i) owner.bar(i).s = saved[i];
  MemoryStore store;
  WriteDockablePositions(owner, store.writer());

  FakeOwner fresh; // as designed: every bar in the top dock
  for (int i = 0; i < 3; ++i) fresh.bar(i).s = Docked("TopDock", 0, i * 50);
  ReadDockablePositions(fresh, store.reader());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(fresh.bar(i).s, saved[i]) << "bar " << i;
  // Docks held their arrangement until every bar was placed.
  for (auto &d : fresh.docks) EXPECT_EQ(d->updates, 0);
  EXPECT_EQ(fresh.bar(1).events, (QStringList{"float", "arrange", "placed"}));
}

TEST(DockablePositions, StoredValuesInTheirOrder) {
  FakeOwner owner;
  owner.bar(0).s = Docked("TopDock", 2, 40);
  owner.bar(1).s = Floating({-5, 7}, 0, "LeftDock");
  owner.bar(2).s = Docked("FixedDock", 0, 0, false);
  owner.bar(2).toolbar = false;
  MemoryStore store;
  WriteDockablePositions(owner, store.writer());
  EXPECT_EQ(store.order,
            (QStringList{"Standard.Rev=2000", "Standard.Visible=1", "Standard.DockedTo=TopDock",
                         "Standard.LastDock=TopDock", "Standard.DockRow=2", "Standard.DockPos=40",
                         "Standard.FloatLeft=0", "Standard.FloatTop=0", "Standard.FloatRightX=0", "Format.Rev=2000",
                         "Format.Visible=1", "Format.DockedTo=+", "Format.LastDock=LeftDock", "Format.DockRow=0",
                         "Format.DockPos=-1", "Format.FloatLeft=-5", "Format.FloatTop=7", "Format.FloatRightX=0",
                         // A dock the user may not drag out of saves no dock: the bar stays put.
                         "Menu.Rev=2000", "Menu.Visible=0", "Menu.DockedTo=", "Menu.LastDock=FixedDock",
                         "Menu.DockRow=0", "Menu.DockPos=0", "Menu.FloatLeft=0", "Menu.FloatTop=0"}));
}

TEST(DockablePositions, NamesMissingStopTheWalkWithTheirMessage) {
  struct Case {
    const char *name;
    int nameless;         // bar whose name is empty, or -1
    const char *dockName; // new name of the top dock
    const char *message;
  };
  const Case cases[] = {
      {"bar without a name", 1, "TopDock", "Cannot save dockable window's position because Name property is not set"},
      {"dock without a name", -1, "",
       "Cannot save dockable window's position because DockedTo's Name property not set"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    FakeOwner owner;
    for (int i = 0; i < 3; ++i) owner.bar(i).s = Docked("TopDock", 0, i);
    owner.dock("TopDock")->name = QString::fromLatin1(c.dockName);
    for (int i = 0; i < 3; ++i) owner.bar(i).s.dock = QString::fromLatin1(c.dockName);
    if (c.nameless >= 0) owner.bar(c.nameless).name.clear();
    MemoryStore store;
    try {
      WriteDockablePositions(owner, store.writer());
      ADD_FAILURE() << "no error";
    } catch (const ETBPositionsError &e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    // Bars before the failing one were written.
    EXPECT_EQ(store.values.count({"standard", "rev"}), c.nameless == 1 ? 1u : 0u);
  }
}

// Each row: what the store holds for "Standard" (designed docked in the top
// dock, row 0 at 10, visible), and where the bar ends up.
TEST(DockablePositions, HostileStoredValuesLoadWithoutHarm) {
  OneMonitor screen;
  struct Case {
    const char *name;
    std::map<QString, QString> values;
    Layout expected;
    bool mayFloat = true;
    int edges = 0xF;
  };
  const Layout designed = Docked("TopDock", 0, 10);
  auto visibleHidden = designed;
  visibleHidden.visible = false;
  // Floating keeps the designed row and position for its next docking.
  auto F = [](QPoint at, int width, const char *last) {
    Layout l = Floating(at, width, last);
    l.pos = 10;
    return l;
  };
  const Case cases[] = {
      {"other revision leaves everything, visibility too",
       {{"Rev", "1999"}, {"Visible", "0"}, {"DockedTo", "LeftDock"}},
       designed},
      {"no revision", {{"Visible", "0"}, {"DockedTo", "LeftDock"}}, designed},
      {"revision not a number", {{"Rev", "2000x"}, {"DockedTo", "LeftDock"}}, designed},
      {"empty dock name: only visibility", {{"Rev", "2000"}, {"Visible", "0"}}, visibleHidden},
      {"dock that does not exist", {{"Rev", "2000"}, {"DockedTo", "NoSuchDock"}, {"DockRow", "3"}}, designed},
      {"dock the bar may not be dragged into", {{"Rev", "2000"}, {"DockedTo", "FixedDock"}}, designed},
      {"dock on an edge the bar refuses", {{"Rev", "2000"}, {"DockedTo", "LeftDock"}}, designed, true, 0x3},
      {"floating a bar that may not float", {{"Rev", "2000"}, {"DockedTo", "+"}}, designed, false},
      {"dock name in another case",
       {{"Rev", "2000"}, {"DockedTo", "leftDOCK"}, {"DockRow", "1"}},
       Docked("LeftDock", 1, 10)},
      {"negative row", {{"Rev", "2000"}, {"DockedTo", "LeftDock"}, {"DockRow", "-7"}}, Docked("LeftDock", 0, 10)},
      {"absurd row",
       {{"Rev", "2000"}, {"DockedTo", "LeftDock"}, {"DockRow", "2000000000"}},
       Docked("LeftDock", kMaxStoredDockRow, 10)},
      {"row beyond 32 bits reads as missing",
       {{"Rev", "2000"}, {"DockedTo", "LeftDock"}, {"DockRow", "99999999999"}},
       Docked("LeftDock", 0, 10)},
      {"absurd position",
       {{"Rev", "2000"}, {"DockedTo", "LeftDock"}, {"DockPos", "-2147483648"}},
       Docked("LeftDock", 0, -kMaxStoredCoordinate)},
      {"texts where numbers belong",
       {{"Rev", "2000"}, {"DockedTo", "LeftDock"}, {"DockRow", "two"}, {"DockPos", ""}, {"Visible", "yes"}},
       Docked("LeftDock", 0, 10)},
      {"floating off every screen comes onto the nearest",
       {{"Rev", "2000"}, {"DockedTo", "+"}, {"FloatLeft", "5000"}, {"FloatTop", "-3000"}, {"FloatRightX", "90"}},
       F({1024 - 80, 0}, 90, "TopDock")},
      {"floating at absurd coordinates",
       {{"Rev", "2000"}, {"DockedTo", "+"}, {"FloatLeft", "-2147483647"}, {"FloatTop", "2147483647"}},
       F({0, 740 - 40}, 0, "TopDock")},
      {"floating width below nothing or absurd is the natural width",
       {{"Rev", "2000"}, {"DockedTo", "+"}, {"FloatLeft", "10"}, {"FloatRightX", "-40"}},
       F({10, 0}, 0, "TopDock")},
      {"floating width absurd",
       {{"Rev", "2000"}, {"DockedTo", "+"}, {"FloatRightX", "1000000"}},
       F({0, 0}, 0, "TopDock")},
      {"last dock that does not exist",
       {{"Rev", "2000"}, {"DockedTo", "+"}, {"LastDock", "Gone"}},
       F({0, 0}, 0, "TopDock")},
      {"last dock named", {{"Rev", "2000"}, {"DockedTo", "+"}, {"LastDock", "bottomdock"}}, F({0, 0}, 0, "BottomDock")},
      {"last dock the bar may not go to",
       {{"Rev", "2000"}, {"DockedTo", "+"}, {"LastDock", "FixedDock"}},
       F({0, 0}, 0, "TopDock")},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    FakeOwner owner;
    owner.bar(0).s = designed;
    owner.bar(0).mayFloat = c.mayFloat;
    owner.bar(0).edges = c.edges;
    MemoryStore store;
    for (auto &[n, v] : c.values) store.values[{"standard", n.toLower()}] = v;
    ReadDockablePositions(owner, store.reader());
    EXPECT_EQ(owner.bar(0).s, c.expected);
    for (auto &d : owner.docks) EXPECT_EQ(d->updates, 0);
  }
}

TEST(DockablePositions, ANamelessBarStopsTheReadAfterTheOnesBefore) {
  FakeOwner owner;
  for (int i = 0; i < 3; ++i) owner.bar(i).s = Docked("TopDock", 0, i);
  owner.bar(1).name.clear();
  MemoryStore store;
  store.values[{"standard", "rev"}] = "2000";
  store.values[{"standard", "dockedto"}] = "BottomDock";
  EXPECT_THROW(ReadDockablePositions(owner, store.reader()), ETBPositionsError);
  EXPECT_EQ(owner.bar(0).s.dock, "BottomDock");
  // The docks left update mode all the same.
  for (auto &d : owner.docks) EXPECT_EQ(d->updates, 0);
}

TEST(DockablePositions, OnScreenPositionTakesTheNearestWorkArea) {
  const std::vector<QRect> two = {QRect(0, 0, 1000, 700), QRect(1000, 0, 800, 600)};
  struct Case {
    const char *name;
    QRect window;
    std::vector<QRect> areas;
    QPoint expected;
  };
  const Case cases[] = {
      {"on screen stays", QRect(100, 100, 50, 20), two, {100, 100}},
      {"partly on screen stays", QRect(-40, -10, 50, 20), two, {-40, -10}},
      {"right of the second", QRect(2500, 100, 50, 20), two, {1750, 100}},
      {"below the second", QRect(1500, 900, 50, 20), two, {1500, 580}},
      {"left of the first", QRect(-500, 300, 50, 20), two, {0, 300}},
      {"above both, nearer the first", QRect(500, -400, 50, 20), two, {500, 0}},
      {"larger than the area keeps its corner in", QRect(5000, 5000, 3000, 900), two, {1000, 0}},
      {"no work area", QRect(5000, 5000, 50, 20), {}, {5000, 5000}},
  };
  for (const Case &c : cases) EXPECT_EQ(OnScreenPosition(c.window, c.areas), c.expected) << c.name;
}

class DockablePositionsStore : public ::testing::Test {
protected:
  void TearDown() override { SetLogSink(nullptr); }
  kctest::TempDir tmp{"kc-tbpap"};
  kctest::ScopedEnv config{"XDG_CONFIG_HOME", tmp.path().string()};
  OneMonitor screen;
};

TEST_F(DockablePositionsStore, TheSettingsHookSavesAndLoadsUnderTheToolbarSubkey) {
  FakeOwner owner;
  owner.bar(0).s = Docked("LeftDock", 1, 12);
  owner.bar(1).s = Floating({300, 200}, 150, "BottomDock");
  owner.bar(2).s = Docked("BottomDock", 0, 5, false);
  SaveToolbarLayout(kProgramKey, [&](std::string_view key) { SaveDockablePositions(owner, key); });

  RegistryIni top(kProgramKey);
  EXPECT_EQ(top.readString("TBPAP\\Standard", "DockedTo"), "LeftDock");
  EXPECT_EQ(top.readString("TBPAP\\Format", "FloatRightX"), "150");
  EXPECT_EQ(top.readString("TBPAP\\Menu", "Visible"), "0");

  FakeOwner fresh;
  LoadToolbarLayout(kProgramKey, [&](std::string_view key) { LoadDockablePositions(fresh, key); });
  for (int i = 0; i < 3; ++i) EXPECT_EQ(fresh.bar(i).s, owner.bar(i).s) << "bar " << i;
}

TEST_F(DockablePositionsStore, AFailingLoadIsReportedAndTheBarsStay) {
  std::vector<std::string> logged;
  SetLogSink([&](const std::string &line) { logged.emplace_back(line); });
  FakeOwner owner;
  owner.bar(0).name.clear();
  const Layout before = owner.bar(1).s;
  LoadToolbarLayout(kProgramKey, [&](std::string_view key) { LoadDockablePositions(owner, key); });
  SaveToolbarLayout(kProgramKey, [&](std::string_view key) { SaveDockablePositions(owner, key); });
  EXPECT_EQ(owner.bar(1).s, before);
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_NE(logged[0].find("Name property is not set"), std::string::npos);
}

} // namespace
