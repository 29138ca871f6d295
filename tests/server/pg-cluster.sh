#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests: `pg-cluster.sh start DIR` makes a new cluster in DIR that
# listens on a Unix socket in DIR only (no TCP), with the role and database "tamberlo";
# `pg-cluster.sh stop DIR` stops it and removes DIR. `start DIR durable` keeps the server's default
# durability (every commit flushed to disk), for benchmarks set against the file's synchronous=FULL. The server refuses to run as root, so under root the
# cluster belongs to the unprivileged user "nobody". The connection string is written to DIR/conninfo.
set -euo pipefail

action=${1:?start or stop}
dir=${2:?cluster folder}
mode=${3:-throwaway}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  echo "PostgreSQL server programs not found (run scripts/setup)" >&2
  exit 1
fi

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env -- env PATH="$bindir:/usr/bin:/bin" "$@"
  else
    env PATH="$bindir:$PATH" "$@"
  fi
}

stop_cluster() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_owner pg_ctl -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
}

case "$action" in
start)
  stop_cluster
  rm -rf "$dir"
  mkdir -p "$dir"
  if [ "$(id -u)" -eq 0 ]; then chown nobody:nogroup "$dir"; fi
  chmod 700 "$dir"
  as_owner initdb -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C --no-sync >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  # Socket only, in the cluster's folder; durability does not matter for a cluster thrown away.
  options="-c listen_addresses='' -c unix_socket_directories='$dir' -c max_connections=60"
  if [ "$mode" != durable ]; then
    options="$options -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
  fi
  as_owner pg_ctl -D "$dir/data" -l "$dir/server.log" -w -t 60 -o "$options" start >/dev/null ||
    { cat "$dir/server.log" >&2; exit 1; }
  as_owner psql -h "$dir" -U postgres -d postgres -v ON_ERROR_STOP=1 -q \
    -c "CREATE ROLE tamberlo LOGIN CREATEDB" -c "CREATE DATABASE tamberlo OWNER tamberlo" >/dev/null
  # The tests run as root and must reach the socket: the folder is opened for reading and passing through.
  chmod 755 "$dir" 2>/dev/null || true
  echo "host=$dir dbname=tamberlo user=tamberlo" >"$dir/conninfo"
  ;;
stop)
  stop_cluster
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac
