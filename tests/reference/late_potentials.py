#!/usr/bin/python3
"""An independent derivation of the time-domain late-potential figures of a record file.

Written from the rule's statement with scipy's filter design, not from the program's
code, so that tests can hold literal figures that do not replay the code under test.
Usage: late_potentials.py RECORD... (prints onset, offset, fQRSd, RMS40, LAS40, guarded).
"""
import struct
import sys

import numpy as np
from scipy import signal

FS = 1000.0


def leads_of(path):
    data = open(path, "rb").read()
    assert len(data) == 5025, path
    unit = 0.1
    if data[0:8] == b"\x89WLTG\r\n\x1a":
        unit = struct.unpack(">d", data[9:17])[0]
    leads = []
    for lead in range(3):
        steps = struct.unpack(">800h", data[225 + 1600 * lead: 225 + 1600 * (lead + 1)])
        leads.append(np.cumsum(np.array(steps, dtype=np.int64)).astype(float))
    return np.array(leads) * unit


def band_pass(x):
    sos = np.vstack([signal.butter(4, 40.0, "highpass", fs=FS, output="sos"),
                     signal.butter(4, 250.0, "lowpass", fs=FS, output="sos")])
    zi = signal.sosfilt_zi(sos)
    y, _ = signal.sosfilt(sos, x, zi=zi * x[0])
    return y


def figures(uv):
    raw = np.sqrt((uv ** 2).sum(axis=0))
    c = 150 + int(np.argmax(raw[150:650]))
    filtered = np.zeros_like(uv)
    for lead in range(3):
        filtered[lead, :c] = band_pass(uv[lead, :c])
        filtered[lead, c:] = band_pass(uv[lead, c:][::-1])[::-1]
    v = np.sqrt((filtered ** 2).sum(axis=0))
    padded = np.concatenate([np.zeros(2), v, np.zeros(2)])
    m = np.array([padded[i:i + 5].sum() / 5 for i in range(800)])
    peak = 150 + int(np.argmax(m[150:650]))
    segments = [v[20:80], v[720:780]]
    quiet = segments[1] if segments[1].mean() < segments[0].mean() else segments[0]
    threshold = quiet.mean() + 3 * quiet.std()

    def onset_at(level):
        for i in range(peak, 23, -1):
            if all(m[i - k] < level for k in range(5)):
                return i + 1
        return None

    onset = onset_at(threshold)
    offset = None
    for i in range(peak, 776):
        if all(m[i + k] < threshold for k in range(5)):
            offset = i - 1
            break
    if onset is None or offset is None:
        return None
    first = onset
    second = onset_at(2 * threshold)
    if second is not None and second - onset > 20:
        onset = second
    if peak - onset > 100:
        window = m[peak - 100: peak - 9]
        i = peak - 100 + int(np.flatnonzero(window == window.min())[-1])
        if m[i] < 3 * threshold:
            onset = i + 1
    if offset - onset < 40:
        return None
    tail = v[offset - 39: offset + 1]
    rms40 = np.sqrt((tail ** 2).mean())
    loud = [i for i in range(onset, offset + 1) if v[i] >= 40.0]
    las40 = offset - loud[-1] if loud else offset - onset
    return onset, offset, offset - onset, rms40, las40, int(onset != first), quiet.mean()


if __name__ == "__main__":
    for path in sys.argv[1:]:
        f = figures(leads_of(path))
        if f is None:
            print(path, "QRS not found")
        else:
            print("%s onset %d offset %d fqrs %d rms40 %.2f las40 %d guarded %d noise %.3f" % ((path,) + f))
