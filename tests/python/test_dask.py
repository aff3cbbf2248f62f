"""The Dask example (examples/dask_stamp.py) on a local cluster of two worker processes: every
file of a folder changed, a damaged one named and left as it was."""

import os
import subprocess
import sys
from pathlib import Path

import velmora
from conftest import png, text

EXAMPLE = Path(os.environ.get("VELMORA_EXAMPLES", Path(__file__).resolve().parents[2] / "examples")) / "dask_stamp.py"


def run(*args):
    return subprocess.run([sys.executable, str(EXAMPLE), "--local", "2", *map(str, args)],
                          capture_output=True, text=True, timeout=300)


def test_the_example_changes_every_file_of_a_folder_on_two_workers(tmp_path):
    folder = tmp_path / "images"
    (folder / "deeper").mkdir(parents=True)
    files = [folder / ("deeper" if i % 3 == 0 else "") / f"{i:02}.png" for i in range(40)]
    for i, path in enumerate(files):
        path.write_bytes(png(16 + i, 8, before=[text("Title", f"picture {i}"), text("Owner", "nobody")]))
    damaged = folder / "damaged.png"
    damaged_bytes = png(8, 8, before=[text("Title", "broken")], image_data=b"no zlib stream")
    damaged.write_bytes(damaged_bytes)
    (folder / "notes.txt").write_text("not a PNG file")

    stamped = run("--set", "Owner=Dask", "--set", "Size=%WIDTH%x%HEIGHT%", "--expand-macros", folder)
    assert stamped.returncode == 1, stamped.stderr
    assert stamped.stdout.strip() == "40 of 41 files processed on 2 workers"
    assert f"{damaged}: IDAT: incorrect header check" in stamped.stderr.splitlines()
    for i, path in enumerate(files):
        assert velmora.read(path) == [("Title", f"picture {i}"), ("Owner", "Dask"), ("Size", f"{16 + i}x8")]
    assert damaged.read_bytes() == damaged_bytes

    listed = tmp_path / "list.txt"
    listed.write_text("".join(f"{p}\n" for p in files))
    stripped = run("--strip", "--keep", "Owner", "--files-from", listed)
    assert stripped.returncode == 0, stripped.stderr
    assert stripped.stdout.strip() == "40 of 40 files processed on 2 workers"
    assert all(velmora.read(path) == [("Owner", "Dask")] for path in files)
