#!/usr/bin/env bash
# Fails on a commit whose subject line is longer than 72 characters, among
# the commits after BASE on the first-parent line of HEAD (a branch's own
# commits, or the merges that brought branches in).
#
#   scripts/check-commits.sh BASE [HEAD]
#
# .ci/run names the base: the last commit of the history written before the
# rule, so older subjects are not judged by it.
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: check-commits.sh BASE [HEAD]" >&2; exit 2; }
base=$1 head=${2:-HEAD}
export LC_ALL=C.UTF-8 # count characters, not bytes
limit=72 failures=0 count=0
# A shallow clone or an export without history cannot be judged: say so.
if ! git cat-file -e "$base^{commit}" 2>/dev/null; then
    echo "check-commits: $base is not in this checkout's history; nothing checked" >&2
    exit 0
fi
while IFS= read -r -d '' line; do
    hash=${line%% *} subject=${line#* }
    count=$((count + 1))
    if ((${#subject} > limit)); then
        echo "$hash: subject of ${#subject} characters (at most $limit): $subject" >&2
        failures=$((failures + 1))
    fi
done < <(git log --first-parent --format='%h %s%x00' "$base..$head" | sed -z 's/^\n//')
if ((failures > 0)); then
    echo "check-commits: $failures of $count subject(s) longer than $limit characters" >&2
    exit 1
fi
echo "check-commits: $count subject(s) since $base within $limit characters"
