#!/usr/bin/env bash
# Peak memory of `vorlin get` against two hostile answers, each served by a
# small loopback server on a free 127.0.0.1 port that this script starts and
# stops:
#   endless   a text/html answer that never ends (fast as the loopback goes)
#   attribute one page whose single attribute is 20 MB long
# The endless case runs for SECONDS (default 15) and is then stopped with
# Ctrl-C; the attribute case runs to its end. Prints the peak RSS
# (/usr/bin/time -v), the wall time and the bytes the server sent.
#
# Usage: bench/engine/hostile_memory.sh [--build DIR] [--seconds N]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build"
seconds=15
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    *) sed -n '/^# Usage:/p' "$0"; exit 2 ;;
  esac
done
vorlin="$build/bin/vorlin"
[ -x "$vorlin" ] || { echo "build vorlin first ($vorlin)"; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (apt-get install time)"; exit 1; }

work="$(mktemp -d)"
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cat >"$work/server.py" <<'EOF'
import socket, sys, threading
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(16)
print(listener.getsockname()[1], flush=True)
sent = {"bytes": 0}
def serve(conn):
    try:
        request = b""
        while b"\r\n\r\n" not in request:
            chunk = conn.recv(4096)
            if not chunk:
                return
            request += chunk
        method, path = request.split(b" ")[0], request.split(b" ")[1].decode()
        if method == b"HEAD":
            conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n")
        elif path.startswith("/endless"):
            conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><body>")
            block = b"<p>endless text and <a href=\"x\">a link</a></p>\n" * 1000
            while True:
                conn.sendall(block)
                sent["bytes"] += len(block)
        elif path.startswith("/attribute"):
            body = b"<html><body><a title=\"" + b"x" * (20 * 1024 * 1024) + b"\" href=\"next.html\">x</a></body></html>"
            conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: %d\r\n\r\n" % len(body) + body)
            sent["bytes"] += len(body)
        else:
            conn.sendall(b"HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n")
    except OSError:
        pass
    finally:
        conn.close()
while True:
    conn, _ = listener.accept()
    threading.Thread(target=serve, args=(conn,), daemon=True).start()
EOF
python3 "$work/server.py" >"$work/port" &
server_pid=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port="$(head -1 "$work/port")"

measure() {
  local name="$1" url="$2" limit="$3"
  local home="$work/home-$name" target="$work/site-$name"
  mkdir -p "$home"
  local start end
  start=$(date +%s.%N)
  # timeout sends SIGINT to vorlin: the run stops in order as after Ctrl-C;
  # time reports the largest of the processes it waited for.
  /usr/bin/time -v -o "$work/$name.time" timeout -s INT "$limit" "$vorlin" get -q --home "$home" -c 1 "$url" "$target" \
    >"$work/$name.out" 2>&1 || true
  end=$(date +%s.%N)
  local rss
  rss=$(grep -o 'Maximum resident set size (kbytes): [0-9]*' "$work/$name.time" | grep -o '[0-9]*$' || echo "?")
  local stored
  stored=$(du -sk "$target" 2>/dev/null | cut -f1 || echo 0)
  printf '%-10s peak RSS %8s KB   wall %6.1f s   stored %8s KB\n' "$name" "$rss" "$(echo "$end - $start" | bc)" "$stored"
}

echo "vorlin: $vorlin"
measure endless "http://127.0.0.1:$port/endless.html" "$seconds"
measure attribute "http://127.0.0.1:$port/attribute.html" 120
