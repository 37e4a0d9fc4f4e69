#!/usr/bin/env python3
"""Writes a C++ header with its string literals in code page 932.

    cp932_texts.py INPUT OUTPUT

INPUT is UTF-8. Every character outside ASCII must stand inside a string literal; there it becomes
octal escapes of its code page 932 bytes (three digits each, so that no escape runs into the text
that follows). Line comments are copied as they are and must be ASCII. The output is written only
when it changes, so that an unchanged text rebuilds nothing.
"""
import sys


def convert(source):
    out = []
    in_literal = False
    escaped = False
    for line_number, line in enumerate(source.splitlines(keepends=True), 1):
        for column, ch in enumerate(line):
            if not in_literal and line.startswith("//", column):
                if not line[column:].isascii():
                    raise SystemExit(f"line {line_number}: a comment outside ASCII")
                out.append(line[column:])
                break
            if in_literal:
                if escaped:
                    escaped = False
                elif ch == "\\":
                    escaped = True
                elif ch == '"':
                    in_literal = False
            elif ch == '"':
                in_literal = True
            if ord(ch) < 0x80:
                out.append(ch)
            elif in_literal:
                try:
                    encoded = ch.encode("cp932")
                except UnicodeEncodeError:
                    raise SystemExit(f"line {line_number}: {ch!r} has no code page 932 form")
                out.append("".join(f"\\{byte:03o}" for byte in encoded))
            else:
                raise SystemExit(f"line {line_number}: {ch!r} outside a string literal")
    return "".join(out)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        header = convert(f.read())
    try:
        with open(sys.argv[2], encoding="ascii") as f:
            if f.read() == header:
                return
    except FileNotFoundError:
        pass
    with open(sys.argv[2], "w", encoding="ascii", newline="\n") as f:
        f.write(header)


if __name__ == "__main__":
    main()
