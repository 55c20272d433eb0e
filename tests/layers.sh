#!/usr/bin/env bash
# The program's layers as its includes show them: no file includes one of a layer
# above its own, render/ and update/, side by side, include nothing of each other, and
# no two files (a header and its source counted as one) include each other, however
# far round.
#   tests/layers.sh <source folder>
set -euo pipefail
cd "$1"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# From the bottom: the art the backends draw, the platform, the files, then the
# update and the drawing, the wizard, and the application framework on top.
rank() {
    case $1 in
        resources) echo 0 ;; platform) echo 1 ;; datafile) echo 2 ;; update | render) echo 3 ;;
        wizard) echo 4 ;; app) echo 5 ;; *) echo 9 ;;
    esac
}
found=0
while IFS=: read -r file _ included; do
    from=${file%%/*} to=${included%%/*}
    if (($(rank "$to") > $(rank "$from"))) || { [[ $from != "$to" ]] && (($(rank "$to") == $(rank "$from"))); }; then
        echo "$file includes $included" >&2
        found=1
    fi
done < <(grep -rHoE '^#include "[a-z_]+/[^"]+' resources platform datafile update render wizard app |
    sed 's/#include "/:/')
grep -rHoE '^#include "[a-z_]+/[^"]+\.h"' resources platform datafile update render wizard app |
    sed -E 's/:#include "/ /; s/"$//; s/\.(h|cpp) / /; s/\.h$//' | awk '$1 != $2' |
    tsort >/dev/null 2>"$scratch/loops" || { cat "$scratch/loops" >&2; found=1; }
((found == 0)) && echo "every include runs down a layer, and none runs in a circle"
exit "$found"
