"""The Python package velmora: what it reads, what a change keeps, what it refuses, and that
it works from threads and across processes."""

import os
import pickle
import shutil
import struct
import subprocess
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import pytest
import velmora
from conftest import chunk, chunks_of, itxt, png, text, without_text, ztxt

CLI = os.environ.get("VELMORA_CLI", "")
needs_cli = pytest.mark.skipif(not os.path.exists(CLI), reason="VELMORA_CLI names no velmora-cli")
PHYS = chunk(b"pHYs", struct.pack(">IIB", 2835, 2835, 1))


def test_entries_in_file_order_from_every_kind_of_text_chunk(make):
    data = png(
        before=[text("Title", "Plain"), ztxt("Comment", "squeezed " * 200)],
        after=[itxt("Author", "Grüße 世界", "de", "Autor"), text("Empty", "")],
    )
    expected = [("Title", "Plain"), ("Comment", "squeezed " * 200), ("Author", "Grüße 世界"), ("Empty", "")]
    path = make(data)
    assert velmora.read(path) == expected
    assert velmora.read(str(path)) == expected
    for form in (data, bytearray(data), memoryview(data)):
        assert velmora.read_bytes(form) == expected


@pytest.mark.parametrize(
    "changes, expected",
    [
        pytest.param(
            dict(set=[("Author", "Ann"), ("Note", "a=b")]),
            [("Title", "Old"), ("Author", "Bob"), ("Author", "Ann"), ("Note", "a=b")],
            id="set appends",
        ),
        pytest.param(dict(set={"Author": "Ann"}, replace=True), [("Title", "Old"), ("Author", "Ann")], id="replace"),
        pytest.param(dict(remove=["Author", "Missing"]), [("Title", "Old")], id="remove"),
        pytest.param(dict(remove="Title"), [("Author", "Bob")], id="remove one keyword given alone"),
        pytest.param(dict(clear=True, remove="Title", set=[("Title", "New")]), [("Title", "New")], id="clear first"),
        pytest.param(dict(set=[("Size", "%WIDTH%×%HEIGHT%")]), [("Title", "Old"), ("Author", "Bob"),
                     ("Size", "%WIDTH%×%HEIGHT%")], id="texts as given"),
        pytest.param(dict(set=[("Size", "%WIDTH%×%HEIGHT%")], expand_macros=True),
                     [("Title", "Old"), ("Author", "Bob"), ("Size", "4×4")], id="macros expanded"),
        pytest.param(dict(set=[("K" * 90, "long")]), [("Title", "Old"), ("Author", "Bob"), ("K" * 79, "long")],
                     id="keyword cut at 79"),
    ],
)
def test_a_change_rewrites_the_text_entries_only(make, changes, expected):
    data = png(before=[text("Title", "Old"), PHYS], after=[text("Author", "Bob"), chunk(b"prIv", b"private")])
    path = make(data)
    velmora.update(path, **changes)
    written = path.read_bytes()
    assert velmora.read(path) == expected
    assert without_text(written) == without_text(data)
    # The same change in memory gives the same file.
    assert velmora.update_bytes(data, **changes) == written


@needs_cli
@pytest.mark.parametrize(
    "command, changes",
    [
        (["set", "--replace", "FILE", "Author=Ann", "Title=%FILENAME%"],
         dict(set=[("Author", "Ann"), ("Title", "%FILENAME%")], replace=True, expand_macros=True)),
        (["remove", "FILE", "Author", "Title"], dict(remove=["Author", "Title"])),
        (["clear", "FILE"], dict(clear=True)),
        (["--recompress", "set", "FILE", "K=v"], dict(set=[("K", "v")], recompress=True)),
    ],
    ids=["set", "remove", "clear", "set re-encoding the image"],
)
def test_the_same_change_writes_the_file_velmora_cli_writes(suite, tmp_path, command, changes):
    ours = suite("ct1n0g04.png")
    (tmp_path / "cli").mkdir()
    theirs = shutil.copy(ours, tmp_path / "cli" / ours.name)
    velmora.update(ours, **changes)
    subprocess.run([CLI] + [theirs if a == "FILE" else a for a in command], check=True)
    assert ours.read_bytes() == open(theirs, "rb").read()


