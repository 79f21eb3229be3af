#include "platform/IniStore.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AsciiCase.h"
#include "platform/HexDigits.h"

namespace kc {

namespace {

// A settings file larger than this is not ours; reading it would only waste
// memory, so it reads as empty.
constexpr std::uintmax_t kMaxFileSize = 256u * 1024u * 1024u;

// Changes made to any store of the process, for IniStore::Version.
std::atomic<std::uint64_t> gChanges{0};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Escapes shared by values, idents and section names. The reader trims
// blanks around names, so a name's first and last blank or tab is written
// "\s" or "\t" (a peer's ID with blanks reaches section names).
void appendEscaped(std::string &out, std::string_view s, bool ident, bool name = false) {
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (name && isBlank(c) && (i == 0 || i + 1 == s.size())) {
      out += c == ' ' ? "\\s" : "\\t";
      continue;
    }
    switch (c) {
    case '\\': out += "\\\\"; break;
    case '\r': out += "\\r"; break;
    case '\n': out += "\\n"; break;
    case '\0': out += "\\0"; break;
    case '=':
      if (ident) out += "\\=";
      else out += c;
      break;
    case ';':
    case '[':
      if (ident && i == 0) out += '\\';
      out += c;
      break;
    default: out += c;
    }
  }
}

std::string unescaped(std::string_view s, bool name = false) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c != '\\' || i + 1 == s.size()) {
      r += c;
      continue;
    }
    char n = s[++i];
    switch (n) {
    case '\\': r += '\\'; break;
    case 'r': r += '\r'; break;
    case 'n': r += '\n'; break;
    case '0': r += '\0'; break;
    case '=':
    case ';':
    case '[': r += n; break;
    case 's':
    case 't':
      if (name) {
        r += n == 's' ? ' ' : '\t';
        break;
      }
      [[fallthrough]];
    default: // not one of ours: keep it as it stands
      r += '\\';
      r += n;
    }
  }
  return r;
}

std::string encodedValue(std::string_view v) {
  std::string out;
  out.reserve(v.size() + 2);
  bool quote = !v.empty() && (isBlank(v.front()) || isBlank(v.back()) || v.front() == '"');
  if (quote) out += '"';
  appendEscaped(out, v, false);
  if (quote) out += '"';
  return out;
}

std::string decodedValue(std::string_view raw) {
  std::string_view v = trimmed(raw);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return unescaped(v);
}

// Position of the first "=" that is not escaped.
size_t identEnd(std::string_view line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\') ++i;
    else if (line[i] == '=') return i;
  }
  return std::string_view::npos;
}

struct Entry {
  std::string ident;
  std::string value;
};

// The item of items that a name index (lowered name -> position) gives for
// name, matched without regard to ASCII case; nullptr when there is none.
template <class Items> auto findNamed(Items &items, const std::unordered_map<std::string, size_t> &index,
                                      std::string_view name) -> decltype(&items[0]) {
  auto it = index.find(asciiLowered(name));
  return it == index.end() ? nullptr : &items[it->second];
}

struct Section {
  std::string name;
  std::vector<Entry> entries;
  std::unordered_map<std::string, size_t> index; // lowered ident -> entries

  void reindex() {
    index.clear();
    for (size_t i = 0; i < entries.size(); ++i) index.emplace(asciiLowered(entries[i].ident), i);
  }
  const Entry *find(std::string_view ident) const { return findNamed(entries, index, ident); }
  Entry *find(std::string_view ident) { return findNamed(entries, index, ident); }
};

// Weak registry of the open stores. It is never freed so that stores held by
// static objects can still close at process exit.
struct Registry {
  std::mutex mutex;
  std::condition_variable closed;
  std::map<std::string, std::pair<std::weak_ptr<IniStore>, IniStore *>> open;
  // The contents of stores whose last save failed, by path: the next open
  // of that path takes them over, so that the next save tries again.
  std::map<std::string, IniStore *> unsaved;
  // Failures of saves at a store's close, reported once the lock is gone.
  std::vector<std::pair<std::string, std::string>> failures;
  IniStore::SaveFailureHandler onFailure;
};

Registry &registry() {
  static Registry *r = new Registry;
  return *r;
}

