#pragma once
// Hexadecimal digits, read in either case: ini numbers ("$1F", "0x1f"),
// stored colours and bytes, "\'hh" escapes of RTF.
namespace kc {

// The value of one hexadecimal digit (0-15), or -1 for any other character.
constexpr int hexDigitValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

} // namespace kc
