#!/usr/bin/env bash
# The mutation sampler: how many small, realistic faults the fast tests
# catch. From the repository root:
#
#   scripts/mutate.sh [-n N] [--seed S] [--base REV] [FILE|GLOB ...]
#                     [--tests REGEX] [--label L] [--timeout SECONDS]
#                     [--scratch DIR]
#
# It picks N faults (default 10) at random among every place in the files
# where one of these fits, and plants each alone:
#   C++:  a comparison flipped (< and <=, > and >=, == and !=), a condition
#         negated (if, while), && and || swapped, an increment or decrement
#         dropped (a ++ or -- in an expression, or a whole x++; x += n;
#         statement), a constant off by one, a one-line statement removed
#         (a call or an assignment, where that leaves valid code);
#   Z80:  a jump condition inverted (Z/NZ, C/NC, P/M, PE/PO on JP, JR, CALL,
#         RET), a carry instruction swapped (ADD/ADC, SUB/SBC, RL/RLC,
#         RR/RRC, RLA/RLCA, RRA/RRCA, SRA/SRL), an INC or DEC dropped, a
#         constant off by one.
# The files are those given (paths or quoted globs, e.g. 'rom/b*.asm'
# 'plus/*.cpp'), or else the C++ and assembly files outside tests/ and
# bench/ that differ from --base (default main), committed or not.
#
# Each fault goes into a scratch copy of the tree (default
# /tmp/z80home-mutate/<this folder's name>, kept between runs so builds are
# incremental; the working tree is never touched), which is rebuilt (only
# what the chosen tests need), and the tests run with -j2, stopping at the
# first failure: first those named after the file, then those of its
# folder, then the rest. A fault is killed when a test fails or the run
# outlasts --timeout (default three times the unmutated run, plus 30 s);
# it survives when every test passes, or when no test program builds its
# file (a host's main file: the rest is then built, to see whether the
# fault compiles and changes the code). A fault that does not compile is
# reported apart and not counted, and so is one that leaves the compiled
# code (the object files or the ROM image) unchanged, since no test could
# see it. The tests run are the fast ones (ctest -LE slow), or those of
# --label or --tests.
#
# It prints one line a fault, then the kill rate and every survivor as a
# diff. --seed repeats a run exactly on the same tree (the seed is printed
# at the start); --list prints every place a fault fits, and runs nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v python3 >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends python3
fi
scripts/deps.sh
exec python3 - "$@" <<'PYTHON'
import argparse
import difflib
import glob
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time

REPO = os.getcwd()


def say(text=""):
    print(text, flush=True)


def run(command):
    return subprocess.run(command, text=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)


