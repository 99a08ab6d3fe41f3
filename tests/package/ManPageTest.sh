#!/bin/sh
# ManPageTest.sh PAGE...: each man page formats without a warning from groff
# and names its program in NAME and SYNOPSIS. Skips (77) without groff.
if ! command -v groff >/dev/null 2>&1; then
    echo "groff is not installed: skipped"
    exit 77
fi
[ $# -gt 0 ] || { echo "no man pages given"; exit 1; }
status=0
for page in "$@"; do
    prog=$(basename "$page" .1)
    warnings=$(groff -man -ww -z -Tutf8 "$page" 2>&1)
    if [ -n "$warnings" ]; then
        echo "$page: groff warns:"
        echo "$warnings"
        status=1
    fi
    text=$(groff -man -Tutf8 -P-cbou "$page" 2>/dev/null)
    for section in NAME SYNOPSIS DESCRIPTION "SEE ALSO"; do
        printf '%s\n' "$text" | grep -q "^$section\$" || { echo "$page: no $section section"; status=1; }
    done
    printf '%s\n' "$text" | grep -A1 '^NAME$' | grep -q "^ *$prog " ||
        { echo "$page: NAME does not start with $prog"; status=1; }
done
exit $status
