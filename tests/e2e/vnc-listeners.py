#!/usr/bin/env python3
"""What a VNC server on a port offers: the addresses it listens on, and the
security types it asks a client to choose from (1 none, 2 VNC password).
Usage: vnc-listeners.py PORT  ->  "listen 127.0.0.1 ::1" and "types 1" lines."""
import ipaddress
import socket
import sys

port = int(sys.argv[1])
addresses = []
for table, width in (("/proc/net/tcp", 4), ("/proc/net/tcp6", 16)):
    for line in open(table).read().splitlines()[1:]:
        fields = line.split()
        address, listened = fields[1].split(":")
        if fields[3] != "0A" or int(listened, 16) != port:
            continue  # 0A: listening
        raw = bytes.fromhex(address)
        # The kernel writes each 32-bit word in the host's order.
        raw = b"".join(raw[i:i + 4][::-1] for i in range(0, len(raw), 4))
        addresses.append(str(ipaddress.ip_address(raw)))
print("listen", " ".join(sorted(addresses)))

with socket.create_connection(("127.0.0.1", port), timeout=5) as connection:
    connection.recv(12)  # "RFB 003.008\n"
    connection.sendall(b"RFB 003.008\n")
    count = connection.recv(1)[0]
    print("types", " ".join(str(t) for t in sorted(connection.recv(count))))
