#pragma once
// The desktop's special folders (XDG user folders and their neighbours) that
// stand in for the shell's folder ids. Virtual places without a folder on
// disk (network, printers, control panel) have none.
#include <optional>
#include <string>

namespace kc {

enum class SpecialFolder {
  Home,
  Desktop,
  Documents,
  Templates,
  Fonts,
  Recent,
  Trash,
  Applications,
  Autostart,
  FileSystemRoot,
};

std::optional<std::string> specialFolderPath(SpecialFolder f);

} // namespace kc
