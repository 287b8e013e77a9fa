#!/usr/bin/env bash
# Installs what building and running need, builds sorvel (a release build, optimised across
# files, without the tests) and starts it in the current folder of the caller, where it keeps its
# settings file and its log. Ends when the program ends, with its exit code.
set -euo pipefail
here="$(pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh" run
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=OFF > /dev/null
cmake --build "$root/build/release" -j "$(nproc)" --target sorvel
cd "$here"

# The log's name: the last logFileName line of the settings file, else the default; a relative
# name is taken in the current folder, as the program takes it.
log_name() {
  local name="sorvel.log.htm" line
  if [ -f sorvel.ini ]; then
    while IFS= read -r line || [ -n "$line" ]; do
      line="${line%$'\r'}"
      [[ "$line" == "logFileName: "* ]] && name="${line#logFileName: }"
    done <sorvel.ini
  fi
  [[ "$name" == /* ]] || name="$here/$name"
  echo "$name"
}

"$root/build/release/sorvel" &
pid=$!
# A program that cannot open its window ends at once and says why on standard error.
for _ in 1 2 3 4 5 6 7 8 9 10; do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "sorvel has started (process $pid); close its window to end it."
  echo "  settings file: $here/sorvel.ini (written when the program ends)"
  echo "  log:           $(log_name) (written during each copy run)"
fi
code=0
wait "$pid" || code=$?
[ "$code" -eq 0 ] || echo "sorvel ended with exit code $code" >&2
exit "$code"
