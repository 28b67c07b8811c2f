"""WAV files for the end-to-end runs, and the reference halving."""

import struct


def wav_bytes(rate, frames, channels=2, bits=16):
    data = bytes((i * 7 + i // 3) % 256 for i in range(frames * channels * bits // 8))
    block = channels * bits // 8
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE" + b"fmt " + struct.pack(
        "<IHHIIHH", 16, 1, channels, rate, rate * block, block, bits) + b"data" + struct.pack("<I", len(data))
    return header + data


def chunk(ident, content):
    pad = b"\0" if len(content) % 2 else b""
    return ident + struct.pack("<I", len(content)) + content + pad


def ffmpeg_wav_bytes(rate, frames):
    """A 16-bit stereo WAV laid out as ffmpeg writes it: a LIST/INFO chunk
    between "fmt " and "data", so the samples start at byte 78."""
    data = bytes((i * 5 + i // 7) % 256 for i in range(frames * 4))
    fmt = struct.pack("<HHIIHH", 1, 2, rate, rate * 4, 4, 16)
    info = chunk(b"LIST", b"INFO" + chunk(b"ISFT", b"Lavf58.76.100\0"))
    body = b"WAVE" + chunk(b"fmt ", fmt) + info + chunk(b"data", data)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def data_chunk(wav):
    """The content of the first "data" chunk, found by walking the chunks."""
    at = 12
    while at + 8 <= len(wav):
        ident = wav[at:at + 4]
        size = struct.unpack("<I", wav[at + 4:at + 8])[0]
        if ident == b"data":
            return wav[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    raise ValueError("no data chunk")


def odd_frames(data, frame=4):
    """Frames 1, 3, 5 ... of the data, with a last incomplete odd frame."""
    return b"".join(data[i + frame:i + 2 * frame] for i in range(0, len(data), 2 * frame))


def halved(wav):
    """Frames 1, 3, 5 ... of the data counted from 0 (4 bytes each), with the
    bytes of a last incomplete odd frame."""
    data = wav[44:]
    return b"".join(data[i + 4:i + 8] for i in range(0, len(data), 8))
