// A popup menu of twelve items opened on a 3840 x 2160 screen and drawn with
// its shadows, all on the GUI thread, beside a QMenu of the same items shown
// and drawn in the same run (the median of many openings of each):
// - shadows copied from the screen (no compositor): only their strips are
//   taken, all at once, after our own windows beneath have drawn;
// - shadows drawn translucent (a compositor runs): nothing is taken;
// in both, the popup and shadow windows of the opening before are used again;
// - for scale, one picture of the whole screen, which is what a shadow
//   used to take.
// Goal: 2 ms or less for the menu and its shadows.
//
// Run: bench_menus (a headless 4K screen), or under an X server of that size
// for the window system's own copies:
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 3840x2160x24" bench_menus
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QScreen>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/TbScreenShot.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBSkinPlus.h"
#include "toolbars/TBarItem.h"
#include "toolbars/TBarPopup.h"
#include "toolbars/TBarShadow.h"

namespace {

using Clock = std::chrono::steady_clock;

const char *const kCaptions[] = {"&New",  "&Open...", "&Save", "Save &as...", "&Print...", "Print pre&view",
                                 "&Undo", "&Redo",    "Cu&t",  "&Copy",       "&Paste",    "E&xit"};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double TimeMs(int Runs, const std::function<void()> &Once) {
  Once(); // the first opening loads fonts and caches
  std::vector<double> ms;
  for (int i = 0; i < Runs; ++i) {
    const auto t0 = Clock::now();
    Once();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  return Median(ms);
}

// A headless screen of 4K unless the caller chose a platform.
void AskForA4KScreen() {
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
  const std::string config = QDir::tempPath().toStdString() + "/bench_menus_screen.json";
  std::ofstream(config) << R"({"screens": [{"name": "4K", "x": 0, "y": 0, "width": 3840, "height": 2160,)"
                        << R"( "logicalDpi": 96, "logicalBaseDpi": 96}]})";
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QByteArray::fromStdString(config));
}

} // namespace

// The headless screen's complaints about raising and grabbing, once per
// menu, would bury the figures.
void QuietHeadlessWarnings(QtMsgType Type, const QMessageLogContext &, const QString &Message) {
  if (Message.startsWith(QLatin1String("This plugin does not support"))) return;
  std::fprintf(stderr, "%s%s\n", Type == QtWarningMsg ? "warning: " : "", qPrintable(Message));
}

int main(int argc, char **argv) {
  AskForA4KScreen();
  qInstallMessageHandler(QuietHeadlessWarnings);
  QApplication app(argc, argv);
  using namespace kc::tb;
  const int runs = 60;
  const QScreen *screen = QGuiApplication::primaryScreen();
  const QRect geometry = screen->geometry();
  std::printf("platform %s, screen %dx%d at scale %.2g\n", qPrintable(QGuiApplication::platformName()),
              geometry.width(), geometry.height(), screen->devicePixelRatio());

  kc::TbSystemSettings settings;
  settings.menuAnimation = false;
  kc::TbSystemSettingsOverride noAnimation(settings);

  // A window under the menu, as the chat window would be.
  QWidget backdrop(nullptr, Qt::FramelessWindowHint);
  backdrop.setGeometry(geometry);
  backdrop.show();
  QApplication::processEvents();

  TTBRootItem root;
  QMenu qmenu;
  for (const char *caption : kCaptions) {
    auto *item = new TTBItem;
    item->SetCaption(QString::fromUtf8(caption));
    root.Add(item);
    qmenu.addAction(QString::fromUtf8(caption));
  }
  TTBSkin skin; // OfficeXP, with shadows
  skin.SetOptions(tboShadow);
  const QPoint at(geometry.width() * 3 / 4, geometry.height() / 2);

  auto ours = [&](bool Composited) {
    kc::TbCompositingOverride compositor(Composited);
    int shadows = 0;
    const double ms = TimeMs(runs, [&] {
      auto wnd = CreatePopup(&root, nullptr, nullptr, false, false, at, 0, &skin);
      wnd->repaint();
      for (int i = 0; i < wnd->ShadowCount(); ++i) wnd->Shadow(i)->repaint();
      shadows = wnd->ShadowCount();
    });
    return std::make_pair(ms, shadows);
  };
  skin.SetOptions(TTBOptions(0));
  const auto [plain, none] = ours(false);
  skin.SetOptions(tboShadow);
  const auto [copied, copiedShadows] = ours(false);
  const auto [translucent, translucentShadows] = ours(true);
  const double qt = TimeMs(runs, [&] {
    qmenu.popup(at);
    qmenu.repaint();
    qmenu.hide();
  });
  const double whole = TimeMs(10, [] { (void)kc::tbGrabScreen(); });

  std::printf("QMenu of the same items, shown and drawn:          %7.3f ms\n", qt);
  std::printf("menu without shadows (%d):                          %7.3f ms  %5.2fx QMenu\n", none, plain, plain / qt);
  std::printf("menu and shadows, copied strips (%d shadows):       %7.3f ms  %5.2fx QMenu  goal <= 2 ms: %s\n",
              copiedShadows, copied, copied / qt, copied <= 2.0 ? "met" : "MISSED");
  std::printf("menu and shadows, translucent (%d shadows):         %7.3f ms  %5.2fx QMenu  goal <= 2 ms: %s\n",
              translucentShadows, translucent, translucent / qt, translucent <= 2.0 ? "met" : "MISSED");
  std::printf("one picture of the whole screen (the former copy): %7.3f ms\n", whole);
  return 0;
}
