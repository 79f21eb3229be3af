// Shows the desktop widgets in their typical states, for checking their
// drawing by eye and under a real X server.
//   widgetdemo --shot DIR        one PNG per widget into DIR, then quit
//   widgetdemo --show SECONDS    every widget on screen for that long
//   widgetdemo --magnet SECONDS  two windows with magnets, "Magnet A" at
//                                100,100 (300 x 200) and "Magnet B" at
//                                500,400 (300 x 150), dragged by their
//                                client areas; B's place is printed when
//                                the program ends
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QEnterEvent>
#include <QPainter>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "widgets/FormMagnet.h"
#include "widgets/KcAlign.h"
#include "widgets/KcBrowseFolder.h"
#include "widgets/KcColorComboBox.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcImageSquare.h"
#include "widgets/KcPanel.h"
#include "widgets/KcSplit.h"
#include "widgets/KcStatusBar.h"
#include "widgets/KcTransparentButton.h"
#include "widgets/glGrBox.h"

using namespace kc;

namespace {

QImage glyph(QRgb colour, int size = 16) {
  QImage img(size, size, QImage::Format_RGB32);
  img.fill(qRgb(255, 0, 255));
  const int c = size / 2, r2 = (size / 3) * (size / 3);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if ((x - c) * (x - c) + (y - c) * (y - c) < r2) img.setPixel(x, y, colour);
  return img;
}

struct Demo {
  std::string name;
  std::unique_ptr<QWidget> window;
};

QWidget *hbox() {
  auto *w = new QWidget;
  new QHBoxLayout(w);
  return w;
}

void addGroupBoxes(std::vector<Demo> &demos) {
  auto *w = new QWidget;
  w->resize(570, 170);
  const char *captions[] = {"Main group", "Bad list", "Friends"};
  for (int i = 0; i < 3; ++i) {
    auto *box = new TglGroupBox(w);
    box->setGeometry(10 + i * 185, 10, 175, 150);
    box->SetCaption(captions[i]);
    box->SetGlyphExpanded(glyph(qRgb(0, 128, 0), 12));
    box->SetGlyphCollapsed(glyph(qRgb(160, 0, 0), 12));
    auto *users = new QLabel("user one\nuser two", box);
    users->move(12, 30);
    if (i == 1) box->ChangeCollapsed(true);
    if (i == 2) {
      box->CaptionGradient().SetActive(true);
      box->CaptionGradient().SetFromColor(clNavy);
      box->CaptionGradient().SetToColor(clAqua);
      box->SetCaptionTextStyle(TglTextStyle::fstShadow);
      box->Border().SetOuter(TglBevelCut::bvLowered);
      box->Border().SetBold(true);
      box->Gradient().SetActive(true);
      box->Gradient().SetOrientation(TglGradientDir::fgdVertical);
      box->Gradient().SetFromColor(clWhite);
      box->Gradient().SetToColor(clSilver);
    }
  }
  demos.push_back({"glGroupBox", std::unique_ptr<QWidget>(w)});
}

void addTrees(std::vector<Demo> &demos) {
  QWidget *w = hbox();
  auto *files = new TKcTreeView(w);
  files->SetCheckboxes(true);
  for (const char *f : {"report.doc", "photo.jpg", "notes.txt"}) files->AddChild(nullptr, f);
  files->SetNodeChecked(files->Node(0), true);
  files->SetNodeChecked(files->Node(2), true);
  auto *users = new TKcTreeView(w);
  users->SetMultiSelect(true);
  TKcTreeNode *group = users->AddChild(nullptr, "Main group");
  std::vector<TKcTreeNode *> people;
  for (const char *u : {"Ann", "Boris", "Chen", "Dana"}) people.push_back(users->AddChild(group, u));
  users->expandAll();
  users->SelectNode(people[0]);
  users->SelectNode(people[2], true);
  people[3]->SetCut(true);
  w->layout()->addWidget(files);
  w->layout()->addWidget(users);
  w->resize(420, 180);
  demos.push_back({"KcTreeView", std::unique_ptr<QWidget>(w)});
}

void addPages(std::vector<Demo> &demos, TCustomImageList &images) {
  auto *w = new QWidget;
  auto *l = new QVBoxLayout(w);
  for (int k = 0; k < 2; ++k) {
    auto *pc = new TKcPageControl(w);
    pc->SetImages(&images);
    for (const char *c : {"General", "Picture", "Network"}) pc->AddPage(c)->SetImageIndex(k == 0 ? 0 : -1);
    pc->setTabEnabled(2, false);
    pc->SetDrawTabShadow(k == 1);
    l->addWidget(pc);
  }
  w->resize(360, 240);
  demos.push_back({"KcPageControl", std::unique_ptr<QWidget>(w)});
}

void addSplitter(std::vector<Demo> &demos) {
  auto *w = new QWidget;
  w->resize(300, 200);
  auto *transcript = new TKcPanel(w);
  transcript->SetCaption("transcript");
  transcript->Color = clWindow;
  auto *editor = new TKcPanel(w);
  editor->SetCaption("editor");
  editor->resize(300, 60);
  editor->move(0, 140);
  SetAlign(transcript, TAlign::alClient);
  SetAlign(editor, TAlign::alBottom);
  auto *bar = new TKcxSplitter(w);
  bar->SetControlFirst(transcript);
  bar->SetControlSecond(editor);
  bar->SetAlign(TAlign::alBottom);
  bar->SetBevelOuter(TBevelCut::bvLowered);
  demos.push_back({"KcSplit", std::unique_ptr<QWidget>(w)});
}

void addStatusBars(std::vector<Demo> &demos) {
  auto *w = new QWidget;
  auto *l = new QVBoxLayout(w);
  for (int k = 0; k < 2; ++k) {
    auto *bar = new TKcStatusBar(w);
    bar->setMinimumHeight(20);
    bar->Panels() = {{"3 users online", 120}, {"", 60}, {"Away", 80}};
    auto *image = new QLabel(bar);
    image->setPixmap(QPixmap::fromImage(glyph(qRgb(0, 160, 0))));
    image->setGeometry(124, 2, 16, 16);
    bar->SetAutoHint(true);
    if (k == 1) bar->HintAction("Send the message to every user of the group");
    l->addWidget(bar);
  }
  w->resize(400, 70);
  demos.push_back({"KcStatusBar", std::unique_ptr<QWidget>(w)});
}

// The combo closed, and its list drawn as the drop-down shows it.
class ComboList : public QWidget {
public:
  explicit ComboList(TKcColorComboBox *combo) : FCombo(combo) { setMinimumSize(200, 16 * 8); }

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    const int h = 16;
    for (int i = 0; i < 8 && i < FCombo->count(); ++i)
      FCombo->DrawItem(p, QRect(0, i * h, width(), h), i + 6, i + 6 == FCombo->currentIndex());
  }

private:
  TKcColorComboBox *FCombo;
};

