#!/usr/bin/env bash
# Fetches the third-party sources the build compiles in, from Debian's own
# source packages (never kept in this repository), into build/third_party:
#   qrcodegen/ (Debian's qr-code-generator, upstream 1.8.0): the QR codes of
#   the phone page's address.
# apt-get checks each file against the signed index of the machine's own
# Debian mirror and release; a private apt configuration keeps the machine's
# lists untouched. Does nothing when the sources are there already.
source "$(dirname "$0")/common.sh"
third_party=$root/build/third_party
qrcodegen=$third_party/qrcodegen
[[ -f $qrcodegen/c/qrcodegen.c ]] && exit 0

# The mirror and release the machine installs its packages from.
read -r site release < <(apt-get indextargets --format '$(SITE) $(RELEASE)' 'Identifier: Packages' 2>/dev/null |
    awk '$2 !~ /-/ { print; exit }')
[[ -n ${site:-} && -n ${release:-} ]] || die "cannot tell which Debian mirror and release this machine uses"

work=$third_party/apt
mkdir -p "$work/lists/partial" "$work/archives/partial"
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $site $release main" >"$work/sources.list"
apt_private=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
             -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work" -o Debug::NoLocking=1
             -o APT::Sandbox::User="$(id -un)")
echo "Fetching the qrcodegen sources (Debian source package qr-code-generator, $release)..."
# A mirror in the middle of a sync serves a stale index for a while: a few tries.
for attempt in 1 2 3; do
    within 300 apt-get "${apt_private[@]}" -qq update && break
    [[ $attempt -lt 3 ]] || die "cannot read Debian's source index (3 tries, 10 s apart)"
    sleep 10
done
# Some Debian packaging tarballs are gone from the mirror; the upstream
# tarball, which apt checks against the index all the same, is all we need.
rm -f "$work"/qr-code-generator_*.orig.tar.*
(cd "$work" && within 300 apt-get "${apt_private[@]}" -qq source --download-only qr-code-generator >/dev/null 2>&1) || true
tarball=$(ls "$work"/qr-code-generator_*.orig.tar.* 2>/dev/null | head -1)
[[ -n $tarball ]] || die "cannot fetch qr-code-generator's upstream tarball from Debian's source packages"
rm -rf "$qrcodegen" && mkdir -p "$qrcodegen"
tar -xf "$tarball" -C "$qrcodegen" --strip-components=1 --wildcards --no-wildcards-match-slash '*/c/*' '*/Readme.markdown'
[[ -f $qrcodegen/c/qrcodegen.c ]] || die "$(basename "$tarball") has no c/qrcodegen.c"
echo "qrcodegen sources in $qrcodegen"
