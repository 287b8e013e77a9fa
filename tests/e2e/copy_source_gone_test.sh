#!/usr/bin/env bash
# The source medium goes away during a slow read: the program serving it ends (as a FUSE daemon
# killed, a stick pulled). The file being read gives up its rest at once (a notice says where),
# the files after it are named in the log and reported as unable to open, and the run ends with
# its totals within a minute, instead of reading every remaining byte depthRead + 1 times.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_source_gone_test "${1:-}"
e2e_need_fuse

src="$E2E_DIR/disc"
mnt="$E2E_DIR/stick"
run="$E2E_DIR/run"
dest="$E2E_DIR/saved"
size=3145728
mkdir -p "$src" "$run"
head -c 20000 /dev/urandom >"$src/a.bin"
head -c "$size" /dev/urandom >"$src/big.bin"
head -c 30000 /dev/urandom >"$src/c.bin"
head -c 40000 /dev/urandom >"$src/d.bin"
# A read that reaches byte 2000000 takes 30 s: the medium goes while it waits.
echo "big.bin 2000000 2000000 slow 30000" >"$E2E_DIR/rules"
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"
medium_pid="${E2E_MEDIUM_PIDS[-1]}"
e2e_start_xvfb

log="$run/sorvel.log.htm"
e2e_settings "$run/sorvel.ini" "$mnt/*.*" "$dest" "depthRead: 16"
e2e_start_run "$run" "$log"
title_in_big() { [[ "$(e2e_title)" == *big.bin* ]]; }
e2e_wait_until 30 title_in_big || e2e_abort "the title never showed big.bin (last: $(e2e_title))"
sleep 3
kill -9 "$medium_pid"
gone_at=$SECONDS
if ! e2e_wait_file_grep 60 "$log" "$E2E_END_VERIFIED"; then
  e2e_abort "the run did not end within 60 s of the medium going away"
fi
e2e_log "the run ended $((SECONDS - gone_at)) s after the medium went away"
e2e_close_program 30
e2e_expect_equal "exit code of the program" 0 "$E2E_PROGRAM_EXIT"

for file in a.bin big.bin c.bin d.bin; do
  grep -qF "Copy of \"<B>$file</B>\"" "$log" || e2e_fail "no entry of $file in the log"
done
e2e_expect_same "the copy of a.bin" "$src/a.bin" "$dest/a.bin"
notice="$(e2e_log_entries "$log" | sed -n 's/^source gone at \([0-9]*\)bytes$/\1/p')"
[ -n "$notice" ] || e2e_abort "no notice 'source gone at ...bytes' in the log"
[ "$notice" -le 2000000 ] || e2e_fail "big.bin gone at $notice, after the slow byte 2000000"
e2e_expect_equal "size of the copy of big.bin" "$size" "$(e2e_size "$dest/big.bin")"
cmp -s -n "$notice" "$src/big.bin" "$dest/big.bin" ||
  e2e_fail "the first $notice bytes of big.bin differ from the source"
rest=$((size - notice))
e2e_expect_equal "bytes other than zero in the rest of big.bin" 0 \
  "$(tail -c "$rest" "$dest/big.bin" | tr -d '\0' | wc -c)"
e2e_expect_log_entry "unreadable rest of big.bin" "$log" "unable read ${rest}bytes"
e2e_expect_log_entry "big.bin summary" "$log" \
  "Read ${notice}bytes of ${size}bytes, written ${size}bytes, verified ${size}bytes"
e2e_expect_log_entry "c.bin reported" "$log" 'Copy "c.bin", unable open file'
e2e_expect_log_entry "d.bin reported" "$log" 'Copy "d.bin", unable open file'
e2e_expect_log_entry "totals: files" "$log" "Processed 4 files"
# The medium's helper may have unmounted the dead file system already.
if e2e_is_mounted "$mnt"; then e2e_unmount_medium "$mnt"; fi
[ "$E2E_FAILURES" -gt 0 ] && E2E_KEEP=1
e2e_finish
