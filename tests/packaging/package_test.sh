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
# The sysctl belongs to a network namespace: each run gets one of its own (RANGE CMD...).
in_netns() { unshare --net sh -c 'sysctl -qw net.ipv4.ping_group_range="$1" && shift && exec "$@"' sh "$@"; }
# Without setcap the post-install step explains ping sockets and succeeds.
notes=$(in_netns "1 0" env -i PATH=/nonexistent DPKG_ROOT="$R" /bin/sh "$WORK/control/postinst" configure 2>&1) &&
    grep -q 'net.ipv4.ping_group_range' <<<"$notes" || fail "postinst without setcap: $notes"
# Installed into a root of its own, then dpkg-reconfigure: cap_net_raw=p where ping sockets are
# refused, none where every group may ping (each debconf load prefixes DPKG_ROOT to a path more).
P="$WORK/installed" && mkdir -p "$P"/var/lib/dpkg/{info,updates} "$P"/{etc,usr/share/debconf,var/cache/debconf} &&
    : >"$P/var/lib/dpkg/status" && tee "$P"/{etc,usr/share/debconf}/debconf.conf </etc/debconf.conf >/dev/null
if : >"$WORK/probe" && setcap cap_net_raw+p "$WORK/probe" 2>/dev/null; then
    cmd=(dpkg --root="$P" --force-script-chrootless --force-depends -i "$deb")
    for range in "1 0" "0 2147483647" "1 0"; do
        in_netns "$range" env DPKG_ROOT="$P" DEBIAN_FRONTEND=noninteractive "${cmd[@]}" >"$WORK/dpkg.log" 2>&1 ||
            fail "${cmd[0]}: $(cat "$WORK/dpkg.log")"
        want=$([ "$range" != "1 0" ] || echo "$P/usr/bin/orvane2 cap_net_raw=p")
        caps=$(getcap "$P/usr/bin/orvane2") && [ "$caps" = "$want" ] ||
            fail "ping_group_range $range, ${cmd[0]}: \"$caps\": $(cat "$WORK/dpkg.log")"
        cmd=(dpkg-reconfigure orvane2)
    done
    ok "postinst explains ping sockets without setcap; cap_net_raw=p only where ping sockets are refused"
else
    echo "SKIPPED: cap_net_raw (no file capabilities here); postinst without setcap explained ping sockets"
fi
echo "PASS"
