#!/bin/sh
# tavrin copied away from the browser it becomes: with no Tavrin running it
# must say so and fail, not hang or claim success.
#   usage: starter_alone.sh <tavrin binary>
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$1" "$dir/tavrin"
mkdir -m 700 "$dir/run"
XDG_RUNTIME_DIR="$dir/run" timeout 30 "$dir/tavrin" http://a.test/ 2>"$dir/err"
status=$?
cat "$dir/err"
if [ "$status" -ne 127 ] || ! grep -q "cannot start $dir/tavrin-browser" "$dir/err"; then
    echo "expected status 127 and the missing browser named, got status $status"
    exit 1
fi
