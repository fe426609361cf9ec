#!/usr/bin/env bash
# sonodesk-cli stats against pandas read_csv + numpy (Leq, percentiles) on the same CSV of
# LINES lines (default 1,000,000), in the same run: wall time and peak resident memory of each,
# and both results, which must agree. Needs python3-pandas (Debian), which the benchmark installs
# when missing; not part of CI.
#   bench/cli_stats_vs_pandas.sh [BUILD_DIR] [LINES]
set -euo pipefail
build=${1:-build}
lines=${2:-1000000}
cli=$build/sonodesk-cli
[ -x "$cli" ] || { echo "build sonodesk-cli first ($cli)" >&2; exit 1; }
if ! /usr/bin/python3 -c 'import pandas, numpy' 2>/dev/null || [ ! -x /usr/bin/time ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq python3-pandas python3-numpy time
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
csv=$work/survey.csv
# A survey at one reading a second as the application writes it (US locale): date, time, level.
awk -v n="$lines" 'BEGIN {
  srand(410); t = 0; day = 10;
  for (i = 0; i < n; i++) {
    s = t % 86400; d = day + int(t / 86400);
    level = 45 + 20 * rand() + (i % 600 < 20 ? 30 * rand() : 0);
    printf "12/%02d/26,%02d:%02d:%02d,%.1f\r\n", d, int(s / 3600), int(s % 3600 / 60), s % 60, level;
    t++;
  }
}' > "$csv"
echo "file: $(wc -l < "$csv") lines, $(du -h "$csv" | cut -f1)"

cat > "$work/stats.py" <<'PY'
import sys
import numpy as np
import pandas as pd
df = pd.read_csv(sys.argv[1], header=None, names=["date", "time", "level"])
t = pd.to_datetime(df["date"] + " " + df["time"], format="%m/%d/%y %H:%M:%S")
L = df["level"].to_numpy()
imax, imin = int(np.argmax(L)), int(np.argmin(L))
leq = 10 * np.log10(np.mean(10 ** (L / 10)))
l10, l50, l90 = np.percentile(L, [90, 50, 10])
print("count,start,end,average,max,max_time,min,min_time,leq,l10,l50,l90")
print(f"{len(L)},{t.min():%Y-%m-%dT%H:%M:%S},{t.max():%Y-%m-%dT%H:%M:%S},{L.mean():.1f},"
      f"{L[imax]:.1f},{t[imax]:%Y-%m-%dT%H:%M:%S},{L[imin]:.1f},{t[imin]:%Y-%m-%dT%H:%M:%S},"
      f"{leq:.1f},{l10:.1f},{l50:.1f},{l90:.1f}")
PY

run() {  # label, command...: prints the output, then "label: S s, M MB"
  local label=$1; shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" > "$work/out"
  cat "$work/out"
  read -r secs kib < "$work/time"
  echo "$label: $secs s, $((kib / 1024)) MB peak resident"
}
run "sonodesk-cli stats" env LC_ALL=en_US.UTF-8 "$cli" stats "$csv"
run "pandas + numpy" /usr/bin/python3 "$work/stats.py" "$csv"
