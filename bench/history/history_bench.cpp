// The history dialog made on a folder of 10,000 history files: the time
// from its creation to a filled, sorted list with the last file selected,
// beside the peer measured in the same run, the bare listing of the folder
// (what any file list must pay). The dialog should stay within 300 ms.
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Folders.h"
#include "ui/fmStoryUn.h"
#include "widgets/KcComCtrls.h"

namespace {

constexpr int kFiles = 10000;
constexpr int kRuns = 5;

double msSince(std::chrono::steady_clock::time_point Start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
}

} // namespace

int main(int argc, char **argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  char tmpl[] = "/tmp/kc-history-bench-XXXXXX";
  if (!::mkdtemp(tmpl)) return 1;
  const std::string root = tmpl;
  ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  QApplication app(argc, argv);
  const std::string folder = root + "/History";
  std::filesystem::create_directories(folder);
  for (int i = 0; i < kFiles; ++i) {
    // Names as the history writer gives them, in mixed case.
    const std::string name = std::string(i % 3 ? "Anna" : "anna") + " and Bob " + std::to_string(i % 28 + 1) +
                             "-11-2026 " + std::to_string(10 + i % 13) + "." + std::to_string(i % 60) + ".00 (" +
                             std::to_string(i) + ").txt";
    std::ofstream(folder + "/" + name) << "x";
  }

  double dialog = 1e9, listing = 1e9;
  int listed = 0;
  for (int run = 0; run < kRuns; ++run) {
    auto start = std::chrono::steady_clock::now();
    std::vector<kc::FolderEntry> entries = kc::ListFolder(folder);
    std::vector<std::string> names;
    for (kc::FolderEntry &e : entries) names.push_back(std::move(e.Name));
    std::sort(names.begin(), names.end());
    listing = std::min(listing, msSince(start));

    start = std::chrono::steady_clock::now();
    {
      kc::TfmStory d("Software\\Dornick\\Kavet Chat", folder, "", kc::TStoryFileServices{});
      listed = d.tvHitoryList->topLevelItemCount();
      dialog = std::min(dialog, msSince(start));
    }
  }
  std::filesystem::remove_all(root);
  std::printf("history dialog, %d files listed: %.1f ms (best of %d)\n", listed, dialog, kRuns);
  std::printf("peer, bare listing and byte sort of the folder: %.1f ms\n", listing);
  std::printf("ratio dialog / bare listing: %.1f\n", dialog / std::max(listing, 0.001));
  std::printf("limit 300 ms: %s\n", dialog <= 300.0 ? "within" : "OVER");
  return listed == kFiles ? 0 : 1;
}