@pytest.mark.parametrize(
    "data, changes, reason",
    [
        (png(), dict(set=[("日本", "x")]), "only Latin-1"),
        (png(), dict(set=[("   ", "x")]), "no printable character"),
        (png(), dict(set=[("K", "a\0b")]), "NUL"),
        (png(), dict(set=[("", "x")]), "no keyword"),
        (png(image_data=b"no zlib stream"), dict(set=[("K", "v")]), "header"),
        (png(before=[text("A", "b")])[:-20], dict(clear=True), "truncated"),
        (b"GIF89a" + bytes(40), dict(clear=True), "not a PNG file"),
    ],
    ids=["keyword outside Latin-1", "keyword of spaces", "NUL in a text", "empty keyword", "damaged image data",
         "truncated file", "not a PNG file"],
)
def test_a_refused_change_leaves_the_file_as_it_was(make, tmp_path, data, changes, reason):
    path = make(data)
    with pytest.raises(velmora.Error) as caught:
        velmora.update(path, **changes)
    error = caught.value
    assert reason in error.reason
    assert str(error) == f"{path}: {error.reason}"
    assert error.file == str(path)
    assert path.read_bytes() == data
    assert os.listdir(tmp_path) == ["image.png"]  # nothing left beside it
    with pytest.raises(velmora.Error) as caught:
        velmora.update_bytes(data, **changes)
    assert caught.value.file is None and str(caught.value) == caught.value.reason


def test_a_file_without_write_permission_is_refused(suite):
    path = suite("basn0g08.png")
    before = path.read_bytes()
    path.chmod(0o444)
    with pytest.raises(velmora.Error, match="read-only"):
        velmora.update(path, set=[("K", "v")])
    assert path.read_bytes() == before


def test_errors_say_why_and_travel_between_processes(tmp_path):
    missing = tmp_path / "missing.png"
    with pytest.raises(velmora.Error) as caught:
        velmora.read(missing)
    error = caught.value
    assert isinstance(error, ValueError)
    assert (error.reason, error.file, str(error)) == ("the file does not exist", str(missing), f"{missing}: {error.reason}")
    copy = pickle.loads(pickle.dumps(error))
    assert type(copy) is velmora.Error
    assert (copy.reason, copy.file, str(copy)) == (error.reason, error.file, str(error))
    for function in (velmora.read, velmora.update, velmora.strip, velmora.summary, velmora.update_bytes):
        assert pickle.loads(pickle.dumps(function)) is function
    with pytest.raises(TypeError):
        velmora.read_bytes("not bytes")
    with pytest.raises(TypeError):
        velmora.update(missing, set=[("K", 1)])


def test_strip_removes_the_metadata_and_keeps_the_rest(make):
    removed = [ztxt("parameters", "steps: 20, " * 40), itxt("Comment", "ü"), chunk(b"eXIf", b"MM\0*\0\0\0\x08\0\0")]
    data = png(before=[text("Title", "T"), removed[0], PHYS, removed[2]], after=[removed[1]])
    expected = [("zTXt", "parameters", len(removed[0])), ("iTXt", "Comment", len(removed[1])), ("eXIf", "", len(removed[2]))]
    path = make(data)
    assert velmora.strip(path, keep=["Title"], dry_run=True) == expected
    assert path.read_bytes() == data
    assert velmora.strip(path, keep="Title") == expected
    assert velmora.read(path) == [("Title", "T")]
    assert without_text(path.read_bytes()) == [c for c in without_text(data) if c[0] != "eXIf"]
    # Nothing left to remove: the file is not written again.
    inode = path.stat().st_ino
    assert velmora.strip(path, keep=["Title"]) == []
    assert path.stat().st_ino == inode
    stripped, listed = velmora.strip_bytes(data)
    assert velmora.read_bytes(stripped) == [] and [r[1] for r in listed] == ["Title", "parameters", "Comment", ""]
    assert velmora.strip_bytes(stripped) == (stripped, [])


