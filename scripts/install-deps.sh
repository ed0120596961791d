#!/usr/bin/env bash
# Installs the Debian packages the quiz needs, only those that are missing.
# Usage: install-deps.sh run|test
set -u
mode=${1:-run}

build_pkgs="cmake g++ make qt6-base-dev qt6-multimedia-dev libqt6sql6-sqlite qt6-image-formats-plugins
  libqt6svg6 qt6-qpa-plugins gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-libav fonts-dejavu-core fonts-noto-core qt6-translations-l10n
  qt6-charts-dev libqt6charts6 libqt6opengl6-dev
  libqt6sql6-psql libpq-dev pkgconf qt6-svg-dev libwmf-dev libemf2svg-dev libsqlite3-dev libarchive-dev
  qt6-wayland"
test_pkgs="xvfb xauth xdotool pulseaudio pulseaudio-utils sox x11-utils imagemagick clang libclang-rt-14-dev sqlite3
  locales openbox dpkg-dev desktop-file-utils"
# ffmpeg makes the clip fuzz targets' seed corpora (scripts/make-fuzz-seeds.sh).
test_pkgs="$test_pkgs ffmpeg"
# The reports: poppler-utils reads the PDF files back; cups with the cups-pdf
# printer is the real printer that the printing test prints to.
test_pkgs="$test_pkgs poppler-utils cups printer-driver-cups-pdf"
# The school server's tests run a throwaway PostgreSQL server with TLS
# (openssl makes its certificates).
test_pkgs="$test_pkgs postgresql openssl"
# The Debian package's checks (lintian, appstreamcli, hardening-check from
# devscripts) and the Wayland run under Debian's compositor.
test_pkgs="$test_pkgs lintian appstream devscripts weston"

pkgs=$build_pkgs
[ "$mode" = test ] && pkgs="$pkgs $test_pkgs"

missing=()
for p in $pkgs; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Run this command as root (or with sudo) so that they can be installed." >&2
    exit 1
fi
echo "Installing missing packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! apt-get update -qq >/tmp/quiz-apt.log 2>&1; then
    echo "apt-get update failed; see /tmp/quiz-apt.log:" >&2
    tail -n 5 /tmp/quiz-apt.log >&2
    exit 1
fi
if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >>/tmp/quiz-apt.log 2>&1; then
    echo "Installing packages failed (${missing[*]}); see /tmp/quiz-apt.log:" >&2
    tail -n 10 /tmp/quiz-apt.log >&2
    exit 1
fi
