#!/usr/bin/env bash
# The packages as a user meets them (scripts/test.sh runs this near its end;
# it can also run alone). Builds both with scripts/package.sh, then:
#   - the Debian package's version is the project's, its dependencies cover
#     every library the program links and the font it draws its text with
#     (on a machine where fontconfig's bold monospace face is another one);
#   - it installs with dpkg -i (apt-get for missing dependencies), and the
#     installed menu entry, its AppStream metadata, icon, defaults and digits
#     are where a desktop, a software centre and the launcher look for them;
#   - the menu entry's command, started under Xvfb with a new empty home
#     folder, reaches dreaming in ~/layerdream and keeps the user's own files
#     on the next start (tests/package/menu_entry.py);
#   - removing the package leaves the user's folder as it was;
#   - the Windows zip, unpacked into an empty folder, dreams under Wine
#     (tests/package/windows_zip.py; skipped where Wine cannot run it).
# Installs and removes the package system-wide: as root or through sudo.
#
#   scripts/test-package.sh           builds the packages, then tests them
#   scripts/test-package.sh --built   tests the packages already in packages/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
packages=${LAYERDREAM_PACKAGES:-$root/packages}
python=/usr/bin/python3  # the system's, which has python3-xlib
[ -x "$python" ] || python=python3
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
started=$SECONDS
step() { printf -- '-- %s (%ds)\n' "$1" $((SECONDS - started)); }
fail() { echo "FAILED: $*" >&2; exit 1; }

# Xvfb, xdotool, python3-xlib and ImageMagick (test), Wine (windows), lintian and the rest (package).
"$root/scripts/install-dependencies.sh" test windows package
if [ "${1:-}" != --built ]; then
  step "building the packages"
  LAYERDREAM_PACKAGES=$packages "$root/scripts/package.sh"
