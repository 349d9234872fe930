#!/usr/bin/env bash
# Keeps the source folders in floors: a folder includes only the floors below it
#   app > forms, cli > link > media > camera > ui, net > platform
# and inside a floor only its own folder or a folder that contains it (ui/qt may include ui/,
# ui/ never includes ui/qt/; platform/posix/ and platform/win32/ never include each other).
# Prints every include that breaks the rule and exits 1 when there is one.
set -euo pipefail
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}
cd "$src"
grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' --include='*.h' --include='*.cpp' . |
awk -F: '
  BEGIN { rank["app"]=7; rank["forms"]=6; rank["cli"]=6; rank["link"]=5;
          rank["media"]=4; rank["camera"]=3;
          rank["ui"]=2; rank["net"]=2; rank["platform"]=1 }
  {
    file = substr($1, 3); line = $2
    text = $0; sub(/^[^:]*:[^:]*:/, "", text)
    if (!match(text, /"[^"]*"/)) next
    inc = substr(text, RSTART + 1, RLENGTH - 2)
    if (index(inc, "/") == 0) next                    # a header beside the file
    from_dir = file; sub(/\/[^\/]*$/, "", from_dir)
    to_dir = inc; sub(/\/[^\/]*$/, "", to_dir)
    split(from_dir, f, "/"); split(to_dir, t, "/")
    if (!(f[1] in rank)) { print file ":" line ": folder " f[1] " has no floor"; bad = 1; next }
    if (!(t[1] in rank)) next                         # a system or third-party header
    if (f[1] != t[1]) {
      if (rank[f[1]] <= rank[t[1]]) {
        print file ":" line ": " f[1] "/ may not include " inc " (" t[1] "/ is not below it)"
        bad = 1
      }
    } else if (!(from_dir == to_dir || index(from_dir, to_dir "/") == 1)) {
      print file ":" line ": " from_dir "/ may not include " inc " (not its own folder or one around it)"
      bad = 1
    }
  }
  END { exit bad }'
