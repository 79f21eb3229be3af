// Figures for the chat transcript's hot path, printed with their ratios:
// one message (a header line of two runs and a body paragraph) appended to
// a shown view of 1k, 10k and 100k messages, in a 600 x 400 window with its
// scroll bars, formatted, scrolled to the end and painted (the paint event
// processed), beside a read-only QTextEdit doing the same with the same
// text, font and size. The view's time is also given in its parts: adding
// and formatting with the scroll, and painting; and the pixels each append
// repainted in both.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "richtext/controls/RichVista.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

constexpr int kWidth = 600, kHeight = 400;
constexpr int kAppends = 200;

struct Message {
  std::string name, time, body;
};

std::vector<Message> transcript(int count, unsigned seed) {
  static const char *words[] = {"hello",   "the",    "meeting", "is",   "moved", "to",  "three",
                                "o'clock", "please", "bring",   "your", "notes", "and", "a",
                                "coffee",  "thanks", "see",     "you",  "there"};
  std::mt19937 rng(seed);
  std::vector<Message> out;
  out.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    Message m;
    m.name = "user" + std::to_string(i % 7);
    m.time = " (12:" + std::to_string(10 + i % 50) + "):";
    const int n = 4 + int(rng() % 30);
    for (int w = 0; w < n; ++w) m.body += std::string(w ? " " : "") + words[rng() % 19];
    out.push_back(std::move(m));
  }
  return out;
}

// Sums the area of the paint events a widget receives.
class PaintMeter : public QObject {
public:
  long long Pixels = 0;
  int Events = 0;

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    if (Event->type() == QEvent::Paint) {
      ++Events;
      for (const QRect &r : static_cast<QPaintEvent *>(Event)->region()) Pixels += (long long)r.width() * r.height();
    }
    return QObject::eventFilter(Watched, Event);
  }
};

void settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

struct Figures {
  double ours = 0, format = 0, paint = 0, qt = 0;
  double oursPixels = 0, qtPixels = 0;
};

double ourAppend(int size, const std::vector<Message> &msgs, Figures &f) {
  kc::TRVStyle style;
  style.TextStyles().Add()->Style = kc::fsBold; // 1: the sender's name
  kc::TRichVista view;
  view.Style = &style;
  view.resize(kWidth, kHeight);
  auto add = [&](const Message &m) {
    view.AddTextParagraph(m.name, 1, 0);
    view.AddTextRun(m.time, 0);
    view.AddTextParagraph(m.body, 0, 0);
  };
  for (int i = 0; i < size; ++i) add(msgs[size_t(i)]);
  view.show();
  view.ReformatDocument();
  settle();
  PaintMeter meter;
  view.installEventFilter(&meter);
  double format = 0, paint = 0;
  for (int i = size; i < size + kAppends; ++i) {
    const auto t0 = Clock::now();
    add(msgs[size_t(i)]);
    view.FormatTail();
    const auto t1 = Clock::now();
    QApplication::processEvents();
    const auto t2 = Clock::now();
    format += ms(t1 - t0);
    paint += ms(t2 - t1);
  }
  if (view.VScrollPos() == 0 || !view.VerticalBar()->isVisible()) std::puts("the view did not scroll to the end");
  f.format = format / kAppends;
  f.paint = paint / kAppends;
  f.oursPixels = double(meter.Pixels) / kAppends;
  return f.format + f.paint;
}

double qtAppend(int size, const std::vector<Message> &msgs, Figures &f) {
  QTextEdit edit;
  edit.setReadOnly(true);
  edit.setFont(QFont("Arial", 10));
  edit.resize(kWidth, kHeight);
  QTextCharFormat plain, bold;
  bold.setFontWeight(QFont::Bold);
  QTextDocument *d = edit.document();
  auto add = [&](QTextCursor &c, const Message &m, bool first) {
    if (!first) c.insertBlock();
    c.insertText(QString::fromStdString(m.name), bold);
    c.insertText(QString::fromStdString(m.time), plain);
    c.insertBlock();
    c.insertText(QString::fromStdString(m.body), plain);
  };
  {
    QTextCursor c(d);
    c.beginEditBlock();
    for (int i = 0; i < size; ++i) add(c, msgs[size_t(i)], i == 0);
    c.endEditBlock();
  }
  edit.show();
  edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
  settle();
  PaintMeter meter;
  edit.viewport()->installEventFilter(&meter);
  QTextCursor c(d);
  const auto t0 = Clock::now();
  for (int i = size; i < size + kAppends; ++i) {
    c.movePosition(QTextCursor::End);
    add(c, msgs[size_t(i)], false);
    edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
    QApplication::processEvents();
  }
  f.qt = ms(Clock::now() - t0) / kAppends;
  f.qtPixels = double(meter.Pixels) / kAppends;
  return f.qt;
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  {
    // Warm the font caches of both.
    Figures w;
    const auto msgs = transcript(300 + kAppends, 2);
    ourAppend(300, msgs, w);
    qtAppend(300, msgs, w);
  }
  const int sizes[] = {1000, 10000, 100000};
  Figures f[3];
  for (int k = 0; k < 3; ++k) {
    const auto msgs = transcript(sizes[k] + kAppends, 7);
    // The best of three runs each: the machine may be busy with other work.
    Figures best;
    best.ours = best.qt = 1e300;
    for (int r = 0; r < 3; ++r) {
      Figures run;
      run.ours = ourAppend(sizes[k], msgs, run);
      qtAppend(sizes[k], msgs, run);
      if (run.ours < best.ours) {
        best.ours = run.ours;
        best.format = run.format;
        best.paint = run.paint;
        best.oursPixels = run.oursPixels;
      }
      if (run.qt < best.qt) {
        best.qt = run.qt;
        best.qtPixels = run.qtPixels;
      }
    }
    f[k] = best;
    std::printf("%6d messages: append %.3f ms (format+scroll %.3f, paint %.3f; %.0f px painted); "
                "QTextEdit %.3f ms (%.0f px painted); ratio %.2f (goal <= 1.0)\n",
                sizes[k], f[k].ours, f[k].format, f[k].paint, f[k].oursPixels, f[k].qt, f[k].qtPixels,
                f[k].ours / f[k].qt);
  }
  std::printf("flatness 100k/1k: ours %.2f, QTextEdit %.2f (goal ~1)\n", f[2].ours / f[0].ours, f[2].qt / f[0].qt);
  return 0;
}
