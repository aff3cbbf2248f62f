# Type stubs of the extension module under the package velmora (which documents each function).
import os
from typing import List, Optional, Tuple, Union

_Path = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]
_BytesLike = Union[bytes, bytearray, memoryview]

__version__: str

class Error(ValueError):
    reason: str
    file: Optional[str]

class Summary:
    @property
    def width(self) -> int: ...
    @property
    def height(self) -> int: ...
    @property
    def bit_depth(self) -> int: ...
    @property
    def colour_type(self) -> int: ...
    @property
    def colour_format(self) -> str: ...
    @property
    def interlaced(self) -> bool: ...
    @property
    def physical_size_mm(self) -> Optional[Tuple[int, int]]: ...
    @property
    def physical_size_inches(self) -> Optional[Tuple[float, float]]: ...
    @property
    def lines(self) -> List[str]: ...

def read(path: _Path) -> List[Tuple[str, str]]: ...
def read_bytes(data: _BytesLike) -> List[Tuple[str, str]]: ...
def update(
    path: _Path,
    set: List[Tuple[str, str]],
    replace: bool,
    remove: List[str],
    clear: bool,
    expand_macros: bool,
    recompress: bool,
) -> None: ...
def update_bytes(
    data: _BytesLike,
    set: List[Tuple[str, str]],
    replace: bool,
    remove: List[str],
    clear: bool,
    expand_macros: bool,
    recompress: bool,
) -> bytes: ...
def strip(path: _Path, keep: List[str], dry_run: bool) -> List[Tuple[str, str, int]]: ...
def strip_bytes(data: _BytesLike, keep: List[str]) -> Tuple[bytes, List[Tuple[str, str, int]]]: ...
def summary(path: _Path) -> Summary: ...
def chunks(path: _Path) -> List[Tuple[str, int, int, str, bool]]: ...
