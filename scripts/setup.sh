#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine.
# Quick when everything is already there: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  cmake g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 xvfb xauth x11-utils imagemagick fonts-wqy-microhei fonts-wine locales
  dpkg-dev xz-utils googletest ninja-build
)
src_list=/etc/apt/sources.list.d/quorvel-deb-src.sources

need_update=0
if [ ! -f "$src_list" ]; then
  # Same archive and suite as the machine's own entry, for the uchardet source package.
  cat >"$src_list" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ] || [ "$need_update" = 1 ]; then
  apt-get update -qq || true
fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page (936) from the Unix locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
