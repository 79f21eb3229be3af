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
