#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A Slurm of one node, started here as root in a private configuration
# (its own munge key and socket, state, spool and log folders, and ports),
# runs a job array of four batch shards; together they run every seed
# once. Then the daemons started here are stopped, by their pids. When they
# cannot start, the test fails and shows their logs.
# Usage: slurm_array_test.sh JABBERY-CLI
source "$(dirname "$0")/cluster_common.sh"
cli=$1
if [ "$(id -u)" -ne 0 ]; then
    echo "the Slurm test starts munged, slurmctld and slurmd, which needs root" >&2
    exit 1
fi
export SLURM_CONF=$work/slurm.conf
mkdir -p "$work/state" "$work/spool"

fail() {
    echo "$1" >&2
    tail -n 40 "$work"/*.log >&2
    exit 1
}
# Starts a daemon (a command line) in the background, what it says before
# its log file opens in a log of its own, and stops it by its pid at the end.
start() {
    "$@" > "$work/$1-output.log" 2>&1 &
    cleanups=("kill $! 2>/dev/null; wait $! 2>/dev/null" "${cleanups[@]}")
}

# A key of our own and a socket of our own: a munge the machine runs is left alone.
dd if=/dev/urandom of="$work/munge.key" bs=1024 count=1 status=none
chmod 400 "$work/munge.key"
start munged --foreground --force --key-file="$work/munge.key" --socket="$work/munge.sock" \
    --pid-file="$work/munged.pid" --log-file="$work/munged.log" --seed-file="$work/munge.seed"

# Two free ports, so a Slurm the machine runs is not in the way either.
read -r controller_port node_port < <(python3 -c '
import socket
ports = [socket.socket() for _ in range(2)]
print(*[s.bind(("127.0.0.1", 0)) or s.getsockname()[1] for s in ports])')
host=$(hostname -s)
cat > "$SLURM_CONF" <<CONF
ClusterName=jabbery
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$controller_port
SlurmdPort=$node_port
AuthInfo=socket=$work/munge.sock
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=batch Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF

for _ in $(seq 100); do [ -S "$work/munge.sock" ] && break; sleep 0.1; done
[ -S "$work/munge.sock" ] || fail "munged did not start"
start slurmctld -D -f "$SLURM_CONF"
start slurmd -D -f "$SLURM_CONF"
for _ in $(seq 300); do
    state=$(sinfo -h -o %T 2>/dev/null || true)
    [ "$state" = idle ] && break
    sleep 0.1
done
[ "$state" = idle ] || fail "the node did not come up (its state: '${state:-no answer}')"

cat > "$work/shard.sh" <<JOB
#!/bin/sh
exec "$cli" --batch 40 --out "$work/out" --turns 4 --jobs 1 "$work/Ann" "$work/Bob"
JOB
sbatch --wait --quiet --array=0-3 --output="$work/job-%a.log" --chdir="$work" "$work/shard.sh" ||
    fail "the job array failed"
grep -h "^shard" "$work"/job-*.log
[ "$(grep -h '^shard [0-3]/4: 10 conversations: 10 done' "$work"/job-*.log | sort -u | wc -l)" = 4 ] ||
    fail "not every task ran its own shard"
check_every_seed_once "$work/out" 40
