#!/usr/bin/env bash
# The patch builder on two real pairs, each against its floors in the same run: the literal
# oracle of the analyses (once), xdelta3's encoder and bsdiff (time and patch size), and the
# peak memory of `refontis-patch build` against the two fonts' sizes.
#
# usage: bench/builder_bench.sh [RELEASE_BUILD_DIR [FONTS_DIR [WORK_DIR]]]
# The build needs -DREFONTIS_BENCH=ON (builder_oracle_bench). FONTS_DIR holds the real fixtures
# (noto-sans-old/new.otf, noto-serif.otf); the hard pair is derived from noto-serif.otf.
# Targets (hard pair): analyses >= 20x faster than the oracle, build within 2x of xdelta3 -e,
# peak memory <= 3x the two fonts. Exit 1 when a target is missed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
fonts=${2:-${REFONTIS_REAL_FONTS:-$build/real-fonts}}
work=${3:-$build/bench-work}
tool=$build/tools/refontis-patch
oracle=$build/bench/builder_oracle_bench
python=${REFONTIS_PYTHON:-/usr/bin/python3}
for f in "$tool" "$oracle" /usr/bin/time; do
  [ -x "$f" ] || { echo "missing $f (build with -DREFONTIS_BENCH=ON; Debian package time)"; exit 1; }
done
for f in xdelta3 bsdiff; do command -v $f >/dev/null || { echo "missing $f (apt-get install $f)"; exit 1; }; done
[ -f "$fonts/noto-serif.otf" ] || "$python" tests/fixtures/make_real_fonts.py "$fonts"
mkdir -p "$work"
"$python" bench/make_hard_pair.py "$fonts/noto-serif.otf" "$work/hard-new.otf"

# Wall seconds and peak resident KB of a command: the best wall of `runs` runs.
measure() {
  local runs=$1 best="" peak=0
  shift
  for _ in $(seq "$runs"); do
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >"$work/out.txt" 2>&1 ||
      { echo "failed: $*"; cat "$work/out.txt"; exit 1; }
    read -r wall kb <"$work/time.txt"
    best=$(awk -v a="$best" -v b="$wall" 'BEGIN { print (a == "" || b < a) ? b : a }')
    ((kb > peak)) && peak=$kb
  done
  echo "$best $peak"
}

status=0
run_pair() {
  local label=$1 old=$2 new=$3
  local size_old size_new
  size_old=$(stat -c %s "$old")
  size_new=$(stat -c %s "$new")
  echo "== $label: $(basename "$old") ($size_old bytes) -> $(basename "$new") ($size_new bytes)"

  read -r b_wall b_kb < <(measure 3 "$tool" build --quiet "$old" "$new" "$work/$label.pa")
  local b_inner
  b_inner=$(grep -o '[0-9.]* s$' "$work/out.txt" | tr -d ' s')  # load + analyse + write
  read -r x_wall x_kb < <(measure 3 xdelta3 -e -f -s "$old" "$new" "$work/$label.xd3")
  read -r d_wall d_kb < <(measure 1 bsdiff "$old" "$new" "$work/$label.bsdiff")

  echo "-- fast analyses against the oracle (every changed table, once):"
  "$oracle" "$old" "$new" | tee "$work/oracle.txt" || status=1
  read -r fast slow < <(awk '/^total:/ { print $3, $6 }' "$work/oracle.txt")

  printf '%-34s %9s %12s %12s\n' "" "time s" "patch bytes" "peak KB"
  printf '%-34s %9s %12s %12s\n' "refontis-patch build (+ verify)" "$b_wall" \
    "$(stat -c %s "$work/$label.pa")" "$b_kb"
  printf '%-34s %9s\n' "  of it load + analyse + write" "$b_inner"
  printf '%-34s %9s %12s %12s\n' "xdelta3 -e -s" "$x_wall" "$(stat -c %s "$work/$label.xd3")" "$x_kb"
  printf '%-34s %9s %12s %12s\n' "bsdiff" "$d_wall" "$(stat -c %s "$work/$label.bsdiff")" "$d_kb"
  awk -v fast="$fast" -v slow="$slow" -v inner="$b_inner" -v b="$b_wall" -v x="$x_wall" \
      -v kb="$b_kb" -v o="$size_old" -v n="$size_new" -v hard="$([ "$label" = hard ] && echo 1)" '
    BEGIN {
      analyses = slow / (fast > 0 ? fast : 1e-9)
      whole = (inner - fast + slow) / (inner > 0 ? inner : 1e-9)
      xd = b / (x > 0 ? x : 1e-9)
      mem = kb * 1024 / (o + n)
      printf "ratios: oracle/fast analyses %.1fx; oracle builder/fast builder (load+analyse+write) %.1fx\n", analyses, whole
      printf "        build/xdelta3 %.2fx; peak memory %.2fx the two fonts\n", xd, mem
      if (hard) {
        bad = 0
        if (analyses < 20) { print "TARGET MISSED: analyses less than 20x faster than the oracle"; bad = 1 }
        if (xd > 2) { print "TARGET MISSED: build more than 2x xdelta3 -e"; bad = 1 }
        if (mem > 3) { print "TARGET MISSED: peak memory above 3x the two fonts"; bad = 1 }
        if (!bad) print "targets met"
        exit bad
      }
    }' || status=1
}

run_pair easy "$fonts/noto-sans-old.otf" "$fonts/noto-sans-new.otf"
run_pair hard "$fonts/noto-serif.otf" "$work/hard-new.otf"

# Dissimilar tables, where the oracle's candidate loop is quadratic.
echo "== dissimilar tables (old GPOS against new GSUB; old CFF against another font's CFF)"
"$oracle" "$fonts/noto-sans-old.otf" "$fonts/noto-sans-new.otf" GPOS:GSUB || status=1
"$oracle" --fast-only "$fonts/noto-serif.otf" "$fonts/noto-sans-new.otf" CFF
exit $status
