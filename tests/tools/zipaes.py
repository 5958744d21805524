#!/usr/bin/python3
"""Independent implementation of the AES scheme of encrypted ZIP entries (AE-1/AE-2).

An entry's data is: salt (8/12/16 bytes for key strength 1/2/3), a 2-byte password verifier,
the data XORed with AES in counter mode (16-byte little-endian counter starting at 1), and the
first 10 bytes of HMAC-SHA1 over the enciphered data. Keys come from PBKDF2-HMAC-SHA1 with 1000
iterations: AES key, HMAC key, verifier. The program's stream cipher must produce and accept
exactly this, which the Qt test checks through this script.

usage:
  zipaes.py encrypt STRENGTH PASSWORD_HEX INFILE OUTFILE
  zipaes.py decrypt STRENGTH PASSWORD_HEX INFILE OUTFILE
  zipaes.py zip     STRENGTH VERSION INFILE(enciphered) PLAINFILE ZIPFILE
  zipaes.py unzip   PASSWORD_HEX ZIPFILE OUTFILE

Exit codes: 0 ok, 2 wrong password (verifier), 3 authentication code mismatch, 4 bad input.
"""
import hashlib
import hmac
import os
import struct
import sys
import zlib

from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

KEY_BYTES = {1: 16, 2: 24, 3: 32}
SALT_BYTES = {1: 8, 2: 12, 3: 16}
MAC_BYTES = 10


def derive(password, salt, strength):
    n = KEY_BYTES[strength]
    material = hashlib.pbkdf2_hmac("sha1", password, salt, 1000, 2 * n + 2)
    return material[:n], material[n:2 * n], material[2 * n:]


def ctr_xor(aes_key, data):
    ecb = Cipher(algorithms.AES(aes_key), modes.ECB()).encryptor()
    blocks = (len(data) + 15) // 16
    counters = b"".join((i + 1).to_bytes(16, "little") for i in range(blocks))
    stream = ecb.update(counters) + ecb.finalize()
    return bytes(a ^ b for a, b in zip(data, stream))


def encrypt(password, strength, plain):
    salt = os.urandom(SALT_BYTES[strength])
    aes_key, mac_key, verifier = derive(password, salt, strength)
    cipher = ctr_xor(aes_key, plain)
    code = hmac.new(mac_key, cipher, hashlib.sha1).digest()[:MAC_BYTES]
    return salt + verifier + cipher + code


def decrypt(password, strength, blob):
    s = SALT_BYTES[strength]
    if len(blob) < s + 2 + MAC_BYTES:
        sys.exit(4)
    salt, verifier, cipher, code = blob[:s], blob[s:s + 2], blob[s + 2:-MAC_BYTES], blob[-MAC_BYTES:]
    aes_key, mac_key, expected = derive(password, salt, strength)
    if verifier != expected:
        sys.exit(2)
    if not hmac.compare_digest(hmac.new(mac_key, cipher, hashlib.sha1).digest()[:MAC_BYTES], code):
        sys.exit(3)
    return ctr_xor(aes_key, cipher)


def make_zip(strength, version, blob, plain, name=b"data.bin"):
    # Compression method 99 marks AES; the extra field 0x9901 holds the vendor version (1 = AE-1
    # with the CRC of the plain data, 2 = AE-2 without it), "AE", the strength and the real method.
    crc = zlib.crc32(plain) if version == 1 else 0
    extra = struct.pack("<HHH2sBH", 0x9901, 7, version, b"AE", strength, 0)
    flags = 1  # encrypted
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 51, flags, 99, 0, 0x21, crc, len(blob), len(plain),
                        len(name), len(extra)) + name + extra
    central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 51, 51, flags, 99, 0, 0x21, crc, len(blob),
                          len(plain), len(name), len(extra), 0, 0, 0, 0, 0) + name + extra
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, len(central), len(local) + len(blob), 0)
    return local + blob + central + end


def read_zip(password, data):
    sig, _, flags, method, _, _, crc, csize, usize, nlen, xlen = struct.unpack_from("<IHHHHHIIIHH", data, 0)
    if sig != 0x04034B50 or method != 99 or not flags & 1:
        sys.exit(4)
    extra = data[30 + nlen:30 + nlen + xlen]
    hid, _, version, ae, strength, real = struct.unpack_from("<HHH2sBH", extra, 0)
    if hid != 0x9901 or ae != b"AE" or real != 0:
        sys.exit(4)
    start = 30 + nlen + xlen
    plain = decrypt(password, strength, data[start:start + csize])
    if len(plain) != usize or (version == 1 and zlib.crc32(plain) != crc):
        sys.exit(4)
    return plain


def main(argv):
    cmd = argv[1]
    if cmd in ("encrypt", "decrypt"):
        strength, password = int(argv[2]), bytes.fromhex(argv[3])
        with open(argv[4], "rb") as f:
            data = f.read()
        out = encrypt(password, strength, data) if cmd == "encrypt" else decrypt(password, strength, data)
        with open(argv[5], "wb") as f:
            f.write(out)
    elif cmd == "zip":
        strength, version = int(argv[2]), int(argv[3])
        with open(argv[4], "rb") as f:
            blob = f.read()
        with open(argv[5], "rb") as f:
            plain = f.read()
        with open(argv[6], "wb") as f:
            f.write(make_zip(strength, version, blob, plain))
    elif cmd == "unzip":
        with open(argv[3], "rb") as f:
            plain = read_zip(bytes.fromhex(argv[2]), f.read())
        with open(argv[4], "wb") as f:
            f.write(plain)
    else:
        sys.exit(4)


if __name__ == "__main__":
    main(sys.argv)
