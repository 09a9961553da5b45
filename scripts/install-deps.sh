#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build, the tests and the benchmarks need.
# Fast when everything is there already: apt runs only for what is missing.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev libgmock-dev
  ffmpeg libavcodec-dev libswscale-dev libavutil-dev
  libjpeg62-turbo-dev libopencore-amrnb-dev
  espeak-ng sox python3
  qt6-base-dev libsdl2-dev fonts-wqy-zenhei
  xvfb xauth openbox xdotool imagemagick x11-utils
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
