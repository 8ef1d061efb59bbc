# SPDX-License-Identifier: MIT
# The host 192.0.2.2 of the probe's namespace tests, in NAME-s of test_network.sh:
#   python3 icmp_peer.py ACTION...   performs the actions in order for every echo request:
# `reply`; `error:T:C`, an ICMP error of type T and code C quoting the request; `flood:MS`,
# near misses of the answer, 20 a millisecond, for MS ms; `hold:PID:MS`, stops process PID
# until MS ms after the request, so that what the later actions send waits in its socket.
# Prints "ready" once listening; ends when the reader of its output goes away, or in a minute.
import itertools, os, select, signal, socket, struct, sys, time

HOST, OTHER = socket.inet_aton("192.0.2.2"), socket.inet_aton("192.0.2.3")


def checksum(message):  # RFC 1071, computed here independently of the probe
    even = message + b"\0" * (len(message) % 2)
    total = sum(struct.unpack(f"!{len(even) // 2}H", even))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return ~total & 0xFFFF


def icmp(kind, code, word1, word2, body=b"", good=True):  # its checksum right unless told
    message = struct.pack("!BBHHH", kind, code, 0, word1 & 0xFFFF, word2 & 0xFFFF) + body
    return message[:2] + struct.pack("!H", checksum(message) ^ (0 if good else 0x0101)) + message[4:]


def reader_gone(timeout=0):
    return any(fd == 1 for fd, _ in events.poll(timeout))


def serve(ip_header, request, client, start):
    ident, sequence = struct.unpack("!HH", request[4:8])
    data = request[8:]

    def quote(delta=0, destination=HOST, keep=28):  # the request as an ICMP error quotes it
        return (ip_header[:16] + destination + ip_header[20:] + icmp(8, 0, ident, sequence + delta))[:keep]

    # Echo replies with the wrong identifier, sequence number, source or checksum, and
    # ICMP errors quoting another request or too little of this one.
    near_misses = [(host, icmp(0, 0, ident + 1, sequence, data)), (host, icmp(0, 0, ident, sequence + 1, data)),
                   (other, icmp(0, 0, ident, sequence, data)), (host, icmp(0, 0, ident, sequence, data, False)),
                   (host, icmp(3, 1, 0, 0, quote(1))), (host, icmp(3, 1, 0, 0, quote(0, OTHER)))]
    near_misses += [(host, icmp(11, 0, 0, 0, quote(keep=keep))) for keep in range(20, 28)]
    held = None
    try:
        for name, _, argument in (action.partition(":") for action in sys.argv[1:]):
            if name == "reply":
                host.sendto(icmp(0, 0, ident, sequence, data), (client, 0))
            elif name == "error":
                host.sendto(icmp(*map(int, argument.split(":")), 0, 0, quote()), (client, 0))
            elif name == "flood":
                end = time.monotonic() + int(argument) / 1000
                for i in itertools.count(1):
                    sender, message = near_misses[i % len(near_misses)]
                    sender.sendto(message, (client, 0))
                    if i % 20 == 0:
                        if time.monotonic() >= end or reader_gone():
                            break
                        time.sleep(0.001)
            elif name == "hold":
                held, ms = map(int, argument.split(":"))
                os.kill(held, signal.SIGSTOP)
                while open(f"/proc/{held}/stat").read().rsplit(")", 1)[1].split()[0] != "T":
                    time.sleep(0.001)
        time.sleep(max(0, start + ms / 1000 - time.monotonic()) if held else 0)
    finally:
        if held:
            os.kill(held, signal.SIGCONT)


host, other = (socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_ICMP) for _ in range(2))
host.setsockopt(255, 1, struct.pack("I", ~(1 << 8) & 0xFFFFFFFF))  # SOL_RAW, ICMP_FILTER: echo requests only
other.setsockopt(255, 1, struct.pack("I", 0xFFFFFFFF))  # none: it only sends, from 192.0.2.3
other.bind(("192.0.2.3", 0))
events = select.poll()
events.register(host, select.POLLIN)
events.register(1, 0)  # POLLERR once the reader of stdout has gone
signal.alarm(60)
print("ready", flush=True)
while not reader_gone(None):
    packet, (client, _) = host.recvfrom(65536)
    header = (packet[0] & 0x0F) * 4
    request = packet[header:]
    if packet[16:20] == HOST and len(request) >= 8 and request[1] == 0 and checksum(request) == 0:
        serve(packet[:header], request, client, time.monotonic())  # others, as a host drops them
