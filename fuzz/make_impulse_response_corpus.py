#!/usr/bin/env python3
# Writes the tiny WAVs of fuzz/corpus/impulse_response: a band-limited pulse
# in each sample format and rate, and the files the reader must refuse.
import math
import os
import struct

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "impulse_response")


def pulse(n, at, sign=1.0):
    return [sign * 0.5 * (1.0 if i == at else math.sin(math.pi * (i - at) / 2) / (math.pi * (i - at) / 2))
            for i in range(n)]


def wav(name, samples, rate, fmt, channels=1):
    if fmt == "float":
        tag, width, data = 3, 4, b"".join(struct.pack("<f", s) for s in samples)
    else:
        width = {"pcm16": 2, "pcm24": 3}[fmt]
        tag, full = 1, (1 << (8 * width - 1)) - 1
        data = b"".join(int(round(s * full)).to_bytes(width, "little", signed=True) for s in samples)
    fmt_chunk = struct.pack("<HHIIHH", tag, channels, rate, rate * width * channels, width * channels, 8 * width)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt_chunk)) + fmt_chunk + b"data" + struct.pack("<I", len(data)) + data
    with open(os.path.join(out, name), "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


os.makedirs(out, exist_ok=True)
wav("pulse_48k_pcm16.wav", pulse(64, 20), 48000, "pcm16")
wav("inverted_44k_pcm24.wav", pulse(64, 9, -1.0), 44100, "pcm24")
wav("pulse_96k_float.wav", pulse(48, 30), 96000, "float")
wav("stereo_48k.wav", pulse(32, 10), 48000, "pcm16", channels=2)
wav("rate_8k.wav", pulse(16, 4), 8000, "pcm16")
wav("empty_48k.wav", [], 48000, "pcm16")
with open(os.path.join(out, "text.txt"), "w") as f:
    f.write("* Freq(Hz) SPL(dB)\n20 68.4\n")
