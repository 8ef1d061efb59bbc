#!/usr/bin/python3
"""Writes the fuzzers' seed corpora: fuzz/corpus/config_reader/ and fuzz/corpus/icmp_packet/.

The files are committed; run this again only to change them. Output is deterministic.

config_reader seeds are whole configuration files (UTF-8 with and without a
byte-order mark, Windows-1251, CR LF / LF / CR line ends, quoted records, commas).

icmp_packet seeds start with the 12 bytes that choose the request the packet is
judged against, as icmp_packet_fuzz.cpp reads them:
    identifier (2 bytes, big-endian), sequence number (2 bytes, big-endian),
    destination address (4 bytes), source address a ping socket reports (4 bytes)
followed by the received bytes: a whole IPv4 packet or a bare ICMP message.
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# ---- configuration files ---------------------------------------------------

CONFIGS = {
    "basic.cfg": "# office\ncheckinterval 30\ngroup Servers and printers\n10.0.0.1 gateway\nfileserver.local files\n".encode(),
    "utf8_bom_crlf.cfg": b"\xef\xbb\xbf"
    + "checkinterval 60\r\ngroup Серверы\r\n127.0.0.1 Шлюз\r\n127.0.0.2 Почта\r\ngroup Принтеры\r\n127.0.0.3 HP\r\n".encode(),
    "windows1251.cfg": "# конфиг\r\ncheckinterval 5\r\ngroup Бухгалтерия, 2 этаж\r\n192.168.1.10 Иванов\r\n"
    "192.168.1.11 Петрова\r\ngroup Склад\r\nsklad.local Склад\r\n".encode("cp1251"),
    "quotes_and_commas.cfg": (
        'checkinterval 7.5\n"group Quoted, with a comma"tail dropped\n  "127.0.0.1 quoted"\n'
        "127.0.0.2 a,127.0.0.3 b,# comment, with comma\n\t127.0.0.4\tt\n\"unterminated 127.0.0.5 x\n"
    ).encode(),
    "host_before_group.cfg": b"checkinterval 30\n10.0.0.1 orphan\ngroup Late\n10.0.0.2 late\n",
    "bad_intervals.cfg": b"checkinterval 4\ncheckinterval 3601\ncheckinterval 1e3\ncheckinterval\ncheckinterval +10\n"
    b"checkinterval .5\ngroup G\nh x\n",
    "cr_only_and_blank_lines.cfg": b"\r\r  \rgroup A\r\rh1 one\rgroup\rgroup B\rh2 two\r   ",
    "empty_groups.cfg": b"".join(b"group G%d\n" % i for i in range(40)) + b"10.0.0.1 last\n",
    # 260 hosts: the reader shows 255 and reports the limit once.
    "too_many_hosts.cfg": b"checkinterval 3600\ngroup A\n"
    + b"".join(b"h%d %d\n" % (i, i) for i in range(130))
    + b"group B\n"
    + b"".join(b"h%d %d\n" % (i, i) for i in range(130, 260)),
    "invalid_utf8_latin.cfg": b"group Caf\xe9\nh1 na\xefve\ncheckinterval 3600\n",
}

# ---- ICMP ------------------------------------------------------------------


def ip(a, b, c, d):
    return bytes([a, b, c, d])


ID, SEQ = 0x1234, 7
CLIENT = ip(192, 0, 2, 1)
DEST = ip(192, 0, 2, 2)
ROUTER = ip(198, 51, 100, 1)
PAYLOAD = b"Orvane2 echo data 0123456789abcdef0123456789abcdef012345"  # 56 bytes, as ping sends


def checksum(data):
    if len(data) % 2:
        data += b"\0"
    total = sum(struct.unpack("!%dH" % (len(data) // 2), data))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return ~total & 0xFFFF


def icmp(type_, code, rest_of_header, body, good_checksum=True):
    message = bytes([type_, code, 0, 0]) + rest_of_header + body
    total = checksum(message)
    if not good_checksum:
        total ^= 0x0101
    return message[:2] + struct.pack("!H", total) + message[4:]


def echo(type_, ident=ID, seq=SEQ, payload=PAYLOAD):
    return icmp(type_, 0, struct.pack("!HH", ident, seq), payload)


def ipv4(payload, source, destination, protocol=1, option_words=0):
    header_length = 20 + 4 * option_words
    header = struct.pack("!BBHHHBBH", 0x40 | (header_length // 4), 0, header_length + len(payload), 0x1c46, 0, 64,
                         protocol, 0) + source + destination
    header += b"\x01" * (4 * option_words)
    return header + payload


def key(source, ident=ID, seq=SEQ, destination=DEST):
    return struct.pack("!HH", ident, seq) + destination + source


REQUEST_PACKET = ipv4(echo(8), CLIENT, DEST)

ICMP_SEEDS = {
    # An echo reply as a raw socket delivers it, with and without IP options.
    "reply_ip.bin": key(DEST) + ipv4(echo(0), DEST, CLIENT),
    "reply_ip_options.bin": key(DEST) + ipv4(echo(0), DEST, CLIENT, option_words=3),
    # The same reply as a ping socket delivers it (no IP header).
    "reply_icmp.bin": key(DEST) + echo(0),
    "reply_icmp_empty_payload.bin": key(DEST) + echo(0, payload=b""),
    # Replies that are not ours.
    "reply_other_id.bin": key(DEST) + ipv4(echo(0, ident=ID + 1), DEST, CLIENT),
    "reply_other_sequence.bin": key(DEST) + echo(0, seq=SEQ + 1),
    "reply_other_host.bin": key(ip(192, 0, 2, 3)) + ipv4(echo(0), ip(192, 0, 2, 3), CLIENT),
    "reply_bad_checksum.bin": key(DEST) + icmp(0, 0, struct.pack("!HH", ID, SEQ), PAYLOAD, good_checksum=False),
    # Our own request seen by the raw socket.
    "own_request.bin": key(CLIENT) + REQUEST_PACKET,
    # Errors quoting our request: its IP header and the first 8 bytes after it.
    "unreachable_ip.bin": key(ROUTER) + ipv4(icmp(3, 1, b"\0" * 4, REQUEST_PACKET[:28]), ROUTER, CLIENT),
    "unreachable_icmp.bin": key(ROUTER) + icmp(3, 1, b"\0" * 4, REQUEST_PACKET[:28]),
    "time_exceeded_whole_request.bin": key(ROUTER) + ipv4(icmp(11, 0, b"\0" * 4, REQUEST_PACKET), ROUTER, CLIENT),
    "parameter_problem_options.bin": key(ROUTER)
    + icmp(12, 0, b"\x14\0\0\0", ipv4(echo(8), CLIENT, DEST, option_words=2)[:36]),
    "unreachable_quoting_too_little.bin": key(ROUTER) + icmp(3, 3, b"\0" * 4, REQUEST_PACKET[:27]),
    "unreachable_about_udp.bin": key(DEST)
    + icmp(3, 3, b"\0" * 4, ipv4(struct.pack("!HHHH", 0x1234, 7, 11, 0) + b"abc", CLIENT, DEST, protocol=17)[:28]),
    "redirect.bin": key(ROUTER) + icmp(5, 1, ROUTER, REQUEST_PACKET[:28]),
    # Truncated and malformed packets.
    "truncated_ip_header.bin": key(DEST) + ipv4(echo(0), DEST, CLIENT)[:15],
    "truncated_after_ip_header.bin": key(DEST) + ipv4(echo(0), DEST, CLIENT)[:25],
    "truncated_icmp_header.bin": key(DEST) + echo(0)[:7],
    "ip_header_length_too_long.bin": key(DEST) + b"\x4f" + ipv4(echo(0), DEST, CLIENT)[1:40],
    "ip_version_6.bin": key(DEST) + b"\x65" + ipv4(echo(0), DEST, CLIENT)[1:],
    "udp_packet.bin": key(DEST) + ipv4(b"\x12\x34\x00\x07\x00\x0b\x00\x00abc", DEST, CLIENT, protocol=17),
}


def write(directory, files):
    os.makedirs(directory, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(directory, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write(os.path.join(HERE, "corpus", "config_reader"), CONFIGS)
    write(os.path.join(HERE, "corpus", "icmp_packet"), ICMP_SEEDS)
