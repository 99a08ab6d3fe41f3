#!/bin/bash
# Soak run of the IDE (not part of CI): scripts/soak.sh [build tree, default build]
#   1. bench soak: Play for one billion instructions with every debugger
#      window open (offscreen), resident memory at the start and the end;
#   2. the same for a shorter run under valgrind's memcheck, which must find
#      no definite leak.
# Both run nice'd; the logs land in the build tree (soak.log, soak-valgrind.log).
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${1:-build}
instructions=${SOAK_INSTRUCTIONS:-1000000000}
short=${SOAK_VALGRIND_INSTRUCTIONS:-2000000}
nice cmake --build "$tree" --target soak >/dev/null
export QT_QPA_PLATFORM=offscreen
echo "== soak: $instructions instructions"
nice "$tree/bin/soak" "$instructions" | tee "$tree/soak.log"
if command -v valgrind >/dev/null; then
    echo "== valgrind memcheck: $short instructions"
    nice valgrind --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=3 \
        --log-file="$tree/soak-valgrind.log" "$tree/bin/soak" "$short" "$((short / 4))"
    grep -E "definitely lost|indirectly lost|possibly lost|ERROR SUMMARY" "$tree/soak-valgrind.log"
else
    echo "soak.sh: valgrind is not installed; skipping the leak check" >&2
fi
