#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Mutation check: how many small faults in the core layers do the tests notice?

Makes one small change at a time to the code under src/text, src/domain and src/records (a
comparison turned round or made strict, + made -, a constant off by one, a condition negated,
&& made ||, a returned value replaced, a statement removed), rebuilds only what the change
touches in its own build directory, runs the tests that could notice with a time limit, puts
the file back and reports each mutant as killed, survived, not built or gone.

  scripts/mutants.py --seed 1 --count 80 --save docs/mutants-seed1.json
  scripts/mutants.py --list docs/mutants-seed1.json --save /tmp/after.json
  scripts/mutants.py --files src/domain --count 10
  scripts/mutants.py --ratio

A saved mutant names its site by the text of its line and of the lines around it, so --list
finds it again after other edits and reports it gone where that code no longer exists.
The changed file is always put back: on return, on an exception, on SIGINT/SIGTERM/SIGHUP, and
at the next start if a run was killed outright (the original is kept in a side file until then).
"""

import argparse
import json
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
LAYERS = ("src/text", "src/domain", "src/records")
# The test layers run, in this order after the tests that name the changed unit. The update and
# window tests are left out by default: they link and run slowest, and what they check of the
# core layers a lower layer's test holds too (--layers widens it).
TEST_LAYER_ORDER = ("text", "domain", "records", "cli", "form", "update", "ui")
DEFAULT_LAYERS = "text,domain,records,cli,form"

KEYWORDS = {
    "return", "break", "continue", "throw", "case", "default", "goto", "delete", "new", "if",
    "else", "for", "while", "do", "switch", "const", "constexpr", "static", "auto", "using",
    "namespace", "enum", "struct", "class", "template", "typename", "public", "private",
    "protected", "co_return", "static_assert", "friend", "operator", "sizeof",
}


# --- reading C++ -------------------------------------------------------------------------------


def mask(lines):
    """Each line with comments, string and character literals and preprocessor lines blanked
    to spaces (same length), so operators are only looked for in code."""
    out = []
    in_block = False
    raw_end = None  # closing sequence of a raw string that spans lines
    for line in lines:
        chars = list(line)
        i, n = 0, len(line)
        if not in_block and raw_end is None and line.lstrip().startswith("#"):
            out.append(" " * n)
            continue
        while i < n:
            if raw_end is not None:
                j = line.find(raw_end, i)
                stop = n if j < 0 else j + len(raw_end)
                for k in range(i, stop):
                    chars[k] = " "
                if j >= 0:
                    raw_end = None
                i = stop
                continue
            if in_block:
                j = line.find("*/", i)
                stop = n if j < 0 else j + 2
                for k in range(i, stop):
                    chars[k] = " "
                if j >= 0:
                    in_block = False
                i = stop
                continue
            c = line[i]
            if line.startswith("//", i):
                for k in range(i, n):
                    chars[k] = " "
                break
            if line.startswith("/*", i):
                in_block = True
                continue
            raw = re.match(r'(?:u8|u|U|L)?R"([^(\s]*)\(', line[i:])
            if raw and (i == 0 or not (line[i - 1].isalnum() or line[i - 1] == "_")):
                raw_end = ")" + raw.group(1) + '"'
                start = i
                i += raw.end()
                for k in range(start, i):
                    chars[k] = " "
                continue
            if c in "\"'":
                if c == "'" and i > 0 and line[i - 1].isdigit():  # digit separator
                    i += 1
                    continue
                j = i + 1
                while j < n and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                for k in range(i, min(j + 1, n)):
                    chars[k] = " "
                i = j + 1
                continue
            i += 1
        out.append("".join(chars))
    return out


def matching_paren(text, open_at):
    depth = 0
    for k in range(open_at, len(text)):
        if text[k] == "(":
            depth += 1
        elif text[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def previous_code(masked, index):
    for k in range(index - 1, -1, -1):
        if masked[k].strip():
            return masked[k].strip()
    return ""


def neighbour(lines, index, step):
    k = index + step
    while 0 <= k < len(lines):
        if lines[k].strip():
            return lines[k]
        k += step
    return ""


# --- drawing mutants ---------------------------------------------------------------------------

RELATIONS = {
    "<": ("<=", ">"),
    "<=": ("<", ">="),
    ">": (">=", "<"),
    ">=": (">", "<="),
    "==": ("!=",),
    "!=": ("==",),
}
ARITH = {"+": "-", "-": "+", "*": "/", "/": "*", "+=": "-=", "-=": "+="}
STATEMENT = re.compile(
    r"^\s*(?:\+\+|--)?([A-Za-z_]\w*)(?:(?:\.|->|::)[A-Za-z_]\w*|\[[^\]]*\])*\s*"
    r"(\(|=[^=]|\+=|-=|\*=|/=|\|=|&=|<<|\+\+|--|\.|->)"
)
# Returned values that are already what `return {};` gives.
NEUTRAL_RETURNS = {"{}", "std::nullopt", "QString()", "QByteArray()", "nullptr", "0", "{}, {}"}


def line_mutants(line, code, prev_code):
    """(kind, old, new, column, mutated line) for every mutant of one line."""
    found = []

    def put(kind, start, end, new):
        found.append((kind, line[start:end], new, start, line[:start] + new + line[end:]))

    for m in re.finditer(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", code):
        for new in RELATIONS[m.group(1)]:
            put("comparison", m.start(), m.end(), new)
    for m in re.finditer(r"(?<=\s)(\+=|-=|\+|-|\*|/)(?=\s)", code):
        before = line[: m.start()].rstrip()
        after = line[m.end():].lstrip()
        # Joining texts: a QString cannot be subtracted, so these would never build.
        if m.group(1) == "+" and (before.endswith(('"', "_s", "'")) or after.startswith(('"', "u'", "u\"", "'"))):
            continue
        put("arithmetic", m.start(), m.end(), ARITH[m.group(1)])
    for m in re.finditer(r"\+\+|--", code):
        put("arithmetic", m.start(), m.end(), "--" if m.group() == "++" else "++")
    for m in re.finditer(r"(?<![\w.])(\d+)(?![\w.'])", code):
        value = int(m.group(1))
        put("constant", m.start(), m.end(), str(value + 1))
        if value > 0:
            put("constant", m.start(), m.end(), str(value - 1))
    for m in re.finditer(r"\b(?:if|while)\s*\(", code):
        open_at = m.end() - 1
        close = matching_paren(code, open_at)
        if close > open_at + 1:
            inner = line[open_at + 1 : close]
            put("negation", open_at + 1, close, "!(" + inner + ")")
    for m in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", code):
        put("logic", m.start(), m.end(), "||" if m.group(1) == "&&" else "&&")
    m = re.match(r"^(\s*)return\s+(.+);\s*$", code)
    if m and code.count("(") == code.count(")"):
        start = code.index("return") + len("return ")
        end = code.rindex(";")
        value = line[start:end].strip()
        if value == "true":
            put("return", start, end, "false")
        elif value == "false":
            put("return", start, end, "true")
        elif value not in NEUTRAL_RETURNS:
            put("return", start, end, "{}")
    m = STATEMENT.match(code)
    if (m and m.group(1) not in KEYWORDS and code.rstrip().endswith(";")
            and code.count("(") == code.count(")") and code.count("{") == code.count("}")
            and (prev_code.endswith((";", "{", "}", ":", ")")) or prev_code == "else")):
        indent = len(line) - len(line.lstrip())
        put("removal", indent, len(line.rstrip()), ";")
    return found


def sources(patterns):
    roots = patterns or LAYERS
    files = set()
    for pattern in roots:
        path = ROOT / pattern
        if path.is_dir():
            files.update(p for p in path.rglob("*.cpp"))
        elif path.is_file():
            files.add(path)
        else:
            sys.exit(f"mutants: no such file or directory: {pattern}")
    return sorted(f.relative_to(ROOT).as_posix() for f in files)


def all_mutants(files):
    mutants = []
    for rel in files:
        lines = (ROOT / rel).read_text(encoding="utf-8").split("\n")
        masked = mask(lines)
        for index, (line, code) in enumerate(zip(lines, masked)):
            if not code.strip():
                continue
            for kind, old, new, col, mutated in line_mutants(line, code, previous_code(masked, index)):
                mutants.append({
                    "file": rel, "line": index + 1, "column": col + 1, "kind": kind,
                    "old": old, "new": new, "original": line, "mutated": mutated,
                    "before": neighbour(lines, index, -1), "after": neighbour(lines, index, 1),
                })
    return mutants


def locate(mutant):
    """The line index where a saved mutant's code is now, or None when it is gone."""
    path = ROOT / mutant["file"]
    if not path.is_file():
        return None
    lines = path.read_text(encoding="utf-8").split("\n")
    hits = [k for k, line in enumerate(lines) if line == mutant["original"]]
    if not hits:
        return None

    def score(k):
        context = (neighbour(lines, k, -1) == mutant["before"]) + (neighbour(lines, k, 1) == mutant["after"])
        return (-context, abs(k + 1 - mutant["line"]))

    best = min(hits, key=score)
    if len(hits) > 1 and score(best)[0] == 0:
        return None  # the same line elsewhere, but not among the same neighbours
    return best


