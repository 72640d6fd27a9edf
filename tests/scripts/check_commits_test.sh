#!/usr/bin/env bash
# Feeds scripts/check-commits.sh small histories: each case adds commits after
# a base and states whether the check must refuse them and what it must name.
set -uo pipefail
repo=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
check="$repo/scripts/check-commits.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
export GIT_AUTHOR_NAME=t GIT_AUTHOR_EMAIL=t@t GIT_COMMITTER_NAME=t GIT_COMMITTER_EMAIL=t@t

repeat() { printf "%${2}s" '' | sed "s/ /$1/g"; }
commit() { git -C "$work/r" commit -q --allow-empty -m "$1"; }

# expect NAME STATUS TEXT-THE-OUTPUT-NAMES SUBJECT...  ("merge:SUBJECT" merges
# a side branch whose own commit has a subject of 80 characters)
expect() {
    local name=$1 status=$2 names=$3 subject
    shift 3
    rm -rf "$work/r" && git init -q -b main "$work/r"
    commit "$(repeat x 90)" # before the base: not judged
    local base
    base=$(git -C "$work/r" rev-parse HEAD)
    for subject in "$@"; do
        if [[ $subject == merge:* ]]; then
            git -C "$work/r" checkout -q -b side
            commit "$(repeat s 80)"
            git -C "$work/r" checkout -q main
            git -C "$work/r" merge -q --no-ff -m "${subject#merge:}" side
        else
            commit "$subject"
        fi
    done
    local out rc
    out=$(cd "$work/r" && bash "$check" "$base" 2>&1)
    rc=$?
    if [[ $rc -ne $status || $out != *"$names"* ]]; then
        echo "FAIL $name: exit $rc (want $status), output:"
        echo "$out"
        failed=1
    else
        echo "ok   $name"
    fi
}

expect "72 characters pass" 0 "2 subject(s)" "$(repeat a 72)" "short"
expect "72 Chinese characters pass" 0 "1 subject(s)" "$(repeat 中 72)"
expect "73 characters fail" 1 "subject of 73 characters" "short" "$(repeat b 73)"
expect "only the first-parent line counts" 0 "1 subject(s)" "merge:Merge side"
expect "a long merge subject fails" 1 "1 of 1 subject(s)" "merge:$(repeat m 73)"
exit $failed
