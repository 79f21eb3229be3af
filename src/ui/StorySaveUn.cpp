#include "ui/StorySaveUn.h"

#include <cstdio>
#include <ctime>

#include "core/StoryFileUn.h"
#include "platform/Files.h"
#include "richtext/controls/RichVista.h"

namespace kc {

namespace {

// Longest line of a plain-text history.
constexpr int kHistoryLineWidth = 300;

} // namespace

std::string HistoryDateText(const DateTime &Now) {
  std::tm tm{};
  tm.tm_year = Now.year - 1900;
  tm.tm_mon = Now.month - 1;
  tm.tm_mday = Now.day;
  tm.tm_wday = Now.dayOfWeek;
  char buf[64];
  const std::size_t n = std::strftime(buf, sizeof buf, "%x", &tm);
  return std::string(buf, n);
}

std::string HistoryTimeText(const DateTime &Now) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", Now.hour % 100, Now.minute % 100, Now.second % 100);
  return buf;
}

TStorySaveResult SaveTranscriptFile(TCustomRichVista &Transcript, std::string_view Base, const std::string &Folder,
                                    bool AsRTF, const std::string &AppendTo, const DateTime &Now) {
  TStorySaveResult r;
  if (Transcript.ItemCountOf() == 0) return r;
  std::string data;
  const bool made = AsRTF ? Transcript.SaveRTFToStream(data, false)
                          : Transcript.SaveTextToStream(data, kHistoryLineWidth, false, false);
  if (!made) {
    r.Error = "The transcript could not be converted for the history";
    return r;
  }
  if (!AsRTF && !AppendTo.empty()) {
    // Joins the older messages the talk already handed to its file.
    if (AppendToFile(AppendTo, data, &r.Error)) {
      r.Path = AppendTo;
      return r;
    }
    r.Error.clear();
  }
  r.Path = WriteHistoryFile(Folder, HistoryFileStem(Base, HistoryDateText(Now), HistoryTimeText(Now)),
                            AsRTF ? ".rtf" : ".txt", data, &r.Error);
  if (r.Path.empty() && r.Error.empty()) r.Error = "The history file could not be written";
  return r;
}

} // namespace kc
