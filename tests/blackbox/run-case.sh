#!/bin/bash
# Runs one case of tests/data/reports/cases.txt: the built quentix run as an administrator runs
# it, its standard output compared byte for byte with the expected report, its standard error
# and its exit status with the case's. Exits 0 when all three match, 77 when the case cannot be
# run here (a scan needs root and a process-id namespace of its own), 1 otherwise.
#
#   run-case.sh NUMBER SYSTEM QUENTIX BUILD [EMULATOR...]
#
# NUMBER counts the cases of the file from 1. SYSTEM is linux or wine. QUENTIX is the program
# under test and BUILD the build folder holding the test programs. For wine, EMULATOR is the
# command that runs a Windows program (cmake/wine-run.sh and its prefix).
#
# An expected report is the report itself, CR LF and all, with marks: {TIME} for the time line
# (whose shape is checked), {MACHINE}, {DIR} and {/} (the samples' folder and the path
# separator), {FILE}, {DEEP}, {PID1}... (the sample hosts' process ids, in the order they were
# started) and {ERROR n} (the error and the system's text for it).
set -euo pipefail

number=$1 system=$2 quentix=$3 build=$4

# A Linux case runs in a process-id namespace of its own, with its own /proc: the hosts it
# starts are the only processes its scans can see, whatever else runs on the machine. Where no
# such namespace can be had (not root; a chroot whose root is no mount point), the case runs
# here, and a case that scans is skipped below.
isolated=''
if [[ $system == linux ]]; then
  if (($$ == 1)); then
    isolated=yes
  elif [[ $(id -u) == 0 ]] && unshare --pid --fork --mount-proc --kill-child true 2>/dev/null; then
    exec unshare --pid --fork --mount-proc --kill-child -- "$0" "$@"
  fi
fi
shift 4
emulator=("$@")
data=$(cd "$(dirname "$0")/../data/reports" && pwd)

fail() {
  printf 'run-case: %s\n' "$*" >&2
  exit 1
}

# ---- The case: its line, and the indented lines under it.
case_line=$(grep -E '^[a-z]' "$data/cases.txt" | sed -n "${number}p")
[[ -n $case_line ]] || fail "no case $number"
echo "case $number: $case_line"
options=$(awk -v n="$number" '/^[a-z]/ { seen++; next } /^ / && seen == n' "$data/cases.txt")
eval "words=($case_line)"
status=${words[1]} expected=${words[2]}
command=("${words[@]:3}")

file=fine.dll catalog='' packages='' change='' err='' machine='' late='' make=() hosts=()
while IFS= read -r option; do
  [[ -n $option ]] || continue
  option=${option#"${option%%[! ]*}"}
  key=${option%% *}
  printf -v value '%b' "${option#* }"
  case $key in
  file) file=$value ;;
  catalog) catalog=$value ;;
  packages) packages=$value ;;
  change) change=$value ;;
  err) err=$value ;;
  machine) machine=$value ;;
  late) late=yes ;;
  make) read -ra make <<<"$value" ;;
  host | suspended | steps) hosts+=("$key $value") ;;
  *) fail "unknown option $key" ;;
  esac
done <<<"$options"

if [[ $expected != - ]] && grep -q 'Scanning IIS' "$data/$expected.txt" && [[ $system == linux ]] &&
  [[ -z $isolated ]]; then
  echo "a scan needs root and a process-id namespace of its own, so that it sees only its hosts"
  exit 77
fi

# ---- Where the run happens: the samples' folder, and one of our own for what we keep.
work=$(mktemp -d /tmp/quentix-case.XXXXXX)
dir=$work/samples
mkdir "$dir"
host_pids=() suspended_pids=() watcher=''
# Every run here ends within a second: one that has not after five never will. Under Wine a
# run takes a second or two, and many more under the emulated 32-bit Wine on a busy machine:
# one that has not ended after a minute never will.
if [[ $system == wine ]]; then limit=(timeout -s KILL 60); else limit=(timeout -s KILL 5); fi
cleanup() {
  for pid in "${host_pids[@]}" $watcher; do kill -KILL "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  for pid in "${suspended_pids[@]}"; do
    "${limit[@]}" "${emulator[@]}" taskkill /f /pid "$pid" >/dev/null 2>&1 || true
  done
  [[ $system == wine ]] && rm -f "$build/tests/wine/served-data/"*.txt
  rm -rf "$work"
}
trap cleanup EXIT

