// Figures for painting: a 600 x 800 view repainted at the middle of a
// transcript of 100,000 paragraphs, beside QTextDocument::drawContents of
// the same text in the same font at the same width, with their ratio.
#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/QtCanvas.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVUni.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Pixels that are not white: both sides must have painted about as much text.
long inked(const QImage &img) {
  long n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != qRgb(255, 255, 255);
  return n;
}

constexpr int kWidth = 600, kHeight = 800, kParagraphs = 100000, kRepaints = 40;

std::vector<std::string> paragraphs(int count) {
  static const char *words[] = {"hello",   "the",    "meeting", "is",   "moved", "to",     "three",
                                "o'clock", "please", "bring",   "your", "notes", "and",    "a",
                                "coffee",  "thanks", "see",     "you",  "there", "Привет", "мир"};
  std::mt19937 rng(5);
  std::vector<std::string> out;
  out.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    std::string s;
    const int n = 4 + int(rng() % 30);
    for (int w = 0; w < n; ++w) s += std::string(w ? " " : "") + words[rng() % 21];
    out.push_back(s);
  }
  return out;
}

double ours(const std::vector<std::string> &text, long &ink) {
  kc::QtCanvas measure;
  kc::TRVStyle style;
  kc::TRVFixedHost host(&measure, kWidth, kHeight);
  host.Style = &style;
  style.TextStyles().Items(0)->Unicode = true;
  kc::TRichVistaRVData doc(&host);
  for (const auto &p : text) {
    auto item = kc::RichVistaTextItemClass(&doc);
    item->StyleNo = 0;
    item->ParaNo = 0;
    item->ItemOptions.Include(kc::rvioUnicode);
    doc.AddItem(kc::WideStringToRaw(QString::fromStdString(p).toStdU16String()), std::move(item));
  }
  doc.ReformatAllForced(true);
  host.ScrollTo(doc.DocumentHeight / 2, false);
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  const kc::TRect clip{0, 0, kWidth, kHeight};
  auto paint = [&] {
    kc::QtCanvas canvas(&img);
    doc.PaintBackground(clip, canvas);
    doc.PaintVisibleLines(clip, canvas);
  };
  paint();
  double best = 1e300;
  for (int r = 0; r < 3; ++r) {
    const auto t0 = Clock::now();
    for (int k = 0; k < kRepaints; ++k) paint();
    best = std::min(best, ms(Clock::now() - t0) / kRepaints);
  }
  ink = inked(img);
  return best;
}

double qt(const std::vector<std::string> &text, long &ink) {
  QTextDocument d;
  QFont f("Arial");
  f.setPixelSize(13);
  d.setDefaultFont(f);
  d.setDocumentMargin(0);
  QTextCursor c(&d);
  for (size_t i = 0; i < text.size(); ++i) {
    if (i) c.insertBlock();
    c.insertText(QString::fromStdString(text[i]));
  }
  d.setTextWidth(kWidth);
  const double middle = d.documentLayout()->documentSize().height() / 2;
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  auto paint = [&] {
    QPainter p(&img);
    p.fillRect(img.rect(), Qt::white);
    p.translate(0, -middle);
    d.drawContents(&p, QRectF(0, middle, kWidth, kHeight));
  };
  paint();
  double best = 1e300;
  for (int r = 0; r < 3; ++r) {
    const auto t0 = Clock::now();
    for (int k = 0; k < kRepaints; ++k) paint();
    best = std::min(best, ms(Clock::now() - t0) / kRepaints);
  }
  ink = inked(img);
  return best;
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  const auto text = paragraphs(kParagraphs);
  long inkOurs = 0, inkQt = 0;
  const double a = ours(text, inkOurs), b = qt(text, inkQt);
  std::printf("repaint of %dx%d at the middle of %d paragraphs: %.3f ms; QTextDocument::drawContents %.3f ms; "
              "ratio %.2f (goal <= 1.0)\n",
              kWidth, kHeight, kParagraphs, a, b, a / b);
  std::printf("pixels inked: ours %ld, QTextDocument %ld\n", inkOurs, inkQt);
  return 0;
}
