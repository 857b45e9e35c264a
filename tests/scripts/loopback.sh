# Sourced by the test scripts: free loopback ports, and a real ser2net sharing a device over RFC 2217 on
# loopback, as a kiosk shares its printer.

# A TCP port on 127.0.0.1 that nothing listens on now.
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# share_device DEVICE FOLDER: starts ser2net for DEVICE with its configuration in FOLDER, and waits until it
# listens. Sets server_pid and remote (its rfc2217://127.0.0.1:PORT address).
share_device() {
  local port
  port=$(free_port)
  cat >"$2/ser2net.yaml" <<EOF
connection: &printer
  accepter: telnet(rfc2217),tcp,127.0.0.1,$port
  connector: serialdev,$1,9600n81,local
  options:
    max-connections: 1
    chardelay: false
EOF
  PATH=$PATH:/usr/sbin ser2net -n -d -c "$2/ser2net.yaml" >/dev/null 2>&1 &
  server_pid=$!
  # Whether it listens is read from the kernel's socket table: a connection would make it open the device.
  for _ in $(seq 100); do
    grep -q "$(printf ':%04X 00000000:0000 0A' "$port")" /proc/net/tcp && break
    sleep 0.1
  done
  remote=rfc2217://127.0.0.1:$port
}
