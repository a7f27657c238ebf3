#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a built tree as users get it: installs it into a temporary prefix and runs the
# installed programs as an unprivileged user, validates the desktop entry and the AppStream
# data, builds the Debian package and, as root, installs it with apt-get, converts one file
# with it and removes it again.
#   bash scripts/check-install.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:?usage: check-install.sh BUILD_DIR}" && pwd)
app_id=io.github.wavpress.wavpress

passed=0
failed=0
last_ok=false
check() {
  local what=$1 output
  shift
  if output=$("$@" 2>&1); then
    passed=$((passed + 1))
    last_ok=true
    echo "ok   $what"
  else
    failed=$((failed + 1))
    last_ok=false
    echo "FAIL $what"
    printf '%s\n' "$output" | sed 's/^/     /'
  fi
}

tmp=$(mktemp -d)
package_installed=false
cleanup() {
  if $package_installed; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq wavpress >/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT
chmod 755 "$tmp"

# The programs run as nobody where root can arrange it: the installed tree is not theirs to
# write, and the settings must land in their own configuration folder.
work=$tmp/work
mkdir -p "$work/out"
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown -R nobody:nogroup "$work"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
run() {
  "${as_user[@]}" env HOME="$work/home" XDG_CONFIG_HOME="$work/config" "$@"
}

python3 - "$work/in.wav" <<'EOF'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(2)
    out.setsampwidth(2)
    out.setframerate(44100)
    out.writeframes(b"".join(
        struct.pack("<hh", int(9000 * math.sin(i * 0.0627)), int(9000 * math.sin(i * 0.0940)))
        for i in range(44100)))
EOF
chmod 644 "$work/in.wav"

converts() {
  local program=$1 out=$work/out/in.mp3
  rm -f "$out"
  run "$program" -q -y -t mp3 -o "$work/out" "$work/in.wav" && mpg123 -q -t "$out"
}

help_names_user_folder() {
  run "$1" --help | grep -Fqx "設定フォルダ: $work/config/wavpress/"
}

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
programs=(wavpress-cli)
[ -e "$build/bin/wavpress" ] && programs+=(wavpress)

layout() {
  local program
  for program in "${programs[@]}"; do
    [ -x "$prefix/lib/wavpress/$program" ] &&
      [ "$(readlink "$prefix/bin/$program")" = "../lib/wavpress/$program" ] || return 1
  done
  [ -f "$prefix/lib/wavpress/lame_enc.so" ] && [ -f "$prefix/lib/wavpress/wavpress.installed" ] &&
    [ -f "$prefix/share/doc/wavpress/copyright" ] || return 1
  if [ "${#programs[@]}" = 2 ]; then
    local icons=$prefix/share/icons/hicolor
    [ -f "$prefix/share/applications/$app_id.desktop" ] &&
      [ -f "$prefix/share/metainfo/$app_id.metainfo.xml" ] &&
      [ -f "$icons/scalable/apps/$app_id.svg" ] &&
      file "$icons/48x48/apps/$app_id.png" | grep -q 'PNG image data, 48 x 48' &&
      file "$icons/256x256/apps/$app_id.png" | grep -q 'PNG image data, 256 x 256'
  fi
}
check "installed layout: lib/wavpress with links in bin, copyright, desktop entry, icons" layout
check "installed wavpress-cli --version" \
  bash -c '[ "$("$@")" = "wavPress ver0.8" ]' _ "${as_user[@]}" "$prefix/bin/wavpress-cli" --version
check "installed wavpress-cli --help names \$XDG_CONFIG_HOME/wavpress/" \
  help_names_user_folder "$prefix/bin/wavpress-cli"
check "build tree's wavpress-cli --help names its own folder" \
  bash -c '"$1" --help | grep -Fqx "設定フォルダ: $2"' _ "$build/bin/wavpress-cli" "$build/bin/"
check "installed wavpress-cli converts with the engine beside it" converts "$prefix/bin/wavpress-cli"

# The installed copies where the window is installed, else the sources they are made from.
desktop_file=packaging/$app_id.desktop
metainfo=$build/$app_id.metainfo.xml
if [ "${#programs[@]}" = 2 ]; then
  desktop_file=$prefix/share/applications/$app_id.desktop
  metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
fi
check "desktop-file-validate" desktop-file-validate "$desktop_file"
check "appstreamcli validate" appstreamcli validate --no-net --pedantic "$metainfo"

deb_dir=$tmp/deb
check "cpack builds the Debian package" cpack --config "$build/CPackConfig.cmake" -B "$deb_dir"
# Debian's machine-readable form: a Format line, then paragraphs whose License names a text.
package_copyright() {
  local text
  text=$(dpkg-deb --fsys-tarfile "$deb_dir"/wavpress_*.deb | tar -xO ./usr/share/doc/wavpress/copyright) &&
    head -n 1 <<<"$text" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' &&
    grep -qx 'License: GPL-3+' <<<"$text" &&
    grep -qF '/usr/share/common-licenses/GPL-3' <<<"$text"
}
check "the package carries the copyright file" package_copyright
if [ "$(id -u)" = 0 ]; then
  install_package() {
    (cd "$deb_dir" && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./wavpress_*.deb)
  }
  check "apt-get install ./wavpress_*.deb" install_package
  if $last_ok; then
    package_installed=true
    check "packaged wavpress-cli converts" converts /usr/bin/wavpress-cli
    check "packaged wavpress-cli --help names \$XDG_CONFIG_HOME/wavpress/" \
      help_names_user_folder /usr/bin/wavpress-cli
  fi
else
  echo "skip installing the package: needs root"
fi

echo "install: $passed passed, $failed failed"
[ "$failed" = 0 ]
