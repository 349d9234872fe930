#!/usr/bin/env bash
# Every local file that a Markdown file's links and pictures name (](path), not a web address or
# an anchor) must be in the tree, and committed where the tree is a git checkout: a picture that
# exists only here (left out by .gitignore, say) is missing from every clone.
# Prints each missing one and exits 1 when there is one.
#   scripts/check_readme_links.sh [FILE.md...]    (default: README.md at the top of the tree)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
[ $# -gt 0 ] || set -- README.md
in_git=0
git rev-parse --is-inside-work-tree > /dev/null 2>&1 && in_git=1
missing=0
for md in "$@"; do
  dir=$(dirname "$md")
  # Inline links and pictures: ](target) or ](target "title"), several on a line.
  while IFS= read -r target; do
    case $target in
      ''|'#'*|*://*|mailto:*) continue ;;
    esac
    path=$dir/${target%%#*}
    path=${path#./}
    if [ ! -e "$path" ]; then
      echo "$md links $target, which is not in the tree"
      missing=1
    elif [ "$in_git" = 1 ] && [ -z "$(git ls-files -- "$path")" ]; then
      echo "$md links $target, which git does not track (see .gitignore)"
      missing=1
    fi
  done < <(grep -oE '\]\([^) ]+' "$md" | sed 's/^](//')
done
exit "$missing"
