# Shared functions of the end-to-end tests (tests/e2e/*_test.sh). Source it, then call e2e_setup
# with the test's name and the desktop binary ($1 from CTest):
#
#   source "$(dirname "$0")/lib/e2e.sh"
#   e2e_setup medium_test "$1"
#
# Everything a test starts (Xvfb, the program, test media) is ended and unmounted when the test
# exits, and its work folder is removed (kept when E2E_KEEP=1). Every wait has a deadline.
# Checks record failures with e2e_fail and go on; e2e_finish ends the test with the verdict.
# Exit code 77 means skipped (CTest SKIP_RETURN_CODE).

E2E_FAILURES=0
E2E_MEDIUM_PIDS=()
E2E_MOUNTS=()
E2E_XVFB_PID=""
E2E_PROGRAM_PID=""
E2E_WINDOW=""

# e2e_setup NAME BINARY: sets SORVEL (the program), E2E_TOOLS (the folder of the test tools) and
# E2E_DIR (a fresh work folder).
e2e_setup() {
  local name="$1" binary="${2:-}"
  E2E_NAME="$name"
  if [ -z "$binary" ]; then
    echo "usage: $0 PATH-OF-THE-SORVEL-BINARY" >&2
    exit 2
  fi
  SORVEL="$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")"
  E2E_TOOLS="${SORVEL_E2E_TOOLS:-$(dirname "$SORVEL")}"
  E2E_DIR="$(mktemp -d "${TMPDIR:-/tmp}/sorvel-e2e-$name.XXXXXX")"
  trap e2e_cleanup EXIT
  trap 'exit 1' INT TERM
}

e2e_log() { echo "[$E2E_NAME] $*"; }

# e2e_skip MESSAGE: ends the test as skipped.
e2e_skip() {
  echo "SKIPPED [$E2E_NAME]: $*"
  exit 77
}

# e2e_fail MESSAGE: records a failed check and goes on.
e2e_fail() {
  echo "FAIL [$E2E_NAME]: $*" >&2
  E2E_FAILURES=$((E2E_FAILURES + 1))
}

# e2e_abort MESSAGE: a failure after which the test cannot go on.
e2e_abort() {
  e2e_fail "$*"
  exit 1
}

# e2e_finish: ends the test, failed when any check failed.
e2e_finish() {
  if [ "$E2E_FAILURES" -gt 0 ]; then
    echo "[$E2E_NAME] $E2E_FAILURES check(s) failed"
    exit 1
  fi
  echo "[$E2E_NAME] passed"
  exit 0
}

# e2e_expect_equal WHAT EXPECTED ACTUAL
e2e_expect_equal() {
  [ "$2" = "$3" ] || e2e_fail "$1: expected '$2', got '$3'"
}

# e2e_tool NAME: prints the path of a test tool, or aborts when it was not built.
e2e_tool() {
  local path="$E2E_TOOLS/$1"
  [ -x "$path" ] || e2e_abort "test tool $path is missing (build the target $1)"
  echo "$path"
}

