#!/usr/bin/env python3
"""Writes the C++ header of the library's texts, in code page 932 and in UTF-16.

    library_texts.py INPUT OUTPUT

INPUT is UTF-8. Every character outside ASCII must stand inside a string literal; in the output a
narrow literal spells it as octal escapes of its code page 932 bytes (three digits each, so that no
escape runs into the text that follows), a wide one as a universal character name, which makes
UTF-16 wherever wchar_t is 16 bits. A narrow definition, `constexpr char NAME[] = "...";`, gets a
twin, `constexpr wchar_t NAMEW[] = L"...";`, with the same text; a wide one stands alone. Line
comments are copied as they are and must be ASCII. The output is written only when it changes, so
that an unchanged text rebuilds nothing.
"""
import re
import sys

DEFINITION = re.compile(r'constexpr char (\w+)\[\] =((?:\s*"(?:[^"\\]|\\.)*")+);')
LITERAL = re.compile(r'"((?:[^"\\]|\\.)*)"')


def with_wide_twins(source):
    def twin(match):
        wide = LITERAL.sub(r'L"\1"', match.group(2))
        return f"{match.group(0)}\nconstexpr wchar_t {match.group(1)}W[] ={wide};"
    return DEFINITION.sub(twin, source)


def spelt(ch, wide, line_number):
    if wide:
        return f"\\u{ord(ch):04x}" if ord(ch) <= 0xFFFF else f"\\U{ord(ch):08x}"
    try:
        encoded = ch.encode("cp932")
    except UnicodeEncodeError:
        raise SystemExit(f"line {line_number}: {ch!r} has no code page 932 form")
    return "".join(f"\\{byte:03o}" for byte in encoded)


def convert(source):
    out = []
    in_literal = False
    wide = False
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
                wide = column > 0 and line[column - 1] == "L"
            if ord(ch) < 0x80:
                out.append(ch)
            elif in_literal:
                out.append(spelt(ch, wide, line_number))
            else:
                raise SystemExit(f"line {line_number}: {ch!r} outside a string literal")
    return "".join(out)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        header = convert(with_wide_twins(f.read()))
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