fi
version=$(sed -n 's/^project(layerdream VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || fail "no version in CMakeLists.txt's project()"
deb=$packages/layerdream_${version}_amd64.deb
zip=$packages/layerdream-$version-windows-x64.zip
[ -f "$deb" ] || fail "no $deb"
[ -f "$zip" ] || fail "no $zip"

step "the package's version and dependencies"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
grep -q "layerdream $version" "$root/README.md" || fail "README.md does not name version $version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
depends_on() { # package: whether Depends names it (alone or among alternatives)
  # grep reads all its input (no -q): a reader that leaves early would
  # kill its writer with SIGPIPE, which pipefail turns into a failure.
  tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g' | grep -x "$1" >/dev/null
}
scratch=$(mktemp -d)
# The new user's home folder stands where users' homes stand.
mkdir -p /home
home=$(mktemp -d /home/layerdream-test.XXXXXX 2>/dev/null || mktemp -d)
installed_here=no
cleanup() {
  # A run that fails half-way takes its package off the machine all the same.
  if [ "$installed_here" = yes ] && dpkg-query -W layerdream >/dev/null 2>&1; then
    "${as_root[@]}" dpkg --purge layerdream >/dev/null || true
  fi
  rm -rf "$scratch" "$home"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$scratch/tree"
# Every library the program links comes from a package it depends on.
for library in $(objdump -p "$scratch/tree/usr/bin/layerdream" | awk '/NEEDED/ {print $2}'); do
  # awk reads the whole listing rather than leaving at the first match, for
  # the same reason: ldconfig would be killed writing the rest.
  path=$(ldconfig -p | awk -v name="$library" '$1 == name && /x86-64/ && path == "" {path = $NF} END {print path}')
  [ -n "$path" ] || fail "$library, which the program links, is not on this machine"
  owner=$(dpkg -S "$path" 2>/dev/null | awk -F: 'NR == 1 {print $1}') ||
    owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | awk -F: 'NR == 1 {print $1}') ||
    fail "no package owns $path"
  depends_on "$owner" || fail "the program links $library, from $owner, which the package does not depend on"
done

step "installing with dpkg -i"
installed_here=yes
"${as_root[@]}" dpkg -i "$deb" || "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -f -y -q
[ "$(dpkg-query -W -f='${Status} ${Version}' layerdream)" = "install ok installed $version" ] ||
  fail "layerdream $version is not installed"
entries=$(dpkg -L layerdream | grep '^/usr/share/applications/.*\.desktop$' || true)
[ "$(wc -w <<<"$entries")" -eq 1 ] || fail "the package installs not one menu entry but: $entries"
entry=$entries
desktop-file-validate "$entry"
# The AppStream metadata of the menu entry's id, of this release, which
# software centres start through that entry.
id=$(basename "$entry" .desktop)
metainfo=/usr/share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "no AppStream metadata $metainfo for the menu entry $entry"
appstreamcli validate --no-net "$metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "$metainfo does not name the menu entry $id.desktop as its launchable"
grep -q "<release version=\"$version\" " "$metainfo" || fail "$metainfo names no release $version"
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 48 64 128 256; do
  path=/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
  [ "$(identify -format '%m %wx%h' "$path" 2>/dev/null)" = "PNG ${size}x$size" ] ||
    fail "the icon $path is not a PNG of $size × $size"
done
cmp /usr/share/layerdream/settings.txt "$root/scripts/default-settings.txt" || fail "the installed settings are not the default"
digits=/usr/share/layerdream/trainingimages
# An IDX image file of 10,000 images of 28 × 28.
[ "$(head -c 16 "$digits" | od -An -tx1 | tr -d ' \n')" = "00000803000027100000001c0000001c" ] &&
  [ "$(stat -c %s "$digits")" -eq $((16 + 10000 * 784)) ] || fail "$digits is not 10,000 images of 28 × 28"

step "the font the installed program draws with"
# The machine has Noto Sans Mono (scripts/install-dependencies.sh test), which
# fontconfig then gives for bold monospace: the program must still open the
# face its package depends on. It loads its font as it starts; without
# settings it then waits at its message box until timeout ends it.
font_log=$scratch/font-opened
(cd "$scratch" && "$root/scripts/with-xvfb.sh" timeout 10 strace -f -qq -e trace=open,openat -o "$font_log" \
   /usr/bin/layerdream) || true
fonts=$(grep -v ENOENT "$font_log" | grep -oE '"[^"]+\.(ttf|otf|pfb|ttc)"' | tr -d '"' | sort -u)
[ -n "$fonts" ] || fail "the installed program opened no font file"
for font in $fonts; do
  font_package=$(dpkg -S "$(readlink -f "$font")" | awk -F: 'NR == 1 {print $1}')
  echo "The program draws with $font, from $font_package"
  depends_on "$font_package" || fail "the program draws with $font, from $font_package, which the package does not depend on"
done

step "the menu entry in a new home folder (Xvfb)"
"$root/scripts/with-xvfb.sh" "$python" "$root/tests/package/menu_entry.py" "$entry" /usr/share/layerdream "$home"

step "removing the package"
before=$(cd "$home" && find . -exec stat -c '%n %s %Y' {} + | sort && find . -type f -exec sha256sum {} + | sort)
"${as_root[@]}" dpkg -r layerdream
[ ! -e /usr/bin/layerdream ] && [ ! -e "$entry" ] && [ ! -e "$metainfo" ] ||
  fail "dpkg -r left the program, its menu entry or its metadata"
"${as_root[@]}" dpkg --purge layerdream
after=$(cd "$home" && find . -exec stat -c '%n %s %Y' {} + | sort && find . -type f -exec sha256sum {} + | sort)
[ "$before" = "$after" ] || fail "removing the package changed the user's folder"
echo "The user's folder is as it was: $(ls "$home/layerdream" | tr '\n' ' ')"

step "the Windows zip under Wine (Xvfb)"
if ! command -v wine >/dev/null; then
  echo "SKIPPED: the Windows zip is not run under Wine: wine is not installed"
elif [ "$(uname -m)" != x86_64 ]; then
  echo "SKIPPED: the Windows zip is not run under Wine: this machine is $(uname -m), not x86_64"
else
  "$root/scripts/with-xvfb.sh" "$python" "$root/tests/package/windows_zip.py" "$zip" \
    "$scratch/tree/usr/share/layerdream/trainingimages" "$root/scripts/default-settings.txt" "$root/LICENSE"
fi
step "the packages passed"