# e2e_wait_until SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds. Returns 1 when the
# deadline passes first.
e2e_wait_until() {
  local seconds="$1"
  shift
  local deadline=$((SECONDS + seconds))
  while ! "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

e2e_pid_alive() { kill -0 "$1" 2>/dev/null; }
e2e_pid_gone() { ! kill -0 "$1" 2>/dev/null; }

# e2e_wait_pid PID SECONDS: waits for a child process to end and sets E2E_WAIT_CODE to its exit
# code. Returns 1 when it is still running at the deadline.
e2e_wait_pid() {
  local pid="$1" seconds="$2"
  E2E_WAIT_CODE=""
  e2e_wait_until "$seconds" e2e_pid_gone "$pid" || return 1
  E2E_WAIT_CODE=0
  wait "$pid" 2>/dev/null || E2E_WAIT_CODE=$?
}

# ---- the test medium ------------------------------------------------------------------------

# e2e_need_fuse: skips the test where this machine cannot mount FUSE file systems at all.
e2e_need_fuse() {
  [ -e /dev/fuse ] || e2e_skip "no /dev/fuse on this machine: the test medium cannot be mounted"
  command -v fusermount3 >/dev/null ||
    e2e_abort "fusermount3 is missing: install fuse3 (scripts/install-deps.sh)"
  E2E_MEDIUM="$(e2e_tool sorvel_medium)" || exit 1
  E2E_PROBE="$(e2e_tool sorvel_medium_probe)" || exit 1
}

e2e_is_mounted() { grep -q " $1 fuse.sorvel_medium " /proc/mounts; }

# e2e_mount_medium FOLDER MOUNTPOINT [RULES]: serves FOLDER read-only at MOUNTPOINT (created when
# missing) with the fault rules of the file RULES. The counts report is written at unmount to
# MOUNTPOINT.counts. Skips the test when mounting is refused by the machine.
e2e_mount_medium() {
  local folder="$1" mountpoint="$2" rules="${3:-}"
  mkdir -p "$mountpoint"
  local args=(--counts "$mountpoint.counts")
  [ -n "$rules" ] && args+=(--rules "$rules")
  # E2E_MEDIUM_FLAGS: further options of the medium, such as --writable.
  "$E2E_MEDIUM" ${E2E_MEDIUM_FLAGS:-} "${args[@]}" "$folder" "$mountpoint" \
    >"$mountpoint.medium.log" 2>&1 &
  local pid=$!
  E2E_MEDIUM_PIDS+=("$pid")
  E2E_MOUNTS+=("$mountpoint")
  if ! e2e_wait_until 10 e2e_mounted_or_dead "$mountpoint" "$pid"; then
    e2e_abort "the test medium did not mount $mountpoint within 10 s"
  fi
  if ! e2e_is_mounted "$mountpoint"; then
    local why
    why="$(cat "$mountpoint.medium.log")"
    if grep -qiE 'permission|not permitted|denied|device not found|no such device' \
      "$mountpoint.medium.log"; then
      e2e_skip "mounting a FUSE file system is impossible here: $why"
    fi
    e2e_abort "the test medium failed to mount $mountpoint: $why"
  fi
}

e2e_mounted_or_dead() { e2e_is_mounted "$1" || e2e_pid_gone "$2"; }

# e2e_unmount_medium MOUNTPOINT: unmounts the medium and waits until it has written its counts.
e2e_unmount_medium() {
  local mountpoint="$1" i
  e2e_wait_until 10 fusermount3 -u "$mountpoint" 2>/dev/null ||
    e2e_fail "could not unmount $mountpoint"
  for i in "${!E2E_MOUNTS[@]}"; do
    [ "${E2E_MOUNTS[$i]}" = "$mountpoint" ] || continue
    e2e_wait_pid "${E2E_MEDIUM_PIDS[$i]}" 10 || e2e_fail "the medium did not end"
    unset "E2E_MOUNTS[$i]" "E2E_MEDIUM_PIDS[$i]"
  done
}

# e2e_counts MOUNTPOINT: prints the medium's current counts report.
e2e_counts() { cat "$1/.sorvel-medium-counts"; }

# e2e_max_reads REPORT [FILE]: the highest read count of any failing byte (of FILE).
e2e_max_reads() {
  awk -v file="${2:-}" '$1 == "byte" {
      name = $0; sub(/^byte [0-9]+ [0-9]+ /, "", name)
      if ((file == "" || name == file) && $3 > max) max = $3
    } END { print max + 0 }' <<<"$1"
}

# e2e_min_reads REPORT FILE: the lowest read count of the failing bytes of FILE.
e2e_min_reads() {
  awk -v file="$2" '$1 == "byte" {
      name = $0; sub(/^byte [0-9]+ [0-9]+ /, "", name)
      if (name == file && (min == "" || $3 < min)) min = $3
    } END { print min + 0 }' <<<"$1"
}

# e2e_reads REPORT FILE OFFSET: the read count of one failing byte of FILE.
e2e_reads() {
  awk -v file="$2" -v offset="$3" '$1 == "byte" && $2 == offset {
      name = $0; sub(/^byte [0-9]+ [0-9]+ /, "", name)
      if (name == file) print $3
    }' <<<"$1"
}

# e2e_max_starts REPORT FILE / e2e_min_starts REPORT FILE / e2e_starts REPORT FILE OFFSET: as the
# three above, for the reads that started at a failing byte (aimed at the byte itself, not a block
# read that covered it and stopped short before it).
e2e_max_starts() {
  awk -v file="$2" '$1 == "start" {
      name = $0; sub(/^start [0-9]+ [0-9]+ /, "", name)
      if (name == file && $3 > max) max = $3
    } END { print max + 0 }' <<<"$1"
}

