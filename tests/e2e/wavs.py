"""WAV files for the end-to-end runs, and the reference halving."""

import struct


def wav_bytes(rate, frames, channels=2, bits=16):
    data = bytes((i * 7 + i // 3) % 256 for i in range(frames * channels * bits // 8))
    block = channels * bits // 8
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE" + b"fmt " + struct.pack(
        "<IHHIIHH", 16, 1, channels, rate, rate * block, block, bits) + b"data" + struct.pack("<I", len(data))
    return header + data


def halved(wav):
    """Frames 1, 3, 5 ... of the data counted from 0 (4 bytes each), with the
    bytes of a last incomplete odd frame."""
    data = wav[44:]
    return b"".join(data[i + 4:i + 8] for i in range(0, len(data), 8))
