#!/usr/bin/env bash
# Installs what the build, the tests and the demonstration need on Debian 12.
# Runs as root; does nothing that is already done, so every command calls it.
set -euo pipefail

packages=(
  cmake g++ libgtest-dev clang libclang-rt-14-dev   # native build, tests, fuzzing
  g++-mingw-w64-i686                                # the 32-bit Windows files
  wine wine32:i386 wine64                           # running them
  xvfb xauth xdotool imagemagick                    # message boxes and screenshots
  python3-pefile osslsigncode openssl zip unzip     # checking, signing, packaging
  locales                                           # a double-byte code page for Wine
)

if [ "$(id -u)" -ne 0 ]; then
  echo "install-dependencies: run as root (apt installs packages)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive

updated=no
apt_update() {
  if [ "$updated" = no ]; then
    apt-get update -qq
    updated=yes
  fi
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$package")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-dependencies: installing ${missing[*]}"
  apt_update
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine's 32-bit loader is a 32-bit Linux program. Some kernels here run with
# 32-bit emulation switched off; such programs then run through qemu-user.
# Debian 12's qemu 7.2 is far too slow for Wine (it scans its page table on
# every mapping: about 45 s per Windows process); 8.0 and later take 0.25 s.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  qemu_version=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
  if [ -z "$qemu_version" ] || dpkg --compare-versions "$qemu_version" lt 1:8; then
    echo "install-dependencies: 32-bit programs need qemu-user 8 or later"
    echo 'deb http://deb.debian.org/debian bookworm-backports main' \
      > /etc/apt/sources.list.d/bookworm-backports.list
    updated=no
    apt_update
    apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ ! -e "$binfmt/qemu-i386" ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:' \
      > "$binfmt/register"
  fi
  /usr/lib/wine/wine --version >/dev/null
fi

# Wine takes its ANSI code page from the locale: the Japanese one gives the
# double-byte code page 932 that the end-to-end tests run under.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
  localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8
fi