e2e_min_starts() {
  awk -v file="$2" '$1 == "start" {
      name = $0; sub(/^start [0-9]+ [0-9]+ /, "", name)
      if (name == file && (min == "" || $3 < min)) min = $3
    } END { print min + 0 }' <<<"$1"
}

e2e_starts() {
  awk -v file="$2" -v offset="$3" '$1 == "start" && $2 == offset {
      name = $0; sub(/^start [0-9]+ [0-9]+ /, "", name)
      if (name == file) print $3
    }' <<<"$1"
}

# e2e_file_reads REPORT FILE: "READS FAILED": every read request of FILE the medium answered, and
# those it answered with EIO.
e2e_file_reads() {
  awk -v file="$2" '$1 == "file" {
      name = $0; sub(/^file [0-9]+ [0-9]+ /, "", name)
      if (name == file) { reads = $2; failed = $3 }
    } END { print reads + 0, failed + 0 }' <<<"$1"
}

# e2e_refused REPORT: how many attempts to change the medium it refused.
e2e_refused() { awk '$1 == "refused" { print $2 }' <<<"$1"; }

# ---- the display and the program --------------------------------------------------------------

# e2e_start_xvfb: starts a virtual display on a free display number and exports DISPLAY.
e2e_start_xvfb() {
  command -v Xvfb >/dev/null || e2e_abort "Xvfb is missing: install xvfb (scripts/install-deps.sh)"
  command -v xdotool >/dev/null || e2e_abort "xdotool is missing (scripts/install-deps.sh)"
  E2E_CLOSE="$(e2e_tool sorvel_wm_close)" || exit 1
  local numberFile="$E2E_DIR/.display"
  : >"$numberFile"
  # -noreset: the server must not reset (and refuse connections for a moment) each time its last
  # client, such as a short xdotool call, disconnects.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$numberFile" \
    >"$E2E_DIR/.xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  e2e_wait_until 15 grep -q '^[0-9][0-9]*$' "$numberFile" ||
    e2e_abort "Xvfb did not start: $(cat "$E2E_DIR/.xvfb.log")"
  export DISPLAY=":$(head -n 1 "$numberFile")"
  e2e_wait_until 15 xdpyinfo >/dev/null 2>&1 || e2e_abort "the display $DISPLAY does not answer"
  e2e_log "Xvfb on $DISPLAY"
}

# e2e_write_settings FILE LINE...: writes a settings file, every line ended by CR LF.
e2e_write_settings() {
  local file="$1"
  shift
  : >"$file"
  local line
  for line in "$@"; do printf '%s\r\n' "$line" >>"$file"; done
}

# e2e_start_program FOLDER: starts the program with FOLDER as its current folder and waits for
# its window; sets E2E_PROGRAM_PID and E2E_WINDOW. Its output goes to FOLDER.out.
e2e_start_program() {
  local folder="$1"
  (cd "$folder" && exec "$SORVEL") >"$folder.out" 2>&1 &
  E2E_PROGRAM_PID=$!
  E2E_PROGRAM_OUT="$folder.out"
  e2e_wait_until 20 e2e_find_window ||
    e2e_abort "no window \"sorvel\" appeared within 20 s; output: $(cat "$folder.out")"
}

e2e_find_window() {
  e2e_pid_alive "$E2E_PROGRAM_PID" || return 1
  E2E_WINDOW="$(xdotool search --onlyvisible --pid "$E2E_PROGRAM_PID" --name '^sorvel' \
    2>/dev/null | head -n 1)"
  [ -n "$E2E_WINDOW" ] || E2E_WINDOW="$(xdotool search --onlyvisible --name '^sorvel' \
    2>/dev/null | head -n 1)"
  [ -n "$E2E_WINDOW" ]
}

# e2e_title: prints the current title of the program's window.
e2e_title() { xdotool getwindowname "$E2E_WINDOW" 2>/dev/null; }

# e2e_click X Y: one left click at client position X, Y of the program's window.
e2e_click() {
  xdotool mousemove --window "$E2E_WINDOW" "$1" "$2" click 1
}

# e2e_click_copy: clicks the Copy button (client rectangle 10,100 60x20).
e2e_click_copy() { e2e_click 40 110; }

