#!/usr/bin/env python3
"""Adding text entries to PNG files from Python: the velmora package against Python's imaging
library (PIL), on the batch benchmark's sets (make_corpus: 200 × 64×64, 50 × 1024×768 and
5 × 6000×4000 photo-like files).

Each tool adds three entries to every file of a fresh copy of a set, in place, in one
process: velmora.update (one thread, and a pool of one thread per core), and PIL opening the
file and saving it with the file's entries and the new ones (PngInfo): the pixels are decoded
and encoded anew. velmora flushes each file to the disk before it replaces the original; PIL
does not, so it runs once more with an fsync after each save ("PIL, flushed"). Every result is checked for the entries. Prints for each set and tool the
files/s and MB/s (median of RUNS runs, default 3, with the slowest and fastest), and what the
tool changed: the bytes of the files' other chunks (everything but the text) that are no
longer as they were, and the change in size.

    python-vs-pil.py BUILD [CORPUS]      (BUILD: a build folder with the package and make_corpus)
    RUNS=1 SETS="small medium" python-vs-pil.py build
"""

import os
import shutil
import statistics
import subprocess
import struct
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

build = Path(sys.argv[1]).resolve()
corpus = Path(sys.argv[2]) if len(sys.argv) > 2 else build / "bench-corpus"
sys.path.insert(0, str(build / "python"))
import velmora  # noqa: E402
from PIL import Image, PngImagePlugin  # noqa: E402

RUNS = int(os.environ.get("RUNS", "3"))
ENTRIES = [("Author", "Bench Mark"), ("Title", "bench"), ("Copyright", "(c) Bench")]


def chunks(data):
    found, at = [], 8
    while at < len(data):
        (length,) = struct.unpack(">I", data[at : at + 4])
        found.append((data[at + 4 : at + 8], data[at : at + 12 + length]))
        at += 12 + length
    return found


def other_chunks(data):
    return b"".join(whole for kind, whole in chunks(data) if kind not in (b"tEXt", b"zTXt", b"iTXt"))


def common_prefix(a, b):
    low, high = 0, min(len(a), len(b))
    while low < high:
        mid = (low + high + 1) // 2
        if a[:mid] == b[:mid]:
            low = mid
        else:
            high = mid - 1
    return low


def differing(a, b):
    """The bytes of b that are not as in a: all but the beginning and the end they share."""
    if a == b:
        return 0
    start = common_prefix(a, b)
    end = common_prefix(a[start:][::-1], b[start:][::-1])
    return len(b) - start - end


def with_velmora(path):
    velmora.update(path, set=ENTRIES)


def with_pil(path):
    with Image.open(path) as image:
        info = PngImagePlugin.PngInfo()
        for keyword, text in list(image.text.items()) + ENTRIES:
            info.add_text(keyword, text)
        image.load()
        image.save(path, pnginfo=info)


def with_pil_flushed(path):
    # As durable as velmora's save: the new file on the disk before the call returns (still
    # without velmora's write-beside-and-rename, so a crash can leave a part-written file).
    with_pil(path)
    with open(path, "rb") as written:
        os.fsync(written.fileno())


def velmora_pool(files):
    with ThreadPoolExecutor(os.cpu_count()) as pool:
        list(pool.map(with_velmora, files))


TOOLS = {
    "velmora": lambda files: [with_velmora(f) for f in files],
    f"velmora, {os.cpu_count()} threads": velmora_pool,
    "PIL": lambda files: [with_pil(f) for f in files],
    "PIL, flushed": lambda files: [with_pil_flushed(f) for f in files],
}


def run(tool, files):
    os.sync()
    start = time.perf_counter()
    TOOLS[tool](files)
    return time.perf_counter() - start


def main():
    maker = build / "bench" / "make_corpus"
    subprocess.run([str(maker), str(corpus)], check=True)
    work = Path(tempfile.mkdtemp())
    try:
        print(f"Median of {RUNS} runs [slowest, fastest]; 'other bytes changed': bytes of the chunks other")
        print("than text that are not as they were (all but the beginning and end they share, over all files);")
        print("'size': the files' growth.")
        print(f"{'set':7} {'files':>5} {'MB':>6} | {'tool':18} {'files/s [range]':28} {'MB/s':>7} | "
              f"{'other bytes changed':>20} {'size':>9}")
        for name in os.environ.get("SETS", "small medium large").split():
            originals = sorted((corpus / name).glob("*.png"))
            size = sum(p.stat().st_size for p in originals)
            times = {tool: [] for tool in TOOLS}
            changes = {}
            for _ in range(RUNS):
                for tool in TOOLS:
                    folder = work / name
                    shutil.rmtree(folder, ignore_errors=True)
                    shutil.copytree(corpus / name, folder)
                    files = sorted(folder.glob("*.png"))
                    times[tool].append(run(tool, files))
                    changed = grown = 0
                    for original, result in zip(originals, files):
                        entries = velmora.read(result)
                        assert all(e in entries for e in ENTRIES), f"{tool} lost the entries of {result}"
                        before, after = original.read_bytes(), result.read_bytes()
                        changed += differing(other_chunks(before), other_chunks(after))
                        grown += len(after) - len(before)
                    changes[tool] = (changed, grown)
            for tool in TOOLS:
                t = statistics.median(times[tool])
                rates = [len(originals) / x for x in (t, max(times[tool]), min(times[tool]))]
                rate = "{} [{}, {}]".format(*(f"{r:,.1f}" if r >= 10 else f"{r:.2f}" for r in rates))
                changed, grown = changes[tool]
                print(f"{name:7} {len(originals):5} {size / 1e6:6.1f} | {tool:18} {rate:28} {size / 1e6 / t:7.1f} | "
                      f"{changed:20,} {grown / size:+9.2%}")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
