"""Shared helpers of the Python tests: fixture files, a small PNG builder and chunk listings."""

import os
import shutil
import struct
import zlib
from pathlib import Path

import pytest

DATA = Path(os.environ.get("VELMORA_TEST_DATA", Path(__file__).resolve().parent.parent / "data"))


def chunk(kind: bytes, data: bytes) -> bytes:
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width=4, height=4, before=(), after=(), image_data=None) -> bytes:
    """An 8-bit RGB PNG: IHDR, the chunks before, IDAT, the chunks after, IEND."""
    if image_data is None:
        line = bytes(i * 40 % 256 for i in range(256)) * (width * 3 // 256 + 2)
        rows = b"".join(b"\0" + line[y * 7 % 256 :][: width * 3] for y in range(height))
        image_data = zlib.compress(rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", header)
        + b"".join(before)
        + chunk(b"IDAT", image_data)
        + b"".join(after)
        + chunk(b"IEND", b"")
    )


def text(keyword: str, value: str) -> bytes:
    return chunk(b"tEXt", keyword.encode("latin-1") + b"\0" + value.encode("latin-1"))


def ztxt(keyword: str, value: str) -> bytes:
    return chunk(b"zTXt", keyword.encode("latin-1") + b"\0\0" + zlib.compress(value.encode("latin-1")))


def itxt(keyword: str, value: str, language: str = "", translated: str = "") -> bytes:
    return chunk(
        b"iTXt",
        keyword.encode("latin-1") + b"\0\0\0" + language.encode() + b"\0" + translated.encode() + b"\0" + value.encode(),
    )


def chunks_of(data: bytes):
    """(type, payload) of every chunk, in order."""
    found, at = [], 8
    while at < len(data):
        (length,) = struct.unpack(">I", data[at : at + 4])
        found.append((data[at + 4 : at + 8].decode("latin-1"), data[at + 8 : at + 8 + length]))
        at += 12 + length
    return found


def without_text(data: bytes):
    """Every chunk but the text chunks, in order: what a change of the entries must keep."""
    return [c for c in chunks_of(data) if c[0] not in ("tEXt", "zTXt", "iTXt")]


@pytest.fixture
def suite(tmp_path):
    """A writable copy of a PngSuite file in the test's folder."""

    def copy(name: str) -> Path:
        target = tmp_path / name
        shutil.copyfile(DATA / "pngsuite" / name, target)
        return target

    return copy


@pytest.fixture
def make(tmp_path):
    """Writes bytes to a file in the test's folder and returns its path."""

    def write(data: bytes, name: str = "image.png") -> Path:
        target = tmp_path / name
        target.write_bytes(data)
        return target

    return write
