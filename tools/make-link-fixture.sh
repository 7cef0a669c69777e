#!/bin/sh
# Symbolic links for the Windows tests under Wine, whose CreateSymbolicLinkA answers TRUE and
# makes nothing: made here on the POSIX side before the tests start, as a user's links would
# be there before Tarnwick starts. The tests find the folder in TARNWICK_LINK_FIXTURE and put
# the files the links lead to in place themselves.
set -e
dir="$1"
rm -rf "$dir"
mkdir -p "$dir/store/available" "$dir/store/enabled" "$dir/apache2/available" "$dir/apache2/enabled"
ln -s ../available/site.conf "$dir/store/enabled/site.conf"
ln -s ../available/site.conf "$dir/apache2/enabled/site.conf"
ln -s .. "$dir/apache2/available/loop"
