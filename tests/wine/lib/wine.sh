# Shared functions of the Wine tests (tests/wine/*.sh): Windows builds of sorvel run under Wine,
# as an unprivileged user, in one Wine prefix kept in the Linux build folder. Source it after
# tests/e2e/lib/e2e.sh and e2e_setup, then call wine_setup:
#
#   source "$here/../e2e/lib/e2e.sh"
#   source "$here/lib/wine.sh"
#   e2e_setup wine_program "$1"
#   wine_setup "$2" "$3" "$4"
#
# Which build runs: the shipped 32-bit one when this machine can execute the 32-bit Wine loader,
# otherwise the 64-bit build of the same sources under the 64-bit loader. The choice and its
# reason are printed. The test is skipped only where Wine is missing or can run nothing at all.
#
# Wine runs as a user other than root: as root, Wine opens a read-only file for writing, which
# Windows refuses. When the tests run as root, the user "sorvel-wine" is created for it when
# missing (nobody, where no user can be created).

WINE_USER_NAME="sorvel-wine"
WINE_LOADER=""
WINE_SERVER=""
WINE_BUILD=""
WINE_BITS=""

# wine_start_programs NAME ARGS...: the start of a test that runs the Linux program against the
# Windows one (ARGS: LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD): sets up the test NAME, the
# build and the prefix, starts Xvfb, and sets linuxProgram and windowsProgram. Exits 2 on a usage
# error.
wine_start_programs() {
  local name="$1"
  shift
  if [ $# -ne 4 ]; then
    echo "usage: $0 LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD" >&2
    exit 2
  fi
  e2e_setup "$name" "$1"
  linuxProgram="$SORVEL"
  wine_setup "$2" "$3" "$4"
  windowsProgram="$(wine_program sorvel.exe)" || exit 1
  wine_prepare_prefix
  e2e_start_xvfb
  chmod 755 "$E2E_DIR"
}

# wine_setup STATE_DIR WIN32_BUILD WIN64_BUILD: chooses the loader and the Windows build folder
# (WINE_LOADER, WINE_SERVER, WINE_BUILD, WINE_BITS), the user that runs Wine and the prefix
# STATE_DIR/prefix. Skips the test when Wine can run nothing here.
wine_setup() {
  WINE_STATE="$(realpath -m -- "$1")"
  local build32 build64
  build32="$(realpath -m -- "$2")"
  build64="$(realpath -m -- "$3")"
  WINE_PREFIX_DIR="$WINE_STATE/prefix"
  WINE_HOME="$WINE_STATE/home"
  wine_choose_loader "$build32" "$build64"
  wine_choose_user
  trap wine_exit_trap EXIT
}

# wine_first_executable PATH...: prints the first of the paths that is an executable file.
wine_first_executable() {
  local path
  for path in "$@"; do
    if [ -n "$path" ] && [ -x "$path" ] && [ -f "$path" ]; then
      echo "$path"
      return 0
    fi
  done
  return 1
}

# wine_first_loader BITS PATH...: prints the first of the paths that is an executable ELF file
# of BITS (32 or 64) bits, which a script that only starts a loader is not.
wine_first_loader() {
  local bits="$1" path class
  shift
  for path in "$@"; do
    [ -n "$path" ] && [ -x "$path" ] && [ -f "$path" ] || continue
    # ELF files begin with 7F "ELF" and their class: 1 for 32-bit, 2 for 64-bit.
    class="$(od -An -tx1 -N5 -- "$path" 2>/dev/null | tr -d ' \n')"
    if [ "$class" = "7f454c46$([ "$bits" = 32 ] && echo 01 || echo 02)" ]; then
      echo "$path"
      return 0
    fi
  done
  return 1
}

# wine_loader_runs LOADER: true when LOADER executes on this machine; its complaint otherwise
# goes to WINE_LOADER_ERROR.
wine_loader_runs() {
  local output
  if output="$("$1" --version 2>&1)" && [[ "$output" == wine* ]]; then
    return 0
  fi
  # The shell's complaint ends with the reason, such as "Exec format error".
  WINE_LOADER_ERROR="$(echo "$output" | head -n 1)"
  WINE_LOADER_ERROR="${WINE_LOADER_ERROR##*: }"
  return 1
}

# wine_choose_loader WIN32_BUILD WIN64_BUILD: tries the 32-bit loader first, then the 64-bit one.
wine_choose_loader() {
  local build32="$1" build64="$2" loader32 loader64 why32
  # Debian keeps the loaders apart from the /usr/bin/wine script, which picks the 32-bit loader
  # whenever it is installed, whether or not the machine can execute it.
  loader32="$(wine_first_loader 32 /usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/wine \
    "$(command -v wine 2>/dev/null)")"
  loader64="$(wine_first_loader 64 /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 \
    "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)")"
  if [ -z "$loader32" ] && [ -z "$loader64" ]; then
    e2e_skip "Wine is not installed (scripts/install-deps.sh installs wine and wine64)"
  fi
  if [ -n "$loader32" ] && wine_loader_runs "$loader32"; then
    WINE_LOADER="$loader32"
    WINE_BITS=32
    WINE_BUILD="$build32"
    e2e_log "running the shipped 32-bit Windows build ($build32) with $loader32:" \
      "this machine executes 32-bit programs"
  else
    why32="${loader32:+$loader32 cannot run here: $WINE_LOADER_ERROR}"
    why32="${why32:-the 32-bit Wine loader (wine32) is not installed}"
    if [ -z "$loader64" ]; then
      e2e_skip "Wine can run nothing on this machine: $why32; the 64-bit Wine loader (wine64)" \
        "is not installed"
    fi
    if ! wine_loader_runs "$loader64"; then
      e2e_skip "Wine can run nothing on this machine: $why32; $loader64 cannot run either:" \
        "$WINE_LOADER_ERROR"
    fi
    WINE_LOADER="$loader64"
    WINE_BITS=64
    WINE_BUILD="$build64"
    e2e_log "running the 64-bit Windows build ($build64) with $loader64, not the shipped" \
      "32-bit one: $why32"
  fi
  # One server serves 32-bit and 64-bit programs alike; the 64-bit one where there is a choice.
  WINE_SERVER="$(wine_first_executable "$(dirname "$WINE_LOADER")/wineserver64" \
    "$(dirname "$WINE_LOADER")/wineserver32" "$(dirname "$WINE_LOADER")/wineserver" \
    "$(command -v wineserver 2>/dev/null)")" || e2e_abort "no wineserver found for $WINE_LOADER"
}

