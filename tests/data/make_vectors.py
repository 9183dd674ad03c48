#!/usr/bin/env python3
"""Writes the sealed-data vectors of this folder: NAME.payload, NAME.password, NAME.sealed.

Built independently of the library: the frame is assembled here and enciphered block by block
by OpenSSL's standard DES (ECB, no padding) under the folded key with each byte's bits reversed.
Run from anywhere: python3 tests/data/make_vectors.py
"""
import pathlib
import random
import struct
import subprocess

HERE = pathlib.Path(__file__).resolve().parent


def fold(password: bytes) -> bytes:
    password = password.split(b"\0", 1)[0]
    key = bytearray(8)
    for i, b in enumerate(password):
        key[i % 8] ^= b
    return bytes(key)


def reverse_bits(b: int) -> int:
    return int(f"{b:08b}"[::-1], 2)


def seal(payload: bytes, password: bytes) -> bytes:
    frame = struct.pack("<i", len(payload)) + payload
    frame += b"\0" * (-len(frame) % 8)
    key = bytes(reverse_bits(b) for b in fold(password))
    return subprocess.run(
        ["openssl", "enc", "-des-ecb", "-provider", "legacy", "-provider", "default",
         "-nopad", "-K", key.hex()],
        input=frame, capture_output=True, check=True).stdout


def write(name: str, payload: bytes, password: bytes) -> bytes:
    sealed = seal(payload, password)
    (HERE / f"{name}.payload").write_bytes(payload)
    (HERE / f"{name}.password").write_bytes(password)
    (HERE / f"{name}.sealed").write_bytes(sealed)
    return sealed


def main() -> None:
    write("ascii", b"Hello, world!", b"secret")
    write("chinese_crlf",
          "第一行：你好，世界！\r\n第二行：加密记事本\r\n第三行。\r\n".encode("gbk"),
          "密码123".encode("gbk"))
    write("no_fill", b"abcd", b"a password longer than eight bytes")
    write("empty_password", b"twelve bytes", b"")
    rng = random.Random(20240601)
    write("random_1000", bytes(rng.randrange(256) for _ in range(1000)),
          bytes([0xFF, 0xFE, 0x80, 0x7F, 0x01, 0xAA, 0x55, 0xC3, 0x99]))
    # Zero bytes inside and at the end of the payload, and sealed bytes holding a zero byte.
    for n in range(1000):
        password = f"zero{n}".encode()
        if 0 in seal(b"a\0b\0c\0\0", password):
            write("zero_bytes", b"a\0b\0c\0\0", password)
            break
    else:
        raise SystemExit("no password gave a zero byte")


if __name__ == "__main__":
    main()
