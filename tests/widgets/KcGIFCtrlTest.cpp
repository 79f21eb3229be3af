#include "platform/Log.h"
#include "widgets/KcGIFCtrl.h"
#include "widgets/support/GifBytes.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace kc;
using namespace gifbytes;

namespace {

// Colour table of the test pictures: 0 black, 1 red, 2 green, 3 blue.
const QRgb kColors[4] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};

struct FrameDef {
  int x, y, w, h;
  std::vector<uint8_t> pixels; // w x h indices, or one index for all
  int disposal = 0;
  int transparent = -1;
  int delay = 0; // hundredths
};

std::string makeGif(int sw, int sh, const std::vector<FrameDef> &frames) {
  std::string s = "GIF89a";
  le16(s, sw);
  le16(s, sh);
  s.push_back(char(0x81));
  s.push_back(0);
  s.push_back(0);
  for (QRgb c : kColors) {
    s.push_back(char(qRed(c)));
    s.push_back(char(qGreen(c)));
    s.push_back(char(qBlue(c)));
  }
  for (const FrameDef &f : frames) {
    s += gce(f.delay, f.disposal, f.transparent);
    s += descriptor(f.x, f.y, f.w, f.h);
    std::vector<uint8_t> px = f.pixels;
    if (px.size() == 1) px.assign(size_t(f.w * f.h), px[0]);
    std::string data;
    LZWEncode(px.data(), f.w, 8, f.w, f.h, false, data);
    s += data;
  }
  return s + ";";
}

std::vector<QRgb> pixels(const QImage &img) {
  std::vector<QRgb> v;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) v.push_back(img.pixel(x, y));
  return v;
}

constexpr QRgb T = 0; // transparent
QRgb O(int i) { return kColors[i] | 0xFF000000u; }

class Host {
public:
  Host() {
    window.resize(200, 200);
    anim = new TKcGIFAnimator(&window);
    window.show();
  }
  QWidget window;
  TKcGIFAnimator *anim;
};

void load(TKcGIFAnimator &a, const std::string &bytes) {
  TKcGIFImage img;
  img.LoadFromBytes(bytes);
  a.SetImage(img);
}

std::string threeFrames(int d0 = 10, int d1 = 10, int d2 = 10) {
  return makeGif(2, 2, {{0, 0, 2, 2, {1}, 1, -1, d0}, {0, 0, 2, 2, {2}, 1, -1, d1}, {0, 0, 2, 2, {3}, 1, -1, d2}});
}

} // namespace

TEST(KcGIFCompose, DisposalRules) {
  // Frame 0 red everywhere; frame 1 a green pixel restored to background;
  // frame 2 a blue pixel restored to previous; frame 3 one more pixel with a
  // transparent hole.
  const std::string bytes =
      makeGif(3, 1, {{0, 0, 3, 1, {1}, 1}, {1, 0, 1, 1, {2}, 2}, {2, 0, 1, 1, {3}, 3}, {0, 0, 2, 1, {0, 2}, 1, 0}});
  TKcGIFImage img;
  img.LoadFromBytes(bytes);
  const QRgb bg = 0xFFFFFFFFu; // the window colour
  const std::vector<std::vector<QRgb>> expected = {
      {O(1), O(1), O(1)},
      {O(1), O(2), O(1)},
      {O(1), bg, O(3)},
      {O(1), O(2), O(1)},
  };
  TGIFComposer playing;
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ(pixels(playing.Compose(img, n, bg, true)), expected[size_t(n)]) << "in turn, frame " << n;
    TGIFComposer fresh;
    EXPECT_EQ(pixels(fresh.Compose(img, n, bg, true)), expected[size_t(n)]) << "alone, frame " << n;
  }
}

