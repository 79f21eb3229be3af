// LZW encoding of pixel rows into GIF image data.
#include "widgets/KcGIFLZW.h"

#include <algorithm>
#include <vector>

namespace kc {

namespace {

// Codes packed least significant bit first into data sub-blocks of up to
// 255 bytes, each after its length, ended by an empty one.
class CodeWriter {
public:
  explicit CodeWriter(std::string &Out) : out_(Out) { block_.reserve(256); }
  void Put(int Code, int Size) {
    acc_ |= uint32_t(Code) << accBits_;
    accBits_ += Size;
    while (accBits_ >= 8) {
      block_.push_back(char(acc_ & 0xFF));
      acc_ >>= 8;
      accBits_ -= 8;
      if (block_.size() == 255) {
        out_.push_back(char(255));
        out_ += block_;
        block_.clear();
      }
    }
  }
  void Finish() {
    if (accBits_ > 0) block_.push_back(char(acc_ & 0xFF));
    if (!block_.empty()) {
      out_.push_back(char(block_.size()));
      out_ += block_;
    }
    out_.push_back('\0');
  }

private:
  std::string &out_;
  std::string block_;
  uint32_t acc_ = 0;
  int accBits_ = 0;
};

// The string table as an open hash: each slot holds the node of one code,
// its prefix and suffix as the key (-1: empty) and the code itself.
class CodeTable {
public:
  static constexpr int kSlots = 17777;
  CodeTable() : key_(kSlots, -1), code_(kSlots, 0) {}
  // The slot holding Key, or the empty one where it would go, searched
  // from Hash on.
  int Find(int32_t Key, int Hash) const {
    int slot = Hash;
    int32_t k;
    while ((k = key_[size_t(slot)]) >= 0 && k != Key)
      if (++slot == kSlots) slot = 0;
    return slot;
  }
  bool Holds(int Slot) const { return key_[size_t(Slot)] >= 0; }
  int Code(int Slot) const { return code_[size_t(Slot)]; }
  void Add(int Slot, int32_t Key, int Code) {
    key_[size_t(Slot)] = Key;
    code_[size_t(Slot)] = uint16_t(Code);
  }
  void Clear() { std::fill(key_.begin(), key_.end(), -1); }

private:
  std::vector<int32_t> key_;
  std::vector<uint16_t> code_;
};

class Encoder {
public:
  Encoder(std::string &Out, int Bits, int Width)
      : bits_(Bits), width_(Width), startSize_(Bits == 1 ? 3 : Bits + 1), clear_(1 << (startSize_ - 1)),
        endCode_(clear_ + 1), codeSize_(startSize_), limit_(1 << startSize_), freeCode_(endCode_), writer_(Out),
        unpacked_(size_t(std::max(Width, 0))) {
    Out.push_back(char(startSize_ - 1));
    writer_.Put(clear_, codeSize_);
  }
  void Row(const uint8_t *Row) {
    Row = Unpacked(Row);
    for (int x = 0; x < width_; ++x) Pixel(Row[x]);
  }
  void Finish() {
    if (length_ > 0) {
      writer_.Put(prefix_, codeSize_);
      // Reading that code makes the decoder add one more entry; the end
      // code must come in the width the decoder then expects.
      if (freeCode_ + 1 == limit_ && codeSize_ < 12) ++codeSize_;
    }
    writer_.Put(endCode_, codeSize_);
    writer_.Finish();
  }

private:
  // Rows of 4 and 1 bits a pixel, one pixel a byte.
  const uint8_t *Unpacked(const uint8_t *Row) {
    if (bits_ == 4) {
      for (int x = 0; x < width_; ++x) unpacked_[size_t(x)] = uint8_t((Row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
      return unpacked_.data();
    }
    if (bits_ == 1) {
      for (int x = 0; x < width_; ++x) unpacked_[size_t(x)] = uint8_t((Row[x >> 3] >> (7 - (x & 7))) & 1);
      return unpacked_.data();
    }
    return Row;
  }
  void StartString(int P) {
    prefix_ = P;
    hash_ = (P + 3) * 301;
  }
  void Pixel(int P) {
    ++length_;
    if (length_ == 1) {
      StartString(P);
      return;
    }
    hash_ = ((P + length_ + 4) * hash_) % CodeTable::kSlots;
    const int32_t key = prefix_ << 8 | P;
    const int slot = table_.Find(key, hash_);
    if (table_.Holds(slot)) {
      prefix_ = table_.Code(slot);
      return;
    }
    writer_.Put(prefix_, codeSize_);
    ++freeCode_;
    table_.Add(slot, key, freeCode_);
    StartString(P);
    length_ = 1;
    if (freeCode_ == limit_) {
      limit_ <<= 1;
      ++codeSize_;
    } else if (freeCode_ == 4094) {
      // The table is full: start again with a clear code.
      writer_.Put(P, codeSize_);
      writer_.Put(clear_, codeSize_);
      length_ = 0;
      freeCode_ = endCode_;
      codeSize_ = startSize_;
      limit_ = 1 << startSize_;
      table_.Clear();
    }
  }

  const int bits_, width_;
  const int startSize_, clear_, endCode_;
  int codeSize_, limit_, freeCode_;
  int prefix_ = 0, length_ = 0;
  int32_t hash_ = 0;
  CodeWriter writer_;
  CodeTable table_;
  std::vector<uint8_t> unpacked_;
};

} // namespace

void LZWEncode(const uint8_t *firstRow, std::ptrdiff_t stride, int bits, int width, int height, bool interlace,
               std::string &out, const std::function<void(int)> &progress) {
  Encoder encoder(out, bits, width);
  int rowsDone = 0, reported = -1;
  auto nextRow = [&](int y) {
    encoder.Row(firstRow + std::ptrdiff_t(y) * stride);
    if (progress) {
      const int percent = int(int64_t(++rowsDone) * 100 / height);
      if (percent != reported) progress(reported = percent);
    }
  };
  if (interlace) {
    static const int passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto &pass : passes)
      for (int y = pass[0]; y < height; y += pass[1]) nextRow(y);
  } else {
    for (int y = 0; y < height; ++y) nextRow(y);
  }
  encoder.Finish();
}

} // namespace kc
