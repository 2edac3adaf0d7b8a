#!/usr/bin/env bash
# The R package (r/) against an installed Verdalis library: builds its
# source package, installs it into a temporary R library, runs its tests on
# the installed package, then R CMD check (no network: suggested packages
# that are missing are not fetched, their tests are skipped). Nothing is left
# in the source tree or in the user's R library.
#
# Usage: tools/r_check.sh PREFIX     (the PREFIX of `make install PREFIX=...`)
set -euo pipefail

prefix="$(cd "${1:?usage: tools/r_check.sh PREFIX (of make install PREFIX=...)}" && pwd)"
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../r" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export VERDALIS_PREFIX="$prefix"
export _R_CHECK_FORCE_SUGGESTS_=false _R_CHECK_CRAN_INCOMING_REMOTE_=false

cd "$work"
R CMD build --no-build-vignettes "$source_dir"
tarball="$(ls verdalis_*.tar.gz)"
mkdir library
R CMD INSTALL --library=library "$tarball"
R_LIBS="$work/library" Rscript -e \
  'testthat::test_dir(file.path(commandArgs(TRUE), "tests", "testthat"), package = "verdalis",
                      load_package = "installed", stop_on_failure = TRUE)' "$source_dir"
R CMD check --no-manual "$tarball"
# A warning or a note fails the check as an error would.
if grep -q "^Status: .*\(WARNING\|NOTE\)" verdalis.Rcheck/00check.log; then
  grep -B2 -A8 "WARNING\|NOTE" verdalis.Rcheck/00check.log
  exit 1
fi