void addColorCombos(std::vector<Demo> &demos) {
  auto *w = new QWidget;
  auto *l = new QVBoxLayout(w);
  auto *names = new TKcColorComboBox(w);
  names->SetColorValue(clTeal);
  auto *hex = new TKcColorComboBox(w);
  hex->SetOptions(coText | coHex | coCustomColors);
  hex->SetColorValue(0x3366CC);
  l->addWidget(names);
  l->addWidget(hex);
  l->addWidget(new ComboList(names));
  w->resize(240, 220);
  demos.push_back({"KcColorComboBox", std::unique_ptr<QWidget>(w)});
}

void addButtons(std::vector<Demo> &demos) {
  auto *w = new QWidget;
  w->resize(420, 60);
  const char *captions[] = {"Grey", "&Hot", "Down", "Off"};
  for (int i = 0; i < 4; ++i) {
    auto *b = new TKcTransparentButton(w);
    b->setGeometry(10 + i * 100, 10, 90, 40);
    b->SetGlyph(glyph(qRgb(0, 90, 200), 20));
    b->SetCaption(captions[i]);
    b->SetTextAlign(TKcTextAlign::ttaRight);
    if (i == 1) {
      QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
      QApplication::sendEvent(b, &e);
    }
    if (i == 2) b->SetDown(true);
    if (i == 3) b->setEnabled(false);
  }
  demos.push_back({"KcTransparentButton", std::unique_ptr<QWidget>(w)});
}

void addSquares(std::vector<Demo> &demos, TCustomImageList &images) {
  auto *w = new QWidget;
  w->resize(180, 56);
  for (int i = 0; i < 3; ++i) {
    auto *s = new TKcImageSquare(w);
    s->move(10 + i * 50, 10);
    s->SetImageList(&images);
    s->SetImageIndex(i % images.Count());
    s->SetBackColor(clBtnFace);
    s->SetHiColor(0xD2BCB6);
    if (i == 1) s->SetBorderStyle(TBorderStyle::bsNone);
    if (i == 2) {
      QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
      QApplication::sendEvent(s, &e);
    }
  }
  demos.push_back({"KcImageSquare", std::unique_ptr<QWidget>(w)});
}

