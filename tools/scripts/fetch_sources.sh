#!/usr/bin/env bash
# Fetches the third-party sources the build compiles in, from Debian's own
# source packages (never kept in this repository), into build/third_party:
#   qrcodegen (Debian's qr-code-generator 1.8.0): the QR codes of the phone page's address.
# apt-get checks each file against the signed index; a private apt
# configuration keeps the machine's own lists untouched. Does nothing when
# the sources are there already.
source "$(dirname "$0")/common.sh"
third_party=$root/build/third_party
qrcodegen=$third_party/QR-Code-generator-1.8.0
[[ -f $qrcodegen/c/qrcodegen.c ]] && exit 0

work=$third_party/apt
mkdir -p "$work/lists/partial" "$work/archives/partial"
# bookworm's orig tarball (the newer suites carry the same upstream 1.8.0).
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" \
    >"$work/sources.list"
apt_private=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
             -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work" -o Debug::NoLocking=1
             -o APT::Sandbox::User="$(id -un)")
echo "Fetching the qrcodegen sources (Debian source package qr-code-generator)..."
within 300 apt-get "${apt_private[@]}" -qq update || die "cannot read Debian's source index"
# The Debian packaging tarball of this version is gone from the mirror; the
# upstream tarball, which apt checks against the index, is all that is needed.
(cd "$work" && within 300 apt-get "${apt_private[@]}" -qq source --download-only qr-code-generator=1.8.0-1.1 \
    >/dev/null 2>&1) || true
tarball=$work/qr-code-generator_1.8.0.orig.tar.gz
[[ -f $tarball ]] || die "cannot fetch qr-code-generator_1.8.0.orig.tar.gz from Debian's source packages"
tar -xzf "$tarball" -C "$third_party" QR-Code-generator-1.8.0/c QR-Code-generator-1.8.0/Readme.markdown
[[ -f $qrcodegen/c/qrcodegen.c ]] || die "the qrcodegen tarball has no c/qrcodegen.c"
echo "qrcodegen sources in $qrcodegen"