# wine_choose_user: sets WINE_USER and WINE_GROUP, the account that runs Wine.
wine_choose_user() {
  if [ "$(id -u)" != 0 ]; then
    WINE_USER="$(id -un)"
    WINE_GROUP="$(id -gn)"
    return
  fi
  if ! id -u "$WINE_USER_NAME" >/dev/null 2>&1; then
    # Two tests may start at once: one creates the user, the other waits for it.
    mkdir -p "$WINE_STATE"
    flock "$WINE_STATE/.user.lock" sh -c "id -u $WINE_USER_NAME >/dev/null 2>&1 ||
      useradd --system --user-group --no-create-home --home-dir /nonexistent \
        --shell /usr/sbin/nologin $WINE_USER_NAME" >/dev/null 2>&1
  fi
  if id -u "$WINE_USER_NAME" >/dev/null 2>&1; then
    WINE_USER="$WINE_USER_NAME"
    WINE_GROUP="$(id -gn "$WINE_USER_NAME")"
  else
    e2e_log "could not create the user $WINE_USER_NAME; Wine runs as nobody"
    WINE_USER=nobody
    WINE_GROUP="$(id -gn nobody)"
  fi
}

# wine_own PATH...: gives PATH (and what is inside) to the user that runs Wine.
wine_own() {
  [ "$(id -u)" = 0 ] || return 0
  chown -R "$WINE_USER:$WINE_GROUP" -- "$@"
}