std::string canonicalPath(const std::string &path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) return path;
  // A link to a file not written yet still names that file.
  for (int hops = 0; hops < 8 && std::filesystem::is_symlink(p, ec); ++hops) {
    std::filesystem::path target = std::filesystem::read_symlink(p, ec);
    if (ec) break;
    p = target.is_absolute() ? target : p.parent_path() / target;
  }
  std::filesystem::path c = std::filesystem::weakly_canonical(p, ec);
  if (ec) return p.lexically_normal().string();
  return c.string();
}

bool writeAll(int fd, const std::string &data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

} // namespace

struct IniStore::Impl {
  std::string path;
  mutable std::mutex mutex;
  std::vector<Section> sections;
  std::unordered_map<std::string, size_t> index; // lowered name -> sections
  bool dirty = false;
  std::string lastError; // why the last save failed

  void reindex() {
    index.clear();
    for (size_t i = 0; i < sections.size(); ++i) index.emplace(asciiLowered(sections[i].name), i);
  }
  const Section *find(std::string_view name) const { return findNamed(sections, index, name); }
  Section *find(std::string_view name) { return findNamed(sections, index, name); }
  Section &obtain(std::string_view name) {
    if (Section *s = find(name)) return *s;
    sections.push_back(Section{std::string(name), {}, {}});
    index.emplace(asciiLowered(name), sections.size() - 1);
    return sections.back();
  }

  void load();
  std::string text() const;
  bool save();
};

void IniStore::Impl::load() {
  sections.clear();
  index.clear();
  dirty = false;
  if (path.empty()) return;
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileSize) return;
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  std::string data(static_cast<size_t>(size), '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  data.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));

  std::string_view all(data);
  if (all.substr(0, 3) == "\xEF\xBB\xBF") all.remove_prefix(3);
  // Values before the first header belong to the unnamed section (the key
  // itself, in registry terms).
  Section *current = nullptr;
  bool unnamed = true;
  while (!all.empty()) {
    size_t nl = all.find('\n');
    std::string_view line = all.substr(0, nl);
    all.remove_prefix(nl == std::string_view::npos ? all.size() : nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = trimmed(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.rfind(']');
      std::string name;
      if (close != std::string_view::npos) name = unescaped(trimmed(line.substr(1, close - 1)), true);
      // The idents under a damaged header belong to no known section; they
      // must not be filed under the section before it.
      current = (close == std::string_view::npos || name.empty()) ? nullptr : &obtain(name);
      unnamed = false;
      continue;
    }
    size_t eq = identEnd(line);
    if (eq == std::string_view::npos) continue;
    if (unnamed && !current) current = &obtain("");
    if (!current) continue;
    std::string ident = unescaped(trimmed(line.substr(0, eq)), true);
    if (ident.empty() || current->find(ident)) continue; // the first one wins
    current->entries.push_back(Entry{ident, decodedValue(line.substr(eq + 1))});
    current->index.emplace(asciiLowered(ident), current->entries.size() - 1);
  }
}

std::string IniStore::Impl::text() const {
  std::string out;
  auto put = [&out](const Section &s) {
    for (const Entry &e : s.entries) {
      appendEscaped(out, e.ident, true, true);
      out += '=';
      out += encodedValue(e.value);
      out += '\n';
    }
  };
  if (const Section *top = find("")) put(*top);
  for (const Section &s : sections) {
    if (s.name.empty()) continue;
    if (!out.empty()) out += '\n';
    out += '[';
    appendEscaped(out, s.name, false, true);
    out += "]\n";
    put(s);
  }
  // An ident that starts with the bytes of a byte-order mark would lose them
  // to the reader, which skips a mark at the start of the file.
  if (out.compare(0, 3, "\xEF\xBB\xBF") == 0) out.insert(out.begin(), '\n');
  return out;
}

bool IniStore::Impl::save() {
  if (path.empty()) return false;
  namespace fs = std::filesystem;
  fs::path target(path);
  fs::path dir = target.parent_path();
  std::error_code ec;
  if (!dir.empty()) fs::create_directories(dir, ec);

  std::string tmpl = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) {
    lastError =
        std::string("cannot create a file in ") + (dir.empty() ? "." : dir.string()) + ": " + std::strerror(errno);
    return false;
  }
  std::string tmp(name.data());

  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);

  bool ok = writeAll(fd, text()) && ::fsync(fd) == 0;
  int err = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) ok = false, err = errno;
  if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = false, err = errno;
  if (!ok) {
    lastError = "cannot write " + path + ": " + std::strerror(err ? err : EIO);
    ::unlink(tmp.c_str());
    return false;
  }
  // Make the rename itself durable.
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

