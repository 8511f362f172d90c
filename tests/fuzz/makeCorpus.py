#!/usr/bin/env python3
"""Writes the fuzzers' seed files into tests/fuzz/corpus/: valid files of each kind and the
hostile ones the parsers must refuse or read only inside their bytes, and typed sequence texts."""
import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent


def header(magic, size, a, b, c, d, header_size=32):
    return magic + struct.pack("<7I", size, 0, header_size, a, b, c, d)


def sequence(moves, comment_block=b""):
    """A sequence file as the program writes it."""
    if not comment_block:
        return header(b"CSQF", 32 + len(moves), 32, len(moves), 0, 0) + bytes(moves)
    offset = ((32 + len(moves)) & ~15) + 16
    size = offset + len(comment_block)
    body = bytes(moves).ljust(offset - 32, b"\0") + comment_block
    return header(b"CSQF", size, 32, len(moves), offset, len(comment_block)) + body


def state(colors, cube, comment=b""):
    """A cube state file as the program writes it: colours and comment only for the source."""
    if colors is None:
        return header(b"MCSF", 80, 0, 32, 0, 0) + cube
    text = comment + b"\0" if comment else b""
    size = 104 + len(text)
    comment_fields = (104, len(text)) if text else (0, 0)
    return header(b"MCSF", size, 32, 56, *comment_fields) + colors + cube + text


def field(image, offset, value):
    return image[:offset] + struct.pack("<I", value) + image[offset + 4:]


def cut(image, length):
    """The first length bytes with the size field telling the truth, so only the blocks decide."""
    return field(image[:length], 4, length) if length >= 8 else image[:length]


SIX = [8, 2, 10, 0, 4, 6]
ABC_BLOCK = b"abc\0xyzw"
COLORS = bytes(range(0xC0, 0xD8))
CUBE = bytes(range(100, 148))


def sequence_seeds():
    six = sequence(SIX)
    with_comment = sequence(SIX, ABC_BLOCK)
    return {
        "six-moves": six,
        "six-moves-comment": with_comment,
        "sixteen-moves-comment": sequence([1] * 16, ABC_BLOCK),
        "875-moves": sequence([i % 12 for i in range(875)]),
        "876-moves": sequence([i % 12 for i in range(876)]),
        "no-moves": field(six[:32], 4, 32),
        "cut-37": cut(with_comment, 37),
        "cut-50": cut(with_comment, 50),
        "size-field-one-more": field(six, 4, 39),
        "header-size-33": field(six, 12, 33),
        "code-12": six[:-1] + b"\x0c",
        "code-255": six[:32] + b"\xff" + six[33:],
        "move-offset-wraps": field(six, 16, 0xFFFFFFFA),
        "move-offset-huge": field(six, 16, 0xFFFFFFF0),
        "move-count-wraps": field(six, 20, 0xFFFFFFFF),
        "move-count-1000": field(six, 20, 1000),
        "comment-offset-wraps": field(field(with_comment, 24, 0xFFFFFFF8), 28, 8),
        "comment-length-huge": field(with_comment, 28, 0xFFFFFFFF),
        "comment-length-wraps": field(with_comment, 28, 0xFFFFFFD8),
        "comment-without-nul": sequence(SIX, b"abcdefgh"),
        "comment-over-everything": field(field(with_comment, 24, 4), 28, 52),
        "moves-in-header": field(field(six, 16, 8), 20, 4),
    }


def state_seeds():
    source = state(COLORS, CUBE, b"abc")
    return {
        "destination": state(None, CUBE),
        "source-abc": source,
        "source-no-comment": state(COLORS, CUBE),
        "source-long-comment": state(COLORS, CUBE, b"a comment of some length " * 8),
        "cut-103": cut(source, 103),
        "cut-106": cut(source, 106),
        "size-field-one-more": field(source, 4, 109),
        "header-size-0": field(source, 12, 0),
        "state-offset-zero": field(source, 20, 0),
        "state-offset-wraps": field(source, 20, 0xFFFFFFD0),
        "state-offset-past-end": field(source, 20, 61),
        "colour-offset-wraps": field(source, 16, 0xFFFFFFE8),
        "colour-offset-past-end": field(source, 16, 85),
        "comment-offset-wraps": field(field(source, 24, 0xFFFFFFFC), 28, 4),
        "comment-length-huge": field(source, 28, 0xFFFFFFFF),
        "comment-length-wraps": field(source, 28, 0xFFFFFF9C),
        "comment-without-nul": source[:-1] + b"d",
        "blocks-overlap": field(field(source, 16, 40), 20, 40),
        "blocks-over-header": field(field(source, 16, 1), 20, 4),
    }


def text_seeds():
    return {
        "six-moves": b"F,R,B,L,T,U",
        "primes-and-halves": b"L R' T\" U' F\" B'",
        "no-separators": b"LR'T\"UF'B\"",
        "separators-only": b" ,, , ",
        "cancelling": b"R,L,L',R',T,T,T,T,F,F,F",
        "stops-at-digit": b"L,R,1,T",
        "lower-case": b"l,r,T",
        "modifier-first": b"'L,\"R",
        "prime-then-half": b"L'\",R",
        "tab-and-nul": b"L\tR,T\0U",
        "beyond-the-allowance": b"F,R',B\",L,T',U\"," * 200,
        # 1 + 2k codes: at an even allowance a half turn finds one place left and is dropped.
        "half-turns-at-the-limit": b"L" + b"R\"" * 600,
    }


def write(kind, seeds, extension):
    folder = HERE / "corpus" / kind
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for name, data in seeds.items():
        (folder / (name + extension)).write_bytes(data)


if __name__ == "__main__":
    write("sequence", sequence_seeds(), ".csq")
    write("state", state_seeds(), ".csf")
    write("text", text_seeds(), ".txt")
