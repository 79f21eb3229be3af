// chatnode: the messaging core on headless windows, driven line by line.
//
//   chatnode [--interface IFACE]
//
// Commands on standard input, one per line, UTF-8:
//   say TEXT | private ID TEXT | group NAME ID[,ID...] TEXT | close-private ID
//   close-group NAME | profile FIELD VALUE | autoreply on CAPTION|TEXT
//   autoreply off | users | quit
// End of input acts as quit. Events on standard output, one JSON object per
// line, UTF-8, flushed per line.
#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/HeadlessChatUn.h"
#include "core/IPUn.h"
#include "platform/CodePage.h"

namespace {

using kc::ansiToUtf8;

std::string quoted(std::string_view utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
      if (c < 0x20 || c == 0x7F) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out += buf;
      } else {
        out += static_cast<char>(c);
      }
    }
  }
  return out + "\"";
}

// 8-bit text of the ANSI code page as a JSON string.
std::string text(std::string_view ansi) { return quoted(ansiToUtf8(ansi)); }

// Lines go out from a thread of their own: a reader that is slow to take
// them must not stall the event loop, or datagrams would pile up unread in
// the system's buffer, which a real window never lets happen.
class LineWriter {
public:
  LineWriter() : FThread([this] { run(); }) {}
  ~LineWriter() { finish(); }
  void put(std::string Line) {
    {
      std::lock_guard lock(FMutex);
      FLines.push_back(std::move(Line));
    }
    FWake.notify_one();
  }
  // Writes what is queued and stops the thread.
  void finish() {
    {
      std::lock_guard lock(FMutex);
      if (FDone) return;
      FDone = true;
    }
    FWake.notify_one();
    FThread.join();
  }

private:
  void run() {
    std::unique_lock lock(FMutex);
    for (;;) {
      FWake.wait(lock, [this] { return FDone || !FLines.empty(); });
      std::deque<std::string> lines;
      lines.swap(FLines);
      const bool done = FDone;
      lock.unlock();
      for (const std::string &l : lines) {
        std::fwrite(l.data(), 1, l.size(), stdout);
        std::fputc('\n', stdout);
      }
      std::fflush(stdout);
      lock.lock();
      if (done && FLines.empty()) return;
    }
  }

  std::mutex FMutex;
  std::condition_variable FWake;
  std::deque<std::string> FLines;
  bool FDone = false;
  std::thread FThread;
};

LineWriter *gWriter = nullptr;

