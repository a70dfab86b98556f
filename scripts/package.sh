#!/usr/bin/env bash
# Builds the two things a user installs, from clean Release builds, into
# packages/ (or LAYERDREAM_PACKAGES=folder):
#   layerdream_VERSION_amd64.deb         the Debian package (CPack), checked
#                                        with lintian, desktop-file-validate
#                                        and appstreamcli
#   layerdream-VERSION-windows-x64.zip   layerdream.exe, settings.txt,
#                                        trainingimages, README.txt and
#                                        LICENSE.txt
# The version is the project's, in CMakeLists.txt. Both carry the same
# 10,000 handwritten digits, which the Linux build fetches from the npm
# registry. LAYERDREAM_WINDOWS_BUILD=folder makes the zip from the Windows
# build in that folder (scripts/build-windows.sh's, same options) instead of
# a clean one; scripts/test.sh uses the one it has just built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${LAYERDREAM_PACKAGES:-$root/packages}
work=$root/build-package
windows_build=${LAYERDREAM_WINDOWS_BUILD:-$work/windows}
jobs=$(nproc)

"$root/scripts/install-dependencies.sh" run windows-build package

# Clean builds: nothing left from an earlier configuration gets in.
rm -rf "$work"
mkdir -p "$out"

echo "== Debian package"
cmake -S "$root" --preset program -B "$work/linux" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$work/linux" -j"$jobs"
(cd "$work/linux" && cpack -G DEB -B "$work/linux/cpack" >/dev/null)
deb=$(find "$work/linux/cpack" -maxdepth 1 -name 'layerdream_*_amd64.deb')
[ -n "$deb" ] || { echo "package.sh: CPack made no layerdream_*_amd64.deb" >&2; exit 1; }
cp "$deb" "$out/"
deb=$out/$(basename "$deb")

echo "== lintian"
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error --info "$deb"

echo "== desktop-file-validate"
tree=$work/tree
mkdir -p "$tree"
dpkg-deb -x "$deb" "$tree"
entries=("$tree"/usr/share/applications/*.desktop)
[ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] ||
  { echo "package.sh: the package should install one menu entry, not: ${entries[*]}" >&2; exit 1; }
desktop-file-validate "${entries[0]}"

echo "== appstreamcli validate-tree"
# The metadata of the menu entry's id, checked in the package's tree, where
# its launchable must name that menu entry. Errors and warnings fail the build.
metainfo=$tree/usr/share/metainfo/$(basename "${entries[0]}" .desktop).metainfo.xml
[ -f "$metainfo" ] || { echo "package.sh: the package installs no $(basename "$metainfo")" >&2; exit 1; }
appstreamcli validate-tree --no-net "$tree"

echo "== Windows zip"
cmake -S "$root" --preset mingw -B "$windows_build" -DLAYERDREAM_TRAINING_IMAGES="$work/linux/trainingimages" >/dev/null
cmake --build "$windows_build" -j"$jobs" --target layerdream
rm -rf "$windows_build/cpack"
(cd "$windows_build" && cpack -G ZIP -B "$windows_build/cpack" >/dev/null)
zip=$(find "$windows_build/cpack" -maxdepth 1 -name 'layerdream-*-windows-x64.zip')
[ -n "$zip" ] || { echo "package.sh: CPack made no layerdream-*-windows-x64.zip" >&2; exit 1; }
cp "$zip" "$out/"

echo
echo "Made:"
ls -l "$deb" "$out/$(basename "$zip")"
