"""Reads one named stream out of a compound file with xlrd's independent
container reader and writes it to a file. Any complaint the reader logs about
the container counts as a failure.

Usage: readcompound.py COMPOUND_FILE STREAM_NAME OUTPUT_FILE
"""
import io
import sys

from xlrd import compdoc


def main():
    path, name, output = sys.argv[1:4]
    with open(path, "rb") as handle:
        data = handle.read()
    if len(data) % 512:
        print("file size %d is not a whole number of sectors" % len(data), file=sys.stderr)
        return 1
    log = io.StringIO()
    document = compdoc.CompDoc(data, logfile=log)
    stream = document.get_named_stream(name)
    if log.getvalue():
        print(log.getvalue(), file=sys.stderr)
        return 1
    if stream is None:
        print("no stream named %r" % name, file=sys.stderr)
        return 1
    with open(output, "wb") as handle:
        handle.write(stream)
    return 0


if __name__ == "__main__":
    sys.exit(main())