TEST(KcGIFCompose, RestoreToPreviousIsNeverTheBase) {
  // Frame 1 (restore to previous) covers the whole screen; frame 2 draws on
  // what was there before frame 1.
  const std::string bytes = makeGif(2, 1, {{0, 0, 2, 1, {1}, 1}, {0, 0, 2, 1, {2}, 3}, {1, 0, 1, 1, {3}, 1}});
  TKcGIFImage img;
  img.LoadFromBytes(bytes);
  TGIFComposer c;
  EXPECT_EQ(pixels(c.Compose(img, 1, 0, true)), (std::vector<QRgb>{O(2), O(2)}));
  EXPECT_EQ(pixels(c.Compose(img, 2, 0, true)), (std::vector<QRgb>{O(1), O(3)}));
  TGIFComposer fresh;
  EXPECT_EQ(pixels(fresh.Compose(img, 2, 0, true)), (std::vector<QRgb>{O(1), O(3)}));
}

TEST(KcGIFCompose, TransparentBackgroundFollowsTheSwitch) {
  const std::string bytes = makeGif(2, 1, {{0, 0, 2, 1, {0, 1}, 1, 0}});
  TKcGIFImage img;
  img.LoadFromBytes(bytes);
  TGIFComposer on, off;
  EXPECT_EQ(pixels(on.Compose(img, 0, 0xFFFFFFFFu, true)), (std::vector<QRgb>{T, O(1)}));
  EXPECT_EQ(pixels(off.Compose(img, 0, 0xFFFFFFFFu, false)), (std::vector<QRgb>{O(0), O(1)}));
}

TEST(KcGIFCompose, FramesGivenAsBitmapsOfAnyDepth) {
  // Frames assigned from bitmaps rather than read from a file: a wide
  // 1-bit one, true colour, and transparency given by colour alone.
  const QRgb white = 0xFFFFFFFFu, black = 0xFF000000u, grey = qRgb(10, 20, 30), red = qRgb(200, 0, 0);
  QImage mono(40, 3, QImage::Format_Mono);
  mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  mono.fill(1);
  mono.setPixel(39, 2, 0);
  QImage rgb(40, 3, QImage::Format_RGB32);
  rgb.fill(grey);
  rgb.setPixel(39, 2, red);
  QImage pal(40, 3, QImage::Format_Indexed8);
  pal.setColorTable({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 0, 0)});
  pal.fill(0);
  pal.setPixel(38, 2, 2);
  pal.setPixel(39, 2, 1);
  struct Case {
    const char *name;
    QImage bmp;
    std::optional<QRgb> transparent;
    QRgb first, beforeLast, last;
  } cases[] = {
      {"1-bit", mono, std::nullopt, white, white, black},
      {"true colour", rgb, std::nullopt, grey, grey, red},
      {"true colour keyed", rgb, grey, T, T, red},
      {"palette keyed by colour", pal, qRgb(255, 0, 0), T, T, O(2)},
  };
  for (const Case &c : cases) {
    TKcGIFImage img;
    img.Assign(c.bmp);
    if (c.transparent) img.Frames(0).SetTransparentColor(c.transparent);
    TGIFComposer composer;
    const QImage &pic = composer.Compose(img, 0, 0xFF123456u, true);
    ASSERT_EQ(pic.size(), QSize(40, 3)) << c.name;
    EXPECT_EQ(pic.pixel(0, 0), c.first) << c.name;
    EXPECT_EQ(pic.pixel(38, 2), c.beforeLast) << c.name;
    EXPECT_EQ(pic.pixel(39, 2), c.last) << c.name;
  }
}

TEST(KcGIFAnimator, Defaults) {
  TKcGIFAnimator a;
  EXPECT_EQ(a.size(), QSize(105, 105));
  EXPECT_FALSE(a.KcxAnimate());
  EXPECT_TRUE(a.AutoSize());
  EXPECT_TRUE(a.Loop());
  EXPECT_TRUE(a.Transparent());
  EXPECT_FALSE(a.Stretch());
  EXPECT_FALSE(a.Center());
  EXPECT_FALSE(a.AsyncDrawing());
  EXPECT_EQ(a.FrameTimer().Interval(), 1000);
  EXPECT_TRUE(a.FrameTimer().SyncEvent());
  a.SetAsyncDrawing(true);
  EXPECT_FALSE(a.FrameTimer().SyncEvent());
}

