#!/usr/bin/env bash
# Includes run one way: app/ -> feature folders -> household/ -> kit/ and data/.
# Fails, naming each offending line, when a file includes one from a floor above its own, or a feature
# folder includes a file of another feature (the bill import and the plans may include the ledger's logic
# headers).
set -u
cd "${1:-$(dirname "$0")/../..}" || exit 2

features=(access bank ledger bills plans reminders tools kopira)
bad=0
# The ledger's logic headers: those of its sources built into the library without widgets.
mapfile -t ledgerLogic < <(awk '/target_sources\(tamberlo_core/{on=1; next} on && /\)/{on=0} on {sub(/\.cpp$/, ".h", $1); print $1}' ledger/CMakeLists.txt)
complain() { printf '%s includes %s (%s)\n' "$1" "$2" "$3"; bad=1; }

while IFS= read -r line; do
  file=${line%%:*}
  rest=${line#*:}
  inc=${rest#*\"}
  inc=${inc%%\"*}
  own=${file%%/*}
  target=${inc%%/*}
  [ "$own" = "$target" ] && continue
  case "$target" in
    app) [ "$own" != app ] && complain "$file" "$inc" "only the main window's folder may include app/" ;;
    household) case "$own" in kit | data) complain "$file" "$inc" "kit/ and data/ stand beneath household/" ;; esac ;;
    kit) [ "$own" = data ] && complain "$file" "$inc" "data/ holds no widgets" ;;
    access | bank | ledger | bills | plans | reminders | tools | kopira)
      case "$own" in
        app) ;;
        # The bill import and the regular entries book entries as the ledger does, and the budgets read
        # the spending as the ledger sums it: they build on the ledger's logic (the entry book, the bin,
        # the totals, the export), never on its windows.
        bills | plans) [ "$target" = ledger ] && printf '%s\n' "${ledgerLogic[@]}" | grep -qx "${inc#ledger/}" ||
          complain "$file" "$inc" "a feature folder stands beside the others, beneath app/ only" ;;
        *) complain "$file" "$inc" "a feature folder stands beside the others, beneath app/ only" ;;
      esac
      ;;
  esac
done < <(grep -rn --include='*.cpp' --include='*.h' '^#include "' app household kit data "${features[@]}" 2>/dev/null |
  sed -E 's/^([^:]+):[0-9]+:/\1:/')

if [ "$bad" = 0 ]; then echo "includes run one way"; fi
exit "$bad"
