#!/bin/sh
# Regenerates the gfortran golden tables: the format engine's output and
# input tables and its randomized ones, the unformatted record fixture, the integer fields of the
# text utilities, the number fields of the progress monitor and the rows of
# the printed node tables, and the GFF file of the GFF test model. Needs
# gfortran; the tests only read the results.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for p in format_out format_in format_random records; do
  gfortran -O0 -o "$p" "$here/$p.f90"
  "./$p"
done
mkdir -p "$root/tests/data/format" "$root/tests/data/records"
cp output.txt input.txt random_output.txt random_input.txt "$root/tests/data/format/"
cp gfortran_records.bin "$root/tests/data/records/"
for p in int_fields monitor_fields node_table_rows; do
  gfortran -O0 -o "$p" "$here/$p.f90"
done
mkdir -p "$root/tests/data/diagnostics" "$root/tests/data/run"
./int_fields > "$root/tests/data/diagnostics/int_fields.txt"
./monitor_fields > "$root/tests/data/run/monitor_fields.txt"
mkdir -p "$root/tests/data/output"
./node_table_rows > "$root/tests/data/output/node_table_rows.txt"
gfortran -O0 -o gff_file "$here/gff_file.f90"
./gff_file
mkdir -p "$root/tests/data/gff"
cp two_submodels.GFF setvu_fields.txt "$root/tests/data/gff/"
echo "golden tables written under tests/data"
