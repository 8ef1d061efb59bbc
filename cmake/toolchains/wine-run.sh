#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a cross-built Windows program under Wine: no debug output, and neither the
# Mono nor the Gecko installer (which would try to download). The Wine prefix is
# $WINEPREFIX, by default a private one of ours; a missing prefix is made once,
# under a lock, so that tests started in parallel do not make it at the same time.
#
#   wine-run.sh PROGRAM.exe [ARGS...]
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/orvane2-wine}"
ready="$WINEPREFIX/.orvane2-ready"
if [ ! -f "$ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    flock "$WINEPREFIX.lock" sh -c "[ -f '$ready' ] || { wine wineboot --init && touch '$ready'; }" \
        </dev/null >/dev/null 2>&1
fi
exec wine "$@"
