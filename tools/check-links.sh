#!/usr/bin/env bash
# Every relative link and picture in the repository's Markdown files must name a file that
# exists (web addresses and in-page anchors are not checked). Prints each broken one.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
status=0
while IFS= read -r md; do
  dir=$(dirname "$md")
  while IFS= read -r target; do
    target=${target%%#*}
    case "$target" in ''|http://*|https://*|mailto:*) continue ;; esac
    if [ ! -e "$dir/$target" ]; then
      echo "check-links: $md links to $target, which does not exist" >&2
      status=1
    fi
  done < <(grep -o '\](\([^)]*\))' "$md" | sed 's/^](//; s/)$//; s/ .*//')
done < <(git ls-files '*.md' 2>/dev/null || find . -name '*.md' -not -path './build/*' -not -path './.wine/*')
exit $status
