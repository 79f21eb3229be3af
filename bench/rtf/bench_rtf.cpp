// RTF reading speed: our reader in memory (megabytes per second, best of
// several runs), reading plus building a document against a sheet of 200
// text styles, then the same file through whole processes: rvtool rtf-text,
// rvtool rtf-import --text, unrtf --text, pandoc -f rtf -t plain and
// LibreOffice's conversion to text, with the ratios.
//
// usage: bench_rtf [FILE.rtf]   (without a file, a multi-megabyte one is
// made with LibreOffice from the HTML documentation of the test corpus)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "richtext/controls/RVRTF.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVStyle.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

std::string shellQuote(const std::string &s) {
  std::string r = "'";
  for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

// Best wall time of a command run `runs` times; negative when it failed.
double timeCommand(const std::string &cmd, int runs) {
  double best = -1;
  for (int i = 0; i < runs; ++i) {
    auto t0 = Clock::now();
    int rc = std::system((cmd + " >/dev/null 2>&1").c_str());
    auto t1 = Clock::now();
    if (rc != 0) return -1;
    double s = seconds(t0, t1);
    if (best < 0 || s < best) best = s;
  }
  return best;
}

bool have(const char *tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The converters run without a network where one can be taken away.
std::string offline() {
  static const std::string prefix = std::system("unshare -n true >/dev/null 2>&1") == 0 ? "unshare -n " : "";
  return prefix;
}

} // namespace

int main(int argc, char **argv) {
  std::string path;
  std::filesystem::path made;
  if (argc > 1) {
    path = argv[1];
  } else {
    made = std::filesystem::temp_directory_path() / "kc-bench-big.rtf";
    std::printf("making a large RTF file with LibreOffice...\n");
    std::fflush(stdout);
    if (std::system(("bash " + shellQuote(KC_MAKE_BIG_RTF) + " " + shellQuote(made.string())).c_str()) != 0) {
      std::fprintf(stderr, "bench_rtf: could not make the RTF file\n");
      return 1;
    }
    path = made.string();
  }
  std::ifstream in(path, std::ios::binary);
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (data.empty()) {
    std::fprintf(stderr, "bench_rtf: cannot read %s\n", path.c_str());
    return 1;
  }
  const double mb = double(data.size()) / (1024.0 * 1024.0);
  std::printf("file: %s (%.2f MB)\n", path.c_str(), mb);

  size_t chars = 0, runs = 0;
  kc::TRVRTFReader reader;
  reader.OnNewText = [&](kc::TRVRTFReader &, const std::string &t, kc::TRVRTFPosition) {
    chars += t.size();
    ++runs;
  };
  reader.OnNewUnicodeText = [&](kc::TRVRTFReader &, const std::u16string &t, kc::TRVRTFPosition) {
    chars += t.size();
    ++runs;
  };
  reader.OnTable = [&](kc::TRVRTFReader &, kc::TRVRTFTableEventKind) {};
  reader.OnUpdateMarker = [&](kc::TRVRTFReader &) {};
  double best = -1;
  int code = 0;
  for (int i = 0; i < 7; ++i) {
    chars = runs = 0;
    auto t0 = Clock::now();
    code = reader.ReadRTFData(data);
    auto t1 = Clock::now();
    double s = seconds(t0, t1);
    if (best < 0 || s < best) best = s;
  }
  std::printf("reader in memory:   %8.3f s  %8.1f MB/s  (code %d, %zu text runs, %zu characters)\n", best, mb / best,
              code, runs, chars);

  // Reading plus building: the closest of 200 text styles for every run.
  double bestBuild = -1;
  int items = 0;
  for (int i = 0; i < 5; ++i) {
    kc::TRVStyle style;
    for (int k = 0; k < 198; ++k) {
      kc::TFontInfo *f = style.TextStyles().Add();
      f->FontName = k % 3 == 0 ? "Arial" : (k % 3 == 1 ? "Times New Roman" : "Courier New");
      f->Size = 8 + k % 17;
      f->Style = kc::TFontStyles(k % 16);
      f->Color = kc::TColor((k * 0x10305) & 0xFFFFFF);
    }
    kc::TRVDataHost host;
    host.Style = &style;
    kc::TCustomRVData doc;
    doc.SetHost(&host);
    kc::TRVRTFReaderProperties settings = kc::ChatInputRTFReadProperties();
    auto t0 = Clock::now();
    code = kc::ImportRTFIntoDocument(data, doc, settings);
    auto t1 = Clock::now();
    items = doc.GetItemCount();
    double s = seconds(t0, t1);
    if (bestBuild < 0 || s < bestBuild) bestBuild = s;
  }
  std::printf("reading + building: %8.3f s  %8.1f MB/s  (code %d, %d items, 200 text styles)\n", bestBuild,
              mb / bestBuild, code, items);

  const double imported = timeCommand(shellQuote(KC_RVTOOL) + " rtf-import --text " + shellQuote(path), 3);
  std::printf("rvtool rtf-import:  %8.3f s  %8.1f MB/s\n", imported, imported > 0 ? mb / imported : 0.0);

  double pandocTime = -1;
  const double ours = timeCommand(shellQuote(KC_RVTOOL) + " rtf-text " + shellQuote(path), 3);
  std::printf("rvtool rtf-text:    %8.3f s  %8.1f MB/s\n", ours, ours > 0 ? mb / ours : 0.0);
  if (have("unrtf")) {
    double t = timeCommand(offline() + "unrtf --text " + shellQuote(path), 1);
    if (t > 0) std::printf("unrtf --text:       %8.3f s  %8.1f MB/s  ours is %.1fx faster\n", t, mb / t, t / ours);
    else std::printf("unrtf --text:       failed\n");
  }
  if (have("pandoc")) {
    double t = pandocTime = timeCommand(offline() + "pandoc --sandbox -f rtf -t plain " + shellQuote(path), 1);
    if (t > 0) std::printf("pandoc -t plain:    %8.3f s  %8.1f MB/s  ours is %.1fx faster\n", t, mb / t, t / ours);
    else std::printf("pandoc -t plain:    failed\n");
  }
  {
    const double t = pandocTime;
    if (t > 0 && bestBuild > 0)
      std::printf("reading + building in memory is %.1fx faster than pandoc; rvtool rtf-import %.1fx\n", t / bestBuild,
                  imported > 0 ? t / imported : 0.0);
  }
  if (have("soffice")) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kc-bench-lo";
    std::filesystem::create_directories(dir);
    const std::string cmd = "HOME=" + shellQuote(dir.string()) + " " + offline() +
                            "soffice -env:UserInstallation=file://" + dir.string() +
                            "/profile --headless --norestore --convert-to txt:Text --outdir " +
                            shellQuote(dir.string()) + " " + shellQuote(path);
    timeCommand(cmd, 1); // the first start makes the profile
    double t = timeCommand(cmd, 1);
    if (t > 0)
      std::printf("LibreOffice -> txt: %8.3f s  %8.1f MB/s  rvtool rtf-import is %.1fx faster\n", t, mb / t,
                  imported > 0 ? t / imported : 0.0);
    else std::printf("LibreOffice -> txt: failed\n");
    std::filesystem::remove_all(dir);
  }
  if (!made.empty()) std::filesystem::remove(made);
  return 0;
}