std::shared_ptr<IniStore> IniStore::open(const std::string &path) {
  if (path.empty()) return std::shared_ptr<IniStore>(new IniStore(std::string()));
  std::string key = canonicalPath(path);
  Registry &reg = registry();
  std::unique_lock lock(reg.mutex);
  for (;;) {
    auto it = reg.open.find(key);
    if (it == reg.open.end()) break;
    if (auto live = it->second.first.lock()) return live;
    // The last handle is being closed and may still be writing the file:
    // wait for it, then read what it wrote.
    reg.closed.wait(lock);
  }
  IniStore *raw = nullptr;
  if (auto kept = reg.unsaved.find(key); kept != reg.unsaved.end()) {
    raw = kept->second;
    reg.unsaved.erase(kept);
  } else {
    raw = new IniStore(key);
  }
  std::shared_ptr<IniStore> store(raw, [](IniStore *s) {
    Registry &r = registry();
    std::vector<std::pair<std::string, std::string>> failures;
    SaveFailureHandler handler;
    {
      std::lock_guard g(r.mutex);
      if (!s->d->dirty || s->d->save()) {
        delete s;
      } else {
        // Kept with its changes: the next open of the path takes it over.
        r.failures.emplace_back(s->d->path, s->d->lastError);
        r.unsaved[s->d->path] = s;
      }
      for (auto it = r.open.begin(); it != r.open.end(); ++it)
        if (it->second.second == s) {
          r.open.erase(it);
          break;
        }
      failures.swap(r.failures);
      handler = r.onFailure;
      r.closed.notify_all();
    }
    if (handler)
      for (const auto &[path, reason] : failures) handler(path, reason);
  });
  reg.open[key] = {store, raw};
  return store;
}

IniStore::IniStore(std::string path) : d(std::make_unique<Impl>()) {
  d->path = std::move(path);
  d->load();
}

IniStore::~IniStore() {
  std::lock_guard g(d->mutex);
  if (d->dirty && !d->path.empty()) d->save();
}

const std::string &IniStore::path() const { return d->path; }

std::string IniStore::readString(std::string_view section, std::string_view ident, std::string_view def) const {
  std::lock_guard g(d->mutex);
  if (const Section *s = d->find(section))
    if (const Entry *e = s->find(ident)) return e->value;
  return std::string(def);
}

namespace {

// Whole 32-bit numbers: decimal with an optional sign, or hex after "0x" or
// "$" (up to eight digits, taken as the 32-bit pattern). Anything else fails.
bool parseInteger(std::string_view s, int &out) {
  s = trimmed(s);
  if (s.empty()) return false;
  std::string_view hex;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) hex = s.substr(2);
  else if (s.size() > 1 && s[0] == '$') hex = s.substr(1);
  if (!hex.empty()) {
    size_t first = hex.find_first_not_of('0');
    hex = first == std::string_view::npos ? hex.substr(hex.size() - 1) : hex.substr(first);
    if (hex.size() > 8) return false;
    uint32_t v = 0;
    for (char c : hex) {
      const int digit = hexDigitValue(c);
      if (digit < 0) return false;
      v = (v << 4) | static_cast<uint32_t>(digit);
    }
    out = static_cast<int>(v);
    return true;
  }
  bool negative = false;
  if (s[0] == '-' || s[0] == '+') {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return false;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  out = static_cast<int>(v);
  return true;
}

} // namespace

int IniStore::readInteger(std::string_view section, std::string_view ident, int def) const {
  std::lock_guard g(d->mutex);
  const Section *s = d->find(section);
  const Entry *e = s ? s->find(ident) : nullptr;
  int v;
  if (e && parseInteger(e->value, v)) return v;
  return def;
}

bool IniStore::readBool(std::string_view section, std::string_view ident, bool def) const {
  return readInteger(section, ident, def ? 1 : 0) != 0;
}

