#!/usr/bin/env bash
# Builds the five artefacts of the committed HEAD three times with Debian's reprotest, each time from a
# clean clone in a folder of its own, and checks that they are the same bytes: the Linux and Windows
# programs (build/linux/tolvane, build/windows/tolvane.exe) and what `make package` makes of them
# (build/packages: the Debian package, the zip, the Windows Installer package). diffoscope explains a
# difference. `make reproducible` runs it; docs/reproducible-builds.md says what is varied and why.
#
# Usage: tools/check_reproducible.sh [OUT]   (OUT: where the builds' artefacts and any diffoscope report
#                                              go; default build/reproducible)
set -euo pipefail
repo=$(git rev-parse --show-toplevel)
out=$(realpath -m "${1:-$repo/build/reproducible}")
commit=$(git -C "$repo" rev-parse HEAD)
artefacts='build/linux/tolvane build/windows/tolvane.exe build/packages/*.deb build/packages/*.zip build/packages/*.msi'

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
git clone -q "$repo" "$scratch/source"
git -C "$scratch/source" checkout -q --detach "$commit"

# reprotest 0.7.23 (Debian 12) calls `sudo -h localhost` to build as another user, which sudo 1.9.13
# refuses ("a remote host may only be specified when listing privileges"); this sudo leaves the host out.
mkdir "$scratch/bin"
cat >"$scratch/bin/sudo" <<'EOF'
#!/bin/sh
[ "$1" = -h ] && [ "$2" = localhost ] && shift 2
exec /usr/bin/sudo "$@"
EOF
chmod +x "$scratch/bin/sudo"

# The first build is the control; the second varies everything reprotest varies but the user (the
# folder, the time under faketime, the order of directory entries under disorderfs, the host and domain
# names, the kernel's reported version, address-space randomisation, the number of CPUs, HOME, the
# locale, PATH, the time zone, the umask and the environment); the third builds as nobody instead,
# without disorderfs, whose mount another user cannot reach here, and without the host names, which
# reprotest changes for another user only through sudo's own namespace.
rm -rf "$out"
mkdir -p "$(dirname "$out")"
status=0
PATH="$scratch/bin:$PATH" reprotest --verbosity 1 --store-dir "$out" \
    --vary=-user_group \
    --extra-build=-fileordering,-domain_host,+user_group,user_group.available+=nobody:nogroup \
    -s "$scratch/source" 'make package' "$artefacts" -- null || status=$?

echo "Artefacts of $commit:"
for build in control experiment-1 experiment-2; do
    [[ -d $out/$build ]] || continue
    echo "  $build:"
    (cd "$out/$build/source-root" && for pattern in $artefacts; do sha256sum $pattern; done | sed 's/^/    /')
done
if [[ $status -eq 0 ]]; then
    echo "reproducible: the three builds made the same bytes"
else
    echo "NOT reproducible (reprotest exit $status): see $out/*.diffoscope.out" >&2
fi
exit $status
