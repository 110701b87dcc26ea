#!/usr/bin/env bash
# A one-node SLURM cluster on this machine, for testing the workflow's cluster
# profile for real: munged, slurmctld and slurmd run as root from a state folder
# of their own (key, configuration, spool, logs), on free local ports, so they
# meet no system-wide installation.
#
#   local-slurm.sh start STATE_DIR   start the daemons; ends when the node is idle
#   local-slurm.sh stop STATE_DIR    stop every daemon that start recorded
#
# The daemons' ids are recorded in STATE_DIR/pids (name and id a line), moved to
# STATE_DIR/pids.stopped once they are stopped.
# After start, clients reach the cluster with SLURM_CONF=STATE_DIR/slurm.conf
# (start writes that line to STATE_DIR/env). start installs the Debian packages
# slurm-wlm, munge and snakemake when they are missing. Exit status of start:
# 0 running; 77 this machine can't run the cluster (the reason is on standard
# error, with the failing daemon's log tail); 1 a usage error.
set -uo pipefail

readonly kSkip=77
readonly kWaitSeconds=${LOCAL_SLURM_WAIT:-60}

say() { printf 'local-slurm: %s\n' "$*" >&2; }

# Reports why the cluster can't run here and ends with the skip status, after
# stopping whatever did start.
give_up() {
  say "$1"
  if [ -n "${2:-}" ] && [ -s "$2" ]; then
    say "last lines of $2:"
    tail -n 15 "$2" | sed 's/^/    /' >&2
  fi
  stop_daemons
  exit "$kSkip"
}

