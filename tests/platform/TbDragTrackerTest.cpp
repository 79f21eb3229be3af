// The pointer tracker of drags: moves, the release, Escape and Ctrl reach
// the drag whichever widget the events are sent to, and the widgets
// themselves see none of them while it runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <vector>

#include "platform/TbDragTracker.h"
#include "support/EventPump.h"

using namespace kc;

namespace {

class CountingWidget : public QWidget {
public:
  int events = 0;

protected:
  void mouseMoveEvent(QMouseEvent *) override { ++events; }
  void mouseReleaseEvent(QMouseEvent *) override { ++events; }
  void keyPressEvent(QKeyEvent *) override { ++events; }
};

struct Seen {
  std::vector<std::pair<QPoint, bool>> moves;
  std::vector<bool> ends;
  TbDragEvents events() {
    return {[this](QPoint p, bool ctrl) { moves.push_back({p, ctrl}); }, [this](bool a) { ends.push_back(a); }};
  }
};

void Move(QWidget &w, QPoint global, Qt::KeyboardModifiers mods = {}) {
  QMouseEvent e(QEvent::MouseMove, w.mapFromGlobal(QPointF(global)), QPointF(global), Qt::NoButton, Qt::LeftButton,
                mods);
  QApplication::sendEvent(&w, &e);
}

void Button(QWidget &w, QEvent::Type type, Qt::MouseButton b, QPoint global) {
  QMouseEvent e(type, w.mapFromGlobal(QPointF(global)), QPointF(global), b, b, {});
  QApplication::sendEvent(&w, &e);
}

void Key(QWidget &w, QEvent::Type type, int key) {
  QKeyEvent e(type, key, {});
  QApplication::sendEvent(&w, &e);
}

TEST(TbDragTracker, EndsTheWayTheUserEndsIt) {
  struct Row {
    const char *name;
    int how; // 0 left release, 1 Escape, 2 left press, 3 right release (swallowed, then release)
    std::vector<bool> ends;
  } rows[] = {
      {"left button released: accepted", 0, {true}},
      {"Escape: cancelled", 1, {false}},
      {"another left press: cancelled", 2, {false}},
      {"right button is swallowed; the left release still accepts", 3, {true}},
  };
  for (const Row &r : rows) {
    CountingWidget w;
    w.setGeometry(10, 10, 200, 100);
    w.show();
    Seen seen;
    ASSERT_TRUE(TbDragTracker::begin(seen.events())) << r.name;
    EXPECT_FALSE(TbDragTracker::begin(Seen().events())) << "one drag at a time";
    Move(w, QPoint(50, 50));
    Move(w, QPoint(50, 50)); // the same place: no second move
    Move(w, QPoint(60, 55));
    switch (r.how) {
    case 0: Button(w, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(60, 55)); break;
    case 1: Key(w, QEvent::KeyPress, Qt::Key_Escape); break;
    case 2: Button(w, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(60, 55)); break;
    case 3:
      Button(w, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(60, 55));
      EXPECT_TRUE(seen.ends.empty()) << r.name;
      Button(w, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(60, 55));
      break;
    }
    EXPECT_EQ(seen.ends, r.ends) << r.name;
    ASSERT_EQ(seen.moves.size(), 2u) << r.name;
    EXPECT_EQ(seen.moves[1].first, QPoint(60, 55)) << r.name;
    EXPECT_EQ(w.events, 0) << r.name << ": the widget saw nothing of the drag";
    EXPECT_FALSE(TbDragTracker::active()) << r.name;
    // Events after the end go to the widget again.
    Move(w, QPoint(70, 55));
    EXPECT_EQ(w.events, 1) << r.name;
    kctest::pumpEvents();
  }
}

TEST(TbDragTracker, CtrlChangesUpdateAtOnce) {
  CountingWidget w;
  w.show();
  Seen seen;
  ASSERT_TRUE(TbDragTracker::begin(seen.events()));
  Move(w, QPoint(30, 30));
  Key(w, QEvent::KeyPress, Qt::Key_Control);
  Key(w, QEvent::KeyPress, Qt::Key_Control); // auto-repeat: no change
  Key(w, QEvent::KeyRelease, Qt::Key_Control);
  ASSERT_EQ(seen.moves.size(), 3u);
  EXPECT_FALSE(seen.moves[0].second);
  EXPECT_TRUE(seen.moves[1].second);
  EXPECT_EQ(seen.moves[1].first, QPoint(30, 30)) << "re-evaluated where the pointer is";
  EXPECT_FALSE(seen.moves[2].second);
  TbDragTracker::end();
  EXPECT_FALSE(TbDragTracker::active());
  EXPECT_TRUE(seen.ends.empty()) << "ending from the owner's side does not call back";
  kctest::pumpEvents();
}

} // namespace
