#!/usr/bin/env bash
# Builds the Debian package from an existing build folder, checks what it holds, validates its
# desktop entry, metadata and the package itself, and runs the installed probe from a scratch
# root. Usage: package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
for tool in dpkg-deb lintian desktop-file-validate appstreamcli readelf; do
  command -v "$tool" >/dev/null || { echo "package_test: skipped ($tool is missing)"; exit 77; }
done
work=$(mktemp -d /tmp/tempyra-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "package_test: $*" >&2; exit 1; }

deb=$("$src/scripts/package" "$build" "$work" 2>"$work/package.log" | tail -n 1) ||
  { cat "$work/package.log" >&2; fail "scripts/package failed"; }
case $(basename "$deb") in
  tempyra_*_"$(dpkg --print-architecture)".deb) ;;
  *) fail "unexpected package name: $deb" ;;
esac

# Every file and link the package holds, and nothing else.
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort >"$work/files"
{
  printf '%s\n' usr/bin/tempyra usr/bin/tempyra-demo usr/bin/tempyra-probe \
    usr/libexec/tempyra/tempyra-windows \
    usr/share/applications/com.quorvel.tempyra.desktop \
    usr/share/metainfo/com.quorvel.tempyra.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/com.quorvel.tempyra.svg \
    usr/share/doc/tempyra/copyright usr/share/doc/tempyra/changelog.gz \
    usr/share/man/man1/tempyra.1.gz usr/share/man/man1/tempyra-probe.1.gz \
    usr/share/man/man1/tempyra-demo.1.gz usr/share/tempyra/prometheus/tempyra-rules.yml
  for size in 16 22 24 32 48 64 128 256; do
    echo "usr/share/icons/hicolor/${size}x${size}/apps/com.quorvel.tempyra.png"
  done
} | sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's files differ from the expected list"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6quick6 libsqlite3-0 qml6-module-qtquick-controls qml6-module-qtcharts \
  qt6-qpa-plugins libqt6svg6; do
  grep -q "\b$needed\b" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
twice=$(tr ',' '\n' <<<"$depends" | sed 's/(.*//; s/ //g' | sort | uniq -d)
[ -z "$twice" ] || fail "Depends names $twice more than once: $depends"

root=$work/root
dpkg-deb -x "$deb" "$root"
desktop=$root/usr/share/applications/com.quorvel.tempyra.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.quorvel.tempyra.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate"
# Every program is named in the metadata, and it and the windows program they start are stripped
# of the compiler's note and find their libraries on the system's own paths.
for program in "$root"/usr/bin/* "$root"/usr/libexec/tempyra/*; do
  name=$(basename "$program")
  [ "$name" = tempyra-windows ] ||
    grep -q "<binary>$name</binary>" "$root/usr/share/metainfo/com.quorvel.tempyra.metainfo.xml" ||
    fail "the AppStream metadata does not provide $name"
  if readelf -d "$program" | grep -E '\((RPATH|RUNPATH)\)'; then fail "$name has a RUNPATH"; fi
  if readelf -S "$program" | grep ' \.comment '; then fail "$name keeps its .comment section"; fi
done
# The menu entry starts a program the package installs, with an icon it installs.
exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$root/usr/bin/$exec" ] || fail "Exec=$exec is not in /usr/bin"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon is not installed"
file -L "$root"/usr/share/icons/hicolor/48x48/apps/com.quorvel.tempyra.png | grep -q '48 x 48' ||
  fail "the 48 px icon is not 48 px"

# The installed probe runs from the scratch root on the system's libraries.
out=$("$root/usr/bin/tempyra-probe" --samples 1 --interval 0) || fail "the installed probe failed"
head -n 1 <<<"$out" | grep -q '^{' || fail "the installed probe printed no profile: $out"

# Errors fail; warnings are printed for the record.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian found errors"
echo "package_test: $(basename "$deb") passed"
