#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the program need.
# Safe to run again: apt skips what is already installed.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  # Qt 6 (Widgets, Network, D-Bus, Test, HTTP server)
  qt6-base-dev qt6-base-dev-tools qt6-httpserver-dev qt6-websockets-dev libgl-dev libvulkan-dev libxkbcommon-dev
  fonts-dejavu-core fonts-wqy-microhei
  # GStreamer
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev libgstreamer-plugins-bad1.0-dev
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav
  gstreamer1.0-x gstreamer1.0-alsa
  # the RTSP server of the live view and the recordings
  libgstrtspserver-1.0-dev
  # FFmpeg libraries and tools (ffprobe checks recordings in tests)
  libavcodec-dev libavformat-dev libavutil-dev libavfilter-dev libswresample-dev libswscale-dev ffmpeg
  # snapshots, mixer, real cards, the QR code of the home page, its HTTPS key check
  libjpeg62-turbo-dev libasound2-dev libv4l-dev libqrencode-dev libssl-dev
  # finding other boxes (DNS-SD); the discovery tests run a private daemon in its own namespaces
  libavahi-client-dev avahi-daemon avahi-utils iproute2 util-linux
  # fuzz targets under libFuzzer (scripts/fuzz.sh)
  clang libclang-rt-14-dev
  # the remote-control page's test in a real browser
  chromium chromium-driver python3-selenium
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # a private session bus for the desktop-service tests, and a media-player client on it
  dbus-daemon playerctl
  # the install test's validators of the desktop files and the software-centre record
  desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup-deps: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "setup-deps: installed ${#missing[@]} package(s)"
