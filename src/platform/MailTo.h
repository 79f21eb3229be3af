#pragma once
// The one way the program writes a mail link. Addresses come from peers
// (their profile's EMAIL), so a link is built only from addresses that
// cannot carry anything else: a "?" or "&" would add headers or
// attachments ("?attach=/home/..."), a "%" would smuggle either in
// encoded, and blanks, control characters and list separators would add
// recipients or cut the link. What is left is percent-encoded where a URL
// needs it (non-ASCII as UTF-8).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kc {

// Whether Address (UTF-8) may go into a mail link: one "@" with text on both
// sides, none of "?", "&", "%", "#", ",", ";", "<", ">", quotes, brackets,
// backslash, blanks or control characters.
bool IsSafeMailAddress(std::string_view Address);

// "mailto:" followed by the addresses, encoded and joined by ",". Nothing
// when one of them is unsafe; "mailto:" alone for no addresses.
std::optional<std::string> MailToLink(const std::vector<std::string> &Addresses);

// The link of the safe addresses among Addresses (unsafe ones left out).
std::string MailToSafeLink(const std::vector<std::string> &Addresses);

// Opens the desktop's mail program on the link (through ShellOpen, whose
// sink tests replace). False when nothing could take it.
bool OpenMailTo(const std::vector<std::string> &Addresses);

} // namespace kc
