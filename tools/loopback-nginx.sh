#!/usr/bin/env bash
# A throw-away nginx on 127.0.0.1 serving one directory, for the demo, the
# benchmarks and for trying things by hand.
#   tools/loopback-nginx.sh start ROOT STATE_DIR [OPTION...]
#                                                   prints the port it listens on
#   tools/loopback-nginx.sh stop STATE_DIR         stops it and removes STATE_DIR
# Options of start:
#   --workers N      worker processes (default 1)
#   --bench          no access log, sendfile on, kept connections without limit
#   --no-keepalive   every connection closed after its response
#   --tls CERT KEY   speak TLS only, with this certificate and key (PEM files)
# STATE_DIR holds the written configuration, logs and PID file; it is
# created by start and must not be shared by two servers.
set -euo pipefail

nginx_bin=/usr/sbin/nginx

usage() {
  echo "usage: $0 start ROOT STATE_DIR [--workers N] [--bench] [--no-keepalive] [--tls CERT KEY] | stop STATE_DIR" >&2
  exit 2
}

workers=1
bench=0
keepalive=1
tls_cert=""
tls_key=""

write_config() {
  local root=$1 state=$2 port=$3 access_log tuning=""
  access_log="access_log $state/access.log;"
  if [ "$bench" = 1 ]; then
    access_log="access_log off;"
    tuning="sendfile on; keepalive_requests 100000;"
  fi
  [ "$keepalive" = 1 ] || tuning="$tuning keepalive_timeout 0;"
  local listen="listen 127.0.0.1:$port;"
  if [ -n "$tls_cert" ]; then
    listen="listen 127.0.0.1:$port ssl; ssl_certificate $tls_cert; ssl_certificate_key $tls_key; ssl_protocols TLSv1.2 TLSv1.3;"
  fi
  {
    # Workers run as root when we are root, so that any directory is readable.
    if [ "$(id -u)" -eq 0 ]; then echo "user root;"; fi
    cat <<CONF
daemon on;
worker_processes $workers;
pid $state/nginx.pid;
error_log $state/error.log warn;
events { worker_connections 1024; }
http {
  include /etc/nginx/mime.types;
  default_type application/octet-stream;
  $access_log
  $tuning
  client_body_temp_path $state/body;
  proxy_temp_path $state/proxy;
  fastcgi_temp_path $state/fastcgi;
  uwsgi_temp_path $state/uwsgi;
  scgi_temp_path $state/scgi;
  server {
    $listen
    server_name localhost;
    root $root;
    index index.html;
  }
}
CONF
  } >"$state/nginx.conf"
}

start() {
  local root state port attempt
  [ -d "$1" ] || { echo "$0: no directory $1" >&2; exit 1; }
  root=$(cd "$1" && pwd)
  state=$2
  mkdir -p "$state"
  state=$(cd "$state" && pwd)
  [ -x "$nginx_bin" ] || { echo "$0: nginx is not installed (tools/setup.sh installs it)" >&2; exit 1; }
  # A port picked at random; nginx refuses to start when it is taken, then
  # the next one is tried.
  for attempt in $(seq 1 20); do
    port=$((20000 + RANDOM % 40000))
    write_config "$root" "$state" "$port"
    if "$nginx_bin" -p "$state" -c "$state/nginx.conf" 2>>"$state/error.log"; then
      echo "$port"
      return 0
    fi
  done
  echo "$0: nginx did not start:" >&2
  cat "$state/error.log" >&2
  exit 1
}

stop() {
  local state=$1 pid
  [ -d "$state" ] || return 0
  if [ -f "$state/nginx.pid" ]; then
    pid=$(cat "$state/nginx.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null || true
  fi
  rm -rf "$state"
}

case "${1:-}" in
  start)
    [ $# -ge 3 ] || usage
    root_arg=$2 state_arg=$3
    shift 3
    while [ $# -gt 0 ]; do
      case "$1" in
        --workers) [[ "${2:-}" =~ ^[1-9][0-9]?$ ]] || usage; workers=$2; shift 2 ;;
        --bench) bench=1; shift ;;
        --no-keepalive) keepalive=0; shift ;;
        --tls) [ $# -ge 3 ] && [ -r "$2" ] && [ -r "$3" ] || usage
               tls_cert=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
               tls_key=$(cd "$(dirname "$3")" && pwd)/$(basename "$3"); shift 3 ;;
        *) usage ;;
      esac
    done
    start "$root_arg" "$state_arg" ;;
  stop) [ $# -eq 2 ] || usage; stop "$2" ;;
  *) usage ;;
esac