# e2e_wait_file_grep SECONDS FILE PATTERN: waits until FILE holds a line matching the extended
# regular expression PATTERN.
e2e_wait_file_grep() {
  e2e_wait_until "$1" grep -qE -- "$3" "$2" 2>/dev/null
}

# e2e_close_program SECONDS: closes the window through the window manager protocol, as the close
# button of a desktop does, and waits for the program to end; sets E2E_PROGRAM_EXIT to its exit
# code. While a run lasts the program refuses to close, so the request is repeated until the
# deadline. Returns 1 when the program is still running then.
e2e_close_program() {
  local seconds="$1"
  local deadline=$((SECONDS + seconds))
  E2E_PROGRAM_EXIT=""
  while e2e_pid_alive "$E2E_PROGRAM_PID"; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      e2e_fail "the program did not end within $seconds s of being asked to close"
      return 1
    fi
    "$E2E_CLOSE" "$E2E_WINDOW" >/dev/null 2>&1 || true
    e2e_wait_until 1 e2e_pid_gone "$E2E_PROGRAM_PID" || true
  done
  e2e_wait_pid "$E2E_PROGRAM_PID" 5
  E2E_PROGRAM_EXIT="$E2E_WAIT_CODE"
  E2E_PROGRAM_PID=""
}

# e2e_start_run FOLDER LOG: starts the program in FOLDER and clicks Copy until the run has begun,
# that is until the log LOG (a path; it must not exist yet) appears. The program takes no input
# until its message loop waits for it (a click during start-up is dropped, as it would be
# during a run), and nothing outside tells when that is; a click on Copy that is dropped leaves
# no trace, and a click that arrives during a run is dropped too, so clicking again is safe.
e2e_start_run() {
  local folder="$1" log="$2" attempt
  [ -e "$log" ] && e2e_abort "the log $log exists before the run"
  e2e_start_program "$folder"
  sleep 0.5
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    e2e_click_copy
    e2e_wait_until 3 test -e "$log" && return 0
    e2e_pid_alive "$E2E_PROGRAM_PID" || break
    e2e_log "no run after click $attempt on Copy; clicking again"
  done
  e2e_abort "no run started after clicking Copy (no $log); output: $(cat "$E2E_PROGRAM_OUT")"
}

# e2e_run_copy FOLDER LOG END_PATTERN SECONDS: starts the program in FOLDER, starts a run, waits
# until the log LOG (a path) has a line matching END_PATTERN, closes the window and checks that
# the program ended with exit code 0.
e2e_run_copy() {
  local folder="$1" log="$2" pattern="$3" seconds="$4"
  e2e_start_run "$folder" "$log"
  if ! e2e_wait_file_grep "$seconds" "$log" "$pattern"; then
    e2e_fail "the run did not end within $seconds s (no '$pattern' in $log)"
  fi
  e2e_close_program 30 || return 1
  e2e_expect_equal "exit code of the program" 0 "$E2E_PROGRAM_EXIT"
}

# e2e_screenshot FILE.png: takes a picture of the program's window. Returns 1 (and records a
# failure) when that is not possible within 20 s: ImageMagick's import waits for a click on the
# screen when it cannot use the window it was given, so it never runs without a deadline.
e2e_screenshot() {
  if ! xdotool getwindowname "$E2E_WINDOW" >/dev/null 2>&1; then
    e2e_fail "no window $E2E_WINDOW to take a picture of"
    return 1
  fi
  if ! timeout 20 import -window "$E2E_WINDOW" "$1" 2>"$E2E_DIR/.import.err"; then
    e2e_fail "could not take a picture of the window: $(cat "$E2E_DIR/.import.err")"
    return 1
  fi
}

# ---- the window as the desktop sees it ---------------------------------------------------------

# e2e_window_icons: prints the icon of the program's window (_NET_WM_ICON), one size a line:
# "WIDTHxHEIGHT" and then every pixel, row by row, as its ARGB value in decimal. Nothing when the
# window has no icon.
e2e_window_icons() {
  xprop -id "$E2E_WINDOW" -notype -f _NET_WM_ICON 32c '=$0+\n' _NET_WM_ICON 2>/dev/null |
    sed -n 's/^_NET_WM_ICON=//p' | tr -d ' ' | tr ',' '\n' |
    awk 'NF {
        if (state == "height") { line = width "x" $1; left = width * $1; state = ""; next }
        if (left == 0) { if (line != "") print line; width = $1; state = "height"; next }
        line = line " " $1; left--
      } END { if (line != "") print line }'
}