# ------------------------------------------------------------ random numbers
class Random:
    """splitmix64: the same seed gives the same faults on any Python."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFFFFFFFFFF

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & 0xFFFFFFFFFFFFFFFF
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
        return z ^ (z >> 31)

    def below(self, n):
        return self.next() % n


# ------------------------------------------------------------ fault sites
class Site:
    def __init__(self, path, line, start, end, new, kind):
        self.path, self.line, self.start, self.end, self.new, self.kind = (
            path, line, start, end, new, kind)

    def apply(self, lines):
        text = lines[self.line]
        changed = list(lines)
        changed[self.line] = text[:self.start] + self.new + text[self.end:]
        return changed


def off_by_one(literal, rnd):
    """The literal plus or minus one, in the same notation; None if none."""
    m = re.fullmatch(r"(0[xX])([0-9A-Fa-f]+)([uUlL]*)", literal)
    if m:
        value, digits, form = int(m.group(2), 16), m.group(2), "x"
    else:
        m = re.fullmatch(r"()([0-9]+)([uUlL]*)", literal)
        if not m or (len(m.group(2)) > 1 and m.group(2).startswith("0")):
            return None
        value, digits, form = int(m.group(2)), m.group(2), "d"
    step = 1 if value == 0 or rnd.below(2) else -1
    value += step
    if form == "x":
        text = format(value, "x" if digits.lower() == digits and not digits.isdigit() else "X")
        text = text.rjust(len(digits), "0")
        return m.group(1) + text + m.group(3)
    return str(value) + m.group(3)


def code_mask(text):
    """The C++ source with comments, strings and character literals blanked
    (same length, line breaks kept), and preprocessor lines blanked."""
    out = list(text)
    i, n = 0, len(text)
    state = None
    line_start = True
    while i < n:
        c = text[i]
        if state is None:
            if line_start and c == "#":
                # A preprocessor line, with its continuations.
                while i < n and not (text[i] == "\n" and text[i - 1] != "\\"):
                    if text[i] != "\n":
                        out[i] = " "
                    i += 1
                continue
            if c not in " \t\n":
                line_start = False
            if c == "\n":
                line_start = True
            if text.startswith("//", i):
                state = "line"
            elif text.startswith("/*", i):
                state = "block"
                out[i] = out[i + 1] = " "
                i += 2
                continue
            elif c == 'R' and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
                close = text.index("(", i)
                end = text.index(")" + text[i + 2:close] + '"', close)
                for k in range(i, end + len(text[i + 2:close]) + 2):
                    if out[k] != "\n":
                        out[k] = " "
                i = end + len(text[i + 2:close]) + 2
                continue
            elif c in "\"'" and not (c == "'" and i > 0 and text[i - 1].isalnum() and text[i - 1] not in "uUL8"):
                state = c
                out[i] = " "
                i += 1
                continue
            else:
                i += 1
                continue
        if state == "line":
            if c == "\n":
                state = None
                line_start = True
                i += 1
                continue
        elif state == "block":
            if text.startswith("*/", i):
                out[i] = out[i + 1] = " "
                state = None
                i += 2
                continue
        elif state in "\"'":
            if c == "\\":
                out[i] = " "
                if i + 1 < n and text[i + 1] != "\n":
                    out[i + 1] = " "
                i += 2
                continue
            if c == state:
                out[i] = " "
                state = None
                i += 1
                continue
        if out[i] != "\n":
            out[i] = " "
        i += 1
    return "".join(out)


STATEMENT_START = re.compile(
    r"(return|break|continue|goto|case|default|using|typedef|static|const|constexpr|auto|"
    r"struct|class|enum|namespace|template|extern|else|do|for|while|if|switch|public|"
    r"private|protected|delete|throw|inline|friend|virtual|explicit)\b")


def cpp_sites(path, lines, rnd):
    masked = code_mask("".join(lines)).split("\n")
    sites = []
    previous_end = ";"
    for number, code in enumerate(masked):
        original = lines[number] if number < len(lines) else ""
        stripped = code.strip()
        in_for = stripped.startswith("for (")
        for m in re.finditer(r"(?<= )(<=|>=|==|!=|<|>)(?= )", code):
            swap = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}[m.group(1)]
            sites.append(Site(path, number, m.start(), m.end(), swap, "comparison flipped"))
        for m in re.finditer(r"(?<= )(&&|\|\|)(?= )", code):
            sites.append(Site(path, number, m.start(), m.end(), "||" if m.group(1) == "&&" else "&&",
                              "&& and || swapped"))
        for m in re.finditer(r"\b(if|while) \(", code):
            depth, k = 0, m.end() - 1
            while k < len(code):
                depth += {"(": 1, ")": -1}.get(code[k], 0)
                if depth == 0:
                    break
                k += 1
            if k < len(code):
                inner = original[m.end():k]
                sites.append(Site(path, number, m.end(), k, "!(" + inner + ")", "condition negated"))
        if not in_for:
            for m in re.finditer(r"([A-Za-z_][\w.\]\[]*)(\+\+|--)(?=[\])\s;,])", code):
                if re.fullmatch(r"\s*" + re.escape(m.group(0)) + r";\s*", code):
                    continue  # the whole-statement form below
                sites.append(Site(path, number, m.end(1), m.end(), "", "increment dropped"))
            if re.fullmatch(r"\s*(\+\+|--)?[A-Za-z_][\w.\[\]>-]*(\+\+|--)?;\s*", code) and (
                    "++" in code or "--" in code):
                sites.append(Site(path, number, 0, len(original), "", "increment dropped"))
            elif re.fullmatch(r"\s*[A-Za-z_][\w.\[\]>-]* (\+|-)= [0-9]\w*;\s*", code):
                sites.append(Site(path, number, 0, len(original), "", "increment dropped"))
        for m in re.finditer(r"(?<![\w.])(0[xX][0-9A-Fa-f]+|[0-9]+)[uUlL]*(?![\w.])", code):
            new = off_by_one(m.group(0), rnd)
            if new is not None:
                sites.append(Site(path, number, m.start(), m.end(), new, "constant off by one"))
        # A whole one-line call or assignment, after a complete statement
        # or a brace, so that removing it leaves valid code of the same shape.
        if (previous_end in ";{}:" and stripped.endswith(";") and not STATEMENT_START.match(stripped)
                and stripped.count("(") == stripped.count(")") and "{" not in stripped
                and re.match(r"[A-Za-z_][\w:]*(\(|\.|->|\[| [-+*/|&^]?= )", stripped)
                and not re.match(r"[A-Za-z_][\w:]*(<[^;]*>)?[*&]* [*&]*[A-Za-z_]", stripped)):
            sites.append(Site(path, number, 0, len(original), "", "statement removed"))
        if stripped:
            previous_end = stripped[-1]
    return sites


CONDITIONS = {"Z": "NZ", "NZ": "Z", "C": "NC", "NC": "C", "P": "M", "M": "P", "PE": "PO", "PO": "PE"}
ROTATES = {"RL": "RLC", "RLC": "RL", "RR": "RRC", "RRC": "RR", "RLA": "RLCA", "RLCA": "RLA",
           "RRA": "RRCA", "RRCA": "RRA", "SRA": "SRL", "SRL": "SRA"}
ASM_NUMBER = re.compile(
    r"(?<![\w$'])(0[xX][0-9A-Fa-f]+|[0-9][0-9A-Fa-f]*[hH]|[01]+[bB]|[0-9]+)(?![\w'])")


def asm_number(literal, rnd):
    m = re.fullmatch(r"([0-9][0-9A-Fa-f]*)([hH])", literal)
    if m:
        value = int(m.group(1), 16)
        value += 1 if value == 0 or rnd.below(2) else -1
        text = format(value, "X").rjust(len(m.group(1)), "0")
        if not text[0].isdigit():
            text = "0" + text
        return text + m.group(2)
    m = re.fullmatch(r"([01]+)([bB])", literal)
    if m:
        value = int(m.group(1), 2)
        value += 1 if value == 0 or rnd.below(2) else -1
        return format(value, "b").rjust(len(m.group(1)), "0") + m.group(2)
    return off_by_one(literal, rnd)


def asm_sites(path, lines, rnd):
    sites = []
    for number, text in enumerate(lines):
        # The code part: no comment, strings blanked.
        code, quote = [], None
        for c in text.rstrip("\n"):
            if quote:
                code.append(" ")
                if c == quote:
                    quote = None
                continue
            if c == ";":
                break
            if c in "\"'":
                quote = c
                code.append(" ")
                continue
            code.append(c)
        code = "".join(code)
        m = re.match(r"(\s*(?:[A-Za-z_.][\w.]*:)?\s*)([A-Za-z]+)\b\s*(.*?)\s*$", code)
        if not m:
            continue
        mnemonic, operands = m.group(2).upper(), m.group(3)
        first = operands.split(",")[0].strip().upper()
        op_start = m.start(3)
        if mnemonic in ("JP", "JR", "CALL", "RET") and first in CONDITIONS:
            k = op_start + operands.upper().index(first)
            sites.append(Site(path, number, k, k + len(first), CONDITIONS[first], "jump condition inverted"))
        if mnemonic in ROTATES:
            sites.append(Site(path, number, m.start(2), m.end(2), ROTATES[mnemonic], "carry instruction swapped"))
        if mnemonic in ("ADD", "ADC") and first in ("A", "HL"):
            sites.append(Site(path, number, m.start(2), m.end(2), "ADC" if mnemonic == "ADD" else "ADD",
                              "carry instruction swapped"))
        if mnemonic == "SUB":
            sites.append(Site(path, number, m.start(2), m.end(3), "SBC A," + operands,
                              "carry instruction swapped"))
        if mnemonic == "SBC" and first == "A":
            rest = operands.split(",", 1)[1].strip()
            sites.append(Site(path, number, m.start(2), m.end(3), "SUB " + rest, "carry instruction swapped"))
        if mnemonic in ("INC", "DEC"):
            sites.append(Site(path, number, m.start(2), m.end(3), "", "INC/DEC dropped"))
        if mnemonic in ("ORG", "IM", "RST", "INCLUDE", "DEFS", "DS"):
            continue
        for n in ASM_NUMBER.finditer(operands):
            if mnemonic in ("BIT", "SET", "RES") and n.start() < operands.find(","):
                continue  # the bit number: 8 does not assemble
            new = asm_number(n.group(0), rnd)
            if new is not None:
                sites.append(Site(path, number, op_start + n.start(), op_start + n.end(), new,
                                  "constant off by one"))
    return sites


# ------------------------------------------------------------ the files
def changed_files(base):
    merge_base = run(["git", "merge-base", base, "HEAD"])
    if merge_base.returncode:
        sys.exit(f"mutate: no revision {base}: {merge_base.stdout.strip()}")
    names = run(["git", "diff", "--name-only", merge_base.stdout.strip()]).stdout.split()
    names += run(["git", "ls-files", "--others", "--exclude-standard"]).stdout.split()
    return sorted({n for n in names if os.path.isfile(n) and re.search(r"\.(cpp|h|asm)$", n)
                   and not re.match(r"(tests|bench|reference)/", n)})


def given_files(patterns):
    files = set()
    for pattern in patterns:
        matched = glob.glob(pattern)
        if not matched:
            sys.exit(f"mutate: nothing matches {pattern}")
        files.update(m for m in matched if os.path.isfile(m))
    return sorted(os.path.relpath(f) for f in files)


# ------------------------------------------------------------ the scratch tree
def sync_tree(source_dir):
    """Copies the tree's files into source_dir, rewriting only those whose
    bytes differ, so the build there stays incremental."""
    tracked = run(["git", "ls-files", "-co", "--exclude-standard", "-z"]).stdout.split("\0")
    wanted = {f for f in tracked if f and os.path.isfile(f)}
    for name in sorted(wanted):
        target = os.path.join(source_dir, name)
        with open(name, "rb") as f:
            data = f.read()
        if os.path.isfile(target):
            with open(target, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(target) or ".", exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
        shutil.copymode(name, target)
    for root, _, files in os.walk(source_dir):
        for name in files:
            relative = os.path.relpath(os.path.join(root, name), source_dir)
            if relative not in wanted:
                os.remove(os.path.join(root, name))


def write_lines(path, lines):
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("".join(lines))


# ------------------------------------------------------------ build and tests
class Tests:
    def __init__(self, build, args):
        self.build, self.args = build, args
        listing = run(["ctest", "--test-dir", build, "-N", "--show-only=json-v1"])
        data = json.loads(listing.stdout)
        self.tests = []
        for number, test in enumerate(data["tests"], 1):
            props = {p["name"]: p["value"] for p in test.get("properties", [])}
            labels = props.get("LABELS", [])
            if args.label and args.label not in labels:
                continue
            if not args.label and not args.tests and "slow" in labels:
                continue
            if args.tests and not re.search(args.tests, test["name"]):
                continue
            folder = os.path.relpath(props.get("WORKING_DIRECTORY", build), os.path.join(build, "tests"))
            self.tests.append({"number": number, "name": test["name"], "folder": folder,
                               "program": os.path.basename(test["command"][0]) if test.get("command") else ""})
        if not self.tests:
            sys.exit("mutate: no test chosen")
        help_text = run(["cmake", "--build", build, "--target", "help"]).stdout
        targets = set(re.findall(r"^\.\.\. (\S+)", help_text, re.M))
        self.targets = sorted({t["program"] for t in self.tests if t["program"] in targets} |
                              ({"z80home", "z80home-plus", "roms", "_machine"} & targets))

    def phases(self, path):
        """The tests in the order to run them: named after the file, then
        of its folder, then the rest."""
        stem = os.path.splitext(os.path.basename(path))[0]
        camel = "".join(part.capitalize() for part in stem.split("_"))
        area = path.split("/")[0]
        areas = {area, "machine"} if area == "rom" else {area}
        first = [t for t in self.tests if camel.lower() in t["name"].lower().replace("_", "")]
        second = [t for t in self.tests if t["folder"] in areas and t not in first]
        rest = [t for t in self.tests if t not in first and t not in second]
        return [p for p in (first, second, rest) if p]

    def compile(self, everything=False):
        targets = [] if everything else ["--target"] + self.targets
        result = run(["cmake", "--build", self.build, "-j", str(self.args.jobs)] + targets)
        return result.returncode == 0, result.stdout

    def ctest(self, tests, timeout):
        """None when the tests pass; else the first that failed, or
        "timeout"."""
        numbers = ",".join(str(t["number"]) for t in tests)
        command = ["ctest", "--test-dir", self.build, "-j", str(self.args.jobs), "--stop-on-failure",
                   "-I", "0,0,0," + numbers]
        process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                   start_new_session=True)
        try:
            output, _ = process.communicate(timeout=max(1, timeout))
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.communicate()
            return "timeout"
        if not process.returncode:
            return None
        failed = re.findall(r"^\s*(\d+) - (\S+) \(", output, re.M)
        return failed[0] if failed else ("", "ctest: " + output.strip().splitlines()[-1])

    def run(self, path, deadline):
        """(None, seconds) when every test passes; else (the failing test
        or "timeout", seconds). A test that fails and then passes when run
        again alone is taken for a flake of a busy machine, and its phase
        runs once more."""
        started = time.monotonic()
        left = lambda: deadline - (time.monotonic() - started)
        for phase in self.phases(path):
            for attempt in (1, 2):
                failed = self.ctest(phase, left())
                if failed is None or failed == "timeout":
                    break
                number, name = failed
                again = [t for t in phase if str(t["number"]) == number]
                if attempt == 2 or not again or self.ctest(again, left()) is not None:
                    return name, time.monotonic() - started
                say(f"        ({name} failed, then passed alone: run again)")
            if failed == "timeout":
                return "timeout", time.monotonic() - started
        return None, time.monotonic() - started


def built_since(build, path, since):
    """Whether the build compiled the C++ file again after since: not so
    when no target the tests need has it (a host's main file, say)."""
    if not path.endswith(".cpp"):
        return True
    base = os.path.basename(path) + ".o"
    return any(os.path.getmtime(os.path.join(root, base)) >= since
               for root, _, files in os.walk(build) if base in files)


def fingerprint(build, path):
    """What the build made of the file: its object files, or the ROM image."""
    if path.endswith(".asm"):
        names = [os.path.join(build, "rom", "n80basic.rom")]
    else:
        # A header may reach any object.
        base = os.path.basename(path) + ".o"
        names = sorted(os.path.join(root, f) for root, _, files in os.walk(build) for f in files
                       if f == base or (path.endswith(".h") and f.endswith(".o")))
    digest = hashlib.sha256()
    for name in names:
        with open(name, "rb") as f:
            digest.update(f.read())
    return digest.hexdigest() if names else None


# ------------------------------------------------------------ main
def main():
    parser = argparse.ArgumentParser(prog="scripts/mutate.sh", description="the mutation sampler")
    parser.add_argument("files", nargs="*", help="files or quoted globs (default: those changed against --base)")
    parser.add_argument("--files", dest="more_files", nargs="+", default=[], help="more files or globs")
    parser.add_argument("-n", type=int, default=10, help="how many faults (default 10)")
    parser.add_argument("--seed", type=int, help="the seed (default: a new one, printed)")
    parser.add_argument("--base", default="main", help="the revision whose changes are sampled (default main)")
    parser.add_argument("--tests", help="run only the tests whose names match this regex")
    parser.add_argument("--label", help="run only the tests with this CTest label")
    parser.add_argument("--timeout", type=float, help="seconds a fault's test run may take")
    parser.add_argument("--jobs", "-j", type=int, default=2, help="parallel builds and tests (default 2)")
    parser.add_argument("--scratch", help="the scratch folder (default /tmp/z80home-mutate/<tree>)")
    parser.add_argument("--list", action="store_true", help="print every place a fault fits, and end")
    args = parser.parse_args()

    seed = args.seed if args.seed is not None else int.from_bytes(os.urandom(4), "little")
    rnd = Random(seed)
    patterns = args.files + args.more_files
    files = given_files(patterns) if patterns else changed_files(args.base)
    if not files:
        sys.exit(f"mutate: no C++ or assembly file differs from {args.base}; name the files")
    sites = []
    counts = []
    for path in files:
        with open(path, encoding="utf-8") as f:
            lines = f.readlines()
        found = asm_sites(path, lines, rnd) if path.endswith(".asm") else cpp_sites(path, lines, rnd)
        counts.append(f"{path} {len(found)}")
        sites += found
    if not sites:
        sys.exit("mutate: no place for a fault in " + " ".join(files))
    if args.list:
        for site in sites:
            with open(site.path, encoding="utf-8") as f:
                lines = f.readlines()
            say(f"{site.path}:{site.line + 1} {site.kind}: {lines[site.line].strip()}  ->  "
                f"{site.apply(lines)[site.line].strip() or '(removed)'}")
        return
    chosen = []
    pool = list(range(len(sites)))
    for _ in range(min(args.n, len(pool))):
        chosen.append(sites[pool.pop(rnd.below(len(pool)))])
    # One file after another, so each is rebuilt as few times as possible.
    order = sorted(range(len(chosen)), key=lambda i: (files.index(chosen[i].path), i))

    scratch = args.scratch or os.path.join("/tmp/z80home-mutate", os.path.basename(REPO))
    source, build = os.path.join(scratch, "src"), os.path.join(scratch, "build")
    say(f"mutate: seed {seed} (repeat with --seed {seed}); {len(chosen)} faults among {len(sites)} places: "
        + ", ".join(counts))
    say(f"mutate: scratch tree {scratch}")
    os.makedirs(source, exist_ok=True)
    sync_tree(source)
    configure = run(["cmake", "-S", source, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                     "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG", "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG",
                     "-DZ80HOME_WERROR=OFF", "-DZ80HOME_BENCH=OFF",
                     "-DZ80HOME_Z80TESTS_DIR=" + os.path.join(source, "tests", "z80tests")]
                    # The Python module and its tests, for a fault in them.
                    + (["-DZ80HOME_PYTHON=ON"] if any(f.startswith("python/") for f in files) else []))
    if configure.returncode:
        sys.exit("mutate: the scratch tree does not configure:\n" + configure.stdout)
    # The test list comes from the built test programs.
    first = run(["cmake", "--build", build, "-j", str(args.jobs)])
    if first.returncode:
        sys.exit("mutate: the unmutated tree does not build:\n" + first.stdout[-3000:])
    tests = Tests(build, args)
    built, log = tests.compile()
    if not built:
        sys.exit("mutate: the unmutated tree does not build:\n" + log[-3000:])
    started = time.monotonic()
    failed, _ = tests.run("", 3600)
    baseline = time.monotonic() - started
    if failed:
        sys.exit(f"mutate: the unmutated tree fails {failed}; fix that first")
    deadline = args.timeout or 3 * baseline + 30
    say(f"mutate: {len(tests.tests)} tests pass on the unmutated tree in {baseline:.0f} s; "
        f"a fault's run may take {deadline:.0f} s")
    originals = {}
    prints = {}
    for path in files:
        with open(os.path.join(source, path), encoding="utf-8") as f:
            originals[path] = f.readlines()
        prints[path] = fingerprint(build, path)

    results = []
    current = None
    try:
        for count, i in enumerate(order, 1):
            site = chosen[i]
            if current and current != site.path:
                write_lines(os.path.join(source, current), originals[current])
            current = site.path
            lines = originals[site.path]
            changed = site.apply(lines)
            written = time.time() - 1
            write_lines(os.path.join(source, site.path), changed)
            old = lines[site.line].strip()
            new = changed[site.line].strip() or "(removed)"
            label = f"{count:3}/{len(order)} {site.path}:{site.line + 1} {site.kind}: {old}  ->  {new}"
            ok, log = tests.compile()
            untested = ok and not built_since(build, site.path, written)
            if untested:
                # No test program has the file: build the rest to learn
                # whether the fault compiles and changes the code at all.
                ok, log = tests.compile(everything=True)
            if not ok:
                outcome, killer, seconds = "no compile", "", 0
            elif fingerprint(build, site.path) == prints[site.path]:
                outcome, killer, seconds = "same code", "", 0
            elif untested:
                outcome, killer, seconds = "untested", None, 0
            else:
                killer, seconds = tests.run(site.path, deadline)
                outcome = "survived" if killer is None else ("timeout" if killer == "timeout" else "killed")
            results.append((site, outcome, killer, changed))
            detail = {"killed": f"killed by {killer}", "timeout": "killed: timed out",
                      "survived": "SURVIVED", "untested": "SURVIVED: no test program builds this file",
                      "no compile": "does not compile (not counted)",
                      "same code": "compiles to the same code (not counted)"}[outcome]
            say(f"{label}\n        {detail}" + (f" ({seconds:.0f} s)" if seconds else ""))
    finally:
        if current:
            write_lines(os.path.join(source, current), originals[current])

    counted = [r for r in results if r[1] in ("killed", "timeout", "survived", "untested")]
    killed = [r for r in counted if r[1] in ("killed", "timeout")]
    rate = 100.0 * len(killed) / len(counted) if counted else 0.0
    say()
    say(f"kill rate: {len(killed)} of {len(counted)} faults ({rate:.0f} %)"
        f"; {sum(r[1] == 'timeout' for r in results)} of them by timeout"
        f"; not counted: {sum(r[1] == 'no compile' for r in results)} that do not compile, "
        f"{sum(r[1] == 'same code' for r in results)} that compile to the same code")
    survivors = [r for r in results if r[1] in ("survived", "untested")]
    if survivors:
        say(f"\n{len(survivors)} surviving faults:")
    for site, _, _, changed in survivors:
        lines = originals[site.path]
        say("".join(difflib.unified_diff(lines, changed, "a/" + site.path, "b/" + site.path, n=2)).rstrip())


main()
PYTHON
