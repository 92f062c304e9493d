#!/usr/bin/env bash
# Starts a private nginx on 127.0.0.1 serving a folder, for the demo, the end-to-end tests and the
# benchmarks. Prints the port. Stop it with: nginx-serve.sh stop STATE_FOLDER
#   nginx-serve.sh start ROOT STATE_FOLDER [PORT [RATE]]   (RATE: bytes per second per connection, e.g. 4m)
set -euo pipefail
cmd="$1"
if [ "$cmd" = stop ]; then
  state="$2"
  if [ -f "$state/nginx.pid" ]; then
    kill "$(cat "$state/nginx.pid")" 2>/dev/null || true
    for _ in $(seq 50); do [ -f "$state/nginx.pid" ] || break; sleep 0.1; done
  fi
  exit 0
fi
root="$(cd "$2" && pwd)"
state="$3"
port="${4:-0}"
rate="${5:-0}"
mkdir -p "$state"
state="$(cd "$state" && pwd)"
if [ "$port" = 0 ]; then
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()')
fi
cat > "$state/nginx.conf" <<CONF
worker_processes 1;
pid $state/nginx.pid;
error_log $state/error.log warn;
daemon on;
events { worker_connections 256; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  default_type application/octet-stream;
  client_body_temp_path $state/tmp_body;
  proxy_temp_path $state/tmp_proxy;
  fastcgi_temp_path $state/tmp_fastcgi;
  uwsgi_temp_path $state/tmp_uwsgi;
  scgi_temp_path $state/tmp_scgi;
  server {
    listen 127.0.0.1:$port;
    root $root;
    limit_rate $rate;
  }
}
CONF
nginx -c "$state/nginx.conf" -p "$state" 2>>"$state/error.log"
for _ in $(seq 50); do
  if (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; then echo "$port"; exit 0; fi
  sleep 0.1
done
echo "nginx did not start; see $state/error.log" >&2
exit 1
