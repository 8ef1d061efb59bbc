#!/usr/bin/env bash
# Builds the Debian package from the build tree with CPack and checks it: the control
# fields (dependencies computed from the binary), every file with its mode, the menu
# entry, that the executable's libraries resolve, and the post-install step that gives
# the executable cap_net_raw, run against a scratch root through DPKG_ROOT.
#
# Environment (set by CTest): BUILD_DIR (configured and built tree), SOURCE_DIR,
# VERSION (the project's version).
set -uo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }

: "${BUILD_DIR:?BUILD_DIR is not set}" "${SOURCE_DIR:?SOURCE_DIR is not set}" "${VERSION:?VERSION is not set}"
[ -f "$BUILD_DIR/CPackConfig.cmake" ] || fail "no CPackConfig.cmake in $BUILD_DIR (is the build tree configured?)"
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps desktop-file-validate setcap getcap ldd cmp stat; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (run scripts/setup.sh)"
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/orvane2-package.XXXXXX") || fail "mktemp failed"
trap 'rm -rf "$WORK"' EXIT
OUT="$WORK/out" ROOT="$WORK/root" CTRL="$WORK/control"

# --- build the package into a scratch directory ------------------------------------
cpack -G DEB -B "$OUT" --config "$BUILD_DIR/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log" >&2; fail "cpack -G DEB failed"; }
arch=$(dpkg --print-architecture)
deb="$OUT/orvane2_${VERSION}_${arch}.deb"
[ -f "$deb" ] || { ls -l "$OUT" >&2; fail "cpack did not produce $(basename "$deb")"; }
ok "cpack built $(basename "$deb")"

# --- control fields ---------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = orvane2 ] || fail "Package is '$(field Package)', expected orvane2"
[ "$(field Version)" = "$VERSION" ] || fail "Version is '$(field Version)', expected $VERSION"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)', expected $arch"
[ "$(field Section)" = net ] || fail "Section is '$(field Section)', expected net"
[ -n "$(field Maintainer)" ] || fail "Maintainer is empty"
[ -n "$(field Description)" ] || fail "Description is empty"
depends=$(field Depends)
# Computed by dpkg-shlibdeps: the package names come with version bounds.
for lib in libc6 libqt6widgets6 libqt6core6; do
    grep -Eq "(^|, )$lib \(>= [^)]+\)" <<<"$depends" ||
        fail "Depends does not list $lib with a computed version: '$depends'"
done
grep -q libcap2-bin <<<"$(field Recommends), $depends" ||
    fail "neither Recommends nor Depends names libcap2-bin (setcap for the post-install step)"
ok "control fields; Depends: $depends"

# --- the post-install script ------------------------------------------------------
dpkg-deb -e "$deb" "$CTRL" || fail "dpkg-deb -e could not extract the control archive"
[ -f "$CTRL/postinst" ] || fail "the package has no postinst"
# The mode and owner as stored in the package's control archive.
entry=$(dpkg-deb --ctrl-tarfile "$deb" | tar -tvf - ./postinst) || fail "cannot list the control archive"
[ "$(awk '{ print $1, $2 }' <<<"$entry")" = "-rwxr-xr-x root/root" ] ||
    fail "postinst is stored as '$entry', expected -rwxr-xr-x root/root"
[ "$(head -n1 "$CTRL/postinst")" = "#!/bin/sh" ] || fail "postinst does not start with #!/bin/sh"
ok "postinst present, mode 755"

# --- files, modes and owners ------------------------------------------------------
declare -A mode=(
    [usr/bin/orvane2]=755
    [usr/share/applications/orvane2.desktop]=644
    [usr/share/icons/hicolor/16x16/apps/orvane2.png]=644
    [usr/share/icons/hicolor/48x48/apps/orvane2.png]=644
    [usr/share/icons/hicolor/scalable/apps/orvane2.svg]=644
    [usr/share/doc/orvane2/vantor2.cfg]=644
)
# Nothing but these files: no headers or libraries of other targets or test frameworks.
listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort)
expected=$(printf '%s\n' "${!mode[@]}" | sort)
[ "$listed" = "$expected" ] ||
    fail "the package's files differ from the expected ones:$(diff <(echo "$expected") <(echo "$listed") | sed 's/^/  /')"
bad_owner=$(dpkg-deb -c "$deb" | awk '$2 != "root/root"')
[ -z "$bad_owner" ] || fail "entries not owned by root/root: $bad_owner"

dpkg -x "$deb" "$ROOT" || fail "dpkg -x could not extract the package"
for f in "${!mode[@]}"; do
    [ -f "$ROOT/$f" ] || fail "/$f is missing after extraction"
    m=$(stat -c %a "$ROOT/$f")
    [ "$m" = "${mode[$f]}" ] || fail "/$f has mode $m, expected ${mode[$f]}"
done
same() { cmp -s "$SOURCE_DIR/$1" "$ROOT/$2" || fail "/$2 differs from $1"; }
same examples/vantor2.cfg usr/share/doc/orvane2/vantor2.cfg
same assets/icon/radar-16.png usr/share/icons/hicolor/16x16/apps/orvane2.png
same assets/icon/radar-48.png usr/share/icons/hicolor/48x48/apps/orvane2.png
same assets/icon/radar.svg usr/share/icons/hicolor/scalable/apps/orvane2.svg
same packaging/orvane2.desktop usr/share/applications/orvane2.desktop
ok "all ${#mode[@]} files present with the right modes, owners and contents"

# --- the menu entry ---------------------------------------------------------------
desktop="$ROOT/usr/share/applications/orvane2.desktop"
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate rejects the entry: $report"
grep -qi 'warning' <<<"$report" && fail "desktop-file-validate warns: $report"
entry() { grep -m1 "^$1=" "$desktop" | cut -d= -f2-; }
[ "$(entry Name)" = "Монитор узлов" ] || fail "Name is '$(entry Name)', expected 'Монитор узлов'"
[ "$(entry Comment)" = "Проверка доступности узлов сети по ICMP" ] ||
    fail "Comment is '$(entry Comment)', expected the Russian 'Проверка доступности узлов сети по ICMP'"
[ "$(entry Exec)" = orvane2 ] || fail "Exec is '$(entry Exec)', expected orvane2"
[ "$(entry Icon)" = orvane2 ] || fail "Icon is '$(entry Icon)', expected orvane2 (the hicolor icon's name)"
[ "$(entry Type)" = Application ] || fail "Type is '$(entry Type)', expected Application"
[ "$(entry Terminal)" = false ] || fail "Terminal is '$(entry Terminal)', expected false"
grep -q '^Categories=.*Network;' "$desktop" || fail "the entry is not in the Network category"
ok "menu entry valid: $(entry Name), $(entry Categories)"

# --- the executable's libraries -----------------------------------------------------
exe="$ROOT/usr/bin/orvane2"
libs=$(ldd "$exe" 2>&1) || fail "ldd failed on the packaged executable: $libs"
grep -q 'not found' <<<"$libs" && fail "unresolved libraries: $(grep 'not found' <<<"$libs")"
grep -q 'libQt6Widgets' <<<"$libs" || fail "ldd does not list libQt6Widgets: $libs"
ok "ldd resolves all $(grep -c '=>' <<<"$libs") libraries"

# --- post-install: the capability --------------------------------------------------
# Without setcap, and with a setcap that fails, the step explains the ping sockets
# setting and still succeeds. PATH holds only what each case provides.
nobin="$WORK/nobin" failbin="$WORK/failbin"
mkdir -p "$nobin" "$failbin"
printf '#!/bin/sh\necho "setcap: Operation not supported" >&2\nexit 1\n' >"$failbin/setcap"
chmod 755 "$failbin/setcap"
for bin in "$nobin" "$failbin"; do
    what="setcap is missing"
    [ "$bin" = "$failbin" ] && what="setcap fails"
    notes=$(env -i PATH="$bin" DPKG_ROOT="$ROOT" /bin/sh "$CTRL/postinst" configure 2>&1) ||
        fail "postinst configure fails when $what (it must not fail the installation): $notes"
    grep -q 'net.ipv4.ping_group_range' <<<"$notes" ||
        fail "postinst does not explain net.ipv4.ping_group_range when $what: '$notes'"
done
[ -z "$(getcap "$exe")" ] || fail "the executable has capabilities before the real post-install step"
ok "postinst without setcap and with a failing setcap: exit 0 and a note on ping_group_range"

notes=$(DPKG_ROOT="$ROOT" /bin/sh "$CTRL/postinst" configure 2>&1) ||
    fail "postinst configure with DPKG_ROOT=$ROOT failed: $notes"
# Whether this file system stores file capabilities at all (and we may set them).
probe="$ROOT/capability-probe"
: >"$probe"
if setcap cap_net_raw+ep "$probe" 2>/dev/null && getcap "$probe" | grep -q cap_net_raw; then
    caps=$(getcap "$exe")
    grep -Eq 'cap_net_raw[=+]ep' <<<"$caps" ||
        fail "after postinst the executable's capabilities are '$caps', expected cap_net_raw=ep (postinst said: $notes)"
    ok "postinst gave the executable: ${caps#"$exe"}"
else
    echo "SKIPPED: capability check: setcap on a probe file in $ROOT failed (no file capabilities" \
        "on this file system or no privilege); postinst exited 0 and said: $notes"
fi
rm -f "$probe"
echo "PASS"
