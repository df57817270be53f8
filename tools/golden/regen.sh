#!/bin/sh
# Regenerates the gfortran golden tables of the format engine and the
# unformatted record fixture. Needs gfortran; the tests only read the results.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for p in format_out format_in records; do
  gfortran -O0 -o "$p" "$here/$p.f90"
  "./$p"
done
mkdir -p "$root/tests/data/format" "$root/tests/data/records"
cp output.txt input.txt "$root/tests/data/format/"
cp gfortran_records.bin "$root/tests/data/records/"
echo "golden tables written to tests/data/format and tests/data/records"
