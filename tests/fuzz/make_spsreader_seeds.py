#!/usr/bin/env python3
"""make_spsreader_seeds.py FIXTURE_DIR OUT_DIR: seeds for the SPS reader fuzzer from the generated
H.264 streams: each stream's parameter sets (and delimiter) in front of the first 48 bytes of its
first key-frame slice, the encoder's SEI left out."""
import os
import sys


def units(data):
    starts = []
    i = data.find(b"\x00\x00\x01")
    while i >= 0:
        starts.append(i)
        i = data.find(b"\x00\x00\x01", i + 3)
    for n, begin in enumerate(starts):
        end = starts[n + 1] if n + 1 < len(starts) else len(data)
        yield data[begin:end]


def main():
    source, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    for name in sorted(os.listdir(source)):
        if not name.endswith(".h264"):
            continue
        data = open(os.path.join(source, name), "rb").read()
        seed = bytearray()
        for unit in units(data):
            kind = unit[3] & 0x1F
            if kind in (7, 8, 9):
                seed += b"\x00" + unit
            elif kind == 5:
                seed += b"\x00" + unit[:48]
                break
        open(os.path.join(out, name.replace(".h264", ".bin")), "wb").write(seed)


if __name__ == "__main__":
    main()