if [[ $system == wine ]]; then
  separator='\' shown_dir="Z:${dir//\//\\}"
  run() { "${limit[@]}" "${emulator[@]}" "$@"; }
  run "$build/tools/make_samples.exe" "$shown_dir" >/dev/null
  # Real DLLs that the check judges like the samples of their names: each sample's first
  # bytes written over the room that the carrier DLL keeps for them.
  carrier=$build/tests/wine/sample_carrier.dll
  room=$(grep -obUaF -m1 'QUENTIX SAMPLE ROOM' "$carrier" | cut -d: -f1)
  [[ -n $room ]] || fail "the carrier DLL has no room for a sample"
  for sample in fine recompile version5 plain; do
    cp "$carrier" "$work/carrier.dll"
    dd if="$dir/$sample.dll" of="$work/carrier.dll" bs=8192 count=1 seek="$room" \
      oflag=seek_bytes conv=notrunc status=none
    mv "$work/carrier.dll" "$dir/$sample.dll"
  done
else
  separator=/ shown_dir=$dir
  run() { "$@"; }
  "$build/tools/make_samples" "$dir"
fi

# A folder path of some 3600 bytes: far longer than any Windows path.
deep=deep
for _ in $(seq 18); do deep+=/$(printf 'd%.0s' $(seq 200)); done

# ---- Files a case asks for beside the samples.
for what in "${make[@]}"; do
  case $what in
  fifo) mkfifo -m 600 "$dir/pipe.dll" ;;
  sparse) cp "$dir/fine.dll" "$dir/huge.dll" && truncate -s 4G "$dir/huge.dll" ;;
  odd-name)
    cp "$dir/recompile.dll" \
      "$dir/$(printf 'odd\xE9\x1B[2J\r\n\xC2\x85\xE2\x80\xA8\xE2\x80\xA9\xC2\x9Bfine.dll is fine....dll')"
    ;;
  deep) mkdir -p "$dir/$deep" && cp "$dir/recompile.dll" "$dir/$deep/$(printf 'n%.0s' $(seq 200))" ;;
  # A file only root may read: as a module swapped for a link to it, or for another user,
  # who may reach it but not read it.
  root-only) chmod 755 "$work" && chmod 777 "$dir" && chmod 600 "$dir/recompile.dll" ;;
  lures)
    mkfifo -m 600 "$dir/fifo" && cp "$dir/recompile.dll" "$dir/secret.dll"
    chmod 600 "$dir/secret.dll" && mkdir "$dir/ns"
    ;;
  # The samples open to a host that another user runs, and a folder for its own file system.
  open) chmod 755 "$work" "$dir" && mkdir -m 755 "$dir/ns" ;;
  *) fail "unknown file kind $what" ;;
  esac
done