# --- keeping the source whole ------------------------------------------------------------------


class Restorer:
    """Holds the one changed file's original bytes, in memory and in a side file."""

    def __init__(self, build):
        self.side = build / "mutants-original.json"
        self.path = None
        self.data = None

    def recover(self):
        if not self.side.exists():
            return
        saved = json.loads(self.side.read_text(encoding="utf-8"))
        target = ROOT / saved["file"]
        target.write_bytes(saved["content"].encode("utf-8"))
        self.side.unlink()
        print(f"mutants: put back {saved['file']} left changed by an interrupted run", flush=True)

    def change(self, rel, text):
        path = ROOT / rel
        original = path.read_bytes()
        self.side.parent.mkdir(parents=True, exist_ok=True)
        tmp = self.side.with_suffix(".tmp")
        tmp.write_text(json.dumps({"file": rel, "content": original.decode("utf-8")}), encoding="utf-8")
        os.replace(tmp, self.side)
        self.path, self.data = path, original
        path.write_text(text, encoding="utf-8")

    def restore(self):
        if self.path is None:
            return
        # A fresh time stamp, so the next build compiles the original again.
        self.path.write_bytes(self.data)
        self.path = self.data = None
        if self.side.exists():
            self.side.unlink()


class Child:
    """The running build or test process, ended with its whole group when we are stopped."""

    current = None

    @classmethod
    def run(cls, cmd, timeout, cwd=ROOT):
        proc = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                text=True, start_new_session=True)
        cls.current = proc
        try:
            out, _ = proc.communicate(timeout=timeout)
            return proc.returncode, out
        except subprocess.TimeoutExpired:
            cls.kill()
            out, _ = proc.communicate()
            return None, out
        finally:
            cls.kill()
            cls.current = None

    @classmethod
    def kill(cls):
        proc = cls.current
        if proc is not None and proc.poll() is None:
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass


class Stopped(Exception):
    pass


def on_signal(signum, _frame):
    raise Stopped(signal.Signals(signum).name)


# --- building and testing ----------------------------------------------------------------------


class Bench:
    def __init__(self, build, jobs, verbose, layers):
        self.build = build
        self.layers = layers
        self.jobs = jobs
        self.verbose = verbose
        self.durations = {}

    def configure(self):
        if (self.build / "build.ninja").exists():
            return
        env_launcher = os.environ.get("CMAKE_CXX_COMPILER_LAUNCHER", "ccache")
        cmd = ["cmake", "-S", str(ROOT), "-B", str(self.build), "-G", "Ninja",
               "-DCMAKE_BUILD_TYPE=Release", "-DVOLTRAKE_BENCH=OFF",
               f"-DCMAKE_CXX_COMPILER_LAUNCHER={env_launcher}"]
        code, out = Child.run(cmd, 600)
        if code != 0:
            sys.exit("mutants: cmake failed\n" + out)

    def tests(self):
        code, out = Child.run(["ctest", "--test-dir", str(self.build), "-N"], 120)
        names = re.findall(r"Test\s+#\d+:\s+(\S+)", out or "")
        return [n for n in names if n.split(".", 1)[0] in self.layers]

    def make(self, targets):
        cmd = ["ninja", "-C", str(self.build), f"-j{self.jobs}"] + sorted(set(targets))
        code, out = Child.run(cmd, 1800)
        if code != 0 and self.verbose:
            print(out[-3000:])
        return code == 0

    def check(self, tests, timeout_of):
        """The first test of `tests` that fails, or None when all pass."""
        regex = "^(" + "|".join(re.escape(t) for t in tests) + ")$"
        limit = max(timeout_of(t) for t in tests)
        cmd = ["ctest", "--test-dir", str(self.build), "-R", regex, "--timeout", str(limit),
               "--stop-on-failure", f"-j{self.jobs}"]
        code, out = Child.run(cmd, limit * len(tests) + 60)
        for name, seconds in re.findall(r"Test\s+#\d+:\s+(\S+)\s+\.+\s*Passed\s+([\d.]+)\s+sec", out or ""):
            self.durations.setdefault(name, float(seconds))
        if code == 0:
            return None
        failed = re.findall(r"\d+\s+-\s+(\S+)\s+\((\w[^)]*)\)", out or "")
        if failed:
            return f"{failed[0][0]} ({failed[0][1].lower()})"
        return "ctest (time limit)" if code is None else "ctest"


