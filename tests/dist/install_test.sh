#!/usr/bin/env bash
# Installs the build into a temporary prefix (cmake --install) and checks what
# a desktop reads there: the desktop entry and the AppStream metadata pass
# their validators, the icon the entry names is there in every size, the
# metadata's newest release is the project's version, the manual pages are
# compressed and well-formed. Skips (77) without the validators.
#
#   install_test.sh CMAKE BUILD_DIR PROJECT_VERSION
set -u
CMAKE="$1"
BUILD="$2"
VERSION="$3"
for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is missing (scripts/deps installs it): skipped"
        exit 77
    fi
done
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
. "$(dirname "$0")/../checks.sh"

PREFIX="$TMP/usr"
if ! "$CMAKE" --install "$BUILD" --prefix "$PREFIX" >"$TMP/install.log" 2>&1; then
    cat "$TMP/install.log"
    exit 1
fi
ID=org.quillfen.Tarnwick
DESKTOP="$PREFIX/share/applications/$ID.desktop"
METAINFO="$PREFIX/share/metainfo/$ID.metainfo.xml"

check "the programs are installed" test -x "$PREFIX/bin/tarnwick" -a -x "$PREFIX/bin/tarnwick-cli"
check "desktop-file-validate" desktop-file-validate "$DESKTOP"
check "appstreamcli validate" appstreamcli validate --no-net "$METAINFO"

# The entry's icon, in each size the icon theme looks for, and as SVG.
icon="$(sed -n 's/^Icon=//p' "$DESKTOP")"
check "the entry names the program's icon" test "$icon" = "$ID"
png_size() { # a PNG file's "WIDTHxHEIGHT"
    python3 -c 'import struct, sys
d = open(sys.argv[1], "rb").read(24)
assert d[:8] == b"\x89PNG\r\n\x1a\n"
print("%dx%d" % struct.unpack(">II", d[16:24]))' "$1" 2>/dev/null
}
for n in 16 22 24 32 48 64 128 256; do
    check "the ${n}x$n icon" test "$(png_size "$PREFIX/share/icons/hicolor/${n}x$n/apps/$icon.png")" \
        = "${n}x$n"
done
check "the SVG icon" grep -q '<svg ' "$PREFIX/share/icons/hicolor/scalable/apps/$icon.svg"

# A new version needs its release notes.
check "the newest release is $VERSION" python3 -c '
import sys, xml.etree.ElementTree as ET
releases = ET.parse(sys.argv[1]).getroot().find("releases")
assert releases[0].get("version") == sys.argv[2], releases[0].get("version")' "$METAINFO" "$VERSION"
check "the metadata launches the entry" \
    grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$METAINFO"

for page in tarnwick tarnwick-cli; do
    gz="$PREFIX/share/man/man1/$page.1.gz"
    check "$page(1) is compressed" gzip -t "$gz"
    if command -v groff >/dev/null 2>&1; then
        # -ww: every warning; a warning is a fault in the page.
        check "$page(1) formats without warnings" \
            sh -c 'zcat "$1" | groff -man -ww -z -Tutf8 2>&1 | { ! grep .; }' - "$gz"
    fi
done

finish
