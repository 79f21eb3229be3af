#pragma once
// Picking out of a recording canvas's log the calls a test is about.
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/RecordingCanvas.h"

namespace kctest {

// The log lines that start with one of the prefixes, in the order drawn.
inline std::vector<std::string> Lines(const kc::RecordingCanvas &c, std::initializer_list<const char *> prefixes) {
  std::vector<std::string> r;
  for (const std::string &l : c.log)
    for (const char *p : prefixes)
      if (l.rfind(p, 0) == 0) {
        r.push_back(l);
        break;
      }
  return r;
}

} // namespace kctest