def target_of(test):
    return test.split(".", 1)[1]


def test_source_text(test):
    layer, name = test.split(".", 1)
    path = ROOT / "tests" / layer / f"{name}.cpp"
    if not path.exists():
        return ""
    text = path.read_text(encoding="utf-8", errors="replace")
    # The fixtures a test includes name units for it too.
    for inc in re.findall(r'#include\s+"([^"]+\.h)"', text):
        for cand in (path.parent / inc, ROOT / "tests" / "support" / inc):
            if cand.exists():
                text += cand.read_text(encoding="utf-8", errors="replace")
                break
    return text


def ordered_tests(tests, rel, hint):
    header = rel[len("src/"):].rsplit(".", 1)[0] + ".h"

    def rank(test):
        layer = test.split(".", 1)[0]
        return (
            0 if test == hint else 1,
            0 if f'"{header}"' in test_source_text(test) else 1,
            TEST_LAYER_ORDER.index(layer) if layer in TEST_LAYER_ORDER else len(TEST_LAYER_ORDER),
            test,
        )

    return sorted(tests, key=rank)


def run_mutant(bench, restorer, tests, mutant, timeout_of):
    index = locate(mutant)
    if index is None:
        return "gone", None, mutant.get("line")
    path = ROOT / mutant["file"]
    lines = path.read_text(encoding="utf-8").split("\n")
    lines[index] = mutant["mutated"]
    order = ordered_tests(tests, mutant["file"], mutant.get("killed_by"))
    try:
        restorer.change(mutant["file"], "\n".join(lines))
        # The likeliest killers one at a time, then the rest in one build and one test run.
        first, rest = order[:2], order[2:]
        for k, test in enumerate(first):
            if not bench.make([target_of(test)]):
                return ("not built" if k == 0 else "killed"), (None if k == 0 else "build"), index + 1
            failed = bench.check([test], timeout_of)
            if failed:
                return "killed", failed, index + 1
        if rest:
            if not bench.make([target_of(t) for t in rest]):
                return "killed", "build", index + 1
            failed = bench.check(rest, timeout_of)
            if failed:
                return "killed", failed, index + 1
        return "survived", None, index + 1
    finally:
        restorer.restore()


# --- the line ratio ----------------------------------------------------------------------------


def nonblank(folder):
    total = 0
    for path in sorted((ROOT / folder).rglob("*")):
        if path.suffix in (".cpp", ".h") and path.is_file():
            total += sum(1 for line in path.read_text(encoding="utf-8", errors="replace").splitlines() if line.strip())
    return total


def ratio():
    tests, src = nonblank("tests"), nonblank("src")
    print(f"tests {tests} / src {src} non-blank lines of .cpp/.h = {tests / src:.3f}")


# --- main --------------------------------------------------------------------------------------


