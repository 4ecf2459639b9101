"""What a script pays for the machine: the host time to boot to BASIC's
prompt, and to type and run a 100-line listing, each beside the machine's
own time it took; given the headless host, the same listing through it
(--warp --paste --until-text) in the same run, and the ratio.

    v/bin/python bench/python/python_bench.py [--runs N] [HEADLESS]
"""
import argparse
import statistics
import subprocess
import tempfile
import time
from pathlib import Path

started = time.perf_counter()
import z80home  # noqa: E402 (timed: a script pays for it once)

IMPORT_SECONDS = time.perf_counter() - started
CYCLES_PER_MS = 1906.25


def listing() -> str:
    """100 lines: arithmetic, strings and a loop, then a last line whose
    output tells the run has ended (DO and NE apart, so the typed line does
    not show it)."""
    lines = [f"{10 * n} A({n % 10})=A({(n + 3) % 10})+{n}*{n}:B$=STR$(A({n % 10}))+\"X{n}\""
             for n in range(1, 99)]
    lines.append("990 FOR I=1 TO 200:S=S+I*I:NEXT:PRINT S")
    lines.append('1000 PRINT "DO";"NE"')
    return "\n".join(lines) + "\n"


def timed(call):
    start = time.perf_counter()
    result = call()
    return time.perf_counter() - start, result


def python_run(text: str):
    """Host seconds and machine ms: making the machine and booting it,
    typing the listing (and a line that shows when it is in), running it."""
    start = time.perf_counter()
    with z80home.Machine() as m:
        first = m.cycles
        assert m.run_until_prompt()
        boot = time.perf_counter() - start
        marks = [first, m.cycles]
        assert m.type(text + 'PRINT "TY";"PED"\n') == 0
        typing, typed = timed(lambda: m.run_until("TYPED", 600_000))
        marks.append(m.cycles)
        m.type("RUN\n")
        running, done = timed(lambda: m.run_until("DONE", 600_000))
        assert typed and done, m.screen_text()
        marks.append(m.cycles)
        machine_ms = [(b - a) / CYCLES_PER_MS for a, b in zip(marks, marks[1:])]
        return [boot, typing, running], machine_ms


def headless_run(headless: str, text: str) -> float:
    with tempfile.TemporaryDirectory() as folder:
        paste = Path(folder) / "listing.bas"
        paste.write_text(text + "RUN\n")
        start = time.perf_counter()
        subprocess.run([str(Path(headless).resolve()), "--warp", "--paste", str(paste), "--until-text", "DONE"],
                       check=True, stdout=subprocess.DEVNULL, cwd=folder)
        return time.perf_counter() - start


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("headless", nargs="?", help="the headless host, as a peer")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    print(f"{'import z80home':20} {IMPORT_SECONDS * 1000:8.1f} ms host")
    text = listing()
    runs = [python_run(text) for _ in range(args.runs)]
    host = [statistics.median(r[0][i] for r in runs) for i in range(3)]
    machine = runs[0][1]
    for name, seconds, ms in zip(["boot to the prompt", "type 100 lines", "run them"], host,
                                 machine):
        print(f"{name:20} {seconds * 1000:8.1f} ms host  {ms:9.1f} ms machine  "
              f"({ms / 1000 / seconds:5.1f} times the machine's speed)")
    print(f"{'the first of them':20} {runs[0][0][0] * 1000:8.1f} ms host  (Machine() and boot, "
          "the module's first)")
    total = sum(host)
    print(f"{'all of it':20} {total * 1000:8.1f} ms host  (median of {args.runs} runs)")
    if args.headless:
        peer = statistics.median(headless_run(args.headless, text) for _ in range(args.runs))
        print(f"{'headless host, same':20} {peer * 1000:8.1f} ms host  (process, boot, paste, run)")
        print(f"python / headless: {total / peer:.2f}")


if __name__ == "__main__":
    main()
