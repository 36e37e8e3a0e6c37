#!/usr/bin/env bash
# Times `refontis-patch apply` on the real font pair against its floor (`cp`) and `xdelta3 -d`.
#
# Usage: bench/apply_bench.sh REFONTIS_PATCH [REAL_FONTS_DIR]
#   REFONTIS_PATCH  the tool, from a Release build
#   REAL_FONTS_DIR  folder with noto-sans-old.otf and noto-sans-new.otf (default:
#                   $REFONTIS_REAL_FONTS), as made by tests/fixtures/make_real_fonts.py
# Each command runs 5 times; the best wall time counts. Prints the ratios, the peak resident
# memory of each command and the sizes of the old font, the patch and the new font.
set -euo pipefail

tool=${1:?usage: apply_bench.sh REFONTIS_PATCH [REAL_FONTS_DIR]}
fonts=${2:-${REFONTIS_REAL_FONTS:?give REAL_FONTS_DIR or set REFONTIS_REAL_FONTS}}
here=$(cd "$(dirname "$0")/.." && pwd)
old=$fonts/noto-sans-old.otf
new=$fonts/noto-sans-new.otf
runs=5

for f in "$old" "$new" "$tool"; do
  [ -e "$f" ] || { echo "missing: $f" >&2; exit 1; }
done
missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v xdelta3 >/dev/null || missing+=(xdelta3)
if ((${#missing[@]})); then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
patch=$work/noto-sans.pa
xdelta=$work/noto-sans.xd
/usr/bin/python3 "$here/tests/patch/make_patch.py" "$old" "$new" "$patch"
xdelta3 -e -f -s "$old" "$new" "$xdelta"

# best_of NAME COMMAND...: the best wall time of $runs runs, in seconds.
best_of() {
  local name=$1 best="" start end t
  shift
  for ((k = 0; k < runs; ++k)); do
    rm -f "$work/out"
    start=$EPOCHREALTIME
    "$@" >/dev/null
    end=$EPOCHREALTIME
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  printf '%s' "$best"
}

# peak_kib COMMAND...: the maximum resident set size of one run, in KiB.
peak_kib() {
  rm -f "$work/out"
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}

apply_cmd=("$tool" apply "$old" "$patch" "$work/out")
cp_cmd=(cp "$old" "$work/out")
# cp copies inside the kernel (copy_file_range); dd shows one read and one write through memory.
dd_cmd=(dd if="$old" of="$work/out" bs=64M status=none)
xdelta_cmd=(xdelta3 -d -f -s "$old" "$xdelta" "$work/out")

# The result must be right before its time counts.
"${apply_cmd[@]}" >/dev/null
/usr/bin/python3 - "$work/out" <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read()
data += b'\0' * (-len(data) % 4)
total = sum(struct.unpack('>%dI' % (len(data) // 4), data)) & 0xFFFFFFFF
sys.exit(0 if total == 0xB1B0AFBA else 'apply wrote a font whose sum is 0x%08X' % total)
EOF
"${xdelta_cmd[@]}"
cmp -s "$work/out" "$new" || { echo "xdelta3 -d did not reproduce the new font" >&2; exit 1; }

t_apply=$(best_of apply "${apply_cmd[@]}")
t_cp=$(best_of cp "${cp_cmd[@]}")
t_dd=$(best_of dd "${dd_cmd[@]}")
t_xdelta=$(best_of xdelta "${xdelta_cmd[@]}")
m_apply=$(peak_kib "${apply_cmd[@]}")
m_cp=$(peak_kib "${cp_cmd[@]}")
m_dd=$(peak_kib "${dd_cmd[@]}")
m_xdelta=$(peak_kib "${xdelta_cmd[@]}")

size() { stat -c %s "$1"; }
s_old=$(size "$old")
s_new=$(size "$new")
s_patch=$(size "$patch")
s_xdelta=$(size "$xdelta")

awk -v ta="$t_apply" -v tc="$t_cp" -v td="$t_dd" -v tx="$t_xdelta" \
    -v ma="$m_apply" -v mc="$m_cp" -v md="$m_dd" -v mx="$m_xdelta" \
    -v so="$s_old" -v sn="$s_new" -v sp="$s_patch" -v sx="$s_xdelta" -v runs="$runs" 'BEGIN {
  mib = 1048576
  printf "apply benchmark on noto-sans-old.otf -> noto-sans-new.otf (best of %d)\n", runs
  printf "  %-26s %9.1f ms  %8.1f MiB peak\n", "refontis-patch apply", ta * 1000, ma / 1024
  printf "  %-26s %9.1f ms  %8.1f MiB peak\n", "cp OLD OUT (floor)", tc * 1000, mc / 1024
  printf "  %-26s %9.1f ms  %8.1f MiB peak\n", "dd bs=64M (user-space copy)", td * 1000, md / 1024
  printf "  %-26s %9.1f ms  %8.1f MiB peak\n", "xdelta3 -d", tx * 1000, mx / 1024
  printf "  apply / cp      = %.2f  (target: at most 2)\n", ta / tc
  printf "  apply / dd      = %.2f\n", ta / td
  printf "  apply / xdelta3 = %.2f  (target: below 1)\n", ta / tx
  printf "  sizes: old %d B (%.1f MiB), patch %d B, new %d B (%.1f MiB); xdelta3 patch %d B\n",
         so, so / mib, sp, sn, sn / mib, sx
  printf "  old + patch + new = %.1f MiB; apply peak = %.2f x that\n",
         (so + sp + sn) / mib, ma * 1024 / (so + sp + sn)
  printf "  memory bound (old + patch + revised tables + image ~ old + patch + 2 new) = %.1f MiB\n",
         (so + sp + 2 * sn) / mib
}'