void put(const std::string &json) {
  if (gWriter) {
    gWriter->put(json);
    return;
  }
  std::fwrite(json.data(), 1, json.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

class JsonSink : public kc::TChatEventSink {
public:
  kc::THeadlessChatHost *Host = nullptr;

  void UserChanged(std::string_view Change, int UserIndex) override {
    const kc::RUserID *r = Host->Windows().GetUserRecord(UserIndex);
    if (!r) return;
    put("{\"event\":\"user\",\"change\":" + quoted(Change) + ",\"id\":" + text(r->ID) + ",\"alias\":" + text(r->ALIAS) +
        ",\"ip\":" + text(r->IP) + "}");
  }
  void MessageShown(int Tab, const kc::TTalkMessage &M) override {
    const kc::TTalkFrame *f = Host->Windows().FindTalkFrame(Tab);
    if (!f) return;
    const bool group = f->TalkKind == kc::tkOwnGroup || f->TalkKind == kc::tkOtherGroup;
    put("{\"event\":\"message\",\"talk\":" + std::to_string(f->TalkKind) + ",\"from\":" + text(M.SenderID) +
        ",\"alias\":" + text(M.Alias) + ",\"body\":" + text(M.Body) +
        ",\"group\":" + (group ? text(f->GroupName) : std::string("null")) +
        ",\"autoreply\":" + (M.AutoReply ? "true" : "false") + "}");
  }
  void TabChanged(std::string_view Change, int Tab) override {
    const kc::TTalkFrame *f = Host->Windows().FindTalkFrame(Tab);
    if (!f) return;
    put("{\"event\":\"tab\",\"change\":" + quoted(Change) + ",\"talk\":" + std::to_string(f->TalkKind) +
        ",\"caption\":" + text(Host->Windows().TabCaption(Tab)) + "}");
  }
  void Notice(const std::string &Text) override { put("{\"event\":\"notice\",\"text\":" + text(Text) + "}"); }
  void Sound(int N) override { put("{\"event\":\"sound\",\"n\":" + std::to_string(N) + "}"); }
  void Error(const std::string &Text) override { put("{\"event\":\"error\",\"text\":" + text(Text) + "}"); }
};

std::string nextWord(std::string &rest) {
  const std::size_t start = rest.find_first_not_of(' ');
  if (start == std::string::npos) {
    rest.clear();
    return {};
  }
  const std::size_t end = rest.find(' ', start);
  std::string word = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
  rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
  return word;
}

void listUsers(kc::THeadlessChatHost &host) {
  std::string list;
  const auto &w = host.Windows();
  for (int i = 0; i < w.UserCount(); ++i) {
    const kc::RUserID *r = w.GetUserRecord(i);
    if (!list.empty()) list += ",";
    list += "{\"index\":" + std::to_string(i) + ",\"id\":" + text(r->ID) + ",\"alias\":" + text(r->ALIAS) +
            ",\"ip\":" + text(r->IP) + ",\"active\":" + (r->Active ? "true" : "false") +
            ",\"deactivated\":" + (r->Deactivated ? "true" : "false") + "}";
  }
  put("{\"event\":\"users\",\"list\":[" + list + "]}");
}

// One command line; false when the node is to end.
bool runCommand(kc::THeadlessChatHost &host, JsonSink &sink, const std::string &line) {
  std::string rest = line;
  if (!rest.empty() && rest.back() == '\r') rest.pop_back();
  const std::string verb = nextWord(rest);
  auto ansi = [](const std::string &utf8) { return kc::utf8ToAnsi(utf8); };
  if (verb.empty()) return true;
  if (verb == "quit") return false;
  if (verb == "say") {
    host.SayToAll(kc::THeadlessChatWindows::TextToBody(ansi(rest)));
  } else if (verb == "private") {
    const std::string id = nextWord(rest);
    host.SendPrivate(id, kc::THeadlessChatWindows::TextToBody(ansi(rest)));
  } else if (verb == "group") {
    const std::string name = ansi(nextWord(rest));
    std::string ids = nextWord(rest);
    std::vector<std::string> members;
    std::stringstream ss(ids);
    for (std::string id; std::getline(ss, id, ',');)
      if (!id.empty()) members.push_back(id);
    host.SendToGroup(name, members, kc::THeadlessChatWindows::TextToBody(ansi(rest)));
  } else if (verb == "close-private") {
    host.ClosePrivate(nextWord(rest));
  } else if (verb == "close-group") {
    host.CloseGroup(ansi(nextWord(rest)));
  } else if (verb == "profile") {
    const std::string field = nextWord(rest);
    host.SetProfileField(field, ansi(rest));
  } else if (verb == "autoreply") {
    const std::string mode = nextWord(rest);
    if (mode == "on") {
      const std::size_t bar = rest.find('|');
      const std::string caption = bar == std::string::npos ? rest : rest.substr(0, bar);
      const std::string body = bar == std::string::npos ? std::string() : rest.substr(bar + 1);
      host.SetAutoReply(true, ansi(caption), ansi(body));
    } else if (mode == "off") {
      host.SetAutoReply(false);
    } else {
      sink.Error("autoreply takes on or off");
    }
  } else if (verb == "users") {
    listUsers(host);
  } else {
    sink.Error("unknown command " + kc::utf8ToAnsi(verb));
  }
  return true;
}

} // namespace

int main(int argc, char **argv) {
  // Smaller history bounds let a test flood past them quickly.
  std::uint64_t talkHistoryBytes = 0, folderHistoryBytes = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--history-limits" && i + 2 < argc) {
      talkHistoryBytes = std::stoull(argv[++i]);
      folderHistoryBytes = std::stoull(argv[++i]);
    } else if (arg == "--interface" && i + 1 < argc) {
      kc::SetLocalInterface(argv[++i]);
    } else if (arg.rfind("--interface=", 0) == 0) {
      kc::SetLocalInterface(arg.substr(12));
    } else {
      std::fprintf(stderr, "usage: chatnode [--interface IFACE] [--history-limits TALKBYTES FOLDERBYTES]\n");
      return 2;
    }
  }
  QCoreApplication app(argc, argv);
  LineWriter writer;
  gWriter = &writer;
  JsonSink sink;
  kc::THeadlessChatHost host({}, &sink);
  sink.Host = &host;
  host.CreateMainWindow();
  // The node keeps its talks as the program does with "Save history" on.
  host.Windows().SaveHistory = true;
  if (talkHistoryBytes > 0) host.Windows().HistoryLimits.TalkFileBytes = talkHistoryBytes;
  if (folderHistoryBytes > 0) host.Windows().HistoryLimits.FolderBytes = folderHistoryBytes;
  host.CreateUserList();
  host.CreateGifCatalogue();
  const kc::RUserID *me = host.Windows().GetUserRecord(0);
  put("{\"event\":\"ready\",\"id\":" + text(me ? me->ID : std::string()) + ",\"ip\":" + text(host.Net().LocalIP()) +
      "}");

  bool ending = false;
  auto finish = [&] {
    if (ending) return;
    ending = true;
    host.CloseMainWindow();
    QCoreApplication::exit(0);
  };
  // Standard input is read on a thread of its own; each line is handled on
  // the main thread, between datagrams.
  std::thread reader([&] {
    std::string line;
    while (std::getline(std::cin, line)) {
      QMetaObject::invokeMethod(
          &app,
          [&, line] {
            if (ending) return;
            if (!runCommand(host, sink, line)) finish();
          },
          Qt::QueuedConnection);
    }
    QMetaObject::invokeMethod(
        &app, [&] { finish(); }, Qt::QueuedConnection);
  });
  reader.detach();
  const int code = QCoreApplication::exec();
  writer.finish();
  std::fflush(stdout);
  // The reader may still wait for input that never comes.
  std::_Exit(code);
}
