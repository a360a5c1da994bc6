# shellcheck shell=bash
# Sourced by the scripts and benchmarks that run the programs against a farm: a hive written as
# the registry editor exports it, kilnsim started on its link, and the processes a script
# started ended, politely first.

# kw_hive FILE NODE_IDS [BIT_SET_1]: a hive of Farm 01 on COM1. NODE_IDS is the "Node IDs"
# value's bytes in hex ("20,00,3f,00,..."); BIT_SET_1, when given, the "Bit Set 1" dword in hex
# (00000001: connected at start-up).
kw_hive() {
    local file=$1 nodes=$2 bits=${3:-}
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer\\Farm 01]\r\n'
        printf '"Node IDs"=hex:%s\r\n' "$nodes"
        printf '"Serial Port"=dword:00000001\r\n'
        if [ -n "$bits" ]; then
            printf '"Bit Set 1"=dword:%s\r\n' "$bits"
        fi
        printf '\r\n'
    } > "$file"
}

# kw_bytes BYTE COUNT: ",BYTE" COUNT times, to fill out a "Node IDs" value.
kw_bytes() {
    printf ",$1%.0s" $(seq "$2")
}

# kw_start_kilnsim OUTPUT LINK COMMAND...: starts COMMAND (kilnsim with its options, LINK among
# them; setsid in front for a session of its own) in the background with its output in OUTPUT
# and waits up to five seconds for LINK to appear. kw_sim_pid is its process; fails when the
# link does not come.
kw_start_kilnsim() {
    local output=$1 link=$2
    shift 2
    "$@" > "$output" 2>&1 &
    # shellcheck disable=SC2034 # read by the script that sourced this
    kw_sim_pid=$!
    for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
    [ -L "$link" ]
}

# kw_stop TENTHS PID...: SIGTERM to every running PID, then up to TENTHS tenths of a second for
# each to end before SIGKILL. Empty or ended PIDs are passed over.
kw_stop() {
    local tenths=$1 pid
    shift
    for pid in "$@"; do
        if [ -n "$pid" ]; then
            kill -TERM "$pid" 2>/dev/null || true
        fi
    done
    for pid in "$@"; do
        [ -n "$pid" ] || continue
        for _ in $(seq "$tenths"); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
    done
}
