// rvedit: a window with the rich-text editor, for trying the editor by
// hand and for scripted checks under a real X server.
//   rvedit [--title TITLE] [--ansi] [--size WxH] [--report-bars] [FILE]
// FILE is read as RVF when its name ends in ".rvf", else as UTF-8 text (one
// paragraph a line); without it the editor starts empty. Nothing is saved.
// --size gives the window's size (480x320 without it); --report-bars prints
// a line on standard output whenever a scroll bar of the editor shows or
// hides ("vertical bar shown", "horizontal bar hidden"), so that scripts
// can tell what the window looks like without a screenshot.
// With --ansi the style sheet's text style is an 8-bit one, as in a sheet
// made without Unicode styles.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "RvTool.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVStyle.h"

using namespace kc;

namespace {

bool EndsWith(const std::string &s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  std::string end = s.substr(s.size() - tail.size());
  for (char &c : end) c = char(std::tolower(uint8_t(c)));
  return end == tail;
}

class Window : public QMainWindow {
public:
  explicit Window(bool Ansi) {
    Sheet.TextStyles().Items(0)->Unicode = !Ansi;
    Sheet.TextStyles().Items(0)->FontName = "Liberation Sans";
    if (!Ansi) Sheet.DefUnicodeStyle = 0;
    Editor = new TRichVistaEdit(this);
    Editor->Style = &Sheet;
    setCentralWidget(Editor);
  }
  TRVStyle Sheet;
  TRichVistaEdit *Editor;
};

// Prints the bars' changes of visibility as the window shows them: a bar
// shown and hidden again inside one formatting pass was never on screen, so
// the state is read once the events of the moment are handled.
class BarReporter : public QObject {
public:
  BarReporter(QScrollBar *Vertical, QScrollBar *Horizontal) : FBars{Vertical, Horizontal} {
    Vertical->installEventFilter(this);
    Horizontal->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject *, QEvent *Event) override {
    if ((Event->type() == QEvent::ShowToParent || Event->type() == QEvent::HideToParent) && !FPending) {
      FPending = true;
      QTimer::singleShot(0, this, [this] { Report(); });
    }
    return false;
  }

private:
  void Report() {
    FPending = false;
    static const char *const kNames[2] = {"vertical", "horizontal"};
    for (int i = 0; i < 2; ++i) {
      const bool shown = FBars[i]->isVisibleTo(FBars[i]->parentWidget());
      if (shown == FShown[i]) continue;
      FShown[i] = shown;
      std::printf("%s bar %s\n", kNames[i], shown ? "shown" : "hidden");
    }
    std::fflush(stdout);
  }

  QScrollBar *FBars[2];
  bool FShown[2] = {false, false};
  bool FPending = false;
};

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  std::string title = "rvedit", file;
  bool ansi = false;
  int width = 480, height = 320;
  bool reportBars = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--title" && i + 1 < argc) {
      title = argv[++i];
    } else if (a == "--ansi") {
      ansi = true;
    } else if (a == "--size" && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 || width > 10000 ||
          height > 10000) {
        std::fprintf(stderr, "rvedit: --size wants WIDTHxHEIGHT, as 480x90\n");
        return 2;
      }
    } else if (a == "--report-bars") {
      reportBars = true;
    } else if (a == "--help" || a == "-h") {
      std::printf("usage: rvedit [--title TITLE] [--ansi] [--size WxH] [--report-bars] [FILE]\n");
      return 0;
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "rvedit: unknown option %s\n", a.c_str());
      return 2;
    } else {
      file = a;
    }
  }
  Window w(ansi);
  w.setWindowTitle(QString::fromStdString(title));
  w.resize(width, height);
  std::unique_ptr<BarReporter> reporter;
  if (reportBars) reporter = std::make_unique<BarReporter>(w.Editor->VerticalBar(), w.Editor->HorizontalBar());
  TRVEditRVData &doc = *w.Editor->EditData();
  if (!file.empty()) {
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) {
      std::fprintf(stderr, "rvedit: cannot read %s\n", file.c_str());
      return 1;
    }
    if (EndsWith(file, ".rvf")) {
      if (!rvtool::loadRvf(doc, bytes, file, "rvedit")) return 1;
    } else {
      rvtool::loadPlainText(doc, bytes);
    }
  }
  if (doc.GetItemCount() == 0) rvtool::loadPlainText(doc, std::string());
  w.show();
  w.Editor->ReformatDocument();
  w.Editor->setFocus();
  return app.exec();
}
