#!/bin/sh
# Builds the release archives of the checkout into dist/: Mokacomm-<version>-msvc.zip,
# Mokacomm-<version>-mingw.zip and SHA256SUMS (packaging/make_archives.py), from the four builds
# made afresh in build/release/, without tests, benchmarks or examples. Their bytes depend on the
# sources alone, not on the folder or the time of the build. It runs no Windows program, so it
# works on a machine that runs no 32-bit programs too.
#   scripts/release.sh           the archives of the checkout's sources
#   scripts/release.sh --verify  the archives of its commit made twice, from two clones in
#                                different folders, and compared byte for byte
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/steps.sh"
mokacomm_steps release.sh

case ${1:-} in
    "")
        mokacomm_step "setting up (scripts/setup.sh)"
        "$root/scripts/setup.sh"
        cd "$root"
        for preset in i686 x86_64 i686-msvc x86_64-msvc; do
            mokacomm_step "configuring $preset"
            cmake --preset "$preset" -B "build/release/$preset" --fresh -DMOKACOMM_BUILD_TESTS=OFF \
                -DMOKACOMM_BUILD_BENCH=OFF -DMOKACOMM_BUILD_EXAMPLES=OFF >/dev/null
            mokacomm_step "building $preset"
            cmake --build "build/release/$preset" -j 2
        done
        mokacomm_step "packing the archives (packaging/make_archives.py)"
        python3 packaging/make_archives.py . build/release dist
        ;;
    --verify)
        mokacomm_step "setting up (scripts/setup.sh)"
        "$root/scripts/setup.sh"
        commit=$(git -C "$root" rev-parse HEAD)
        if [ -n "$(git -C "$root" status --porcelain)" ]; then
            echo "release: verifying commit $commit, without the checkout's changes" >&2
        fi
        work=$(mktemp -d /tmp/mokacomm-verify.XXXXXX)
        mokacomm_at_exit 'rm -rf "$work"'
        first="$work/one/mokacomm"
        second="$work/another-folder/deeper/Mokacomm-clone"
        for clone in "$first" "$second"; do
            mokacomm_step "the release in $clone"
            git clone -q --no-checkout "$root" "$clone"
            git -C "$clone" checkout -q --detach "$commit"
            echo "== release of $commit in $clone"
            "$clone/scripts/release.sh"
        done
        mokacomm_step "comparing the two releases"
        echo "== comparing $first/dist and $second/dist"
        status=0
        for file in $(cd "$first/dist" && ls) $(cd "$second/dist" && ls); do
            if ! cmp "$first/dist/$file" "$second/dist/$file"; then
                status=1
            fi
        done
        cat "$first/dist/SHA256SUMS"
        if [ $status -eq 0 ]; then
            echo "release: the two builds are byte-identical"
        fi
        exit $status
        ;;
    *)
        mokacomm_step "reading the command line"
        echo "usage: scripts/release.sh [--verify]" >&2
        exit 2
        ;;
esac
