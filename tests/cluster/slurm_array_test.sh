#!/usr/bin/env bash
# The job array against a real Slurm: munged, slurmctld and slurmd started
# here for this machine alone, from a temporary folder, on ports of their own.
# The array must write the same bytes as a single-machine render, and a
# re-submission after a lost frame must render that frame and nothing else.
# Usage: slurm_array_test.sh HOLVANE SOURCE_DIR. Exit 77: skipped.
set -euo pipefail

holvane=$1
source_dir=$2
clip="$source_dir/examples/ocean_parrotfish/frame.%04d.png"
frames=(0001 0002 0003 0004 0005)

skip() {
  echo "SKIPPED: $*" >&2
  exit 77
}
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

[ "$(id -u)" -eq 0 ] || skip "starting munged, slurmctld and slurmd needs root"
for program in munged slurmctld slurmd sbatch sinfo timeout; do
  command -v "$program" >/dev/null ||
    skip "$program is not installed (scripts/install-deps.sh cluster installs Slurm and MUNGE)"
done

work=$(mktemp -d /tmp/holvane-slurm.XXXXXX)
chmod 700 "$work"
daemons=()

# Every daemon runs in the foreground under this shell, so $! is its PID;
# what they print there is in their log files too.
stop_daemons() {
  local pid
  for pid in "${daemons[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${daemons[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
show_logs() {
  local log
  for log in "$work"/*.log "$work"/logs/*.log; do
    [ -f "$log" ] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }
  done
  return 0
}
on_exit() {
  local status=$?
  [ "$status" -ne 0 ] && [ "$status" -ne 77 ] && show_logs
  stop_daemons
  rm -rf "$work"
  exit "$status"
}
trap on_exit EXIT
trap 'exit 1' INT TERM HUP

# A port nothing listens on, so that parallel runs and a real Slurm on this
# machine do not meet.
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 20000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
  done
}

wait_for() {
  local what=$1 seconds=$2
  shift 2
  for _ in $(seq $((seconds * 5))); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  fail "$what did not come up within $seconds s"
}

start_munge() {
  mkdir -m 700 "$work/munge"
  dd if=/dev/urandom of="$work/munge/munge.key" bs=1024 count=1 status=none
  chmod 400 "$work/munge/munge.key"
  # --force: the folder lies under /tmp, which munged would otherwise distrust.
  munged --foreground --force --key-file="$work/munge/munge.key" \
    --socket="$work/munge/socket" --pid-file="$work/munge/munged.pid" \
    --seed-file="$work/munge/seed" --log-file="$work/munged.log" >/dev/null 2>&1 &
  daemons+=($!)
  wait_for munged 20 test -S "$work/munge/socket"
}

# The short host name, as slurmctld and slurmd find their own.
host=$(uname -n)
host=${host%%.*}

write_slurm_conf() {
  mkdir -p "$work/state" "$work/spool" "$work/logs"
  cat >"$work/slurm.conf" <<EOF
ClusterName=holvanetest
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$work/munge/socket
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
MpiDefault=none
SwitchType=switch/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=local Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
  export SLURM_CONF="$work/slurm.conf"
}

node_is_idle() {
  [ "$(sinfo -h -N -o %t)" = idle ]
}

start_slurm() {
  slurmctld -D -i -f "$SLURM_CONF" >/dev/null 2>&1 &
  daemons+=($!)
  slurmd -D -f "$SLURM_CONF" -N "$host" >/dev/null 2>&1 &
  daemons+=($!)
  wait_for "the Slurm node" 60 node_is_idle
}

# The array over the clip, three tasks, waited for; its task logs go to logs/.
# The time limit keeps the whole test within ctest's, so the daemons are
# always stopped here.
submit_array() {
  local run=$1
  SBATCH_WAIT=1 SBATCH_OUTPUT="$work/logs/$run-%a.log" timeout 180 \
    "$holvane" cluster slurm "$clip" "$work/farm/o.%04d.png" --chunks 3 --submit ||
    fail "the array of $run did not finish cleanly"
}

start_munge
write_slurm_conf
start_slurm

"$holvane" render "$clip" "$work/single/o.%04d.png" --quiet --jobs 1
submit_array first
for f in "${frames[@]}"; do
  cmp "$work/single/o.$f.png" "$work/farm/o.$f.png" || fail "frame $f differs from one machine's"
done
[ "$(cat "$work"/logs/first-*.log | grep -c '^frame ')" -eq 5 ] || fail "the first run did not render 5 frames"

# A task that died midway: its frame gone, a temporary file left behind.
rm "$work/farm/o.0003.png"
head -c 2000 "$work/single/o.0003.png" >"$work/farm/.o.0003.png.holvane-1-0.tmp"
declare -A before
for f in "${frames[@]}"; do before[$f]=$(stat -c %i "$work/farm/o.$f.png" 2>/dev/null || true); done

submit_array second
cmp "$work/single/o.0003.png" "$work/farm/o.0003.png" || fail "the lost frame came back different"
for f in 0001 0002 0004 0005; do
  [ "$(stat -c %i "$work/farm/o.$f.png")" = "${before[$f]}" ] || fail "frame $f was written again"
done
rendered=$(cat "$work"/logs/second-*.log | grep '^frame ' || true)
[ "$rendered" = "frame 3 -> $work/farm/o.0003.png (1/1)" ] || fail "the second run rendered: $rendered"
[ "$(cat "$work"/logs/second-*.log | grep -c 'holvane: skipped')" -eq 3 ] ||
  fail "not every task said what it skipped"
echo "the array matches one machine's render and re-renders only the lost frame"