void IniStore::writeString(std::string_view section, std::string_view ident, std::string_view value) {
  if (ident.empty()) return; // could not be read back
  std::lock_guard g(d->mutex);
  Section &s = d->obtain(section);
  if (Entry *e = s.find(ident)) {
    if (e->value == value) return;
    e->value = std::string(value);
  } else {
    s.entries.push_back(Entry{std::string(ident), std::string(value)});
    s.index.emplace(asciiLowered(ident), s.entries.size() - 1);
  }
  d->dirty = true;
  ++gChanges;
}

void IniStore::writeInteger(std::string_view section, std::string_view ident, int value) {
  writeString(section, ident, std::to_string(value));
}

void IniStore::writeBool(std::string_view section, std::string_view ident, bool value) {
  writeString(section, ident, value ? "1" : "0");
}

bool IniStore::sectionExists(std::string_view section) const {
  std::lock_guard g(d->mutex);
  return d->find(section) != nullptr;
}

bool IniStore::valueExists(std::string_view section, std::string_view ident) const {
  std::lock_guard g(d->mutex);
  const Section *s = d->find(section);
  return s && s->find(ident);
}

std::vector<std::string> IniStore::sections() const {
  std::lock_guard g(d->mutex);
  std::vector<std::string> r;
  r.reserve(d->sections.size());
  for (const Section &s : d->sections)
    if (!s.name.empty()) r.push_back(s.name);
  return r;
}

std::vector<std::string> IniStore::idents(std::string_view section) const {
  std::lock_guard g(d->mutex);
  std::vector<std::string> r;
  if (const Section *s = d->find(section))
    for (const Entry &e : s->entries) r.push_back(e.ident);
  return r;
}

std::vector<std::pair<std::string, std::string>> IniStore::values(std::string_view section) const {
  std::lock_guard g(d->mutex);
  std::vector<std::pair<std::string, std::string>> r;
  if (const Section *s = d->find(section))
    for (const Entry &e : s->entries) r.emplace_back(e.ident, e.value);
  return r;
}

void IniStore::eraseSection(std::string_view section) {
  std::lock_guard g(d->mutex);
  auto it = d->index.find(asciiLowered(section));
  if (it == d->index.end()) return;
  d->sections.erase(d->sections.begin() + static_cast<std::ptrdiff_t>(it->second));
  d->reindex();
  d->dirty = true;
  ++gChanges;
}

void IniStore::deleteKey(std::string_view section, std::string_view ident) {
  std::lock_guard g(d->mutex);
  Section *s = d->find(section);
  if (!s) return;
  auto it = s->index.find(asciiLowered(ident));
  if (it == s->index.end()) return;
  s->entries.erase(s->entries.begin() + static_cast<std::ptrdiff_t>(it->second));
  s->reindex();
  d->dirty = true;
  ++gChanges;
}

void IniStore::clear() {
  std::lock_guard g(d->mutex);
  if (d->sections.empty()) return;
  d->sections.clear();
  d->index.clear();
  d->dirty = true;
  ++gChanges;
}

bool IniStore::flush() {
  std::string reason;
  {
    std::lock_guard g(d->mutex);
    if (!d->dirty) return true;
    if (d->save()) {
      d->dirty = false;
      return true;
    }
    if (d->path.empty()) return false;
    reason = d->lastError;
  }
  SaveFailureHandler handler;
  {
    Registry &r = registry();
    std::lock_guard g(r.mutex);
    handler = r.onFailure;
  }
  if (handler) handler(d->path, reason);
  return false;
}

void IniStore::setSaveFailureHandler(SaveFailureHandler handler) {
  Registry &r = registry();
  std::lock_guard g(r.mutex);
  r.onFailure = std::move(handler);
}

int IniStore::removeStaleTemporaries(const std::string &path) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const std::string prefix = "." + target.filename().string() + ".";
  const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::error_code ec;
  int removed = 0;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // mkstemp's six letters or digits, nothing else.
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (!std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
      continue;
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) continue;
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

void IniStore::reload() {
  std::lock_guard g(d->mutex);
  d->load();
  ++gChanges;
}

IniStore::Version IniStore::versionOf(const std::string &path) {
  Version v;
  v.changes = gChanges.load();
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return v;
  v.exists = true;
  v.device = static_cast<std::uint64_t>(st.st_dev);
  v.inode = static_cast<std::uint64_t>(st.st_ino);
  v.size = static_cast<std::uint64_t>(st.st_size);
  v.modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  v.changedNs = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return v;
}

} // namespace kc
