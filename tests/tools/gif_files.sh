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
