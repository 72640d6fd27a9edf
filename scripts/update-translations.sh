#!/usr/bin/env bash
# Scans the sources for translatable texts and merges them into the English
# translation (res/translations/tarvik_en.ts). New texts arrive as unfinished
# entries: translate them (Qt Linguist, or by hand in the XML) until
# `lrelease res/translations/tarvik_en.ts` reports 0 unfinished; the test
# "translations_complete" checks the same.
set -euo pipefail
cd "$(dirname "$0")/.."
LUPDATE=$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
"$LUPDATE" -locations none -no-obsolete -source-language zh_CN -target-language en \
  src res tools -ts res/translations/tarvik_en.ts "$@"
