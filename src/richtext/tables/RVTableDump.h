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

// The place a point (document coordinates) lands on, as a mouse selection
// takes it: "item offs", or "none". A point on a table's cell gives
// "item cell R C" and then the place inside that cell's document, in the
// same form, on the next line.
std::string RVDescribeHit(TCustomRVFormattedData &Doc, int X, int Y);

} // namespace kc
