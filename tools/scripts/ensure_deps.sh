#!/usr/bin/env bash
# Makes sure the Debian packages a script needs are installed
# (tools/scripts/packages.sh): as root it installs what is missing; otherwise
# it names what to install and fails. Where the build is asked for, it then
# fetches the third-party sources the build compiles in.
#   ensure_deps.sh [GROUP|PACKAGE ...]
# GROUP is build, windows, browser, kernel, zip or private-root (see packages.sh); anything
# else is a package name. Without arguments: build, windows and browser.
source "$(dirname "$0")/common.sh"
source tools/scripts/packages.sh

[[ $# -eq 0 ]] && set -- build windows browser
wanted=()
build=no
for what in "$@"; do
    case $what in
        build) wanted+=("${packages_build[@]}") build=yes ;;
        windows) wanted+=("${packages_windows[@]}") ;;
        browser) wanted+=("${packages_browser[@]}") ;;
        kernel) wanted+=("${packages_kernel[@]}") ;;
        zip) wanted+=("${packages_zip[@]}") build=yes ;;
        private-root) wanted+=("${packages_private_root[@]}") ;;
        *) wanted+=("$what") ;;
    esac
done
ensure_packages "${wanted[@]}"
[[ $build == no ]] || "$root/tools/scripts/fetch_sources.sh"