@pytest.mark.parametrize(
    "name, size, depth, colour, interlaced",
    [
        ("basn0g08.png", (32, 32), 8, "Greyscale", False),
        ("basi6a16.png", (32, 32), 16, "RGBA", True),
        ("basn3p02.png", (32, 32), 2, "Palette", False),
        ("cdsn2c08.png", (8, 8), 8, "RGB", False),
    ],
)
def test_summary(suite, name, size, depth, colour, interlaced):
    path = suite(name)
    s = velmora.summary(path)
    assert ((s.width, s.height), s.bit_depth, s.colour_format, s.interlaced) == (size, depth, colour, interlaced)
    assert s.lines[0] == f"Size: {s.width} × {s.height} pixels"
    assert s.lines[4] == "Physical size: {} × {} mm".format(*s.physical_size_mm)
    assert pickle.loads(pickle.dumps(s)) == s
    if os.path.exists(CLI):
        info = subprocess.run([CLI, "info", path], check=True, capture_output=True, text=True).stdout
        assert info.splitlines()[1:] == ["  " + line for line in s.lines]


def test_chunks_in_file_order_with_their_crc(make):
    data = bytearray(png(before=[text("A", "b")], after=[text("C", "d")]))
    data[8 + 25 + 8] ^= 1  # the first byte of the first tEXt chunk's payload
    listed = velmora.chunks(make(bytes(data)))
    offsets, at = [], 8
    for _, payload in chunks_of(bytes(data)):
        offsets.append((at, len(payload)))
        at += 12 + len(payload)
    assert [(c[1], c[2]) for c in listed] == offsets
    assert [c[0] for c in listed] == ["IHDR", "tEXt", "IDAT", "tEXt", "IEND"]
    assert [c[3] for c in listed] == ["before-IDAT", "before-IDAT", "IDAT", "after-IDAT", "after-IDAT"]
    assert [c[4] for c in listed] == [True, False, True, True, True]
    with pytest.raises(velmora.Error, match="cut off"):
        velmora.chunks(make(bytes(data[:60]), "cut.png"))


def test_file_work_runs_without_the_interpreter_lock(make):
    # The main thread keeps taking time stamps while another thread changes a large file.
    # Holding the lock, the change would leave one gap as long as itself.
    path = make(png(1600, 1600, before=[text("A", "b")]))
    span = []

    def change():
        span.append(time.perf_counter())
        velmora.update(path, set=[("K", "v")], recompress=True)
        span.append(time.perf_counter())

    worker = threading.Thread(target=change)
    stamps = []
    worker.start()
    while worker.is_alive():
        stamps.append(time.perf_counter())
    worker.join()
    start, end = span
    inside = [start] + [t for t in stamps if start < t < end] + [end]
    longest_gap = max(b - a for a, b in zip(inside, inside[1:]))
    assert end - start > 0.05, "the change was too quick to tell"
    assert longest_gap < (end - start) / 2, f"a gap of {longest_gap:.3f} s in a change of {end - start:.3f} s"
    assert velmora.read(path) == [("A", "b"), ("K", "v")]


def test_threads_change_files_in_parallel(make):
    paths = [make(png(64, 64, before=[text("Old", "x")]), f"{i}.png") for i in range(24)]
    with ThreadPoolExecutor(4) as pool:
        list(pool.map(lambda p: velmora.update(p, set=[("Name", p.name)], remove="Old"), paths))
    assert [velmora.read(p) for p in paths] == [[("Name", p.name)] for p in paths]
