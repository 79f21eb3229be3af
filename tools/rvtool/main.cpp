#include "RvTool.h"

#include <cstdio>
#include <cstring>

#include "platform/Files.h"
#include "richtext/tables/RVTable.h"

namespace rvtool {

bool readFile(const std::string &path, std::string &out) {
  std::string error;
  if (kc::ReadWholeFile(path, out, &error)) return true;
  std::fprintf(stderr, "rvtool: cannot read %s: %s\n", path.c_str(), error.c_str());
  return false;
}

} // namespace rvtool

namespace {

// New subcommands go into this table.
const rvtool::Command kCommands[] = {
    {"rtf-events", "rtf-events FILE   one line per RTF reader event, then \"code N\"", rvtool::rtfEvents},
    {"rtf-text", "rtf-text FILE     the text of an RTF file as UTF-8, a paragraph a line", rvtool::rtfText},
    {"rtf-import", "rtf-import [--text] FILE   styles and items an RTF import makes (--text: its text)",
     rvtool::rtfImport},
    {"format",
     "format --width N [--fake W,A,D] FILE   draw lines: item offs len left top width height newline, then the height and width",
     rvtool::formatText},
    {"render", "render --width N FILE OUT.png   the document (RVF, RTF or UTF-8 text) painted at that width",
     rvtool::renderPng},
    {"convert",
     "convert [--to rvf|rvf-text|txt|txtw|rtf|html|html-css] [--markers-as-text] IN OUT   IN: RVF (.rvf), RTF (.rtf) or UTF-8 text",
     rvtool::convert},
    {"hit",
     "hit --width N [--fake W,A,D] FILE X Y   \"item offs\" of the place nearest the point, or \"none\"; in a "
     "table's cell \"ITEM cell R C\", then the place inside the cell",
     rvtool::hitTest},
    {"edit", "edit [--width N] [--fake] [FILE]   commands on standard input edit the document (\"dump\" prints it)",
     rvtool::editDocument},
};

int usage() {
  std::fputs("usage: rvtool COMMAND ARGS...\n", stderr);
  for (const auto &c : kCommands) std::fprintf(stderr, "  rvtool %s\n", c.usage);
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) return usage();
  kc::RegisterTableItemType();
  for (const auto &c : kCommands)
    if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
  std::fprintf(stderr, "rvtool: unknown command \"%s\"\n", argv[1]);
  return usage();
}
