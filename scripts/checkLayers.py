#!/usr/bin/env python3
"""Fails when a source file includes a header from a folder above its own.

The folders are floors, each a library that links only those below: the engine at the bottom,
then what the whole program shares, the cube view, the files, the search, and the application
and the command-line tool on top; the benchmarks and the tests above them all. Every include in
a source folder is written relative to the including file, so where it points can be checked
here; the tests and benchmarks name headers through their include folders, and each name must
be a header of exactly one folder.
"""

import os
import re
import subprocess
import sys

FLOORS = {"engine": 0, "shell": 1, "cubeview": 2, "files": 3, "search": 4, "app": 5, "cli": 5,
          "bench": 6, "tests": 6}


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    listed = subprocess.run(["git", "-C", root, "ls-files", "--cached", "--others",
                             "--exclude-standard", *FLOORS], capture_output=True, text=True,
                            check=True).stdout.split()
    problems = []
    for path in listed:
        if not path.endswith((".cpp", ".h", ".rc")):
            continue
        folder = path.split("/")[0]
        with open(os.path.join(root, path), encoding="latin-1") as f:
            for number, line in enumerate(f, 1):
                m = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                if not m:
                    continue
                target = os.path.normpath(os.path.join(os.path.dirname(path), m[1]))
                named = [p for p in listed if FLOORS[folder] == 6 and p.endswith("/" + m[1])]
                if not os.path.isfile(os.path.join(root, target)) and len(named) == 1:
                    target = named[0]
                if not os.path.isfile(os.path.join(root, target)):
                    problems.append(f"{path}:{number}: \"{m[1]}\" is not a path from this file")
                    continue
                floor = FLOORS.get(target.split("/")[0])
                if floor is None or floor > FLOORS[folder]:
                    problems.append(f"{path}:{number}: {folder}/ includes {target}, above it")
    for problem in problems:
        print(problem)
    print(f"layers: {len(problems)} includes against the layers")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
