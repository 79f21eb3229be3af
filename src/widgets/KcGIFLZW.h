#pragma once
// The LZW coding of GIF image data.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kc {

// LZW decoding of a frame's image data into one byte per pixel, top-down rows
// of width bytes (interlaced data is put into its rows). Pixels are masked
// with 2^colorBits - 1. Data that does not begin with a clear code decodes as
// if it did. Returns true when the data is damaged (codes that cannot be, a
// code size out of range, codes that run out before the picture is full): the
// pixels decoded up to the damage are kept, the rest stay as they were. Not
// tolerating damage, it throws "Stream read error", "GIF code size not in
// range 2 to 9" or "GIF encoded data is corrupt" instead. progress gets the
// percentage of the data consumed whenever it moves.
bool LZWDecode(std::string_view imageData, int width, int height, int colorBits, bool interlaced, bool tolerate,
               uint8_t *out, const std::function<void(int)> &progress = {});

// LZW encoding of pixel rows (1, 4 or 8 bits per pixel, packed) into image
// data: minimum code size, sub-blocks, terminator. stride may be negative
// (bottom-up rows; firstRow is the top row). progress gets the percentage of
// the rows done whenever it moves.
void LZWEncode(const uint8_t *firstRow, std::ptrdiff_t stride, int bits, int width, int height, bool interlace,
               std::string &out, const std::function<void(int)> &progress = {});

} // namespace kc
