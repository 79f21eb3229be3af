// Figures for the emoticon palettes and the file confirmation:
//  - opening the still-emoticon palette (made, shown and painted) and the
//    animated catalogue (shown and painted), beside a QMenu of 24 pictures
//    made, shown and painted; each a median, with the ratio to the QMenu
//    and the 50 ms limit;
//  - 200 messages of one peer, each offering three files, rendered into the
//    main window within one burst, beside 200 messages of the same length
//    without files: the time ratio, the confirmations open, the files they
//    list and the resident memory the burst added.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_pickers
#include <QApplication>
#include <QMenu>
#include <QPointer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/ChatServicesUn.h"
#include "platform/ImageList.h"
#include "ui/ArtUn.h"
#include "ui/WorkFormatTextRichVistaEditUn.h"
#include "ui/fmInformationUn.h"
#include "ui/fmKavetChatUn.h"
#include "ui/fmSelectPictureGIFMoodUn.h"
#include "ui/fmSelectPictureMoodUn.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

constexpr int kSamples = 30;
const QRect kArea(0, 0, 1920, 1080);

// Resident memory in KB.
long residentKB() {
  long pages = 0, resident = 0;
  if (FILE *f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void settle(QWidget *W) {
  W->repaint();
  QApplication::processEvents();
}

double stillPalette(kc::TCustomImageList &Images) {
  std::vector<double> t;
  for (int i = 0; i < kSamples; ++i) {
    const auto start = Clock::now();
    QPointer<kc::TfmSelectPictureMood> p = new kc::TfmSelectPictureMood(&Images);
    p->PopupAt(QPoint(100, 100), kArea);
    settle(p);
    t.push_back(ms(Clock::now() - start));
    p->ClosePalette();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return median(t);
}

double catalogue() {
  kc::TfmSelectPictureGIFMood c(kc::CatalogueGif);
  std::vector<double> t;
  for (int i = 0; i < kSamples; ++i) {
    const auto start = Clock::now();
    c.StopAllAnimations();
    c.Popup(nullptr, QPoint(100, 100));
    settle(&c);
    t.push_back(ms(Clock::now() - start));
    c.ClosePalette();
    QApplication::processEvents();
  }
  return median(t);
}

double menu(kc::TCustomImageList &Images) {
  std::vector<double> t;
  for (int i = 0; i < kSamples; ++i) {
    const auto start = Clock::now();
    auto *m = new QMenu;
    for (int k = 0; k < 24; ++k) m->addAction(QIcon(QPixmap::fromImage(Images.GetImage(25 + k))), QString());
    m->popup(QPoint(100, 100));
    settle(m);
    t.push_back(ms(Clock::now() - start));
    m->hide();
    delete m;
  }
  return median(t);
}

std::string fileBlock(int N) {
  const std::string sep(kc::markup::kFileInfoSeparator);
  return "{[!CONTROLFILE!]}" + sep + "{BORIS}" + sep + "198.18.0.2" + sep + "0" + sep + "C:\\shared\\file" +
         std::to_string(N) + ".doc{[!/CONTROLFILE!]}";
}

struct Burst {
  double ms = 0;
  long addedKB = 0;
};

Burst burst(kc::TfmKavetChat &W, bool Files, int From) {
  std::vector<kc::TTalkMessage> messages;
  for (int i = 0; i < 200; ++i) {
    std::string body = "take these";
    for (int k = 0; k < 3; ++k) {
      const std::string block = fileBlock(From + i * 3 + k);
      body += Files ? block : std::string(block.size(), 'x');
    }
    messages.push_back({"{BORIS}", "198.18.0.2", body, 0xFF, 12, "Boris", false});
  }
  const long before = residentKB();
  const auto start = Clock::now();
  for (const kc::TTalkMessage &m : messages) W.RenderTalkMessage(0, m);
  QApplication::processEvents();
  return {ms(Clock::now() - start), residentKB() - before};
}

} // namespace

int main(int argc, char **argv) {
  char dir[] = "/tmp/kc-bench-pickers-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("XDG_CONFIG_HOME", dir, 1);
  setenv("XDG_DATA_HOME", dir, 1);
  QApplication app(argc, argv);

  kc::TCustomImageList images(32, 32);
  kc::FillProfileImages(images, 32);
  const double still = stillPalette(images), gifs = catalogue(), peer = menu(images);
  std::printf("palette open (median of %d, ms): still %.2f, animated %.2f, QMenu of 24 pictures %.2f\n", kSamples,
              still, gifs, peer);
  std::printf("ratio to QMenu: still %.2f, animated %.2f; limit 50 ms: %s\n", still / peer, gifs / peer,
              still <= 50 && gifs <= 50 ? "met" : "missed");

  kc::TNetOptions o;
  o.ListenAddress = o.LocalIP = o.SendHost = "127.0.0.1";
  kc::TfmKavetChat w(o);
  kc::RUserID me;
  me.ID = "{ANNA}";
  me.IP = "198.18.0.1";
  w.Users().Append(me);
  w.ShowOwnIdentity();
  w.SendDatagram = [](const std::string &) { return true; };
  kc::TTalkFrame all;
  w.OpenTalkTab("All Users", 1, all);
  const Burst plain = burst(w, false, 0);
  const Burst offers = burst(w, true, 0);
  // A second burst: the one confirmation is full, so it does not grow.
  const Burst again = burst(w, true, 600);
  const kc::TfmInformation *d = w.FileOfferConfirmation("{BORIS}");
  std::printf("200 messages of one peer with 3 files each: %.1f ms, without files %.1f ms, ratio %.2f\n", offers.ms,
              plain.ms, offers.ms / plain.ms);
  std::printf("confirmations open: %d, files listed: %d (bound %d), records held: %d (bound %d)\n",
              w.FileOfferConfirmationCount(), d ? d->FileCount() : 0, kc::TfmInformation::kMaxFiles,
              w.OfferedFiles.Held(), w.OfferedFiles.Capacity());
  std::printf("resident memory added (KB): plain burst %ld, first offer burst %ld, second offer burst %ld\n",
              plain.addedKB, offers.addedKB, again.addedKB);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