TEST(KcGIFAnimator, OneFrameNeverTicks) {
  Host h;
  load(*h.anim, makeGif(2, 2, {{0, 0, 2, 2, {1}, 1, -1, 10}}));
  h.anim->SetKcxAnimate(true);
  EXPECT_TRUE(h.anim->KcxAnimate());
  EXPECT_EQ(h.anim->FrameDelay(), 0);
  EXPECT_FALSE(h.anim->FrameTimer().Armed());
}

TEST(KcGIFAnimator, DelaysAreClamped) {
  Host h;
  load(*h.anim, threeFrames(0, 2000, 7));
  EXPECT_EQ(h.anim->FrameDelay(), 50);
  h.anim->SetFrameIndex(1);
  EXPECT_EQ(h.anim->FrameDelay(), 10000);
  EXPECT_EQ(h.anim->FrameTimer().Interval(), 10000);
  h.anim->SetFrameIndex(2);
  EXPECT_EQ(h.anim->FrameDelay(), 70);
  h.anim->SetKcxAnimate(true);
  EXPECT_TRUE(h.anim->FrameTimer().Armed());
}

TEST(KcGIFAnimator, WithoutLoopOnePassThenStop) {
  Host h;
  load(*h.anim, threeFrames());
  h.anim->SetLoop(false);
  std::vector<int> shown;
  int starts = 0, stops = 0;
  h.anim->OnFrameChanged = [&](TKcGIFAnimator *a) { shown.push_back(a->FrameIndex()); };
  h.anim->OnStart = [&](TKcGIFAnimator *) { ++starts; };
  h.anim->OnStop = [&](TKcGIFAnimator *) { ++stops; };
  h.anim->SetKcxAnimate(true);
  for (int i = 0; i < 5; ++i) h.anim->FrameTimer().Timer();
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(h.anim->KcxAnimate());
  EXPECT_FALSE(h.anim->FrameTimer().Armed());
}

TEST(KcGIFAnimator, LoopPlaysOnRegardlessOfTheFileLoopCount) {
  Host h;
  load(*h.anim, threeFrames());
  h.anim->SetKcxAnimate(true);
  for (int i = 0; i < 7; ++i) h.anim->FrameTimer().Timer();
  EXPECT_EQ(h.anim->FrameIndex(), 1);
  EXPECT_TRUE(h.anim->KcxAnimate());
}

TEST(KcGIFAnimator, HiddenOrParentlessDoesNotAdvance) {
  Host h;
  load(*h.anim, threeFrames());
  h.anim->SetKcxAnimate(true);
  h.anim->hide();
  h.anim->FrameTimer().Timer();
  EXPECT_EQ(h.anim->FrameIndex(), 0);

  TKcGIFAnimator orphan;
  load(orphan, threeFrames());
  orphan.show();
  orphan.SetKcxAnimate(true);
  orphan.FrameTimer().Timer();
  EXPECT_EQ(orphan.FrameIndex(), 0);
}

TEST(KcGIFAnimator, FrameIndexOutsideIsIgnored) {
  Host h;
  load(*h.anim, threeFrames());
  int events = 0;
  h.anim->OnFrameChanged = [&](TKcGIFAnimator *) { ++events; };
  for (int bad : {3, -1, 0}) h.anim->SetFrameIndex(bad);
  EXPECT_EQ(h.anim->FrameIndex(), 0);
  EXPECT_EQ(events, 0);
  h.anim->SetFrameIndex(2);
  EXPECT_EQ(events, 1);
}

namespace {
class CountingAnimator : public TKcGIFAnimator {
public:
  using TKcGIFAnimator::TKcGIFAnimator;
  int paints = 0;

protected:
  void PaintImage(QPainter &p) override {
    ++paints;
    TKcGIFAnimator::PaintImage(p);
  }
};
} // namespace

TEST(KcGIFAnimator, SettingStretchToItsValueDoesNothing) {
  QWidget window;
  auto *a = new CountingAnimator(&window);
  load(*a, threeFrames());
  window.show();
  QApplication::processEvents();
  a->paints = 0;
  a->SetStretch(false);
  QApplication::processEvents();
  EXPECT_EQ(a->paints, 0);
  a->SetStretch(true);
  QApplication::processEvents();
  EXPECT_GT(a->paints, 0);
}

