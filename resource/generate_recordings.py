#!/usr/bin/env python3
"""Synthesizes the three drum hits that the wave layer carries inside the program.

Writes, next to this script:
  kick_classic.wav  0.539 s, 23782 samples, 16-bit PCM, "fmt " "LIST"(INFO/INAM) "data" "smpl"
  kick_short.wav    0.103 s,  4538 samples, 16-bit PCM, same chunk layout
  kick_low.wav      1.581 s, 69736 samples, 24-bit WAVE_FORMAT_EXTENSIBLE, "fmt " "LIST"(INFO/ISFT) "data"
All mono at 44100 Hz. The output is deterministic (own noise generator, no randomness from the
system), so running the script again reproduces the checked-in files byte for byte.

Each hit is a sine body whose pitch sweeps down from a high start to its resting pitch, a short
click (a pitched blip plus a burst of band-limited noise), a gentle saturation stage and a natural
exponential decay that reaches silence exactly at the end of the file.

Only the Python standard library is used.
"""

import math
import os
import struct

RATE = 44100


class Noise:
    """32-bit linear congruential generator mapped to [-1, 1)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state / 2147483648.0 - 1.0


def synthesize_kick(count, *, rest_hz, sweep_hz, sweep_tau, slow_hz, slow_tau, decay_tau,
                    attack_s, harmonic, click_level, click_hz, click_tau, noise_level,
                    noise_tau, drive, fade_s, seed):
    """Returns `count` float samples of one kick drum hit, peak-normalized to 0.891 (-1 dBFS)."""
    noise = Noise(seed)
    out = []
    phase = 0.0
    click_phase = 0.0
    noise_lp = 0.0
    noise_hp = 0.0
    noise_prev = 0.0
    length_s = count / RATE
    for i in range(count):
        t = i / RATE
        # Body: the pitch falls quickly from rest + sweep + slow to rest, the slow part lingers.
        f = rest_hz + sweep_hz * math.exp(-t / sweep_tau) + slow_hz * math.exp(-t / slow_tau)
        phase += 2.0 * math.pi * f / RATE
        attack = min(t / attack_s, 1.0) if attack_s > 0 else 1.0
        attack = attack * attack * (3.0 - 2.0 * attack)
        envelope = math.exp(-t / decay_tau)
        body = (math.sin(phase) + harmonic * math.exp(-t / (0.5 * decay_tau)) * math.sin(2.0 * phase))
        body *= envelope * attack

        # Click: a pitched blip dying within a few milliseconds ...
        click_phase += 2.0 * math.pi * click_hz / RATE
        blip = click_level * math.exp(-t / click_tau) * math.sin(click_phase)
        # ... and a burst of noise band-limited to roughly 1-6 kHz.
        n = noise.next()
        noise_lp += (n - noise_lp) * 0.55
        noise_hp = 0.86 * (noise_hp + noise_lp - noise_prev)
        noise_prev = noise_lp
        burst = noise_level * math.exp(-t / noise_tau) * noise_hp

        x = body + blip + burst
        x = math.tanh(drive * x) / math.tanh(drive)

        # Fade the last moments so the hit ends in exact silence.
        remaining = length_s - t
        if remaining < fade_s:
            w = max(remaining / fade_s, 0.0)
            x *= w * w * (3.0 - 2.0 * w)
        out.append(x)

    peak = max(abs(v) for v in out) or 1.0
    gain = 0.891 / peak
    return [v * gain for v in out]


def quantize(samples, bits, seed):
    """Rounds to signed integers of `bits` bits with triangular dither of one step."""
    noise = Noise(seed)
    top = (1 << (bits - 1)) - 1
    scale = float(1 << (bits - 1))
    result = []
    for v in samples:
        dither = 0.5 * (noise.next() + noise.next())
        q = int(math.floor(v * scale + dither + 0.5))
        result.append(max(-top - 1, min(top, q)))
    return result


def chunk(chunk_id, body):
    assert len(body) % 2 == 0, "every chunk of these images has an even length"
    return chunk_id + struct.pack("<I", len(body)) + body


def info_list(tag, text):
    return chunk(b"LIST", b"INFO" + chunk(tag, text))


def smpl_chunk(unity_note):
    period_ns = 22675  # 1e9 / 44100, truncated
    header = struct.pack("<9I", 0, 0, period_ns, unity_note, 0, 0, 0, 0, 24)
    return chunk(b"smpl", header + bytes(24))  # no loops, 24 bytes of (empty) sampler data


def pcm16_image(ints, name, unity_note):
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    data = b"".join(struct.pack("<h", v) for v in ints)
    body = (b"WAVE" + chunk(b"fmt ", fmt) + info_list(b"INAM", name.ljust(12).encode("ascii")) +
            chunk(b"data", data) + smpl_chunk(unity_note))
    return b"RIFF" + struct.pack("<I", len(body)) + body


def pcm24_extensible_image(ints, software):
    pcm_guid = bytes.fromhex("0100000000001000800000aa00389b71")
    fmt = struct.pack("<HHIIHHHHI", 0xFFFE, 1, RATE, RATE * 3, 3, 24, 22, 24, 4) + pcm_guid
    data = b"".join(struct.pack("<i", v)[:3] for v in ints)
    body = (b"WAVE" + chunk(b"fmt ", fmt) + info_list(b"ISFT", software.encode("ascii") + b"\0") +
            chunk(b"data", data))
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    here = os.path.dirname(os.path.abspath(__file__))

    classic = synthesize_kick(
        23782, rest_hz=50.0, sweep_hz=160.0, sweep_tau=0.022, slow_hz=22.0, slow_tau=0.09,
        decay_tau=0.13, attack_s=0.0004, harmonic=0.10, click_level=0.35, click_hz=1650.0,
        click_tau=0.0018, noise_level=0.30, noise_tau=0.004, drive=1.6, fade_s=0.06, seed=0x909B0D02)
    short = synthesize_kick(
        4538, rest_hz=62.0, sweep_hz=190.0, sweep_tau=0.010, slow_hz=30.0, slow_tau=0.03,
        decay_tau=0.032, attack_s=0.0003, harmonic=0.16, click_level=0.45, click_hz=2100.0,
        click_tau=0.0012, noise_level=0.40, noise_tau=0.0025, drive=2.2, fade_s=0.02, seed=0x808B0D11)
    low = synthesize_kick(
        69736, rest_hz=38.0, sweep_hz=95.0, sweep_tau=0.032, slow_hz=14.0, slow_tau=0.35,
        decay_tau=0.42, attack_s=0.0008, harmonic=0.14, click_level=0.22, click_hz=1200.0,
        click_tau=0.0022, noise_level=0.18, noise_tau=0.005, drive=1.9, fade_s=0.15, seed=0x10A1)

    images = {
        "kick_classic.wav": pcm16_image(quantize(classic, 16, 1), "909BD02", 37),
        "kick_short.wav": pcm16_image(quantize(short, 16, 2), "808BD11", 46),
        "kick_low.wav": pcm24_extensible_image(quantize(low, 24, 3), "gmkickgen 1.0"),
    }
    expected = {"kick_classic.wav": 47708, "kick_short.wav": 9220, "kick_low.wav": 209310}
    for name, image in images.items():
        assert len(image) == expected[name], (name, len(image))
        with open(os.path.join(here, name), "wb") as f:
            f.write(image)
        print(f"{name}: {len(image)} bytes")


if __name__ == "__main__":
    main()