# wine_as_user COMMAND...: runs COMMAND as the Wine user with only the environment Wine needs.
wine_as_user() {
  local environment=(HOME="$WINE_HOME" USER="$WINE_USER" LOGNAME="$WINE_USER"
    PATH=/usr/local/bin:/usr/bin:/bin WINEPREFIX="$WINE_PREFIX_DIR"
    WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8)
  [ -n "${DISPLAY:-}" ] && environment+=(DISPLAY="$DISPLAY")
  [ -n "${TZ:-}" ] && environment+=(TZ="$TZ")
  if [ "$(id -u)" = 0 ]; then
    setpriv --reuid="$WINE_USER" --regid="$WINE_GROUP" --clear-groups -- \
      env -i "${environment[@]}" "$@"
  else
    env -i "${environment[@]}" "$@"
  fi
}

# wine_prepare_prefix [fresh]: makes sure the Wine prefix exists, creating it (about 15 to 30 s)
# when missing; with "fresh" an existing prefix is removed first. Two tests never create it at
# the same time.
wine_prepare_prefix() {
  local fresh="${1:-}"
  mkdir -p "$WINE_STATE"
  chmod 755 "$WINE_STATE"
  exec 8>"$WINE_STATE/.prefix.lock"
  flock 8
  if [ "$fresh" = fresh ] && [ -e "$WINE_PREFIX_DIR" ]; then
    wine_as_user "$WINE_SERVER" -k >/dev/null 2>&1
    rm -rf -- "$WINE_PREFIX_DIR" "$WINE_HOME"
  fi
  if [ ! -f "$WINE_PREFIX_DIR/system.reg" ]; then
    wine_create_prefix
  fi
  flock -u 8
  exec 8>&-
}

