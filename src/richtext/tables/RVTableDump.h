#pragma once
// The draw lines of a formatted document as text, one line each:
// "item offs len left top width height newline". After a table's line come
// its cells that no merge covers, "cell R C CS RS left top width height"
// (relative to the table), each followed by the cell's own lines in the
// cell's coordinates, indented two spaces deeper. rvtool format prints it.
#include <string>

namespace kc {

class TCustomRVFormattedData;

std::string RVDumpDrawLines(const TCustomRVFormattedData &Doc, const std::string &Indent = std::string());

} // namespace kc
