#include "HeadlessChatWindows.h"

#include <cstdio>

namespace kc {

namespace {

void report(const char *line) {
  std::fputs("kavetchat: ", stderr);
  std::fputs(line, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

} // namespace

HeadlessChatWindows::HeadlessChatWindows() = default;

HeadlessChatWindows::~HeadlessChatWindows() = default;

void HeadlessChatWindows::CreateMainWindow() { report("main window created"); }

void HeadlessChatWindows::CreateUserList() { report("user list created"); }

void HeadlessChatWindows::CreateGifCatalogue() { report("animated emoticon catalogue created"); }

void HeadlessChatWindows::WakeMainWindow() { report("another copy asked for the main window"); }

void HeadlessChatWindows::CloseMainWindow() { report("main window closed"); }

} // namespace kc
