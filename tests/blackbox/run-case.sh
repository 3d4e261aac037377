#!/bin/bash
# Runs one case of tests/data/reports/cases.txt: the built quentix run as an administrator runs
# it, its standard output compared byte for byte with the expected report, its standard error
# and its exit status with the case's. Exits 0 when all three match, 77 when the case cannot be
# run here (a scan needs root and a process-id namespace of its own), 1 otherwise, and also
# when the table holds what this script does not know: it runs no text of the table as code.
#
#   run-case.sh NAME SYSTEM QUENTIX BUILD [EMULATOR...]
#
# NAME is the case's first word in the table. SYSTEM is linux or wine. QUENTIX is the program
# under test and BUILD the build folder holding the test programs. For wine, EMULATOR is the
# command that runs a Windows program (cmake/wine-run.sh and its prefix).
#
# An expected report is the report itself, CR LF and all, with marks: {TIME} for the time line
# (whose shape is checked), {MACHINE}, {DIR} and {/} (the samples' folder and the path
# separator), {FILE}, {DEEP}, {PID1}... (the sample hosts' process ids, in the order they were
# started) and {ERROR n} (the error and the system's text for it).
set -euo pipefail

name=$1 system=$2 quentix=$3 build=$4

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

# Splits a line of the table into words, into the array words: blanks part them, and '...'
# makes one word of what it holds, blanks and all, or an empty one. Each word then has its
# escapes (\r, \n, \xHH) put in.
split_words() {
  local text=$1 word='' quoted='' started='' c i
  words=()
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    if [[ $c == "'" ]]; then
      if [[ -n $quoted ]]; then quoted=''; else quoted=yes; fi
      started=yes
    elif [[ $c == ' ' && -z $quoted ]]; then
      [[ -z $started ]] || words+=("$word")
      word='' started=''
    else
      word+=$c started=yes
    fi
  done
  [[ -z $quoted ]] || fail "a quote is not closed in: $text"
  [[ -z $started ]] || words+=("$word")
  for i in "${!words[@]}"; do printf -v "words[$i]" '%b' "${words[i]}"; done
}

# ---- The case: its line, and the indented lines under it. Every line of the table is a case,
# an option of one (indented by two blanks), a comment or blank.
[[ $name =~ ^[a-z0-9_]+$ ]] || fail "no case is named $name"
strange=$(grep -nvE '^([a-z]|  [a-z]|#|$)' "$data/cases.txt" | head -1 || true)
[[ -z $strange ]] || fail "a line of cases.txt is no case, option or comment: $strange"
case_line=$(grep -E "^$name " "$data/cases.txt" || true)
[[ -n $case_line ]] || fail "no case is named $name"
[[ $case_line != *$'\n'* ]] || fail "two cases are named $name"
echo "case $case_line"
options=$(awk -v name="$name" '/^[a-z]/ { here = $1 == name; next } /^ / && here' "$data/cases.txt")
split_words "$case_line"
status=${words[2]} expected=${words[3]}
command=("${words[@]:4}")

