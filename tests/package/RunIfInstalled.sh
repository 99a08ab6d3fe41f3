#!/bin/sh
# RunIfInstalled.sh TOOL ARGS...: runs TOOL, or skips the test (status 77)
# when TOOL is not installed on this machine.
tool=$1
shift
if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipped"
    exit 77
fi
exec "$tool" "$@"