# ---- The marks, put in in this order: a file's mark may hold the folder's.
[[ $file == /* ]] || file="{DIR}{/}$file"
marks=('{QUENTIX}' "$quentix" '{TOOLS}' "$build/tests/tools" '{FILE}' "$file" '{DEEP}' "$deep"
  '{DIR}' "$shown_dir" '{/}' "$separator")
[[ -n $machine ]] && marks+=('{MACHINE}' "$machine")
with_marks() {
  local text=$1 i
  for ((i = 0; i < ${#marks[@]}; i += 2)); do text=${text//"${marks[i]}"/"${marks[i + 1]}"}; done
  printf '%s' "$text"
}

# ---- The hosts: each started, and ready, before the next.
for host in "${hosts[@]}"; do
  eval "setup=(${host#* })"
  out=$work/host${#host_pids[@]}
  case ${host%% *} in
  steps)
    steps=()
    for step in "${setup[@]}"; do steps+=("$(with_marks "$step")"); done
    "$build/tools/sample_host" "${steps[@]}" >"$out" 2>&1 &
    ;;
  host)
    files=()
    for name in "${setup[@]:1}"; do files+=("$(with_marks "{DIR}{/}$name")"); done
    if [[ $system == wine ]]; then
      "${emulator[@]}" "$build/tests/wine/hosts/${setup[0]}" "${files[@]}" >"$out" 2>&1 &
    else
      "$build/tools/sample_host" --name "${setup[0]}" "${files[@]}" >"$out" 2>&1 &
    fi
    ;;
  suspended) "${emulator[@]}" "$build/tests/wine/hosts/${setup[0]}" --suspended >"$out" 2>&1 & ;;
  esac
  host_pids+=($!)
  for _ in $(seq 200); do
    grep -q '^ready' "$out" && break
    if ! kill -0 $! 2>/dev/null && ! grep -q '^ready' "$out"; then
      wait $! && started=0 || started=$?
      cat "$out"
      [[ $started != 77 ]] || exit 77  # what the host needs cannot be had here
      fail "the sample host did not start"
    fi
    sleep 0.05
  done
  read -r _ pid <"$out" || fail "the sample host did not get ready"
  pid=${pid%$'\r'}
  [[ ${host%% *} == suspended ]] && suspended_pids+=("$pid")
  [[ $system == wine ]] || pid=${host_pids[-1]}
  marks+=("{PID${#host_pids[@]}}" "$pid")
done

if [[ -n $change ]]; then
  (cd "$dir" && sh -c "$change") || fail "the change failed"
fi

# ---- The fakes: the catalog of that name and a tracker listing the packages.
argv=()
for word in "${command[@]}"; do printf -v word '%b' "$word" && argv+=("$(with_marks "$word")"); done
packages=$(with_marks "$packages")
if [[ -n $catalog || -n $packages ]]; then
  if [[ $system == wine ]]; then
    served=$build/tests/wine/served-data
    [[ -z $catalog ]] || printf '%s\n%s' "$catalog" "$shown_dir" >"$served/catalog.txt"
    [[ -z $packages ]] || printf '%s' "$packages" >"$served/tracker.txt"
  else
    argv=("$build/tests/tools/quentix_with_fakes" "${catalog:--}" "$dir" "$packages" "${argv[@]:1}")
  fi
fi

# Watches the files of the folder that no run may ever open: "secret.dll", a file a user may
# not read, and "fifo", whose open would show a reader to its writer.
if [[ -e $dir/fifo ]]; then
  inotifywait -m -e open --format %w "$dir/secret.dll" "$dir/fifo" >"$work/opened" \
    2>"$work/watching" &
  watcher=$!
  for _ in $(seq 200); do grep -q 'Watches established' "$work/watching" && break || sleep 0.05; done
fi

# ---- The run. The system may not start a program with no argument at all; it gets what it
# gets.
set +e
if [[ ${argv[0]} == '{NO-ARGUMENTS}' ]]; then
  "${limit[@]}" perl -e 'exec { $ARGV[0] } ()' "$quentix" >"$work/out" 2>"$work/err" </dev/null
elif [[ $system == wine ]]; then
  run "${argv[@]}" >"$work/out" 2>"$work/err" </dev/null
elif [[ -n $late ]]; then
  # Into a pipe left non-blocking, which fills long before its reader starts.
  "${limit[@]}" perl -MFcntl -e 'fcntl(STDOUT, F_SETFL, O_NONBLOCK) or die; exec @ARGV' \
    "${argv[@]}" 2>"$work/err" </dev/null | (sleep 0.3 && cat >"$work/out")
  got_status=${PIPESTATUS[0]}
  "${limit[@]}" "${argv[@]}" >"$work/direct" 2>/dev/null </dev/null
else
  "${limit[@]}" "${argv[@]}" >"$work/out" 2>"$work/err" </dev/null
fi
got_status=${got_status:-$?}
set -e

# ---- The verdict. The time line must have asctime's form with a two-digit day.
codes=$( (cat "$data/$expected.txt" 2>/dev/null || true; printf '%s' "$err") |
  grep -o '{ERROR [0-9a-fx]*}' | sed 's/{ERROR \(.*\)}/\1/' | sort -u || true)
if [[ $system == wine ]]; then
  run "$build/tests/tools/system_text.exe" $codes >"$work/said"
else
  "$build/tests/tools/system_text" $codes >"$work/said"
fi
with_errors() {  # the text with each {ERROR n} and a {MACHINE} left over put in
  SAID=$work/said perl -0777 -pe '
    BEGIN { open my $f, "<", $ENV{SAID}; %said = map { split /\t/, $_, 2 } split /\r?\n/, <$f> }
    s/\{ERROR (\w+)\}/$said{$1}/g; s/\{MACHINE\}/$said{machine}/g'
}
with_time_marked() {
  perl -0777 -pi -e \
    's/(\r\n\r\n)[A-Z][a-z]{2} [A-Z][a-z]{2} \d\d \d\d:\d\d:\d\d \d{4}(\r\n)/$1\{TIME\}$2/' "$1"
}
with_time_marked "$work/out"
if [[ $expected == - ]]; then
  : >"$work/expected"
elif [[ $expected == direct ]]; then
  mv "$work/direct" "$work/expected" && with_time_marked "$work/expected"
else
  # A dot keeps the text's last line ends through the command substitution.
  with_marks "$(cat "$data/$expected.txt"; echo .)" | with_errors | perl -0777 -pe 's/\.\z//' \
    >"$work/expected"
fi
with_marks "$err" | with_errors >"$work/expected-err"

verdict=0
if ! cmp -s "$work/expected" "$work/out"; then
  echo "--- the report differs from $expected.txt (expected, then got; ^M is CR):"
  diff <(cat -A "$work/expected") <(cat -A "$work/out") || true
  verdict=1
fi
if ! cmp -s "$work/expected-err" "$work/err"; then
  echo "--- standard error differs:"
  diff <(cat -A "$work/expected-err") <(cat -A "$work/err") || true
  verdict=1
fi
if [[ $got_status != "$status" ]]; then
  echo "--- exit status $got_status, not $status"
  verdict=1
fi
if [[ -n $watcher && -s $work/opened ]]; then
  echo "--- the run opened a file a link named: $(tr '\n' ' ' <"$work/opened")"
  verdict=1
fi
exit $verdict