TEST(KcGIFAnimator, ImageChangeSizesAndNotifies) {
  Host h;
  int changes = 0;
  h.anim->OnChange = [&](TKcGIFAnimator *) { ++changes; };
  load(*h.anim, makeGif(7, 3, {{0, 0, 7, 3, {1}, 1}}));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(h.anim->size(), QSize(7, 3));
  EXPECT_EQ(h.anim->FrameIndex(), 0);
}

TEST(KcGIFAnimator, PaintsTheComposedFrame) {
  Host h;
  load(*h.anim, makeGif(2, 1, {{0, 0, 2, 1, {1, 3}, 1}, {1, 0, 1, 1, {2}, 1}}));
  QImage shot = h.anim->grab().toImage();
  EXPECT_EQ(shot.pixel(0, 0), O(1));
  EXPECT_EQ(shot.pixel(1, 0), O(3));
  h.anim->SetFrameIndex(1);
  shot = h.anim->grab().toImage();
  EXPECT_EQ(shot.pixel(0, 0), O(1));
  EXPECT_EQ(shot.pixel(1, 0), O(2));
}

// A transparent pixel shows the parent's own painting (a transcript's white
// page), never the toolkit's grey window colour.
TEST(KcGIFAnimator, TransparentPixelsShowTheParent) {
  QWidget page;
  page.resize(40, 40);
  page.setAutoFillBackground(true);
  QPalette pal = page.palette();
  pal.setColor(QPalette::Window, QColor(250, 250, 255));
  page.setPalette(pal);
  auto *anim = new TKcGIFAnimator(&page);
  load(*anim, makeGif(2, 1, {{0, 0, 2, 1, {1, 0}, 1, 0}}));
  anim->setPalette(QPalette(QColor(128, 128, 128))); // a grey of its own must not show
  page.show();
  const QImage shot = page.grab().toImage();
  EXPECT_EQ(shot.pixel(0, 0), O(1));
  EXPECT_EQ(shot.pixel(1, 0), qRgb(250, 250, 255));
}

// Painting is where a picture's failures stop: reported, and the control
// paints on the next time.
TEST(KcGIFAnimator, PictureThatCannotBeDrawnIsReported) {
  std::vector<std::string> lines;
  SetLogSink([&](const std::string &line) { lines.push_back(line); });
  Host h;
  // A frame without any colour table.
  load(*h.anim, header(2, 1, 0) + descriptor(0, 0, 2, 1) + solidData(2, 1) + ";");
  ASSERT_EQ(h.anim->Image().Count(), 1);
  h.anim->grab();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("picture painting"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("Wrong number of colors"), std::string::npos) << lines[0];
  load(*h.anim, makeGif(2, 1, {{0, 0, 2, 1, {1, 3}, 1}}));
  const QImage shot = h.anim->grab().toImage();
  EXPECT_EQ(shot.pixel(1, 0), O(3));
  EXPECT_EQ(lines.size(), 1u);
  SetLogSink(nullptr);
}

// A frame cut short plays as far as it was decoded, and painting it again
// does not decode it again.
TEST(KcGIFAnimator, DamagedFramePlaysWhatThereIs) {
  Host h;
  std::string s = makeGif(2, 1, {{0, 0, 2, 1, {1}, 1}});
  s.pop_back();
  // Red, then a frame whose codes stop after one green pixel, then blue on the right.
  s += descriptor(0, 0, 2, 1) + codes(2, {{4, 3}, {2, 3}}) + descriptor(1, 0, 1, 1) +
       codes(2, {{4, 3}, {3, 3}, {5, 3}}) + ";";
  load(*h.anim, s);
  ASSERT_EQ(h.anim->Image().Count(), 3);
  int decodes = 0;
  h.anim->Image().OnProgress = [&](TProgressStage stage, int, const std::string &) {
    decodes += stage == TProgressStage::psStarting;
  };
  std::vector<std::vector<QRgb>> shots;
  for (int round = 0; round < 3; ++round)
    for (int i : {1, 2}) {
      h.anim->SetFrameIndex(i);
      const QImage shot = h.anim->grab().toImage();
      shots.push_back({shot.pixel(0, 0), shot.pixel(1, 0)});
    }
  EXPECT_EQ(shots[0], (std::vector<QRgb>{O(2), O(0)})) << "the pixel never decoded is index 0";
  EXPECT_EQ(shots[1], (std::vector<QRgb>{O(2), O(3)}));
  EXPECT_EQ(shots[4], shots[0]);
  EXPECT_EQ(decodes, 2) << "frames 1 and 2, once each";
  EXPECT_TRUE(h.anim->Image().Frames(1).Corrupted);
}