# e2e_png_argb FILE.png: prints the PNG as e2e_window_icons prints one size of an icon.
e2e_png_argb() {
  local size
  size="$(identify -format '%wx%h' "$1")" || return 1
  convert "$1" -depth 8 rgba:- | od -An -v -tu1 |
    awk -v size="$size" '{ for (i = 1; i <= NF; i++) byte[n++] = $i }
      END {
        line = size
        for (j = 0; j < n; j += 4)
          line = line sprintf(" %.0f",
            byte[j + 3] * 16777216 + byte[j] * 65536 + byte[j + 1] * 256 + byte[j + 2])
        print line
      }'
}

# e2e_expect_window_icon TEMPLATE SIZE...: the program's window carries exactly the icon sizes
# given, in that order, each pixel for pixel the PNG file TEMPLATE names with SIZE replaced by the
# size (such as .../hicolor/SIZExSIZE/apps/sorvel.png).
e2e_expect_window_icon() {
  local template="$1" size png actual expected icons sizes=""
  shift
  icons="$(e2e_window_icons)"
  if [ -z "$icons" ]; then
    e2e_fail "the window has no icon: _NET_WM_ICON is empty"
    return 1
  fi
  for size in "$@"; do sizes+="${size}x$size "; done
  e2e_expect_equal "sizes of the window's icon" "$sizes" \
    "$(awk '{ printf "%s ", $1 }' <<<"$icons")"
  for size in "$@"; do
    png="${template//SIZE/$size}"
    expected="$(e2e_png_argb "$png")" || e2e_fail "could not read $png"
    actual="$(awk -v size="${size}x$size" '$1 == size' <<<"$icons")"
    [ "$actual" = "$expected" ] || e2e_fail "the window's icon of $size pixels is not $png"
  done
}

# e2e_expect_window_class DESKTOP-ENTRY: the class of the program's window (the second text of
# WM_CLASS) is the entry's StartupWMClass, by which docks tell which menu entry a window is of.
e2e_expect_window_class() {
  local class wanted
  class="$(xprop -id "$E2E_WINDOW" -notype WM_CLASS 2>/dev/null |
    sed -n 's/^WM_CLASS = "[^"]*", "\([^"]*\)"$/\1/p')"
  wanted="$(sed -n 's/^StartupWMClass=//p' "$1")"
  [ -n "$wanted" ] || e2e_fail "no StartupWMClass in $1"
  e2e_expect_equal "class of the window (WM_CLASS) against StartupWMClass of $1" "$wanted" "$class"
}

# ---- checks on files ------------------------------------------------------------------------------

# e2e_expect_same WHAT EXPECTED ACTUAL: the two files hold the same bytes.
e2e_expect_same() {
  cmp -s -- "$2" "$3" || e2e_fail "$1: $3 differs from $2 ($(cmp -- "$2" "$3" 2>&1 | head -n 1))"
}

# e2e_bytes FILE OFFSET COUNT: the values of COUNT bytes of FILE from OFFSET, in decimal,
# separated by blanks.
e2e_bytes() {
  od -An -v -tu1 -j "$2" -N "$3" -- "$1" | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'
}

