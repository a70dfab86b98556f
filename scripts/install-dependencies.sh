#!/usr/bin/env bash
# Installs, from Debian's archive, whatever a purpose needs that is missing.
#   install-dependencies.sh run      build and run the program
#   install-dependencies.sh test     also the tests: GoogleTest, Xvfb, xdotool, ..., icoutils (the
#                                    Windows icon, and the check of the resources of layerdream.exe)
#   install-dependencies.sh windows-build  the Windows cross build (and GoogleTest's sources for its tests)
#   install-dependencies.sh windows  the Windows cross build and Wine to run it
#   install-dependencies.sh package  the Debian package and the Windows zip: dpkg-shlibdeps,
#                                    lintian, desktop-file-validate, appstreamcli, fc-match, strace
set -euo pipefail

run_packages=(g++ cmake make pkg-config libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core
              curl ca-certificates)
# fonts-noto-mono: the tests run where fontconfig's bold monospace face is
# not the one the program draws with, as on many desktops.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev python3 python3-xlib
               xvfb xfonts-base x11-utils x11-apps xdotool imagemagick fonts-noto-mono
               clang libclang-rt-14-dev llvm g++-mingw-w64-x86-64 icoutils)
windows_build_packages=(cmake make g++-mingw-w64-x86-64 googletest)
windows_packages=("${windows_build_packages[@]}" wine wine64)
package_packages=(dpkg-dev lintian desktop-file-utils appstream fontconfig strace)

wanted=()
for purpose in "${@:-run}"; do
  case "$purpose" in
    run) wanted+=("${run_packages[@]}") ;;
    test) wanted+=("${run_packages[@]}" "${test_packages[@]}") ;;
    windows-build) wanted+=("${windows_build_packages[@]}") ;;
    windows) wanted+=("${windows_packages[@]}") ;;
    package) wanted+=("${package_packages[@]}") ;;
    *) echo "install-dependencies.sh: unknown purpose '$purpose' (run, test, windows-build, windows or package)" >&2
       exit 2 ;;
  esac
done

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep "install ok installed" >/dev/null; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
