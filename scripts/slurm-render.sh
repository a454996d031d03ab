#!/usr/bin/env bash
# Renders a frame range on a Slurm cluster: one array task per chunk of frames, each task
# running `boxwander render --frames A-B --jobs <its CPUs>` on the same arguments.
#
#   scripts/slurm-render.sh --frames 0-239 --chunk 10 --cpus 8 -- \
#       shot.####.exr -o out/shot.####.exr --path @mask.####.json --time 0@0,100@239
#
# Everything after "--" is passed to `boxwander render` as it is (input, -o, --path, the
# controls); give neither --frames nor --jobs there. Paths must be the same on every node
# (a shared filesystem), and so must the tool's.
set -euo pipefail

usage() {
  cat <<'USAGE'
Usage: slurm-render.sh --frames A-B [options] -- RENDER-ARGUMENTS...

  --frames A-B        the frames of the whole job (required)
  --chunk N           frames per array task (default: the frames split into --tasks)
  --tasks N           number of array tasks when --chunk is not given (default 4)
  --cpus N            CPUs per task, rendered side by side with --jobs N (default 1)
  --tool PATH         the boxwander executable (default: boxwander on PATH)
  --log-dir DIR       one log per task, boxwander-JOB_TASK.log (default: slurm-logs)
  --sbatch-arg ARG    passed on to sbatch, e.g. --sbatch-arg=--partition=render (repeatable)
  --wait              wait for every task; exit non-zero when one failed
  --dry-run           print the sbatch command and the task script instead of submitting
USAGE
}

frames="" chunk="" tasks=4 cpus=1 tool="" log_dir="slurm-logs" wait=0 dry_run=0
sbatch_args=()
while (($#)); do
  case "$1" in
    --frames) frames=$2; shift 2 ;;
    --frames=*) frames=${1#*=}; shift ;;
    --chunk) chunk=$2; shift 2 ;;
    --chunk=*) chunk=${1#*=}; shift ;;
    --tasks) tasks=$2; shift 2 ;;
    --tasks=*) tasks=${1#*=}; shift ;;
    --cpus) cpus=$2; shift 2 ;;
    --cpus=*) cpus=${1#*=}; shift ;;
    --tool) tool=$2; shift 2 ;;
    --tool=*) tool=${1#*=}; shift ;;
    --log-dir) log_dir=$2; shift 2 ;;
    --log-dir=*) log_dir=${1#*=}; shift ;;
    --sbatch-arg) sbatch_args+=("$2"); shift 2 ;;
    --sbatch-arg=*) sbatch_args+=("${1#*=}"); shift ;;
    --wait) wait=1; shift ;;
    --dry-run) dry_run=1; shift ;;
    -h|--help) usage; exit 0 ;;
    --) shift; break ;;
    *) echo "slurm-render.sh: unknown option '$1'" >&2; usage >&2; exit 2 ;;
  esac
done
render_args=("$@")

fail() { echo "slurm-render.sh: $*" >&2; exit 2; }
[[ $frames =~ ^([0-9]+)(-([0-9]+))?$ ]] || fail "--frames: expected A-B or A, found '$frames'"
first=$((10#${BASH_REMATCH[1]}))
last=$((10#${BASH_REMATCH[3]:-${BASH_REMATCH[1]}}))
((first <= last)) || fail "--frames: $first is after $last"
[[ $cpus =~ ^[1-9][0-9]*$ ]] || fail "--cpus: expected a whole number from 1, found '$cpus'"
((${#render_args[@]})) || fail "no render arguments after '--'"
for a in "${render_args[@]}"; do
  case "$a" in
    --frames|--frames=*|--jobs|--jobs=*) fail "'$a' is set per task; leave it out" ;;
  esac
done
count=$((last - first + 1))
if [[ -z $chunk ]]; then
  [[ $tasks =~ ^[1-9][0-9]*$ ]] || fail "--tasks: expected a whole number from 1, found '$tasks'"
  chunk=$(((count + tasks - 1) / tasks))
fi
[[ $chunk =~ ^[1-9][0-9]*$ ]] || fail "--chunk: expected a whole number from 1, found '$chunk'"
array_size=$(((count + chunk - 1) / chunk))

if [[ -z $tool ]]; then
  tool=$(command -v boxwander) || fail "no boxwander on PATH; give --tool PATH"
fi
[[ -x $tool ]] || fail "--tool: '$tool' is not an executable"
tool=$(readlink -f "$tool")

# The task script: its frames from the array index, the tool's own stop and exit status
# passed on to Slurm (a stopped task exits 130/143, a failed frame non-zero).
quoted_args=$(printf ' %q' "${render_args[@]}")
script="#!/usr/bin/env bash
set -euo pipefail
a=\$(($first + SLURM_ARRAY_TASK_ID * $chunk))
b=\$((a + $chunk - 1))
if ((b > $last)); then b=$last; fi
cpus=\${SLURM_CPUS_PER_TASK:-$cpus}
echo \"boxwander task \$SLURM_ARRAY_TASK_ID on \$(hostname): frames \$a-\$b with \$cpus CPUs\"
exec $(printf '%q' "$tool") render$quoted_args --frames \"\$a-\$b\" --jobs \"\$cpus\" --progress lines
"

command=(sbatch --parsable --job-name=boxwander --array="0-$((array_size - 1))"
  --ntasks=1 --cpus-per-task="$cpus" --output="$log_dir/boxwander-%A_%a.log")
((wait)) && command+=(--wait)
command+=("${sbatch_args[@]}")

if ((dry_run)); then
  printf '%q ' "${command[@]}"
  printf '\n%s' "$script"
  exit 0
fi
mkdir -p "$log_dir"
echo "slurm-render.sh: frames $first-$last in $array_size tasks of up to $chunk frames," \
  "$cpus CPUs each; logs in $log_dir" >&2
"${command[@]}" <<<"$script"
