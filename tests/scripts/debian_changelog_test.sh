#!/usr/bin/env bash
# cmake/TarvikChangelog.cmake on small CHANGELOG.md files: the newest entry's
# items and date become the Debian entry, exactly.
set -uo pipefail
repo=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# expect NAME MARKDOWN WANTED-OUTPUT (empty: the conversion must fail)
expect() {
    local name=$1 got rc
    printf '%b' "$2" >"$work/CHANGELOG.md"
    rm -f "$work/changelog"
    cmake -DMARKDOWN="$work/CHANGELOG.md" -DOUTPUT="$work/changelog" -DVERSION=1.2.3 \
        "-DCONTACT=T <t@t>" -P "$repo/cmake/TarvikChangelog.cmake" >"$work/log" 2>&1
    rc=$?
    got=$(cat "$work/changelog" 2>/dev/null)
    if [[ -z $3 && $rc -ne 0 ]] || [[ -n $3 && $rc -eq 0 && $got == "$(printf '%b' "$3")" ]]; then
        echo "ok   $name"
    else
        echo "FAIL $name: exit $rc, got:"
        echo "$got"
        cat "$work/log"
        failed=1
    fi
}

head='tarvik (1.2.3) unstable; urgency=medium\n\n'
expect "newest entry only, items wrapped" \
    '# Changelog\n\nAbout it.\n\n## 2024-02-29\n\n- One\n  goes on.\n- Two; `b`.\n\n## 2023-01-01\n\n- Old.\n' \
    "$head"'  * One\n    goes on.\n  * Two; `b`.\n\n -- T <t@t>  Thu, 29 Feb 2024 00:00:00 +0000'
expect "a single entry at the end of the file" '# C\n\n## 1999-12-31\n\n- Last.' \
    "$head"'  * Last.\n\n -- T <t@t>  Fri, 31 Dec 1999 00:00:00 +0000'
expect "an entry on the first of March" '# C\n\n## 2100-03-01\n\n- X\n' \
    "$head"'  * X\n\n -- T <t@t>  Mon, 01 Mar 2100 00:00:00 +0000'
expect "no dated entry" '# Changelog\n\n## Unreleased\n\n- X\n' ""
expect "an entry without items" '# C\n\n## 2024-01-01\n\nSome prose.\n' ""
exit $failed
