#!/usr/bin/env python3
"""Stamp the text entries of many PNG files, or strip their metadata, with Dask.

Maps velmora.update (or velmora.strip) over a list of files with a dask.distributed client:
on a cluster of worker processes on this machine (--local N), or on the workers of a Dask
scheduler that runs anywhere (--scheduler tcp://host:8786), as many machines as it has.

    dask_stamp.py --local 2 --set Owner=Ann --set "Rights=(c) Ann" photos/
    dask_stamp.py --scheduler tcp://head:8786 --strip --keep Title --files-from list.txt

Each file is one task and independent of every other: a worker reads it, checks its image
data, writes the new version beside it, flushes it to the disk and renames it over the file.
A file that fails (or a worker that dies) leaves that file exactly as it was. With --set the
entries replace those with the same keyword (and --strip removes what is there), so running a
task twice gives the same file: a task Dask retries after losing a worker does no harm.

Prints "N of M files processed on W workers" and one line per failed file ("path: reason",
on standard error); exits with 1 when a file failed.
"""

import argparse
import contextlib
import logging
import sys
from pathlib import Path

import velmora
from dask.distributed import Client, LocalCluster


def png_files(paths, files_from):
    """The PNG files at the paths (folders searched to any depth) and those listed in a file."""
    found = []
    for path in map(Path, paths):
        if path.is_dir():
            found += sorted(p for p in path.rglob("*") if p.suffix.lower() == ".png" and p.is_file())
        else:
            found.append(path)
    if files_from:
        lines = Path(files_from).read_text().splitlines()
        found += [Path(line) for line in lines if line.strip()]
    return [str(p) for p in found]


def key_text(pair):
    keyword, equals, value = pair.partition("=")
    if not keyword or not equals:
        raise argparse.ArgumentTypeError(f"not KEY=TEXT: {pair}")
    return keyword, value


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    where = parser.add_mutually_exclusive_group()
    where.add_argument("--scheduler", help="address of a running Dask scheduler (tcp://host:8786)")
    where.add_argument("--local", type=int, default=2, metavar="N", help="worker processes on this machine")
    what = parser.add_mutually_exclusive_group(required=True)
    what.add_argument("--set", type=key_text, action="append", metavar="KEY=TEXT", help="an entry to set")
    what.add_argument("--strip", action="store_true", help="remove the metadata (as velmora-cli strip)")
    parser.add_argument("--keep", action="append", default=[], metavar="KEY", help="with --strip: a keyword kept")
    parser.add_argument("--expand-macros", action="store_true", help="expand %%FILENAME%% ... in the texts")
    parser.add_argument("--files-from", metavar="FILE", help="a file listing one path a line")
    parser.add_argument("paths", nargs="*", help="PNG files and folders")
    args = parser.parse_args(argv)

    files = png_files(args.paths, args.files_from)
    with contextlib.ExitStack() as stack:
        if args.scheduler:
            client = stack.enter_context(Client(args.scheduler))
        else:
            cluster = stack.enter_context(
                # The workers' own warnings stay quiet: a failed file is reported below.
                LocalCluster(
                    n_workers=args.local,
                    threads_per_worker=1,
                    processes=True,
                    dashboard_address=None,
                    silence_logs=logging.ERROR,
                )
            )
            client = stack.enter_context(Client(cluster))
        # The library's own functions go to the workers as they are (they pickle by reference);
        # pure=False: a task changes a file, so it is never taken from a cache.
        if args.strip:
            futures = client.map(velmora.strip, files, keep=args.keep, pure=False)
        else:
            futures = client.map(
                velmora.update, files, set=args.set, replace=True, expand_macros=args.expand_macros, pure=False
            )
        failed = 0
        for path, future in zip(files, futures):
            error = future.exception()
            if error is not None:
                failed += 1
                print(f"{path}: {error.reason if isinstance(error, velmora.Error) else error}", file=sys.stderr)
        workers = {w for holders in client.who_has(futures).values() for w in holders}
        print(f"{len(files) - failed} of {len(files)} files processed on {len(workers)} workers")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
