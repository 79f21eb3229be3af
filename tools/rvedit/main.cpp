// rvedit: a window with the rich-text editor, for trying the editor by
// hand and for scripted checks under a real X server.
//   rvedit [--title TITLE] [--ansi] [FILE]
// FILE is read as RVF when its name ends in ".rvf", else as UTF-8 text (one
// paragraph a line); without it the editor starts empty. Nothing is saved.
// With --ansi the style sheet's text style is an 8-bit one, as in a sheet
// made without Unicode styles.
#include <QApplication>
#include <QMainWindow>
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
    resize(480, 320);
  }
  TRVStyle Sheet;
  TRichVistaEdit *Editor;
};

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  std::string title = "rvedit", file;
  bool ansi = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--title" && i + 1 < argc) {
      title = argv[++i];
    } else if (a == "--ansi") {
      ansi = true;
    } else if (a == "--help" || a == "-h") {
      std::printf("usage: rvedit [--title TITLE] [--ansi] [FILE]\n");
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
  TRVEditRVData &doc = *w.Editor->EditData();
  if (!file.empty()) {
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) {
      std::fprintf(stderr, "rvedit: cannot read %s\n", file.c_str());
      return 1;
    }
    if (EndsWith(file, ".rvf")) {
      const TRVFReadResult r = LoadRvfFromStream(doc, bytes);
      if (!r.Ok) {
        std::fprintf(stderr, "rvedit: %s is no readable RVF: %s\n", file.c_str(), r.Error.c_str());
        return 1;
      }
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
