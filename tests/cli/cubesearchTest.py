#!/usr/bin/env python3
"""cubesearch as a script runs it: answers on stdout, status, one-line errors on stderr.

usage: cubesearchTest.py [EMULATOR ...] CUBESEARCH"""
import os, signal, struct, subprocess, sys, tempfile, time

tool = sys.argv[1:]
# The deep search's shared tables, kept where every build of the tests finds them.
tables = os.environ.get("CUBE_TEST_TABLES", os.path.join(tempfile.gettempdir(), "cube-test-tables"))
# A scramble of each length up to 14 and the sequence the search returns for it: the brute
# force's answer, which it also gives itself up to seven moves.
ANSWERS = [
    ("L", "L"), ("T',B'", "T',B'"), ("T',B',U", "T',B',U"), ("T,B,R',B", "T,B,R',B"),
    ("L',T,U',F',B", "L',U',T,B,F'"), ("F',R,B',F,T',F", "F',R,B',F,T',F"),
    ("U',F',L,T,L,B',L", "U',F',L,T,L,B',L"), ("U',B,F',U',F,T',U,L", "U',B,F',U',F,U,T',L"),
    ("T,U,L,T,L',F',T,L,R", "U,T,L,T,L',F',T,R,L"),
    ("R',F',R,T',L,F,T',U,R',U'", "R',F',R,T',L,F,U,T',R',U'"),
    ("L',R,B,R',U',R',L,T',F',U,L", "R,L',B,R',U',R',L,T',F',U,L"),
    ("B,R,B,F,U',L',B,L,B',L,U,L'", "B,R,B,F,U',L',B,L,B',L,U,L'"),
    ("U',B,T,F,B,T,L',U',T',B',L',R',F'", "U',B,T,B,F,T,L',U',T',B',R',L',F'"),
    ("R',L,U',F',T',R,U',R',F,R,L,B,L,B'", "R',L,U',F',T',R,U',R',F,R,L,B,L,B'"),
]
failures = []


def run(*args, stdin="", interrupt=None):
    """The status, output and errors. interrupt=(pause, count): Ctrl+C count times, 10 ms apart,
    pause seconds after the first answer, the input left open as a user's would be."""
    # Wine's helpers keep pipes open after the program ends: output goes through files.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        tool_run = subprocess.Popen(tool + ["--tables", tables, *args], stdin=subprocess.PIPE,
                                    stdout=out, stderr=err)
        tool_run.stdin.write(stdin.encode())
        tool_run.stdin.flush()
        if interrupt:
            for _ in range(6000):
                if os.fstat(out.fileno()).st_size or tool_run.poll() is not None:
                    break
                time.sleep(0.01)
            time.sleep(interrupt[0])
            for _ in range(interrupt[1]):
                tool_run.send_signal(signal.SIGINT)
                time.sleep(0.01)
        else:
            tool_run.stdin.close()
        try:
            code = tool_run.wait(timeout=30 if interrupt else 600)
        except subprocess.TimeoutExpired:
            tool_run.kill()
            code = tool_run.wait()
        tool_run.stdin.close()
        out.seek(0), err.seek(0)
        return code, out.read().decode().replace("\r", ""), err.read().decode().replace("\r", "")


def expect(what, seen, wanted):
    if seen != wanted:
        failures.append(f"{what}: {seen!r}, expected {wanted!r}")


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
    return f.name


def state_file(folder, name, state):
    return write(folder, name, b"MCSF" + struct.pack("<7I", 80, 0, 32, 0, 32, 0, 0) + bytes(state))


batch = "".join(f"assembled seq:{scramble}\n" for scramble, _ in ANSWERS)
expect("fast answers", run("--batch", stdin=batch), (0, "".join(a + "\n" for _, a in ANSWERS), ""))
# CUBE_CLI_QUICK=1 (the thread sanitizer's run) leaves the long single-threaded walks to the
# other builds.
quick = os.environ.get("CUBE_CLI_QUICK") == "1"
short = ANSWERS[:5 if quick else 7]
for method in ["brute", "deep"]:
    expect(f"{method} answers", run("--batch", "--method", method, "--generic", stdin="".join(
        f"assembled seq:{s}\n" for s, _ in short)), (0, "".join(a + "\n" for _, a in short), ""))
scramble, answer = ANSWERS[12]
for method in [] if quick else ["meet", "deep"]:
    code, out, err = run("--method", method, "--stats", "assembled", "seq:" + scramble)
    expect(f"{method} on 13 moves", (code, out, "positions visited" in err),
           (0, answer + "\n", method == "deep"))