install_missing() {
  local need=()
  command -v munged >/dev/null || need+=(munge)
  { command -v slurmctld && command -v slurmd && command -v sbatch; } >/dev/null || need+=(slurm-wlm)
  command -v snakemake >/dev/null || need+=(snakemake)
  [ ${#need[@]} -eq 0 ] && return 0
  if ! command -v apt-get >/dev/null || [ "$(id -u)" -ne 0 ]; then
    give_up "missing ${need[*]}, and apt-get can't install them here (needs Debian and root)"
  fi
  local log="$STATE/apt.log"
  say "installing ${need[*]} from Debian"
  # Should the packages start the system's own munged and SLURM services, those
  # use the default socket and ports, which the cluster here never uses.
  if ! (apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${need[@]}") >"$log" 2>&1; then
    give_up "could not install ${need[*]}" "$log"
  fi
}

# A TCP port that nothing on this machine listens on, from a range away from the
# usual SLURM ports so that a system cluster is never met.
free_port() {
  local port=$1
  while [ "$port" -lt 65000 ]; do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && ! grep -qx "$port" "$STATE/ports" 2>/dev/null; then
      echo "$port" >>"$STATE/ports"
      echo "$port"
      return 0
    fi
    port=$((port + 1))
  done
  return 1
}

write_config() {
  local host cpus memory ctld_port slurmd_port
  host=$(hostname -s)
  cpus=$(nproc)
  # slurmd drains a node whose memory falls short of RealMemory: leave it a margin.
  memory=$(awk '/^MemTotal:/ {print int($2 / 1024 * 0.9)}' /proc/meminfo)
  if ! ctld_port=$(free_port 16817) || ! slurmd_port=$(free_port $((ctld_port + 1))); then
    give_up "no free local TCP port for slurmctld and slurmd"
  fi
  cat >"$STATE/slurm.conf" <<EOF
ClusterName=vantrels-local
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$STATE/munge/socket
StateSaveLocation=$STATE/ctld
SlurmdSpoolDir=$STATE/slurmd
SlurmctldPidFile=$STATE/run/slurmctld.pid
SlurmdPidFile=$STATE/run/slurmd.pid
SlurmctldLogFile=$STATE/log/slurmctld.log
SlurmdLogFile=$STATE/log/slurmd.log
SlurmctldDebug=info
SlurmdDebug=info
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
SwitchType=switch/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core_Memory
ReturnToService=2
MinJobAge=600
MailProg=/bin/true
InactiveLimit=0
KillWait=10
NodeName=$host NodeAddr=127.0.0.1 CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=local Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
  echo "SLURM_CONF=$STATE/slurm.conf" >"$STATE/env"
}

# Starts one daemon in the foreground of a background job and records its id.
launch() {
  local name=$1
  shift
  "$@" >"$STATE/log/$name.out" 2>&1 </dev/null &
  echo "$name $!" >>"$STATE/pids"
}

pid_of() { awk -v name="$1" '$1 == name {print $2}' "$STATE/pids" 2>/dev/null; }

alive() {
  local pid
  pid=$(pid_of "$1")
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null
}

# Waits until CHECK succeeds while the daemon NAME lives; gives up with its log.
wait_for() {
  local name=$1 log=$2 what=$3
  shift 3
  local deadline=$((SECONDS + kWaitSeconds))
  until "$@" >/dev/null 2>&1; do
    if ! alive "$name"; then
      [ -s "$log" ] || log="$STATE/log/$name.out"
      give_up "$name could not start: it ended before $what" "$log"
    fi
    if [ $SECONDS -ge $deadline ]; then
      [ -s "$log" ] || log="$STATE/log/$name.out"
      give_up "$name did not get to $what within $kWaitSeconds s" "$log"
    fi
    sleep 0.5
  done
}

munge_works() { munge -n -S "$STATE/munge/socket" | unmunge -S "$STATE/munge/socket"; }
controller_up() { SLURM_CONF="$STATE/slurm.conf" scontrol ping | grep -q 'is UP'; }
node_idle() { [ "$(SLURM_CONF="$STATE/slurm.conf" sinfo -h -N -o '%T' 2>/dev/null)" = idle ]; }

start() {
  mkdir -p "$STATE" || { say "can't create $STATE"; exit 1; }
  STATE=$(cd "$STATE" && pwd)
  if [ -s "$STATE/pids" ]; then
    say "$STATE already holds a running cluster (stop it first)"
    exit 1
  fi
  install_missing
  # munged refuses key and socket folders that others may write to.
  mkdir -p "$STATE"/{munge,ctld,slurmd,run,log} && chmod 700 "$STATE" "$STATE/munge"
  : >"$STATE/pids"
  if ! dd if=/dev/urandom of="$STATE/munge/key" bs=1024 count=1 status=none; then
    give_up "could not write the munge key"
  fi
  chmod 400 "$STATE/munge/key"
  write_config

  # --force: munged as root, beside the system's own socket folder if one exists.
  launch munged munged --foreground --force --socket="$STATE/munge/socket" \
    --key-file="$STATE/munge/key" --log-file="$STATE/log/munged.log" \
    --pid-file="$STATE/run/munged.pid" --seed-file="$STATE/munge/seed"
  wait_for munged "$STATE/log/munged.log" "its socket answered" munge_works

  launch slurmctld slurmctld -D -i -f "$STATE/slurm.conf"
  wait_for slurmctld "$STATE/log/slurmctld.log" "it answered a ping" controller_up

  launch slurmd slurmd -D -f "$STATE/slurm.conf"
  wait_for slurmd "$STATE/log/slurmd.log" "the node was idle" node_idle

  say "cluster running: export SLURM_CONF=$STATE/slurm.conf"
}

# Stops the daemons in the reverse order of their start, by the ids start
# recorded, and only while such an id still belongs to that daemon.
stop_daemons() {
  [ -s "$STATE/pids" ] || return 0
  local name pid
  local -a order
  mapfile -t order < <(tac "$STATE/pids")
  if alive slurmctld; then
    SLURM_CONF="$STATE/slurm.conf" scancel --full --user="$(id -un)" >/dev/null 2>&1 || true
  fi
  for line in "${order[@]}"; do
    read -r name pid <<<"$line"
    if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$name" ]; then
      kill -TERM "$pid" 2>/dev/null
      for _ in $(seq 1 40); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.25
      done
      if kill -0 "$pid" 2>/dev/null; then
        say "$name ($pid) ignored SIGTERM for 10 s: killing it"
        kill -KILL "$pid" 2>/dev/null
      fi
    fi
  done
  # Kept for whoever checks afterwards that these processes are gone.
  mv "$STATE/pids" "$STATE/pids.stopped"
}

stop() {
  [ -d "$STATE" ] || { say "no cluster state in $STATE"; exit 0; }
  STATE=$(cd "$STATE" && pwd)
  stop_daemons
}

case "${1:-}" in
  start | stop)
    [ $# -eq 2 ] || { say "usage: $0 start|stop STATE_DIR"; exit 1; }
    STATE=$2
    "$1"
    ;;
  *)
    say "usage: $0 start|stop STATE_DIR"
    exit 1
    ;;
esac
