#!/usr/bin/env bash
# The manual pages format without a groff warning, and hold what the
# programs offer: every simulator option, every kdv578ctl command as an
# entry of its own, every environment variable the sources read.
# Arguments: the source tree, kdv578ctl, kdv578-sim.
set -u
source_dir=$1 ctl=$2 sim=$3
pages=("$source_dir"/doc/*.1)
failed=0
fail() { echo "$*"; failed=1; }

for page in "${pages[@]}"; do
  warnings=$(groff -man -ww -z "$page" 2>&1) || fail "$page: groff failed"
  [ -z "$warnings" ] || fail "$page: $warnings"
done

# A page as plain requests: "\-" read as "-".
requests() { sed 's/\\-/-/g' "$1"; }

sim_page=$(requests "$source_dir/doc/kdv578-sim.1")
for option in $("$sim" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p'); do
  grep -Eq "^\.B[IR]? (-[a-z] \", \" )?$option( |\$)" <<<"$sim_page" ||
    fail "kdv578-sim.1: no entry for $option"
done

# An entry is a tagged paragraph whose tag is the command's name (the
# synopsis lines are checked by the kdv578ctl tests).
ctl_page=$(requests "$source_dir/doc/kdv578ctl.1")
entries=$(awk 'previous == ".TP" && $1 == ".B" && NF == 2 { print $2 } { previous = $0 }' <<<"$ctl_page")
for command in $("$ctl" --help | sed -n '/^Subcommands:/,$s/^  \([a-z]*\) .*/\1/p'); do
  grep -qx "$command" <<<"$entries" || fail "kdv578ctl.1: no entry for the command $command"
done

environment=$(for page in "${pages[@]}"; do sed -n '/^\.SH ENVIRONMENT/,/^\.SH /p' "$page"; done)
for variable in $(grep -rhoE '(getenv|environment)\("[A-Z_0-9]+"\)' "$source_dir"/src "$source_dir"/sim |
                  sed -E 's/.*"(.*)".*/\1/' | sort -u); do
  grep -qw "$variable" <<<"$environment" || fail "no manual page's ENVIRONMENT names $variable"
done
exit $failed