with tempfile.TemporaryDirectory() as folder:
    # Two colours: many sequences reach each colouring. The target is the source with its first
    # edge's two squares swapped, reached or not within five moves: both searches agree.
    two = [(i * 7 // 3) % 2 for i in range(48)]
    swapped = two[:]
    swapped[1], swapped[3] = swapped[3], swapped[1]
    source, target = state_file(folder, "two.csf", two), state_file(folder, "swap.csf", swapped)
    expect("two colours", run("--max-moves", "5", source, target),
           run("--method", "brute", "--max-moves", "5", source, target))
    # One edge flipped: no sequence reaches it, and every method but the brute force knows.
    flipped = [i // 8 for i in range(48)]
    flipped[37], flipped[1] = flipped[1], flipped[37]
    expect("unreachable", run(state_file(folder, "solved.csf", [i // 8 for i in range(48)]),
                              state_file(folder, "flipped.csf", flipped)), (1, "not found\n", ""))
    junk = write(folder, "junk.csf", b"MCSF" + bytes(100))
    # A comment of a MiB and a half: long, but well within what the emulator loads.
    comment = 3 << 19
    big = write(folder, "big.csf", b"MCSF" + struct.pack("<7I", 80 + comment, 0, 32, 0, 32, 80,
                                                         comment) + bytes(48 + comment))
    expect("a long comment", run("--max-moves", "0", big, "assembled"), (1, "not found\n", ""))
    for args, message in [
        (("--max-moves", "877", "assembled", "assembled"), "--max-moves: '877'"),
        (("--max-moves", " 5", "assembled", "assembled"), "--max-moves: ' 5'"),
        (("--threads", "2x", "assembled", "assembled"), "--threads: '2x'"),
        (("--memory", " -18446744073709551612", "assembled", "assembled"),
         "--memory: ' -18446744073709551612'"),
        (("assembled", "seq:" + "R,T," * 438 + 'F"'), "TO: more than 876 moves"),
        (("assembled", "seq:R,T',X"), "TO: notation error at position 6"),
        (("assembled", "std:R Rw"), "TO: standard notation: 'Rw' is no turn"),
        (("facelets:" + "U" * 53, "assembled"), "FROM: facelets: not 54 letters"),
        (("random:1x", "assembled"), "FROM: random: '1x' is no seed"),
        (("--notation", "wide", "assembled", "assembled"), "--notation: std or program"),
        (("assembled", os.path.join(folder, "missing.csf")), "TO: cannot open"),
        ((junk, "assembled"), "FROM: " + junk + " is not a cube state file"),
        (("assembled",), "expected FROM TO"),
    ]:
        code, out, err = run(*args)
        expect(f"{args} status and output", (code, out), (2, ""))
        expect(f"{args} message", err.startswith("cubesearch: " + message) and
               err.count("\n") == 1, True)
    # Standard notation in and out, and a state as facelets: the one R gives.
    expect("standard notation", run("--notation", "std", "assembled", "std:R U' F2"),
           (0, "R U' F2\n", ""))
    expect("facelets", run("facelets:UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB",
                           "assembled"), (0, "R'\n", ""))
    code, out, err = run("--batch", stdin="assembled seq:F,R\nassembled\n")
    expect("batch with a bad line", (code, out, err),
           (2, "F,R\n", "cubesearch: line 2: expected FROM TO\n"))
    expect("batch with a third field", run("--batch", stdin="assembled assembled x\n"),
           (2, "", "cubesearch: line 1: expected FROM TO\n"))
    expect("numbers at their limits", run("--max-moves", "876", "--threads", "256", "assembled",
                                          "seq:F,R"), (0, "F,R\n", ""))
    # Nothing found on one line is the batch's status, whatever the lines after it find.
    expect("not found, then found", run("--batch", "--max-moves", "3", stdin="assembled seq:R,T,F,L"
                                        "\nassembled seq:F,R\n"), (1, "not found\nF,R\n", ""))

# Ctrl+C while the batch waits for its next line ends it at once, and a second one cannot
# end it otherwise; one during a search, or two in quick succession, end it the same way, with
# neither an answer nor "not found" for the search it stopped.
stop = (130, "F,R\n", "cubesearch: stopped\n")
expect("Ctrl+C between searches", run("--batch", stdin="assembled seq:F,R\n", interrupt=(0.2, 2)),
       stop)
for count in [1, 2]:
    expect(f"Ctrl+C {count} in a search", run("--batch", stdin="assembled seq:F,R\nassembled "
           "seq:R',L,U',F',T',R,U',R',F,R,L,B,R,L,L\n", interrupt=(0.5, count)), stop)

# The 32-bit tool cannot address the eight-move table, whatever the cap: it answers with a
# smaller table, saying so, or ends for want of memory, and never with an exception. Its answer
# comes early in the last length's walk, so the run stays short.
with open(tool[-1], "rb") as exe:
    head = exe.read(4096)
pe = struct.unpack_from("<I", head, 0x3C)[0] if head[:2] == b"MZ" else None
if pe is not None and struct.unpack_from("<H", head, pe + 4)[0] == 0x14C:
    expect("large address aware", struct.unpack_from("<H", head, pe + 22)[0] & 0x20, 0x20)
    fifteen = "R',L,U',F',T',R,U',R',F,R,L,B,R,L,L"
    code, out, err = run("--method", "meet", "--memory", "4096", "--max-moves", "15", "assembled",
                         "seq:" + fifteen)
    clean = all(line.startswith("cubesearch: ") for line in err.splitlines())
    expect(f"15 moves, a 4 GiB cap: {code}, {out!r}, {err!r}",
           clean and (code, out) in [(0, fifteen[:-2] + '"\n'), (4, "")], True)

for failure in failures:
    print("FAILED", failure)
print(f"cubesearch: {'failed' if failures else 'passed'}")
sys.exit(1 if failures else 0)