# Options whose value is one text keep it whole; the others are split into words when used.
file=fine.dll catalog='' packages='' err='' machine='' late='' input='' output=''
make=() hosts=() changes=() limits=()
while IFS= read -r option; do
  [[ -n $option ]] || continue
  option=${option#  }
  key=${option%% *} raw=${option#"$key"} raw=${raw# }
  printf -v value '%b' "$raw"
  case $key in
  file) file=$value ;;
  catalog) catalog=$value ;;
  packages) packages=$value ;;
  err) err=$value ;;
  machine) machine=$value ;;
  late) late=yes ;;
  input)
    [[ $value == pipe ]] || fail "standard input can be a pipe, not $value"
    input=pipe
    ;;
  output) output=$value ;;
  limit)
    [[ $value =~ ^(stack|fsize|nofile)=[0-9]+$ ]] || fail "no such limit: $value"
    limits+=("--$value")
    ;;
  make) split_words "$raw" && make=("${words[@]}") ;;
  host | suspended | steps) hosts+=("$key $raw") ;;
  write | rename | remove | symlink) changes+=("$key $raw") ;;
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
printf -v step '%200s' '' && step=/${step// /d}
deep=deep
for _ in {1..18}; do deep+=$step; done

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
# A word of a command with its marks put in, into marked; none may be left that this script
# does not know.
mark_word() {
  marked=$(with_marks "$1")
  [[ ! $marked =~ \{[A-Z][A-Z0-9-]*\} ]] || fail "unknown mark ${BASH_REMATCH[0]} in: $1"
}

# ---- The hosts: each started, and ready, before the next.
# A host that mounted a tmpfs of its own is expected to show its files there by the paths it
# gave. Under a chroot (a root that is not its mount namespace's) the kernel names them from
# the machine's root instead, and nothing the case expects holds: say so and skip it.
names_private_files_as_given() {
  local pid=$1 folder='' pivoted=''
  shift
  while (($#)); do
    [[ $1 == --private-tmpfs ]] && folder=$2
    [[ $1 == --pivot-root ]] && pivoted=yes
    shift
  done
  [[ -z $folder || -n $pivoted ]] && return 0
  grep -qF " $folder/" "/proc/$pid/maps" && return 0
  echo "the kernel names the files of the host's own mount namespace by other paths here (a chroot)"
  return 1
}

for host in "${hosts[@]}"; do
  split_words "${host#* }"
  setup=("${words[@]}")
  out=$work/host${#host_pids[@]}
  case ${host%% *} in
  steps)
    steps=()
    for step in "${setup[@]}"; do mark_word "$step" && steps+=("$marked"); done
    "$build/tools/sample_host" "${steps[@]}" >"$out" 2>&1 &
    ;;
  host)
    files=()
    for sample in "${setup[@]:1}"; do mark_word "{DIR}{/}$sample" && files+=("$marked"); done
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
  [[ ${host%% *} != steps ]] || names_private_files_as_given "$pid" "${steps[@]}" || exit 77
  marks+=("{PID${#host_pids[@]}}" "$pid")
done

# ---- The changes to the samples' folder, in order, each to files of that folder alone.
name_in_dir() {
  [[ -n $1 && $1 != */* && $1 != . && $1 != .. ]] || fail "not a file name of the folder: $1"
}
count() {
  [[ $1 =~ ^[0-9]+$ ]] || fail "not a count: $1"
}
# The pieces of a file that a write change makes, to standard output.
write_pieces() {
  while (($#)); do
    case $1 in
    first)
      (($# >= 3)) && count "$2" && name_in_dir "$3" || fail "first takes a count and a file"
      head -c "$2" "$dir/$3" || fail "$3 cannot be read"
      shift 3
      ;;
    whole)
      (($# >= 2)) && name_in_dir "$2" || fail "whole takes a file"
      cat "$dir/$2" || fail "$2 cannot be read"
      shift 2
      ;;
    zeros)
      (($# >= 2)) && count "$2" || fail "zeros takes a count"
      head -c "$2" /dev/zero
      shift 2
      ;;
    text)
      (($# >= 2)) || fail "text takes a text"
      printf '%s' "$2"
      shift 2
      ;;
    *) fail "no such piece of a file: $1" ;;
    esac
  done
}
for change in "${changes[@]}"; do
  split_words "${change#* }"
  set -- "${words[@]}"
  name_in_dir "${1-}"
  case ${change%% *} in
  write) write_pieces "${@:2}" >"$dir/$1" ;;
  rename) (($# == 2)) && name_in_dir "$2" && mv "$dir/$1" "$dir/$2" ;;
  remove) (($# == 1)) && rm "$dir/$1" ;;
  symlink) (($# == 2)) && name_in_dir "$2" && ln -s "$2" "$dir/$1" ;;
  esac || fail "the change failed: $change"
done

# ---- The fakes: the catalog of that name and a tracker listing the packages.
argv=()
if [[ ${command[*]} == '{NO-ARGUMENTS}' ]]; then
  argv=('{NO-ARGUMENTS}')
else
  for word in "${command[@]}"; do mark_word "$word" && argv+=("$marked"); done
fi
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

# ---- The run. How it is started: within its time limit, with the case's resource limits and
# standard output.
launch=("${limit[@]}")
if [[ $output == closed-pipe ]]; then
  launch+=(perl -e 'pipe(my $r, my $w) or die; close $r; open(STDOUT, ">&", $w) or die; exec @ARGV')
fi
((${#limits[@]} == 0)) || launch+=(prlimit "${limits[@]}" --)
case $output in
'') stdout=$work/out ;;
full-disk) stdout=/dev/full ;;
closed-pipe) stdout=/dev/null ;; # in place of the pipe only until the run starts
*) name_in_dir "$output" && stdout=$dir/$output ;;
esac
if [[ $system == wine && -n $input$output${limits[*]} ]]; then
  fail "standard input, standard output and limits are set on Linux alone"
fi
# Descriptors that CTest or this script left open would count against the run's own.
close_inherited_descriptors() {
  local fd
  for fd in /proc/self/fd/*; do
    fd=${fd##*/}
    if ((fd > 2)) && [[ -e /proc/self/fd/$fd ]]; then exec {fd}<&-; fi
  done
}

# The system may not start a program with no argument at all; it gets what it gets.
: >"$work/out"
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
elif [[ $input == pipe ]]; then
  (close_inherited_descriptors && exec "${launch[@]}" "${argv[@]}" >"$stdout" 2>"$work/err" \
    < <(echo x))
else
  (close_inherited_descriptors && exec "${launch[@]}" "${argv[@]}" >"$stdout" 2>"$work/err" \
    </dev/null)
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