# e2e_with_zeros SOURCE RESULT FIRST LAST...: copies SOURCE to RESULT with each inclusive byte
# range FIRST-LAST set to zero.
e2e_with_zeros() {
  local source="$1" result="$2"
  shift 2
  cp -- "$source" "$result"
  while [ $# -ge 2 ]; do
    head -c $(($2 - $1 + 1)) /dev/zero |
      dd of="$result" bs=1 seek="$1" conv=notrunc status=none
    shift 2
  done
}

# e2e_size FILE
e2e_size() { stat -c %s -- "$1"; }

# e2e_expect_grep WHAT FILE PATTERN: FILE holds a line matching the fixed string PATTERN.
e2e_expect_grep() {
  grep -qF -- "$3" "$2" 2>/dev/null || e2e_fail "$1: no '$3' in $2"
}

# e2e_expect_no_grep WHAT FILE PATTERN: FILE holds no line with the fixed string PATTERN.
e2e_expect_no_grep() {
  ! grep -qF -- "$3" "$2" 2>/dev/null || e2e_fail "$1: unexpected '$3' in $2"
}

# ---- cleanup ---------------------------------------------------------------------------------

e2e_cleanup() {
  local code=$? i
  set +e
  if [ -n "$E2E_PROGRAM_PID" ] && e2e_pid_alive "$E2E_PROGRAM_PID"; then
    kill "$E2E_PROGRAM_PID" 2>/dev/null
    e2e_wait_until 5 e2e_pid_gone "$E2E_PROGRAM_PID" || kill -9 "$E2E_PROGRAM_PID" 2>/dev/null
  fi
  for i in "${!E2E_MOUNTS[@]}"; do
    fusermount3 -u "${E2E_MOUNTS[$i]}" 2>/dev/null || fusermount3 -uz "${E2E_MOUNTS[$i]}" 2>/dev/null
    e2e_wait_until 5 e2e_pid_gone "${E2E_MEDIUM_PIDS[$i]}" ||
      kill -9 "${E2E_MEDIUM_PIDS[$i]}" 2>/dev/null
  done
  if [ -n "$E2E_XVFB_PID" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null
    e2e_wait_until 5 e2e_pid_gone "$E2E_XVFB_PID" || kill -9 "$E2E_XVFB_PID" 2>/dev/null
  fi
  for mount in "${E2E_EXTRA_MOUNTS[@]}"; do umount "$mount" 2>/dev/null || umount -l "$mount"; done
  if [ "${E2E_KEEP:-0}" = 1 ]; then
    echo "[$E2E_NAME] work folder kept: $E2E_DIR"
  else
    rm -rf -- "$E2E_DIR"
  fi
  exit "$code"
}
E2E_EXTRA_MOUNTS=()

# ---- runs of the program ----------------------------------------------------------------------

# e2e_settings FILE SOURCE DESTINATION [LINE...]: writes the settings file of a run: the log on
# with totals, progress, details, verification, small retry depths, the source and destination
# preset and saved again at exit. Extra LINEs come last, so they override (the last line wins).
e2e_settings() {
  local file="$1" source="$2" destination="$3"
  shift 3
  e2e_write_settings "$file" "enableLog: yes" "rewriteLog: yes" "logStats: yes" \
    "logSettings: no" "watchProductVersion: no" "printProgress: yes" "printDetail: yes" \
    "enableConsole: yes" "updateTitle: yes" "showProgressBar: yes" "verifyData: yes" \
    "enableFasterCopy: no" "haltOnFirstError: no" "subDamagedBitByZero: yes" \
    "forceAccess: no" "waitEnterAfterEachCopy: no" "proceedMinimized: no" \
    "showLogWhenDone: no" "depthRead: 2" "depthWrite: 1" "depthAccess: 1" "depthClose: 1" \
    "depthVerify: 1" "saveSettings: yes" "saveSourceFile: yes" "lastSourceFile: $source" \
    "saveDestinyFolder: yes" "lastDestinyFolder: $destination" "$@"
}

# The end of a run whose log has totals: its last entry (with verification on).
E2E_END_VERIFIED='>Verified -?[0-9]+bytes</FONT><BR>'
# The same with verification off.
E2E_END_WRITTEN='>Written -?[0-9]+bytes</FONT><BR>'

# e2e_expect_log_entry WHAT LOG TEXT: the log has an entry whose text is exactly TEXT.
e2e_expect_log_entry() {
  grep -qF -- ">$3</FONT><BR>" "$2" || grep -qF -- ">$3 </FONT><A HREF" "$2" ||
    e2e_fail "$1: no log entry '$3' in $2"
}

# e2e_map_saved MAP: the bytes a copy's map calls done (its "+" ranges).
e2e_map_saved() {
  local position size state sum=0
  while read -r position size state; do
    if [[ "$position" == 0x* && "$size" == 0x* && "$state" == "+" ]]; then
      sum=$((sum + size))
    fi
  done <"$1"
  echo "$sum"
}

# e2e_log_entries LOG: the texts of the log's entries after the header, one a line (markup of
# the entry lines stripped, the texts' own markup kept).
e2e_log_entries() {
  sed -n 's/^<FONT FACE=[^>]*>\(.*\)<\/FONT><BR>\r\?$/\1/p;
          s/^<FONT FACE=[^>]*>\(.*\) <\/FONT><A HREF=.*$/\1/p' "$1"
}
