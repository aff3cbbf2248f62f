"""Read and change the text entries (tEXt, zTXt, iTXt) of PNG files exactly.

A change rewrites the text entries only: every other chunk and the compressed image data
are written back byte for byte, in their places, as velmora-cli does it (the same library,
libvelmora). A file is replaced only once its new version is complete and flushed to the
disk; a file that fails is left as it was.

Every failure raises velmora.Error, a ValueError, whose str() is "file: reason" (the parts
in its attributes reason and file). The interpreter lock is released while a file is read
and written, so threads, and Dask workers, work on files in parallel. The functions pickle
by reference, so they can be handed to a distributed engine.

    >>> import velmora
    >>> velmora.update("photo.png", set=[("Author", "Ann")], replace=True)
    >>> velmora.read("photo.png")
    [('Author', 'Ann')]
"""

from __future__ import annotations

import os
from collections.abc import Iterable, Mapping
from typing import List, Tuple, Union

from . import _velmora
from ._velmora import Error, Summary

__all__ = [
    "Error",
    "Summary",
    "read",
    "read_bytes",
    "update",
    "update_bytes",
    "strip",
    "strip_bytes",
    "summary",
    "chunks",
]
__version__: str = _velmora.__version__

# Named as the package names them (pickles refer to them so).
Error.__module__ = __name__
Summary.__module__ = __name__

Path = Union[str, "os.PathLike[str]"]
BytesLike = Union[bytes, bytearray, memoryview]
Entry = Tuple[str, str]
# (chunk type, keyword, size of the chunk in bytes); the keyword is "" for a chunk.
Removed = Tuple[str, str, int]
# (type, offset of the chunk, length of its payload, position, CRC right)
Chunk = Tuple[str, int, int, str, bool]


def _pairs(entries: Union[Iterable[Entry], Mapping[str, str]]) -> List[Entry]:
    if isinstance(entries, Mapping):
        return list(entries.items())
    return [tuple(entry) for entry in entries]  # type: ignore[misc]


def _keywords(keywords: Union[str, Iterable[str]]) -> List[str]:
    # A single keyword is one keyword, not its letters.
    return [keywords] if isinstance(keywords, str) else list(keywords)


def read(path: Path) -> List[Entry]:
    """The text entries of a PNG file as (keyword, text) pairs, in file order.

    Reads the chunks only: every CRC and the header are checked, the pixels are not
    decoded, so an image of any size reads.
    """
    return _velmora.read(path)


def read_bytes(data: BytesLike) -> List[Entry]:
    """The text entries of a PNG file held in memory, as read() gives them."""
    return _velmora.read_bytes(data)


def update(
    path: Path,
    *,
    set: Union[Iterable[Entry], Mapping[str, str]] = (),
    replace: bool = False,
    remove: Union[str, Iterable[str]] = (),
    clear: bool = False,
    expand_macros: bool = False,
    recompress: bool = False,
) -> None:
    """Changes the text entries of a PNG file and saves it in place.

    Applied in this order: clear removes every entry; remove, every entry with one of
    these keywords (compared exactly); set adds (keyword, text) pairs (or a mapping) after
    the file's entries, in order, keywords cut at 79 characters; with replace, each first
    removes the entries with its keyword. expand_macros expands %FILENAME%, %DATE%,
    %WIDTH% ... in the texts as velmora-cli does; recompress encodes the image data anew
    instead of keeping it byte for byte.

    The image is decoded first, so damaged image data is refused before anything is
    written; so is an entry no PNG file can hold (a keyword with a character outside
    Latin-1 or without a printable one, a text holding NUL, an empty keyword) and a file
    without write permission for its owner. The file is then left as it was.
    """
    _velmora.update(path, _pairs(set), replace, _keywords(remove), clear, expand_macros, recompress)


def update_bytes(
    data: BytesLike,
    *,
    set: Union[Iterable[Entry], Mapping[str, str]] = (),
    replace: bool = False,
    remove: Union[str, Iterable[str]] = (),
    clear: bool = False,
    expand_macros: bool = False,
    recompress: bool = False,
) -> bytes:
    """update() for a PNG file held in memory: returns the new file."""
    return _velmora.update_bytes(data, _pairs(set), replace, _keywords(remove), clear, expand_macros, recompress)


def strip(path: Path, *, keep: Union[str, Iterable[str]] = (), dry_run: bool = False) -> List[Removed]:
    """Removes the metadata of a PNG file (text entries, Exif, tIME, private chunks) and saves it in place.

    Entries whose keyword is in keep stay. Returns what was removed (the text entries, then
    the chunks, each in file order) as (chunk type, keyword, size) triples; with dry_run, what would be, and nothing is
    written. A file with nothing to remove is not written either. The image data and every
    chunk that shapes the picture are kept byte for byte.
    """
    return _velmora.strip(path, _keywords(keep), dry_run)


def strip_bytes(data: BytesLike, *, keep: Union[str, Iterable[str]] = ()) -> Tuple[bytes, List[Removed]]:
    """strip() for a PNG file held in memory: returns the new file and what was removed."""
    return _velmora.strip_bytes(data, _keywords(keep))


def summary(path: Path) -> Summary:
    """Size, bit depth, colour format, interlace and physical size of a PNG image."""
    return _velmora.summary(path)


def chunks(path: Path) -> List[Chunk]:
    """Every chunk of a PNG file in file order.

    Each as (type, offset, length, position, crc_ok): the offset of the chunk in the file,
    the length of its payload, its position ("before-IDAT", "IDAT" or "after-IDAT") and
    whether its CRC is right. Raises Error when the chunk structure is broken.
    """
    return _velmora.chunks(path)
