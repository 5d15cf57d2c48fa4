#!/usr/bin/env bash
# Makes the musicians' guide, one page of HTML with its pictures inside it,
# from docs/guide.md: cmark turns the text into HTML, and each picture the
# text names is put into the page as a data: address, so that the page is
# one file that opens from any folder.
# Usage: make-guide.sh GUIDE.md OUT.html
set -euo pipefail
in=$1 out=$2
dir=$(dirname "$in")
command -v cmark >/dev/null || { echo "make-guide: cmark is missing (scripts/setup.sh installs it)" >&2; exit 1; }
title=$(sed -n 's/^# //p' "$in" | head -n 1)
body=$(cmark --smart "$in")
# Pictures: <img src="NAME.png" ...> becomes <img src="data:image/png;base64,...">.
while read -r picture; do
  [ -f "$dir/$picture" ] || { echo "make-guide: $dir/$picture is missing" >&2; exit 1; }
  data=$(base64 -w0 "$dir/$picture")
  body=${body//src=\"$picture\"/src=\"data:image/png;base64,$data\"}
done < <(grep -o 'src="[^":]*\.png"' <<<"$body" | sed 's/^src="//; s/"$//' | sort -u)
tmp=$(mktemp "$out.XXXXXX")
cat >"$tmp" <<HTML
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>$title</title>
<style>
body { font-family: Segoe UI, Tahoma, sans-serif; max-width: 46em; margin: 2em auto; padding: 0 1em; line-height: 1.5; color: #222; }
h1, h2, h3 { line-height: 1.2; }
code { font-family: Consolas, monospace; background: #f3f3f3; padding: 0 .2em; }
img { max-width: 100%; border: 1px solid #ccc; }
</style>
</head>
<body>
$body
</body>
</html>
HTML
chmod 644 "$tmp"
mv "$tmp" "$out"
