#!/usr/bin/env bash
# The farm script on a real Slurm: a single-node cluster (munged, slurmctld, slurmd on this
# machine, configured in a temporary folder and torn down at the end) renders 24 frames in a
# 4-task array; every frame must equal the single-process render.
#   slurm_farm_test.sh BOXWANDER_TOOL SLURM_RENDER_SCRIPT
# Exit 77 (skipped) when not root or Slurm is absent, unless BOXWANDER_REQUIRE_FARM=1.
set -euo pipefail
tool=$(readlink -f "$1")
farm=$(readlink -f "$2")

skip() {
  if [[ ${BOXWANDER_REQUIRE_FARM:-0} == 1 ]]; then
    echo "FAIL: $* (BOXWANDER_REQUIRE_FARM=1)" >&2
    exit 1
  fi
  echo "SKIP: $*" >&2
  exit 77
}
[[ $(id -u) == 0 ]] || skip "the Slurm farm test starts munged, slurmctld and slurmd, which needs root"
for program in munged slurmctld slurmd sbatch sinfo oiiotool; do
  command -v "$program" >/dev/null || skip "$program is missing; run scripts/install-deps.sh --test"
done
id munge >/dev/null 2>&1 || skip "there is no munge user; run scripts/install-deps.sh --test"

work=$(mktemp -d /tmp/boxwander-farm.XXXXXX)
chmod 755 "$work"  # munged, as the munge user, reaches its folder inside
stop_daemon() {
  local pidfile=$1
  [[ -s $pidfile ]] || return 0
  local pid
  pid=$(<"$pidfile")
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
}
cleanup() {
  local status=$?
  if ((status != 0 && status != 77)); then
    for log in "$work"/*.log "$work"/logs/*.log; do
      [[ -f $log ]] && { echo "--- $log"; tail -n 20 "$log"; }
    done >&2
  fi
  stop_daemon "$work/slurmd.pid"
  stop_daemon "$work/slurmctld.pid"
  stop_daemon "$work/munge/munged.pid"
  rm -rf "$work"
}
trap cleanup EXIT

# munge: its own key, socket and files, owned by the munge user.
mkdir -p "$work/munge"
dd if=/dev/urandom of="$work/munge/munge.key" bs=1024 count=1 status=none
chown -R munge: "$work/munge"
chmod 755 "$work/munge"  # munged wants its socket folder reachable by all
chmod 400 "$work/munge/munge.key"
runuser -u munge -- munged --socket="$work/munge/munge.sock" --key-file="$work/munge/munge.key" \
  --pid-file="$work/munge/munged.pid" --log-file="$work/munge/munged.log" \
  --seed-file="$work/munge/munged.seed"

# Ports away from the defaults and from another run of this test.
base=$((20000 + ($$ % 2000) * 2))
node=$(hostname -s)
mkdir -p "$work/state" "$work/spool" "$work/logs"
cat >"$work/slurm.conf" <<CONF
ClusterName=boxwander-test
SlurmctldHost=$node
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/munge.sock
CredType=cred/munge
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MpiDefault=none
SlurmctldPort=$base
SlurmdPort=$((base + 1))
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
NodeName=$node NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=test Nodes=$node Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$work/slurm.conf
slurmctld -f "$SLURM_CONF"
slurmd -f "$SLURM_CONF"
for _ in $(seq 60); do
  state=$(sinfo -h -N -o %t 2>/dev/null || true)
  [[ $state == idle ]] && break
  sleep 0.5
done
[[ $state == idle ]] || { echo "FAIL: the node did not come up (state '$state')" >&2; exit 1; }

cd "$work"
oiiotool --pattern checker:width=8:height=8:color1=0.9,0.4,0.1,1:color2=0.1,0.5,0.8,0.6 \
  96x64 4 -d uint8 -o in.png
render=(in.png --path "M 4 4 C 90 0 90 60 10 58" --time "5@0,95@23" --max-width 12
  --wh "-0.5@0,0.5@23" --on-original)
"$tool" render "${render[@]}" -o one/f.####.png --frames 0-23 --jobs 1 --quiet

"$farm" --frames 0-23 --tasks 4 --cpus 2 --tool "$tool" --log-dir "$work/logs" --wait \
  -- "${render[@]}" -o "$work/farm/f.####.png"

logs=("$work"/logs/boxwander-*.log)
((${#logs[@]} == 4)) || { echo "FAIL: ${#logs[@]} task logs, expected 4" >&2; exit 1; }
for frame in $(seq -f %04g 0 23); do
  cmp -s "one/f.$frame.png" "farm/f.$frame.png" ||
    { echo "FAIL: frame $frame differs from the single-process render" >&2; exit 1; }
done
[[ $(ls farm | wc -l) == 24 ]] || { echo "FAIL: farm/ holds more than the 24 frames" >&2; exit 1; }
echo "24 frames from 4 Slurm array tasks equal the single-process render"
