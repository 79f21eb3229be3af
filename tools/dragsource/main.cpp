// dragsource: a small window that drags files, as a file manager does.
//
//   dragsource FILE...
//
// A press of the left button in the window starts a drag of the files'
// URLs (text/uri-list), to be dropped on another program's window. Lines on
// standard output: "shown" once the window is mapped, then "dropped" with
// the action the target took ("copy", "link", "move" or "none") when the
// drag ends.
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

const char *actionName(Qt::DropAction Action) {
  switch (Action) {
  case Qt::CopyAction: return "copy";
  case Qt::LinkAction: return "link";
  case Qt::MoveAction: return "move";
  default: return "none";
  }
}

class DragSource : public QWidget {
public:
  explicit DragSource(QList<QUrl> Urls) : FUrls(std::move(Urls)) {
    setWindowTitle(QStringLiteral("dragsource"));
    resize(120, 120);
  }

protected:
  void showEvent(QShowEvent *) override {
    std::printf("shown\n");
    std::fflush(stdout);
  }
  void mousePressEvent(QMouseEvent *Event) override {
    if (Event->button() != Qt::LeftButton) return;
    auto *mime = new QMimeData;
    mime->setUrls(FUrls);
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
    std::printf("dropped %s\n", actionName(done));
    std::fflush(stdout);
  }

private:
  QList<QUrl> FUrls;
};

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QList<QUrl> urls;
  for (const QString &arg : app.arguments().mid(1)) urls.append(QUrl::fromLocalFile(QFileInfo(arg).absoluteFilePath()));
  if (urls.isEmpty()) {
    std::fprintf(stderr, "usage: dragsource FILE...\n");
    return 2;
  }
  DragSource w(urls);
  w.show();
  return app.exec();
}
