#!/usr/bin/env bash
# Builds the Debian package (make package) and checks it against an install of the
# same build: the same files under /usr, and dependencies that dpkg-shlibdeps read
# from the binaries. Too slow for every `make test` (about 15 s on an up-to-date
# build); run it before a release or after touching cmake/Install.cmake or
# cmake/Package.cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}

make --no-print-directory package BUILD="$build" >/dev/null
version=$("$build/wavelet-batch" --version | sed 's/^wavelet-batch //')
deb="$build/wavelet_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "FAIL: no $deb" >&2; exit 1; }

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
DESTDIR="$staging" cmake --install "$build" --prefix /usr >/dev/null
if ! difference=$(diff <(cd "$staging" && find . ! -type d | LC_ALL=C sort) \
                       <(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort)); then
  fail "package files differ from an install under /usr (< install only, > package only):"$'\n'"$difference"
fi

[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6; do
  [[ ", $depends," == *", $library "* ]] || fail "Depends lacks $library: $depends"
done

[ "$failures" -eq 0 ] && echo "$deb: files and dependencies as expected"$'\n'"Depends: $depends"
exit "$failures"
