#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a Windows test program that opens windows: under Wine (WINE_RUN) in an X server of
# its own, in the Wine prefix PREFIX, whose wine server is ended after it. That prefix is
# not the one the other tests share: their wine server made its desktop without a display.
#   display_run.sh PREFIX WINE_RUN PROGRAM.exe [ARGS...]
export WINEPREFIX=$1
shift
exec xvfb-run --auto-servernum sh -c '"$0" "$@"; code=$?; wineserver -k; wineserver -w; exit $code' "$@"
