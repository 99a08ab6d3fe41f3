#!/bin/sh
# Batch file of the IDE's Assemble command. Run with the scratch directory as
# the current directory, it assembles "Temp$$$.asm" with as11 (found beside
# this script) into "Temp$$$.lst", "Temp$$$.err" and "Temp$$$.s19", and
# creates the marker "Temp$$$.$$$" as its very last action, whatever
# happened before: the IDE waits for that file.
here=$(dirname "$0")
status=0
"$here/as11" --quiet --listing 'Temp$$$.lst' --srecords 'Temp$$$.s19' --errors 'Temp$$$.err' \
    'Temp$$$.asm' 2>'Temp$$$.log' || status=$?
# The assembler could not run or could not read the source: say so in the
# error listing, so that the IDE shows the reason instead of nothing.
if [ "$status" -ge 2 ] && [ ! -s 'Temp$$$.err' ]; then
    reason=$(head -n 1 'Temp$$$.log' 2>/dev/null)
    [ -n "$reason" ] || reason="as11 failed with status $status"
    printf '1: %s\n' "$reason" >'Temp$$$.err'
fi
rm -f 'Temp$$$.log'
: >'Temp$$$.$$$'
