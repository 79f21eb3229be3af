#pragma once
// A talk's transcript written into the history folder as one file, as RTF
// or plain text, under a name that never replaces an existing file.
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace kc {

class TCustomRichVista;

struct TStorySaveResult {
  std::string Path;  // the file written; empty when nothing was written
  std::string Error; // why the write failed; empty when it did not fail
};

// Writes the whole transcript as one history file "<Base> <date> <time>"
// in Folder: as RTF when AsRTF, else as plain text with lines up to 300
// characters. A plain text goes onto the end of AppendTo when that names
// the file that already holds the talk's older messages. An empty
// transcript writes nothing. The file appears whole or not at all.
TStorySaveResult SaveTranscriptFile(TCustomRichVista &Transcript, std::string_view Base, const std::string &Folder,
                                    bool AsRTF, const std::string &AppendTo, const DateTime &Now);

} // namespace kc