def describe(m):
    return f"{m['file']}:{m['line']} {m['kind']} {m['old']!r} -> {m['new']!r}"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--count", type=int, default=80)
    ap.add_argument("--files", nargs="+", metavar="PATH", help="files or folders to draw from (default: src/text src/domain src/records)")
    ap.add_argument("--save", metavar="FILE", help="write the drawn mutants and their results here")
    ap.add_argument("--list", metavar="FILE", help="run exactly the mutants of a saved file")
    ap.add_argument("--build-dir", default="build-mutants")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--layers", default=DEFAULT_LAYERS, help=f"test layers to run (default {DEFAULT_LAYERS})")
    ap.add_argument("--timeout", type=float, default=3.0, help="a test's time limit as a multiple of its unchanged time (at least 20 s)")
    ap.add_argument("--dry-run", action="store_true", help="only list the mutants")
    ap.add_argument("--ratio", action="store_true", help="print the tests/src non-blank line ratio and stop")
    ap.add_argument("--verbose", action="store_true")
    args = ap.parse_args()

    if args.ratio:
        ratio()
        return 0

    build = (ROOT / args.build_dir).resolve()
    restorer = Restorer(build)
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, on_signal)
    restorer.recover()

    if args.list:
        saved = json.loads(Path(args.list).read_text(encoding="utf-8"))
        mutants = [dict(m, line=m["line"]) for m in saved["mutants"]]
        meta = {k: v for k, v in saved.items() if k != "mutants"}
    else:
        pool = all_mutants(sources(args.files))
        rng = random.Random(args.seed)
        mutants = sorted(rng.sample(pool, min(args.count, len(pool))), key=lambda m: (m["file"], m["line"], m["column"], m["new"]))
        meta = {"seed": args.seed, "count": args.count, "files": args.files or list(LAYERS), "pool": len(pool)}
        print(f"mutants: drew {len(mutants)} of {len(pool)} (seed {args.seed})", flush=True)

    if args.dry_run:
        for m in mutants:
            print(describe(m))
        return 0

    bench = Bench(build, args.jobs, args.verbose, args.layers.split(","))
    results = []
    started = time.time()
    try:
        bench.configure()
        tests = bench.tests()
        if not tests:
            sys.exit("mutants: no tests found")
        print(f"mutants: checking that {len(tests)} tests pass unchanged", flush=True)
        if not bench.make([target_of(t) for t in tests]):
            sys.exit("mutants: the unchanged code does not build")
        failed = bench.check(tests, lambda t: 600)
        if failed:
            sys.exit(f"mutants: {failed} fails on the unchanged code")

        def timeout_of(test):
            return int(max(20, args.timeout * bench.durations.get(test, 20)))

        for n, m in enumerate(mutants, 1):
            t0 = time.time()
            status, by, line = run_mutant(bench, restorer, tests, m, timeout_of)
            m2 = dict(m)
            m2["status"] = status
            m2["line_now"] = line
            if status == "killed":
                m2["killed_by"] = by.split(" ")[0] if by else None
            results.append(m2)
            where = f"{m['file']}:{line}" if line else m["file"]
            print(f"[{n}/{len(mutants)}] {status:9} {where} {m['kind']} {m['old']!r} -> {m['new']!r}"
                  + (f"  ({by})" if by else "") + f"  {time.time() - t0:.0f}s", flush=True)
        # Leave the build directory matching the source again, not the last mutant.
        bench.make([target_of(t) for t in tests])
    except Stopped as stop:
        print(f"mutants: stopped by {stop}", flush=True)
        return 130
    finally:
        Child.kill()
        restorer.restore()
        if args.save and results:
            out = dict(meta)
            out["mutants"] = results + [m for m in mutants[len(results):]]
            out["summary"] = summary(results)
            Path(args.save).write_text(json.dumps(out, indent=1) + "\n", encoding="utf-8")

    s = summary(results)
    print(f"mutants: {s['killed']} killed, {s['survived']} survived, {s['not built']} not built, "
          f"{s['gone']} gone; kill rate {s['rate']} of those built  ({time.time() - started:.0f}s)")
    for m in results:
        if m["status"] == "survived":
            print(f"  survived: {m['file']}:{m['line_now']} {m['kind']} {m['old']!r} -> {m['new']!r}  | {m['original'].strip()}")
    return 0


def summary(results):
    counts = {k: sum(1 for m in results if m.get("status") == k) for k in ("killed", "survived", "not built", "gone")}
    built = counts["killed"] + counts["survived"]
    counts["rate"] = f"{counts['killed'] / built:.1%}" if built else "n/a"
    return counts


if __name__ == "__main__":
    sys.exit(main())
