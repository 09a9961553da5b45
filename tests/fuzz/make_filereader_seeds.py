#!/usr/bin/env python3
"""make_filereader_seeds.py OUT_DIR: seeds for the file-reader fuzzer, from the committed recordings:
the frame-head recordings of tests/fixtures cut after their first frames (at a frame boundary, from
their .frames listings), and the transport-stream recordings of the transport-stream parser's seeds.
Each seed is a 17-byte head (the chunk-size choice and eight operations) in front of the file."""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# (kind, argument): percent 50, two steps back to key frames, 11 video frames on, half the time,
# frame number 200/254 of the count, 31 frames on, one frame back, a number past the end.
OPERATIONS = [(3, 50), (2, 1), (1, 10), (4, 128), (5, 200), (0, 30), (6, 0), (5, 255)]
# Cut frame-head recordings at the first frame boundary past this many bytes.
CUT = 9000


def head(chunk_choice):
    data = bytearray([chunk_choice])
    for kind, argument in OPERATIONS:
        data += bytes([kind, argument])
    return bytes(data)


def frame_offsets(listing):
    offsets = []
    for line in open(listing):
        if line.startswith("#") or not line.strip():
            continue
        offsets.append(int(line.split()[0]))
    return offsets


def video_offsets(listing):
    return [int(line.split()[0]) for line in open(listing)
            if line.strip() and not line.startswith("#") and line.split()[1] == "1"]


def cut_frame_stream(path):
    data = open(path, "rb").read()
    ends = [offset for offset in frame_offsets(path + ".frames") if offset >= CUT]
    return data[: ends[0]] if ends else data


def with_frame_rate(path, stream, rate):
    """The stream with every video head's frame rate set to rate (byte 34 of the head): at 2 frames a
    second the short recording lasts seconds, so that seeks by time go somewhere."""
    data = bytearray(stream)
    for offset in video_offsets(path + ".frames"):
        if offset + 34 < len(data):
            data[offset + 34] = rate
    return bytes(data)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    fixtures = os.path.join(ROOT, "tests", "fixtures")
    # Chunk choices 0..7 give 2, 4, ... 256 transport packets per chunk.
    seeds = [
        ("framestream_gop12_g711a", "framestream_h264_baseline_176x144_gop12_g711a.kxav", 5),
        ("framestream_idwrap", "framestream_h264_baseline_176x144_gop12_video_idwrap.kxav", 4),
        ("framestream_oneframe", "framestream_h264_baseline_176x144_oneframe.kxav", 7),
        ("framestream_garbage", "framestream_h264_baseline_crop_322x242_gop10_g711a_garbage.kxav", 6),
        ("framestream_audiokeytype", "framestream_h264_main_bframes_320x240_gop8_g711a_audiokeytype.kxav", 4),
    ]
    for name, source, chunk in seeds:
        with open(os.path.join(out, name), "wb") as seed:
            seed.write(head(chunk) + cut_frame_stream(os.path.join(fixtures, source)))
    gop12 = os.path.join(fixtures, "framestream_h264_baseline_176x144_gop12_g711a.kxav")
    with open(os.path.join(out, "framestream_gop12_rate2"), "wb") as seed:
        seed.write(head(4) + with_frame_rate(gop12, cut_frame_stream(gop12), 2))
    ts_seeds = os.path.join(ROOT, "tests", "fuzz", "corpus", "tsframeparser")
    for name, source, chunk in [("ts_ours_start", "ours_lazy_start", 1), ("ts_ours_end", "ours_whole_end", 5),
                                ("ts_ffmpeg", "ffmpeg_whole", 3)]:
        # Those seeds carry one head byte of their own.
        stream = open(os.path.join(ts_seeds, source), "rb").read()[1:]
        with open(os.path.join(out, name), "wb") as seed:
            seed.write(head(chunk) + stream)


if __name__ == "__main__":
    main()
