# Sourced by the GIF checks; defines packaged_gifs.
#
# packaged_gifs: fills the array files with the GIF files that Debian packages
# install, the same set for every check; exits when one of the packages is not
# installed or holds no GIF file, so that a check never passes on fewer files.
packaged_gifs() {
  files=()
  local pkg list f
  for pkg in libtk8.6 cscope qt6-base-dev; do
    list=$(dpkg -L "$pkg" 2>/dev/null | grep -i '\.gif$')
    [ -n "$list" ] || { echo "package $pkg is not installed or holds no GIF files"; exit 1; }
    while IFS= read -r f; do files+=("$f"); done <<<"$list"
  done
}

# realworld_gifs DIR: writes into DIR three files of the kinds other decoders
# read and encoders in the wild write, made by our own small LZW encoder here:
#   noclear.gif     image data that does not begin with a clear code
#   unknownext.gif  extensions of a kind no decoder knows, before and between
#                   the frames of an animation
#   truncated.gif   an animation whose middle frame's codes stop halfway (its
#                   sub-blocks and terminator intact), the file going on after
realworld_gifs() {
  python3 - "$1" <<'PY' || { echo "cannot generate the real-world GIF files"; exit 1; }
import os, struct, sys

def lzw(pixels, min_size, leading_clear=True):
    clear, end = 1 << min_size, (1 << min_size) + 1
    out, acc, nbits, size = bytearray(), 0, 0, min_size + 1
    def emit(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8
    table, nxt = {}, end + 1
    if leading_clear:
        emit(clear)
    prefix = None
    for p in pixels:
        if prefix is None:
            prefix = p
        elif (prefix, p) in table:
            prefix = table[(prefix, p)]
        else:
            emit(prefix)
            table[(prefix, p)] = nxt
            nxt += 1
            # The decoder widens its codes one entry after us.
            if nxt > (1 << size) and size < 12:
                size += 1
            assert nxt < 4000, "picture too large for this encoder"
            prefix = p
    emit(prefix)
    nxt += 1
    if nxt > (1 << size) and size < 12:
        size += 1
    emit(end)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)

def blocks(data):
    return b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255))

palette = bytes(c for i in range(16) for c in ((i * 17) & 255, (255 - i * 13) & 255, (i * 71) & 255))

def header(w, h):
    return b"GIF89a" + struct.pack("<HHBBB", w, h, 0xB3, 0, 0) + palette

def gce(delay):
    return b"!\xF9\x04\x04" + struct.pack("<H", delay) + b"\x00\x00"

def image(x, y, w, h, seed, leading_clear=True, keep=1.0):
    pixels = [((x * 3 + y * 5 + seed) // 4 + (x * y) % 3) % 16 for y in range(h) for x in range(w)]
    data = lzw(pixels, 4, leading_clear)
    data = data[:int(len(data) * keep)]
    return b"," + struct.pack("<HHHHB", x, y, w, h, 0) + b"\x04" + blocks(data) + b"\x00"

unknown = b"!\x42\x05hello\x03abc\x00"
files = {
    "noclear.gif": header(61, 47) + image(0, 0, 61, 47, 0, leading_clear=False) + b";",
    "unknownext.gif": header(61, 47) + unknown + gce(10) + image(0, 0, 61, 47, 1) + unknown + gce(10) +
                      image(5, 7, 20, 11, 2) + b";",
    "truncated.gif": header(61, 47) + gce(10) + image(0, 0, 61, 47, 3) + gce(10) +
                     image(3, 2, 40, 30, 4, keep=0.5) + gce(10) + image(10, 20, 25, 15, 5) + b";",
}
for name, data in files.items():
    with open(os.path.join(sys.argv[1], name), "wb") as f:
        f.write(data)
PY
}
