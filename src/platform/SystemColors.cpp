#include "platform/SystemColors.h"

#include "platform/Canvas.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>

namespace kc {

namespace {

TColor rgbOf(const QColor &C) { return RGB(C.red(), C.green(), C.blue()); }

TColor mixOf(const QColor &A, const QColor &B) {
  return RGB((A.red() + B.red()) / 2, (A.green() + B.green()) / 2, (A.blue() + B.blue()) / 2);
}

class PaletteWatch final : public QObject {
public:
  explicit PaletteWatch(QObject *Parent) : QObject(Parent) {}

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    if (Watched == QCoreApplication::instance() && Event->type() == QEvent::ApplicationPaletteChange) {
      ApplyPaletteSysColors(QGuiApplication::palette());
      // Widgets that draw with system colours draw again.
      if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        for (QWidget *w : QApplication::allWidgets()) w->update();
    }
    return false;
  }
};

QPointer<PaletteWatch> g_watch;

} // namespace

void ApplyPaletteSysColors(const QPalette &P) {
  using R = QPalette::ColorRole;
  auto c = [&P](R Role) { return rgbOf(P.color(QPalette::Active, Role)); };
  const QColor highlight = P.color(QPalette::Active, R::Highlight);
  SetSysColor(0, c(R::Button));                                          // scroll bar
  SetSysColor(2, c(R::Highlight));                                       // active caption
  SetSysColor(3, c(R::Dark));                                            // inactive caption
  SetSysColor(4, c(R::Window));                                          // menu
  SetSysColor(5, c(R::Base));                                            // window
  SetSysColor(6, c(R::WindowText));                                      // window frame
  SetSysColor(7, c(R::WindowText));                                      // menu text
  SetSysColor(8, c(R::Text));                                            // window text
  SetSysColor(9, c(R::HighlightedText));                                 // caption text
  SetSysColor(10, c(R::Window));                                         // active border
  SetSysColor(11, c(R::Window));                                         // inactive border
  SetSysColor(12, c(R::Mid));                                            // application workspace
  SetSysColor(13, c(R::Highlight));                                      // highlight
  SetSysColor(14, c(R::HighlightedText));                                // highlight text
  SetSysColor(15, c(R::Button));                                         // button face
  SetSysColor(16, c(R::Dark));                                           // button shadow
  SetSysColor(17, rgbOf(P.color(QPalette::Disabled, R::WindowText)));    // grey text
  SetSysColor(18, c(R::ButtonText));                                     // button text
  SetSysColor(19, c(R::Midlight));                                       // inactive caption text
  SetSysColor(20, c(R::Light));                                          // button highlight
  SetSysColor(21, c(R::Shadow));                                         // 3-D dark shadow
  SetSysColor(22, c(R::Midlight));                                       // 3-D light
  SetSysColor(23, c(R::ToolTipText));                                    // info text
  SetSysColor(24, c(R::ToolTipBase));                                    // info background
  SetSysColor(26, c(R::Link));                                           // hot light
  SetSysColor(27, mixOf(highlight, P.color(QPalette::Active, R::Base))); // gradient active caption
  SetSysColor(28, c(R::Midlight));                                       // gradient inactive caption
  SetSysColor(29, c(R::Highlight));                                      // menu highlight
  SetSysColor(30, c(R::Window));                                         // menu bar
}

void FollowDesktopColors() {
  QCoreApplication *app = QCoreApplication::instance();
  if (!qobject_cast<QGuiApplication *>(app)) return;
  ApplyPaletteSysColors(QGuiApplication::palette());
  if (g_watch) return;
  g_watch = new PaletteWatch(app);
  app->installEventFilter(g_watch);
}

void StopFollowingDesktopColors() {
  delete g_watch.data();
  ResetSysColors();
}

bool FollowingDesktopColors() { return !g_watch.isNull(); }

} // namespace kc
