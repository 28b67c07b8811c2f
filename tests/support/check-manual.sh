#!/usr/bin/env bash
# The manual page renders without a warning from groff, and it, the README
# and --help name every option the program accepts: those its --help lists
# and those its argument parser knows.
#   check-manual.sh PROGRAM SOURCE_DIR
set -euo pipefail
program=$1
src=$2
page="$src/resources/package/vantrel.1"
fail=0

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man --warnings:"; echo "$warnings"; fail=1; }
rendered=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$page" 2>/dev/null | col -b)
help=$("$program" --help)

options() { grep -oE -- '(^|[^[:alnum:]-])--?[[:alpha:]][[:alnum:]-]*' | grep -oE -- '--?[[:alpha:]][[:alnum:]-]*'; }
from_help=$(options <<<"$help" | sort -u)
from_parser=$( (grep -oE '"--[a-z][a-z0-9-]*' "$src/app/cli/CommandLine.cpp" | tr -d '"'
  grep -oE "case '[[:alpha:]]'" "$src/app/cli/CommandLine.cpp" | sed -E "s/case '(.)'/-\1/") | sort -u)
[ -n "$from_help" ] && [ -n "$from_parser" ] || { echo "no options found"; exit 1; }

has() { grep -qE -- "(^|[^[:alnum:]-])$1([^[:alnum:]-]|$)" <<<"$2"; }
for o in $(printf '%s\n' $from_help $from_parser | sort -u); do
  has "$o" "$rendered" || { echo "the manual page lacks $o"; fail=1; }
  has "$o" "$(cat "$src/README.md")" || { echo "the README lacks $o"; fail=1; }
  has "$o" "$help" || { echo "--help lacks $o"; fail=1; }
done
# And the manual page describes no option the program does not know.
section=$(sed -n '/^OPTIONS/,/^EXIT STATUS/p' <<<"$rendered" | grep -E '^ {7}-')
for o in $(options <<<"$section" | sort -u); do
  grep -qxF -- "$o" <<<"$from_parser" || { echo "the manual page describes $o, which the program does not accept"; fail=1; }
done
[ $fail = 0 ] && echo "options: $(tr '\n' ' ' <<<"$from_parser")"
exit $fail
