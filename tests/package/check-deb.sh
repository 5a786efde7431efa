#!/usr/bin/env bash
# Builds the .deb from a build tree, checks its files and dependencies and
# runs lintian on it, then unpacks it and runs both programs from the
# unpacked tree against the built-in box, as a user would after installing it.
set -euo pipefail
build=$1
version=$2
lintian=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/caraudio_"$version"_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "no caraudio_${version}_*.deb in $work/out"

# Any error fails the package. The maintainer's address, also in the
# changelog, is a placeholder until the project has a public one.
"$lintian" --fail-on error --suppress-tags bogus-mail-host,bogus-mail-host-in-debian-changelog \
  "$deb" >"$work/lintian" 2>&1 || { cat "$work/lintian"; fail "lintian"; }
cat "$work/lintian"

# Listed once into a file: grep -q ending a pipe early would break it.
dpkg-deb -c "$deb" >"$work/listing"
awk '{print $6}' "$work/listing" | sed 's|^\./|/|' | grep -v '/$' | sort >"$work/files"
expected=(
  /usr/bin/caraudio
  /usr/bin/caraudio-cli
  /usr/lib/udev/rules.d/70-caraudio.rules
  /usr/share/applications/org.caraudio.ControlPanel.desktop
  /usr/share/caraudio/README.customisation
  /usr/share/caraudio/caedata.dat
  /usr/share/doc/caraudio/changelog.gz
  /usr/share/doc/caraudio/copyright
  /usr/share/icons/hicolor/scalable/apps/org.caraudio.ControlPanel.svg
  /usr/share/man/man1/caraudio-cli.1.gz
  /usr/share/man/man1/caraudio.1.gz
  /usr/share/metainfo/org.caraudio.ControlPanel.metainfo.xml
)
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's files differ from the list above"
grep -q ' ./usr/share/caraudio/skin/$' "$work/listing" || fail "no skin folder for the dealer's pictures"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libudev1 qt6-qpa-plugins; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
grep -q 'ATTRS{idVendor}=="[0-9a-f]\{4\}", ATTRS{idProduct}=="[0-9a-f]\{4\}", TAG+="uaccess"' \
  "$root/usr/lib/udev/rules.d/70-caraudio.rules" || fail "udev rule"
# One licence, GPL 3 or later, in the copyright file and the metainfo.
licence=$(awk '/^Files: \*$/ {whole = 1} whole && /^License:/ {print $2; exit}' "$root/usr/share/doc/caraudio/copyright")
[ "$licence" = "GPL-3+" ] || fail "the copyright file puts the package under '$licence', not GPL-3+"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
  "$root/usr/share/metainfo/org.caraudio.ControlPanel.metainfo.xml" || fail "the metainfo names another licence"
# The manual pages come from the programs' own --help: a synopsis and the
# options they share.
for program in caraudio caraudio-cli; do
  zcat "$root/usr/share/man/man1/$program.1.gz" >"$work/$program.1"
  grep -q '^\.SH SYNOPSIS' "$work/$program.1" || fail "$program.1 has no synopsis"
  for option in emulate verbose help version; do
    grep -qF -- "\\-\\-$option" "$work/$program.1" || fail "$program.1 does not name --$option"
  done
done
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
[ "$("$root/usr/bin/caraudio-cli" --version)" = "caraudio-cli $version" ] || fail "caraudio-cli --version"
[ "$("$root/usr/bin/caraudio" --version)" = "caraudio $version" ] || fail "caraudio --version"
"$root/usr/bin/caraudio-cli" --emulate info >"$work/info" || { cat "$work/info"; fail "caraudio-cli --emulate info"; }
grep -qi 'connected' "$work/info" || { cat "$work/info"; fail "info shows no connection"; }

# The windowed program keeps running until stopped, and takes the tuning
# file from the package's share folder.
QT_QPA_PLATFORM=offscreen "$root/usr/bin/caraudio" --emulate -hide &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || fail "caraudio --emulate ended on its own"
kill -TERM "$pid"
wait "$pid" || fail "caraudio did not stop cleanly"
grep -rq "tuning file $root/usr/share/caraudio/caedata.dat" "$XDG_DATA_HOME"/*/log \
  || fail "the program did not read the package's tuning file"
echo "package ok: $(basename "$deb")"
