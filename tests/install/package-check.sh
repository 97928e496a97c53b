#!/usr/bin/env bash
# Builds the Debian package from the build folder, checks its contents and dependencies, runs
# lintian, and installs and removes it in a scratch dpkg root.
# Usage: package-check.sh BUILD_DIR
set -euo pipefail
build=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB) >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/vaulnix_*.deb)

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
# Under /usr; the rest of the tree is the install check's, made by the same install rules.
for path in bin/vaulnix bin/vaulnix-cli share/applications/org.example.Vaulnix.desktop \
    share/doc/vaulnix/copyright; do
    grep -qx "/usr/$path" "$work/contents" || fail "the package lacks /usr/$path"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libsodium23 libssl3 libqt6svg6; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian found errors"; }

# Installed and purged again in a dpkg root of its own: nothing may stay behind.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
dpkgIn() { dpkg --root="$root" --log=/dev/null --force-depends --force-not-root \
    --force-script-chrootless "$@" >>"$work/dpkg.log" 2>&1; }
dpkgIn -i "$deb" || { cat "$work/dpkg.log" >&2; fail "the package does not install"; }
[ -x "$root/usr/bin/vaulnix-cli" ] || fail "the installed package holds no vaulnix-cli"
dpkgIn -P vaulnix || { cat "$work/dpkg.log" >&2; fail "the package does not remove"; }
left=$(cd "$root" && find . -mindepth 1 ! -path './var*' ! -type d)
[ -z "$left" ] || fail "files left after removal: $left"
echo "package check passed: $(basename "$deb")"
