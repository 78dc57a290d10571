#!/usr/bin/env bash
# Compares the quillon web server with nginx and lighttpd serving the same
# folder on loopback, one connection at a time, a new connection per request:
#   - one 1 GiB file (MB/s, best of several runs)
#   - 2000 sequential GETs of a 1 KB file (microseconds per request)
# Builds a Release tree in build/web-release. Not part of ctest.
#
#   bench/web/run.sh [--large-runs N] [--small-count N]
set -euo pipefail

repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="$repo/build/web-release"
large_runs=3
small_count=2000
while [ $# -gt 0 ]; do
    case "$1" in
        --large-runs) large_runs="$2"; shift 2 ;;
        --small-count) small_count="$2"; shift 2 ;;
        *) echo "usage: $0 [--large-runs N] [--small-count N]" >&2; exit 2 ;;
    esac
done

"$repo/scripts/setup.sh" nginx-light lighttpd

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quillon web_bench_client -j2 >/dev/null
quillon="$build/apps/quillon/quillon"
client="$build/bench/web/web_bench_client"

work="$(mktemp -d /tmp/quillon-web-bench.XXXXXX)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# The served folder is quillon's service root; nginx and lighttpd serve it too.
home="$work/home"
root="$home/Quillon"
mkdir -p "$root"
echo "Preparing 1 GiB and 1 KB files in $root ..."
head -c $((1024 * 1024 * 1024)) /dev/urandom > "$root/big.bin"
head -c 1024 /dev/urandom > "$root/small.bin"

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

wait_for_port() {
    local port="$1"
    for _ in $(seq 1 500); do
        if "$client" "$port" /small.bin 1 >/dev/null 2>&1; then
            return 0
        fi
        python3 -c 'import time; time.sleep(0.01)'
    done
    echo "server on port $port did not come up" >&2
    return 1
}

# --- quillon
quillon_port="$(free_port)"
# The program asks for a login id and password; give them without a terminal.
QUILLON_PASSWORD=bench "$quillon" --headless --start --home "$home" --id bench \
    --web-port "$quillon_port" --command-port "$(free_port)" --upload-port "$(free_port)" \
    < /dev/null > "$work/quillon-access.log" 2>&1 &
pids+=($!)

# --- nginx: one worker, sendfile, an access log like quillon's.
nginx_port="$(free_port)"
mkdir -p "$work/nginx/logs"
cat > "$work/nginx/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
error_log $work/nginx/logs/error.log;
pid $work/nginx/nginx.pid;
events { worker_connections 64; }
http {
    access_log $work/nginx/logs/access.log;
    sendfile on;
    tcp_nopush on;
    keepalive_timeout 0;
    default_type application/octet-stream;
    client_body_temp_path $work/nginx/body;
    server {
        listen 127.0.0.1:$nginx_port;
        root $root;
    }
}
CONF
nginx -c "$work/nginx/nginx.conf" -p "$work/nginx" 2>/dev/null &
pids+=($!)

# --- lighttpd
lighttpd_port="$(free_port)"
cat > "$work/lighttpd.conf" <<CONF
server.document-root = "$root"
server.bind = "127.0.0.1"
server.port = $lighttpd_port
server.pid-file = "$work/lighttpd.pid"
server.errorlog = "$work/lighttpd-error.log"
server.modules = ( "mod_accesslog" )
accesslog.filename = "$work/lighttpd-access.log"
server.network-backend = "sendfile"
CONF
lighttpd -D -f "$work/lighttpd.conf" &
pids+=($!)

for port in "$quillon_port" "$nginx_port" "$lighttpd_port"; do
    wait_for_port "$port"
done

field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p"; }

large_mbps() {
    local port="$1" best=0 value
    "$client" "$port" /big.bin 1 >/dev/null # Warm the page cache.
    for _ in $(seq 1 "$large_runs"); do
        value="$("$client" "$port" /big.bin 1 | field mb_per_s)"
        best="$(python3 -c "print(max($best, $value))")"
    done
    echo "$best"
}

small_us() {
    local port="$1"
    "$client" "$port" /small.bin 200 >/dev/null # Warm up.
    "$client" "$port" /small.bin "$small_count" | field us_per_request
}

declare -A large small
for name in quillon nginx lighttpd; do
    port_var="${name}_port"
    port="${!port_var}"
    large[$name]="$(large_mbps "$port")"
    small[$name]="$(small_us "$port")"
done

ratio() { python3 -c "print(f'{$1 / $2:.2f}')"; }

echo
echo "1 GiB file, one connection (MB/s, best of $large_runs; higher is better):"
for name in quillon nginx lighttpd; do
    printf "  %-9s %10s\n" "$name" "${large[$name]}"
done
echo "$small_count sequential GETs of a 1 KB file, new connection each (us/request; lower is better):"
for name in quillon nginx lighttpd; do
    printf "  %-9s %10s\n" "$name" "${small[$name]}"
done
echo "Ratios:"
echo "  large file  quillon/nginx   = $(ratio "${large[quillon]}" "${large[nginx]}")  (target >= 1.00)"
echo "  large file  quillon/lighttpd = $(ratio "${large[quillon]}" "${large[lighttpd]}")"
echo "  small file  quillon/nginx   = $(ratio "${small[quillon]}" "${small[nginx]}")  (target <= 1.20)"
echo "  small file  quillon/lighttpd = $(ratio "${small[quillon]}" "${small[lighttpd]}")"
