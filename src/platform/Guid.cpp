#include "platform/Guid.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace kc {

namespace {

bool randomBytes(uint8_t *out, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::getrandom(out + done, size - done, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (done == size) return true;
  // Kernels without getrandom: the same source through the device.
  int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  while (done < size) {
    ssize_t n = ::read(fd, out + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return done == size;
}

} // namespace

std::optional<Guid> createGuid() {
  uint8_t b[16];
  if (!randomBytes(b, sizeof b)) return std::nullopt;
  b[6] = static_cast<uint8_t>((b[6] & 0x0F) | 0x40); // version 4
  b[8] = static_cast<uint8_t>((b[8] & 0x3F) | 0x80); // RFC 4122 variant
  Guid g;
  g.data1 = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
  g.data2 = static_cast<uint16_t>((b[4] << 8) | b[5]);
  g.data3 = static_cast<uint16_t>((b[6] << 8) | b[7]);
  std::memcpy(g.data4, b + 8, 8);
  return g;
}

std::string guidText(const Guid &g) {
  static const char hex[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(38);
  auto put = [&](uint64_t v, int digits) {
    for (int i = digits - 1; i >= 0; --i) s += hex[(v >> (i * 4)) & 0xF];
  };
  s += '{';
  put(g.data1, 8);
  s += '-';
  put(g.data2, 4);
  s += '-';
  put(g.data3, 4);
  s += '-';
  put((uint64_t(g.data4[0]) << 8) | g.data4[1], 4);
  s += '-';
  for (int i = 2; i < 8; ++i) put(g.data4[i], 2);
  s += '}';
  return s;
}

std::string newGuidString() {
  auto g = createGuid();
  return g ? guidText(*g) : std::string();
}

} // namespace kc