# wine_create_prefix: creates the prefix with wineboot, without a display (no dialogs), and
# gives it the settings of wine_write_settings.
wine_create_prefix() {
  local started=$SECONDS settings="$WINE_STATE/settings.reg"
  rm -rf -- "$WINE_PREFIX_DIR"
  mkdir -p "$WINE_HOME" "$WINE_PREFIX_DIR"
  wine_own "$WINE_HOME" "$WINE_PREFIX_DIR"
  wine_write_settings "$settings"
  e2e_log "creating the Wine prefix $WINE_PREFIX_DIR as user $WINE_USER"
  if ! (unset DISPLAY && wine_as_user sh -c '"$1" wineboot --init && "$1" regedit /S "$3" &&
    "$2" -w' sh "$WINE_LOADER" "$WINE_SERVER" "Z:${settings//\//\\}") \
    >"$WINE_STATE/prefix.log" 2>&1 || [ ! -f "$WINE_PREFIX_DIR/system.reg" ]; then
    e2e_abort "creating the Wine prefix failed: $(tail -n 20 "$WINE_STATE/prefix.log")"
  fi
  grep -q '^"Managed"="N"' "$WINE_PREFIX_DIR/user.reg" ||
    e2e_abort "the Wine prefix did not take the settings of $settings"
  e2e_log "Wine prefix created in $((SECONDS - started)) s"
}

# wine_write_settings FILE: writes the registry settings of the prefix. The conformance test
# programs get windows that no window manager handles ("Managed" N): there is none on the test
# display, and Wine waits 2 s for one whenever such a window is hidden or destroyed. The real
# program keeps the default, so that it is closed as a desktop closes it.
wine_write_settings() {
  local source key='HKEY_CURRENT_USER\Software\Wine\AppDefaults'
  {
    printf 'REGEDIT4\r\n'
    for source in "$WINE_SOURCE_DIR"/tests/conformance/*_test.cpp; do
      printf '\r\n[%s\\conformance_%s.exe\\X11 Driver]\r\n"Managed"="N"\r\n' "$key" \
        "$(basename "$source" .cpp)"
    done
  } >"$1"
  chmod 644 "$1"
}

# wine_program NAME: prints the path of the Windows program NAME of the chosen build, or aborts
# when it was not built.
wine_program() {
  local path="$WINE_BUILD/$1"
  [ -f "$path" ] || e2e_abort "$path is missing: build the $WINE_BITS-bit Windows program" \
    "(scripts/build.sh windows)"
  echo "$path"
}

# wine_write_launcher FILE PROGRAM: writes FILE, a script without arguments that runs the
# Windows PROGRAM under Wine in the current folder and waits until every Wine process of the
# prefix has ended (so that a display is not taken away early); its exit code is the
# program's.
wine_write_launcher() {
  local file="$1" program="$2"
  {
    echo '#!/usr/bin/env bash'
    echo "source $(printf %q "$WINE_LIB")"
    declare -p WINE_STATE WINE_PREFIX_DIR WINE_HOME WINE_USER WINE_GROUP WINE_LOADER WINE_SERVER
    echo "export DISPLAY=$(printf %q "${DISPLAY:-}")"
    printf 'wine_as_user sh -c %q sh %q %q %q\n' \
      '"$1" "$2"; code=$?; "$3" -w; exit $code' "$WINE_LOADER" "$program" "$WINE_SERVER"
  } >"$file"
  chmod 755 "$file"
}

# wine_run_copy FOLDER LOG END_PATTERN SECONDS: e2e_run_copy for the Windows program started by
# the launcher in SORVEL (wine_write_launcher): Copy is clicked once only. Windows, and Wine
# with it, keeps a click that arrives before the message loop runs and hands it on when the loop
# fetches it, so a click is never lost there, and a second click could start a second run.
wine_run_copy() {
  local folder="$1" log="$2" pattern="$3" seconds="$4" started=$SECONDS times=()
  [ -e "$log" ] && e2e_abort "the log $log exists before the run"
  e2e_start_program "$folder"
  times+=("window shown $((SECONDS - started)) s")
  sleep 0.5
  e2e_click_copy
  e2e_wait_until 60 test -e "$log" ||
    e2e_abort "no run started within 60 s of clicking Copy (no $log);" \
      "output: $(cat "$E2E_PROGRAM_OUT")"
  times+=("run begun $((SECONDS - started)) s")
  e2e_wait_file_grep "$seconds" "$log" "$pattern" ||
    e2e_fail "the run did not end within $seconds s (no '$pattern' in $log)"
  times+=("run ended $((SECONDS - started)) s")
  e2e_close_program 30 || return 1
  times+=("Wine ended $((SECONDS - started)) s")
  e2e_log "Windows program: $(IFS=,; echo "${times[*]}" | sed 's/,/, /g') after its start"
  e2e_expect_equal "exit code of the Windows program" 0 "$E2E_PROGRAM_EXIT"
}

# wine_without_time_stamp: a log from standard input without the line of its run's time stamp,
# the one line in which two runs on the same input differ.
wine_without_time_stamp() { grep -v '^Logged [0-9]'; }

# wine_compare WHAT EXPECTED ACTUAL: the two files are the same byte for byte; otherwise a
# failure showing the first lines of their difference.
wine_compare() {
  cmp -s "$2" "$3" && return 0
  e2e_fail "$1 differ:"
  diff -a "$2" "$3" | head -n 20 | cat -A >&2
}

# wine_stop_server: ends every process still running in the prefix (only this test's).
wine_stop_server() {
  [ -n "$WINE_SERVER" ] && [ -d "$WINE_PREFIX_DIR" ] || return 0
  wine_as_user "$WINE_SERVER" -k >/dev/null 2>&1 || true
}

# Ends Wine's processes before e2e_cleanup ends the display and removes the work folder.
wine_exit_trap() {
  local code=$?
  wine_stop_server
  (exit "$code")
  e2e_cleanup
}

WINE_LIB="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")"
WINE_SOURCE_DIR="$(cd "$(dirname "$WINE_LIB")/../../.." && pwd)"
