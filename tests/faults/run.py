#!/usr/bin/env python3
"""Injects each slip of tests/faults/slips/ in turn into a scratch copy of the tree, builds it
incrementally and runs the suite, stopping at the first failure, which catches the slip: the
native suite first, then, for what it misses (or lacks: the window code), each Windows build
this host runs, under Wine. A slip's first line says what it breaks; "# equivalent: why" marks
one that changes no behaviour and does not count. Usage: tests/faults/run.py [SLIP-NAME ...]"""
import filecmp, os, shutil, subprocess, sys, time

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(root, "scripts"))
from desktop import host, wine_env  # noqa: E402
slips_dir = os.path.join(root, "tests", "faults", "slips")
scratch = os.path.join(root, "build", "faults")
tree = os.path.join(scratch, "tree")
# What the Windows suites need; the rest of a Windows build (benchmarks, fuzzers) is not built.
WINDOWS_TARGETS = ["appTests", "MorvaneCubeEmulator", "e2eWindowList", "engineTests",
                   "fileFormatTests", "cubesearch"]


def sync_tree():
    """Copies the tracked files that changed, so the scratch build stays incremental."""
    files = subprocess.run(["git", "ls-files"], cwd=root, capture_output=True, text=True,
                           check=True).stdout.split("\n")
    for name in filter(None, files):
        source, copy = os.path.join(root, name), os.path.join(tree, name)
        if os.path.isfile(source) and not (os.path.exists(copy) and filecmp.cmp(source, copy, False)):
            os.makedirs(os.path.dirname(copy), exist_ok=True)
            shutil.copy(source, copy)  # a fresh time, so the build sees the change


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


class Build:
    """One scratch build: its folder, how it is made and which tests it runs for a slip."""

    def __init__(self, name, options, targets=(), env=None, skip=None):
        self.name, self.dir, self.targets, self.env = name, os.path.join(scratch, name), targets, env
        self.skip = skip  # tests the native suite ran already, for slips outside engine/ and cli/
        if not os.path.exists(os.path.join(self.dir, "build.ninja")):
            run(["cmake", "-S", tree, "-B", self.dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                 *options], check=True)

    def build(self):
        """None when it fails; False when nothing of this build changed."""
        target = [a for t in self.targets for a in ("--target", t)]
        made = run(["cmake", "--build", self.dir, *target, "--", "-j2"])
        return None if made.returncode else "no work to do" not in made.stdout

    def test(self, touched):
        # The soak's memory bound is met only on a quiet machine: it is not a verdict here.
        skip = ["Soak|TwoHundredSearches"] if self.env else []
        skip += [self.skip] if self.skip and not touched & {"engine", "cli"} else []
        return run(["ctest", "--test-dir", self.dir, "-j2", "--stop-on-failure", "--timeout", "600",
                    *(["-E", "|".join(skip)] if skip else [])], env=self.env)


def try_slip(build, name):
    """Caught or missed, and by what."""
    patch = os.path.join(slips_dir, name + ".patch")
    with open(patch) as f:
        touched = {line.split("/")[1] for line in f if line.startswith("+++ b/")}
    if apply(patch).returncode != 0:
        return "missed", "does not apply"
    try:
        made = build.build()
        if not made:
            return "missed", "does not build" if made is None else f"not in the {build.name} build"
        tests = build.test(touched)
        failed = tests.returncode and first_failure(tests.stdout)
        if failed:
            return "caught", f"caught by {failed} ({build.name})"
        return "missed", ("the suite did not run" if tests.returncode else "NOT CAUGHT") + \
            f" ({build.name})"
    finally:
        apply(patch, "-R")


def windows_builds(native):
    """The Windows builds this host runs, in the project's Wine set-up."""
    names = [l.split(": ", 1)[1] for l in run(["ctest", "--test-dir", native.dir, "-N"]).stdout
             .splitlines() if ": " in l and "Test" in l]
    skip = "^(" + "|".join(n.replace(".", "\\.") for n in names) + ")$"
    for arch in host()[0]:
        env, loader, server = wine_env(arch)
        bits = "32" if arch == "win32" else "64"
        # The repository's own toolchain file, so the tests run in its Wine prefix.
        build = Build(arch, [f"-DCMAKE_TOOLCHAIN_FILE={root}/cmake/mingw{bits}.cmake"],
                      WINDOWS_TARGETS, env, skip)
        # Not through pipes: Wine's services would hold them open, and the run would wait.
        quiet = dict(env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
        subprocess.run([server, "-p"], **quiet)
        subprocess.run([loader, "wineboot.exe"], **quiet)
        # A suite that cannot run would catch every slip.
        if build.build() is None or build.test(set()).returncode:
            sys.exit(f"faults: the unchanged tree does not build or pass for {arch}")
        try:
            yield build
        finally:
            run([server, "-k"], env=env)


def main():
    names = sys.argv[1:] or sorted(n[:-6] for n in os.listdir(slips_dir) if n.endswith(".patch"))
    sync_tree()
    native = Build("native", [])
    if native.build() is None:
        sys.exit("faults: the unchanged tree does not build")
    begin, results, equivalent = time.time(), {}, 0
    for name in names:
        with open(os.path.join(slips_dir, name + ".patch")) as f:
            what = f.readline().lstrip("# ").strip()
        if what.startswith("equivalent"):
            equivalent += 1
            print(f"{name}: {what}", flush=True)
        else:
            results[name] = (what, *try_slip(native, name))
            print(f"{name}: {results[name][2]}", flush=True)
    for build in windows_builds(native) if any(r[1] == "missed" for r in results.values()) else []:
        for name in [n for n, r in results.items() if r[1] == "missed"]:
            state, how = try_slip(build, name)
            print(f"{name}: {how}", flush=True)
            if state == "caught" or "NOT CAUGHT" not in results[name][2]:
                results[name] = (results[name][0], state, how)
    for name, (what, state, how) in results.items():
        if state == "missed":
            print(f"missed: {name}: {how} ({what})")
    caught = sum(1 for r in results.values() if r[1] == "caught")
    print(f"faults: {caught} of {len(results)} caught, {equivalent} equivalent, "
          f"{time.time() - begin:.0f} s")
    return 0 if caught == len(results) else 1


if __name__ == "__main__":
    # The Windows programs need an X server: a private one when there is none.
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", sys.executable,
                                *sys.argv])
    sys.exit(main())
