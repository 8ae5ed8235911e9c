#!/bin/sh
# Runs a Windows test program under Wine beside a folder tree that holds
# Unix symbolic links, which Wine shows as links but cannot create itself.
# Usage: with-link-fixture.sh WINE PROGRAM [ARGS...]
wine=$1
shift
fixture=$(mktemp -d)
mkdir -p "$fixture/tree/sub" "$fixture/outside/inner"
echo keep >"$fixture/outside/keep.txt"
echo keep >"$fixture/outside/inner/deep.txt"
echo x >"$fixture/tree/sub/a.txt"
ln -s ../outside "$fixture/tree/folderlink"
ln -s ../../outside "$fixture/tree/sub/nestedlink"
ln -s ../outside/keep.txt "$fixture/tree/filelink"
K3_LINK_FIXTURE="Z:$(printf '%s' "$fixture" | tr / '\\')"
export K3_LINK_FIXTURE
"$wine" "$@"
rc=$?
rm -rf "$fixture"
exit $rc
