#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package with CPack and checks it: lintian, the menu entry, AppStream
# file, files, changelog and the post-install step (lintian reads the manual pages).
# Environment (set by CTest): BUILD_DIR (configured, built tree), SOURCE_DIR, VERSION.
set -uo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; } && ok() { echo "ok: $*"; }
: "${BUILD_DIR:?BUILD_DIR is not set}" "${SOURCE_DIR:?SOURCE_DIR is not set}" "${VERSION:?VERSION is not set}"
for tool in cpack dpkg-deb dpkg-parsechangelog lintian appstreamcli desktop-file-validate setcap getcap; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (run scripts/setup.sh)"
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/orvane2-package.XXXXXX") && trap 'rm -rf "$WORK"' EXIT || fail "mktemp failed"
R="$WORK/root" && S="$WORK/root/usr/share" && DOC="$WORK/root/usr/share/doc/orvane2"
cpack -G DEB -B "$WORK/out" --config "$BUILD_DIR/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log" >&2; fail "cpack -G DEB failed"; }
deb="$WORK/out/orvane2_${VERSION}_$(dpkg --print-architecture).deb"
dpkg -x "$deb" "$R" && dpkg-deb -e "$deb" "$WORK/control" || fail "no package $deb to extract"
# Errors and warnings fail; informational tags are only shown.
findings=$(lintian --fail-on error,warning -I "$deb" 2>&1) || fail "lintian: $findings"
findings=$(grep -v '^running with root privileges' <<<"$findings")  # lintian's note to root
ok "lintian: no errors or warnings${findings:+; informational: $(tr '\n' ' ' <<<"$findings")}"
expected=$(tr ' ' '\n' <<<"usr/bin/orvane2 usr/libexec/orvane2/start-in-config-folder usr/share/applications/orvane2.desktop
usr/share/doc/orvane2/changelog.gz usr/share/doc/orvane2/copyright usr/share/orvane2/vantor2.cfg usr/share/icons/hicolor/16x16/apps/orvane2.png
usr/share/icons/hicolor/48x48/apps/orvane2.png usr/share/icons/hicolor/scalable/apps/orvane2.svg
usr/share/man/man1/orvane2.1.gz usr/share/man/ru/man1/orvane2.1.gz usr/share/metainfo/org.example.orvane2.metainfo.xml" | sort)
listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort)
[ "$listed" = "$expected" ] || fail "the package's files differ: $(diff <(echo "$expected") <(echo "$listed"))"
ok "the package holds exactly the $(wc -l <<<"$listed") expected files"
report=$(desktop-file-validate "$S/applications/orvane2.desktop" 2>&1) && [ -z "$report" ] || fail "desktop file: $report"
grep -qx 'Exec=/usr/libexec/orvane2/start-in-config-folder' "$S/applications/orvane2.desktop" || fail "the menu entry's command"
control=$(dpkg-deb -f "$deb" Depends Recommends)
grep -q '^Depends:.*qt6-translations-l10n' <<<"$control" && grep -q '^Recommends:.*qt6-wayland' <<<"$control" ||
    fail "Russian dialogs and Wayland are not in the package's relations: $control"
meta="$S/metainfo/org.example.orvane2.metainfo.xml"
report=$(appstreamcli validate --no-net "$meta" 2>&1) || fail "appstreamcli validate: $report"
grep -q '<launchable type="desktop-id">orvane2.desktop</launchable>' "$meta" || fail "metainfo launches no orvane2.desktop"
grep -q "<release version=\"$VERSION\"" "$meta" || fail "the metainfo has no release $VERSION"
latest=$(zcat "$DOC/changelog.gz" | dpkg-parsechangelog -l - -S Version) || fail "the changelog does not parse"
[ "$latest" = "$VERSION" ] || fail "the changelog's latest entry is $latest, the package $VERSION"
ok "menu entry, relations and metainfo; metainfo launches orvane2.desktop; release and changelog at $VERSION"
# Without setcap the post-install step explains ping sockets and succeeds; with it, on
# a file system that stores capabilities, the program gets cap_net_raw.
notes=$(env -i PATH=/nonexistent DPKG_ROOT="$R" /bin/sh "$WORK/control/postinst" configure 2>&1) &&
    grep -q 'net.ipv4.ping_group_range' <<<"$notes" || fail "postinst without setcap: $notes"
notes=$(DPKG_ROOT="$R" /bin/sh "$WORK/control/postinst" configure 2>&1) || fail "postinst failed: $notes"
if : >"$WORK/probe" && setcap cap_net_raw+ep "$WORK/probe" 2>/dev/null; then
    getcap "$R/usr/bin/orvane2" | grep -q cap_net_raw || fail "postinst did not give cap_net_raw: $notes"
    ok "postinst explains ping sockets without setcap and gives cap_net_raw with it"
else
    echo "SKIPPED: cap_net_raw (no file capabilities here); postinst without setcap explained ping sockets"
fi
echo "PASS"