TEST(KcGIFAnimator, FormDataRoundTrip) {
  Host h;
  load(*h.anim, threeFrames(4, 5, 6));
  QBuffer buf;
  buf.open(QIODevice::ReadWrite);
  h.anim->WriteImageData(buf);
  buf.seek(0);
  TKcGIFAnimator other;
  other.ReadImageData(buf);
  ASSERT_EQ(other.Image().Count(), 3);
  EXPECT_EQ(other.Image().Frames(2).AnimateInterval, 60);
  EXPECT_EQ(other.size(), QSize(2, 2));
}

TEST(KcTimer, RearmsOnEveryChange) {
  TKcTimer t;
  EXPECT_FALSE(t.Armed()) << "no handler";
  int ticks = 0;
  t.SetOnTimer([&](TKcTimer *) { ++ticks; });
  EXPECT_TRUE(t.Armed());
  t.SetInterval(0);
  EXPECT_FALSE(t.Armed());
  t.SetInterval(20);
  t.SetEnabled(false);
  EXPECT_FALSE(t.Armed());
  t.Timer();
  EXPECT_EQ(ticks, 0) << "a disabled timer fires nothing";
  t.SetEnabled(true);
  t.SetThreaded(false);
  EXPECT_TRUE(t.Armed());
  t.Timer();
  EXPECT_EQ(ticks, 1);
  bool ran = false;
  t.Synchronize([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST(KcTimer, FailingTickIsReportedAndTheTimerGoesOn) {
  std::vector<std::string> lines;
  SetLogSink([&](const std::string &line) { lines.push_back(line); });
  TKcTimer t;
  t.SetInterval(5);
  int ticks = 0;
  t.SetOnTimer([&](TKcTimer *) {
    if (++ticks == 1) throw std::runtime_error("first tick fails");
  });
  QElapsedTimer clock;
  clock.start();
  while (ticks < 3 && clock.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 10);
  t.SetEnabled(false);
  SetLogSink(nullptr);
  EXPECT_GE(ticks, 3);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("timer tick"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("first tick fails"), std::string::npos) << lines[0];
}

// An animation on a page that is not shown (a talk on a tab in the
// background) stops its timer at the next tick and plays on when the page
// shows.
TEST(KcGIFAnimator, OutOfSightStopsTickingUntilShown) {
  QWidget window;
  window.resize(200, 200);
  auto *page = new QWidget(&window);
  auto *anim = new TKcGIFAnimator(page);
  window.show();
  load(*anim, threeFrames());
  anim->SetKcxAnimate(true);
  ASSERT_TRUE(anim->FrameTimer().Armed());
  page->hide();
  anim->FrameTimer().Timer();
  EXPECT_EQ(anim->FrameIndex(), 0);
  EXPECT_FALSE(anim->FrameTimer().Armed());
  EXPECT_TRUE(anim->KcxAnimate());
  page->show();
  EXPECT_TRUE(anim->FrameTimer().Armed());
  anim->FrameTimer().Timer();
  EXPECT_EQ(anim->FrameIndex(), 1);
  // Switched off while out of sight, it stays off when shown.
  page->hide();
  anim->FrameTimer().Timer();
  anim->SetKcxAnimate(false);
  page->show();
  EXPECT_FALSE(anim->FrameTimer().Armed());
}
