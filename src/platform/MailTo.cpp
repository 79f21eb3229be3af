#include "platform/MailTo.h"

#include "platform/ShellOpen.h"

namespace kc {

namespace {

constexpr std::string_view kScheme = "mailto:";

bool refused(unsigned char c) {
  if (c < 0x20 || c == 0x7F || c == ' ') return true;
  switch (c) {
  case '?':
  case '&':
  case '%':
  case '#':
  case ',':
  case ';':
  case '<':
  case '>':
  case '"':
  case '\'':
  case '(':
  case ')':
  case '[':
  case ']':
  case '\\':
  case '/':
  case '`': return true;
  default: return false;
  }
}

// Characters a URL carries as they are; everything else is %XX.
bool plain(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("@.-_~!$*+=:").find(char(c)) != std::string_view::npos;
}

void appendEncoded(std::string &Out, std::string_view Address) {
  static constexpr char hex[] = "0123456789ABCDEF";
  for (const char ch : Address) {
    const auto c = static_cast<unsigned char>(ch);
    if (plain(c)) {
      Out += ch;
    } else {
      Out += '%';
      Out += hex[c >> 4];
      Out += hex[c & 15];
    }
  }
}

} // namespace

bool IsSafeMailAddress(std::string_view Address) {
  const std::size_t at = Address.find('@');
  if (at == std::string_view::npos || at == 0 || at + 1 == Address.size()) return false;
  if (Address.find('@', at + 1) != std::string_view::npos) return false;
  for (const char ch : Address)
    if (refused(static_cast<unsigned char>(ch))) return false;
  return true;
}

std::optional<std::string> MailToLink(const std::vector<std::string> &Addresses) {
  std::string link(kScheme);
  bool first = true;
  for (const std::string &a : Addresses) {
    if (!IsSafeMailAddress(a)) return std::nullopt;
    if (!first) link += ',';
    first = false;
    appendEncoded(link, a);
  }
  return link;
}

std::string MailToSafeLink(const std::vector<std::string> &Addresses) {
  std::vector<std::string> safe;
  for (const std::string &a : Addresses)
    if (IsSafeMailAddress(a)) safe.push_back(a);
  return *MailToLink(safe);
}

bool OpenMailTo(const std::vector<std::string> &Addresses) {
  const std::optional<std::string> link = MailToLink(Addresses);
  return link && ShellOpen(*link);
}

} // namespace kc
