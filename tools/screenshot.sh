#!/bin/bash
# Renews docs/screenshot.png: the real program under Xvfb with a sample page, its tool pages and
# the side pages, cut to the main window and stored with a small palette.
# Usage: tools/screenshot.sh [path/to/Velmo]   (default: build/bin/Velmo)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$here/build/bin/Velmo}
out=$here/docs/screenshot.png
[ -x "$exe" ] || { echo "no program at $exe (build it first)" >&2; exit 1; }
for tool in xvfb-run import convert xdotool; do
  command -v $tool >/dev/null || { echo "$tool is needed (see tools/deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/.config/Tamrix" "$work/site/css"
# Settings: the sample site as root folder, the window at the screen's corner.
printf '\xff\xfe' > "$work/.config/Tamrix/Velmo.ini"
printf '[Config]\r\nStdPath=%s/site/\r\n[Form]\r\nLeft=0\r\nTop=0\r\nWidth=1000\r\nHeight=640\r\nFormSplit=230\r\n' "$work" |
  iconv -t UTF-16LE >> "$work/.config/Tamrix/Velmo.ini"
cat > "$work/site/index.html" <<'HTML'
<!DOCTYPE html>
<html lang="en">
<head>
  <meta charset="utf-8">
  <title>Riverside Allotments</title>
  <link rel="stylesheet" href="css/site.css">
</head>
<body>
  <!-- The page header with the club's name -->
  <h1 id="top">Riverside Allotments</h1>
  <p>Plots are let from <strong>March</strong> to <em>October</em>.
     See the <a href="plots.html#waiting">waiting list</a> or write to
     <a href="mailto:club@example.org">the club</a>.</p>
  <table class="fees">
    <tr><th>Plot</th><th>Size</th><th>Fee</th></tr>
    <tr><td>Half</td><td>125&nbsp;m&sup2;</td><td>&euro;&nbsp;40</td></tr>
    <tr><td>Full</td><td>250&nbsp;m&sup2;</td><td>&euro;&nbsp;70</td></tr>
  </table>
  <img src="images/gate.jpg" width="320" height="200" alt="The gate">
  <script>
    document.getElementById("top").title = "Welcome";
  </script>
</body>
</html>
HTML
echo 'h1 { color: #2a6; }' > "$work/site/css/site.css"

cat > "$work/run.sh" <<RUN
#!/bin/bash
export HOME="$work" XDG_CONFIG_HOME="$work/.config" XDG_RUNTIME_DIR="$work"
"$exe" "$work/site/index.html" >/dev/null 2>&1 &
pid=\$!
for i in \$(seq 1 100); do
  xdotool search --name 'Velmo \(Version' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 2
import -window root "$work/root.png"
kill \$pid
RUN
chmod +x "$work/run.sh"
xvfb-run -a -s "-screen 0 1000x640x24" "$work/run.sh"
mkdir -p "$(dirname "$out")"
# A small palette keeps the file commit-sized.
convert "$work/root.png" -crop 1000x640+0+0 +repage -colors 96 -strip "PNG8:$out"
echo "wrote $out ($(stat -c %s "$out") bytes)"
