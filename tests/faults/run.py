#!/usr/bin/env python3
"""Injects each slip of tests/faults/slips/ in turn into a scratch copy of the tree, builds it
incrementally and runs the native suite against it, stopping at the first failure: a slip is
caught when a test fails. Says which test caught each, and how many were caught.

A slip's first line says what it breaks; "# equivalent: why" marks one that changes no
behaviour, which does not count against the suite.

usage: tests/faults/run.py [SLIP-NAME ...]"""
import filecmp, os, shutil, subprocess, sys, time

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
slips_dir = os.path.join(root, "tests", "faults", "slips")
scratch = os.path.join(root, "build", "faults")
tree, build = os.path.join(scratch, "tree"), os.path.join(scratch, "native")


def sync_tree():
    """Copies the tracked files that changed, so the scratch build stays incremental."""
    files = subprocess.run(["git", "ls-files"], cwd=root, capture_output=True, text=True,
                           check=True).stdout.split("\n")
    for name in filter(None, files):
        source, copy = os.path.join(root, name), os.path.join(tree, name)
        if not os.path.isfile(source):
            continue
        if not os.path.exists(copy) or not filecmp.cmp(source, copy, shallow=False):
            os.makedirs(os.path.dirname(copy), exist_ok=True)
            shutil.copy2(source, copy)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def apply(patch, *options):
    """git apply in the scratch tree as in a folder of its own: inside the repository's own tree
    it would look for the paths from the repository's top and skip them."""
    env = dict(os.environ, GIT_CEILING_DIRECTORIES=scratch)
    return run(["git", "apply", *options, patch], cwd=tree, env=env)


def first_failure(output):
    for line in output.splitlines():
        if "***Failed" in line or "***Timeout" in line or "***Exception" in line:
            return line.split(":", 1)[-1].split("...")[0].strip()
    return "a test"


def main():
    wanted = set(sys.argv[1:])
    names = sorted(n[:-len(".patch")] for n in os.listdir(slips_dir) if n.endswith(".patch"))
    names = [n for n in names if not wanted or n in wanted]
    sync_tree()
    if not os.path.exists(os.path.join(build, "build.ninja")):
        run(["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release"],
            check=True)
    if run(["cmake", "--build", build, "--", "-j2"]).returncode != 0:
        sys.exit("faults: the unchanged tree does not build")
    caught = missed = equivalent = 0
    begin = time.time()
    for name in names:
        patch = os.path.join(slips_dir, name + ".patch")
        with open(patch) as f:
            what = f.readline().lstrip("# ").strip()
        if apply(patch).returncode != 0:
            print(f"{name}: does not apply")
            missed += 1
            continue
        try:
            built = run(["cmake", "--build", build, "--", "-j2"])
            if built.returncode != 0:
                print(f"{name}: does not build")
                missed += 1
                continue
            tests = run(["ctest", "--test-dir", build, "-j2", "--stop-on-failure",
                         "--timeout", "600"])
            if what.startswith("equivalent"):
                equivalent += 1
                state = "equivalent, " + ("caught" if tests.returncode else "not caught")
            elif tests.returncode != 0:
                caught += 1
                state = "caught by " + first_failure(tests.stdout)
            else:
                missed += 1
                state = "NOT CAUGHT"
            print(f"{name}: {state} ({what})", flush=True)
        finally:
            apply(patch, "-R")
    print(f"faults: {caught} of {caught + missed} caught, {equivalent} equivalent, "
          f"{time.time() - begin:.0f} s")
    return 0 if missed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