void addPanels(std::vector<Demo> &demos) {
  auto *w = new QWidget;
  w->resize(330, 70);
  for (int i = 0; i < 3; ++i) {
    auto *p = new TKcPanel(w);
    p->setGeometry(10 + i * 105, 10, 95, 50);
    p->SetCaption(i == 2 ? "flat border, two lines of caption" : i == 1 ? "lowered" : "raised");
    p->MultiLine = i == 2;
    p->FlatBorder = i == 2;
    if (i == 1) p->BevelOuter = TBevelCut::bvLowered;
  }
  demos.push_back({"KcPanel", std::unique_ptr<QWidget>(w)});
}

void addFolderBrowser(std::vector<Demo> &demos, TKcBrowseForFolderDialog &dialog) {
  dialog.Title = "Choose the folder to send";
  dialog.Options = odStatusAvailable | odEditBox;
  auto *w = new TKcBrowseForFolderWindow(&dialog, nullptr, QDir::rootPath());
  w->SelectPath(QDir::tempPath());
  demos.push_back({"KcBrowseFolder", std::unique_ptr<QWidget>(w)});
}

std::vector<Demo> makeDemos(TCustomImageList &images, TKcBrowseForFolderDialog &dialog) {
  std::vector<Demo> demos;
  addGroupBoxes(demos);
  addTrees(demos);
  addPages(demos, images);
  addSplitter(demos);
  addStatusBars(demos);
  addColorCombos(demos);
  addButtons(demos);
  addSquares(demos, images);
  addPanels(demos);
  addFolderBrowser(demos, dialog);
  return demos;
}

bool savePng(const QImage &img, const std::string &path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!img.save(&buffer, "PNG")) return false;
  std::string error;
  if (WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &error))
    return true;
  std::fprintf(stderr, "widgetdemo: %s: %s\n", path.c_str(), error.c_str());
  return false;
}

int usage() {
  std::fprintf(stderr, "usage: widgetdemo --shot DIR | --show SECONDS | --magnet SECONDS\n");
  return 2;
}

int runMagnet(QApplication &app, int seconds) {
  QWidget a, b;
  a.setWindowTitle("Magnet A");
  b.setWindowTitle("Magnet B");
  a.setGeometry(100, 100, 300, 200);
  b.setGeometry(500, 400, 300, 150);
  TFormMagnet ma(&a), mb(&b);
  for (TFormMagnet *m : {&ma, &mb}) {
    m->SetFormDragable(true);
    m->ScreenMagnet().DesktopPower = 10;
  }
  a.show();
  b.show();
  std::printf("ready\n");
  std::fflush(stdout);
  QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
  const int rc = app.exec();
  const QRect f = b.frameGeometry();
  std::printf("B %d %d\n", f.x(), f.y());
  return rc;
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  if (argc != 3) return usage();
  const std::string mode = argv[1], arg = argv[2];

  if (mode == "--magnet") return runMagnet(app, std::max(1, std::atoi(arg.c_str())));

  TCustomImageList images(16, 16);
  for (QRgb c : {qRgb(200, 0, 0), qRgb(0, 150, 0), qRgb(0, 0, 200)}) {
    // Image lists hold pictures with their own transparency.
    QImage img = glyph(c).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (img.pixel(x, y) == qRgb(255, 0, 255)) img.setPixel(x, y, 0u);
    images.Add(img);
  }
  TKcBrowseForFolderDialog dialog;
  std::vector<Demo> demos = makeDemos(images, dialog);
  for (Demo &d : demos) d.window->setWindowTitle(QString::fromStdString("widgetdemo: " + d.name));

  if (mode == "--shot") {
    if (!ensureFolder(arg)) {
      std::fprintf(stderr, "widgetdemo: cannot make the folder %s\n", arg.c_str());
      return 1;
    }
    int failures = 0;
    int x = 0;
    for (Demo &d : demos) {
      d.window->move(x, 0);
      x = (x + 60) % 400;
      d.window->show();
    }
    QApplication::processEvents();
    for (Demo &d : demos) {
      if (!savePng(d.window->grab().toImage(), arg + "/" + d.name + ".png")) ++failures;
    }
    return failures ? 1 : 0;
  }
  if (mode == "--show") {
    int y = 0;
    for (Demo &d : demos) {
      d.window->move((y / 700) * 600, y % 700);
      y += d.window->height() + 10;
      d.window->show();
    }
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer::singleShot(std::max(1, std::atoi(arg.c_str())) * 1000, &app, &QApplication::quit);
    return app.exec();
  }
  return usage();
}
