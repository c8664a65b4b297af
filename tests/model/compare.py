#!/usr/bin/env python3
"""Differential test: the reference model against `replay` and against the shipped programs.

For every game and every run a seed and a random key stream are drawn; the model plays them, then
`replay GAME SEED` with the keys on stdin, then the program itself with its tick count fixed to
the seed by a preloaded clock (fixed_clock.c) and the keys on a pipe in a UTF-8 locale. Screens
must be equal byte for byte (the program's after conversion from code page 850 to UTF-8), except
for the credit line under the title, whose wording is the implementer's. Exit statuses must agree:
0 when the game and its closing key wait completed, non-zero with a message when the keys ran
out first.

    compare.py --replay build/tools/replay --program golf=build/golf/golf --shim fixed_clock.so
    compare.py ... --seeds 2000          # a deep run
    compare.py ... --games golf,mirkweld --seeds 500 --keep-going
"""

from __future__ import annotations

import argparse
import atexit
import concurrent.futures
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
from dataclasses import dataclass
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, str(Path(__file__).resolve().parent))

import games  # noqa: E402

# LANG for the program and the encoding its screen must come in: a C or POSIX locale shows the
# characters in UTF-8 too. --more-locales adds private code page 850 and Latin-1 locales.
LOCALES = ["C.UTF-8", "C", "POSIX"]
ENCODINGS = {"C.UTF-8": "utf-8", "C": "utf-8", "POSIX": "utf-8"}
PRIVATE_LOCALES = {"fr_FR.IBM850": ("IBM850", "cp850"), "fr_FR.ISO-8859-1": ("ISO-8859-1", "latin-1")}
LOCPATH: str | None = None

SPECIAL_SEEDS = (0, 1, 5489, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF)
TIMEOUT = 20


# --------------------------------------------------------------------------------------------
# Key streams.

MENU_LOWER = b"abcdef"
MENU_UPPER = b"ABCDEF"
DIGITS = b"0123456789"
LETTERS = bytes(range(ord("a"), ord("z") + 1)) + bytes(range(ord("A"), ord("Z") + 1))
SPECIAL = b"\r \x1b\x00"


def mixed_key(rng: random.Random) -> int:
    pick = rng.random()
    if pick < 0.25:
        return rng.choice(MENU_LOWER)
    if pick < 0.40:
        return rng.choice(MENU_UPPER)
    if pick < 0.60:
        return rng.choice(DIGITS)
    if pick < 0.72:
        return rng.choice(LETTERS)
    if pick < 0.87:
        return rng.choice(SPECIAL)
    if pick < 0.97:
        return rng.randrange(128, 256)
    return rng.randrange(256)


def key_stream(rng: random.Random, length: int) -> tuple[str, bytes]:
    """A stream in one of several styles: broad mixes, pure menu keys, and runs of one key."""
    style = rng.choice(("mixed", "mixed", "uniform", "menu", "runs"))
    if style == "mixed":
        keys = bytes(mixed_key(rng) for _ in range(length))
    elif style == "uniform":
        keys = bytes(rng.randrange(256) for _ in range(length))
    elif style == "menu":
        alphabet = b"123456" + MENU_LOWER + MENU_UPPER
        keys = bytes(rng.choice(alphabet) for _ in range(length))
    else:
        out = bytearray()
        while len(out) < length:
            out += bytes([mixed_key(rng)]) * rng.randint(1, 12)
        keys = bytes(out[:length])
    return style, keys


def key_for(rng: random.Random, letter: str, n: int, as_typed: bool = False) -> int:
    """Some key that the n-way reader turns into letter: its name, its digit, or any other."""
    form = rng.random()
    index = ord(letter) - ord("A")
    if form < 0.35:
        return ord("a") + index
    if form < 0.55:
        return ord("A") + index
    if form < 0.75:
        return ord("1") + index
    while True:
        code = mixed_key(rng)
        if games.choice_of(code, n, as_typed) == letter:
            return code


def tail(session: games.Session) -> bytes:
    return bytes(session.screen[-400:])


def weighted(rng: random.Random, table: str) -> str:
    """table like "A5B3C2": a letter with its weight."""
    letters = table[0::2]
    weights = [int(w) for w in table[1::2]]
    return rng.choices(letters, weights)[0]


def mirkweld_player(rng: random.Random, plan: str):
    state = {"seen": 0, "money": 0}

    def choose(session: games.Session, pending: list[int]) -> int:
        fresh = bytes(session.screen[state["seen"] :])
        state["seen"] = len(session.screen)
        for found in re.findall(rb"You get (\d+) dollars!", fresh):
            state["money"] += int(found)
        screen = tail(session)
        if screen.endswith(b"B. Pass.\r\n"):
            place = screen.rsplit(b"\r\n", 4)[-4]
            # The banker explores only the town, where no item lies, until money passes 120;
            # then everywhere, where finds come to nothing but on the bridge.
            wanted = plan != "banker" or state["money"] >= 120 or b"town" in place
            return key_for(rng, "A" if wanted and rng.random() < 0.9 else "B", 2)
        if screen.endswith(b"C. Pass.\r\n"):
            return key_for(rng, weighted(rng, "A9B1C1" if plan == "banker" else "A3B6C1"), 3)
        if screen.endswith(b"B. none.\r\n"):
            return key_for(rng, weighted(rng, "A9B1"), 2)
        return mixed_key(rng)

    return choose


def hooplandia_player(rng: random.Random, plan: str):
    def choose(session: games.Session, pending: list[int]) -> int:
        if tail(session).endswith(b"F. Toss the ball.\r\n"):
            table = "A5B1C1D1E1F3" if plan == "runner" else "A2B1C1D1E1F5"
            return key_for(rng, weighted(rng, table), 6)
        return mixed_key(rng)

    return choose


def golf_player(rng: random.Random, plan: str):
    def choose(session: games.Session, pending: list[int]) -> int:
        if pending:
            return pending.pop(0)
        screen = tail(session)
        if screen.endswith(b"C. Skip pole.\r\n"):
            lines = screen.split(b"\r\n")
            left_line = next(x for x in reversed(lines) if x.endswith(b"left."))
            left = int(left_line.split(b" ")[0])
            # A careful golfer takes the putter near the pole and the wedge short of it.
            if plan == "careful" and rng.random() < 0.7:
                if left <= 31:
                    pending += [key_for(rng, "E", 5), key_for(rng, "A", 3, True)]
                    return key_for(rng, "B", 3, True)
                if left <= 160:
                    pending += [key_for(rng, "D", 5), key_for(rng, "A", 3, True)]
                    return key_for(rng, "B", 3, True)
            return key_for(rng, weighted(rng, "A9B3C1"), 3, True)
        if screen.endswith(b"E. Putter\r\n"):
            return key_for(rng, weighted(rng, "A1B1C1D1E1"), 5)
        return mixed_key(rng)

    return choose


PLAYERS = {
    "mirkweld": (mirkweld_player, ("explorer", "banker")),
    "hooplandia": (hooplandia_player, ("runner", "shooter")),
    "golf": (golf_player, ("careful", "hasty")),
}


def strategic_stream(game: str, seed: int, rng: random.Random, limit: int) -> tuple[str, bytes]:
    """Keys chosen while the model plays, by a player who mostly picks sensible options, so
    that the rarer endings and thresholds come up (a home win, money past 120, the last pole)."""
    make, plans = PLAYERS[game]
    plan = rng.choice(plans)
    choose = make(rng, plan)
    chosen = bytearray()
    pending: list[int] = []

    def chooser(session: games.Session) -> int:
        if len(chosen) >= limit:
            raise games.OutOfKeys
        noise = rng.random() < 0.04 and not pending
        key = mixed_key(rng) if noise else choose(session, pending)
        chosen.append(key)
        return key

    games.run(game, seed, b"", chooser=chooser)
    return plan, bytes(chosen)


@dataclass
class Case:
    game: str
    seed: int
    keys: bytes
    style: str
    cut: str
    tick: int  # the clock value given to the program; its low 32 bits are the seed
    locale: str  # LANG for the program


def make_case(game: str, index: int, base: int) -> Case:
    rng = random.Random(f"{base}/{game}/{index}")
    seed = SPECIAL_SEEDS[index] if index < len(SPECIAL_SEEDS) else rng.getrandbits(32)
    if game in PLAYERS and rng.random() < 0.5:
        style, stream = strategic_stream(game, seed, rng, 3000)
    else:
        style, stream = key_stream(rng, 3000)
    full = games.run(game, seed, stream)
    if not full.finished:
        keys, cut = stream, "all (ran out)"
    else:
        need = full.keys_used
        choice = index % 7
        if choice in (0, 1, 2):
            keys, cut = stream[:need], "exact"
        elif choice == 3:
            keys, cut = stream[: need + rng.randint(1, 40)], "extra"
        elif choice == 4:
            keys, cut = stream[: need - 1], "one short"
        elif choice == 5:
            keys, cut = stream[: rng.randrange(need)], "mid-game"
        else:
            keys, cut = (b"", "none") if index % 14 == 6 else (stream[: rng.randrange(need)], "mid-game")
    tick = seed + ((1 << 32) * rng.randint(1, 50) if rng.random() < 0.5 else 0)
    locale = rng.choices(LOCALES, (14, 3, 3) + (4,) * (len(LOCALES) - 3))[0]
    return Case(game, seed, keys, style, cut, tick, locale)


# --------------------------------------------------------------------------------------------
# Comparison.


def split_credit(screen: bytes, game: str) -> tuple[bytes, bytes | None]:
    """The screen with its credit line replaced by the model's stand-in, and the credit line."""
    if game not in games.CREDITED:
        return screen, None
    first = screen.find(b"\r\n")
    if first < 0:
        return screen, None
    second = screen.find(b"\r\n", first + 2)
    if second < 0:
        return screen, None
    credit = screen[first + 2 : second]
    return screen[: first + 2] + games.CREDIT.encode() + screen[second:], credit


def show(text: bytes) -> str:
    return repr(text)[2:-1]


def first_difference(expected: bytes, actual: bytes) -> str:
    limit = min(len(expected), len(actual))
    at = next((i for i in range(limit) if expected[i] != actual[i]), limit)
    exp_lines = expected.split(b"\r\n")
    act_lines = actual.split(b"\r\n")
    line = expected[:at].count(b"\r\n")
    out = [f"  first difference at byte {at}, line {line + 1}"
           f" (expected {len(expected)} bytes, got {len(actual)})"]
    for n in range(max(0, line - 6), line):
        out.append(f"    {n + 1:5}   {show(exp_lines[n])}")
    out.append(f"  expected {show(exp_lines[line]) if line < len(exp_lines) else '<end>'}")
    out.append(f"    actual {show(act_lines[line]) if line < len(act_lines) else '<end>'}")
    for n in range(line + 1, min(line + 4, max(len(exp_lines), len(act_lines)))):
        e = show(exp_lines[n]) if n < len(exp_lines) else "<end>"
        a = show(act_lines[n]) if n < len(act_lines) else "<end>"
        out.append(f"    {n + 1:5} e {e}")
        out.append(f"          a {a}")
    return "\n".join(out)


def check_run(label: str, case: Case, expected: games.Result, screen: bytes, status: int,
              stderr: bytes, credits: dict, codec: str) -> list[str]:
    problems = []
    screen, credit = split_credit(screen, case.game)
    if credit is not None:
        if not credit or any(b < 32 or b == 127 for b in credit):
            problems.append(f"{label}: credit line {credit!r} is empty or holds control bytes")
        # The same words in every run, through replay and in every locale alike.
        credits.setdefault(case.game, set()).add(credit.decode(codec, errors="replace"))
    if screen != expected.screen:
        problems.append(f"{label}: screen differs\n" + first_difference(expected.screen, screen))
    if expected.finished and status != 0:
        problems.append(f"{label}: exit status {status}, expected 0 (stderr {stderr[:200]!r})")
    if not expected.finished:
        if status == 0:
            problems.append(f"{label}: exit status 0 although the keys ran out"
                            f" after {len(case.keys)} presses")
        elif not stderr.strip():
            problems.append(f"{label}: exit status {status} without a message on stderr")
    if expected.finished and stderr.strip():
        problems.append(f"{label}: stderr not empty after a completed run: {stderr[:200]!r}")
    return problems


def run_replay(replay: str, case: Case) -> tuple[bytes, int, bytes]:
    done = subprocess.run([replay, case.game, str(case.seed)], input=case.keys,
                          capture_output=True, timeout=TIMEOUT, check=False)
    return done.stdout, done.returncode, done.stderr


def program_env(shim: str, case: Case) -> dict:
    env = {k: v for k, v in os.environ.items()
           if not k.startswith("LC_") and k not in ("LANGUAGE", "LOCPATH")}
    env["LANG"] = case.locale
    if LOCPATH and case.locale in PRIVATE_LOCALES:
        env["LOCPATH"] = LOCPATH
    tick = case.tick
    env["FIXED_CLOCK_MS"] = str(tick)
    env["LD_PRELOAD"] = shim
    # A sanitizer build would refuse a preloaded library ahead of its runtime.
    asan = env.get("ASAN_OPTIONS", "")
    env["ASAN_OPTIONS"] = (asan + ":" if asan else "") + "verify_asan_link_order=0"
    return env


def run_program(path: str, shim: str, case: Case) -> tuple[bytes, int, bytes]:
    done = subprocess.run([path], input=case.keys, capture_output=True, timeout=TIMEOUT,
                          env=program_env(shim, case), check=False)
    return done.stdout, done.returncode, done.stderr


def shown_as(screen: bytes, locale: str) -> bytes:
    """The code page 850 screen as a terminal in that locale must receive it."""
    return screen.decode("cp850").encode(ENCODINGS[locale])


def add_private_locales() -> None:
    """Builds the code page 850 and Latin-1 locales in a folder of our own (LOCPATH)."""
    global LOCPATH
    folder = tempfile.mkdtemp(prefix="model-locales.")
    atexit.register(shutil.rmtree, folder, True)
    for name, (charmap, codec) in PRIVATE_LOCALES.items():
        built = subprocess.run(["localedef", "-i", name.split(".")[0], "-f", charmap,
                                os.path.join(folder, name)], capture_output=True, check=False)
        if not os.path.isdir(os.path.join(folder, name)):
            print(f"cannot build the locale {name}: {built.stderr[:200]!r}")
            continue
        LOCALES.append(name)
        ENCODINGS[name] = codec
    LOCPATH = folder


def describe(case: Case) -> str:
    return (f"{case.game} seed {case.seed} (tick {case.tick}, LANG={case.locale}),"
            f" {len(case.keys)} keys"
            f" [{case.style}, {case.cut}]: {case.keys.hex()}")


def build_shim(source: Path) -> str:
    folder = tempfile.mkdtemp(prefix="fixed_clock.")
    atexit.register(shutil.rmtree, folder, True)
    target = os.path.join(folder, "fixed_clock.so")
    subprocess.run([os.environ.get("CC", "cc"), "-shared", "-fPIC", "-O1", "-o", target,
                    str(source), "-ldl"], check=True)
    return target


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--replay", help="path of the replay tool")
    parser.add_argument("--program", action="append", default=[], metavar="GAME=PATH",
                        help="a shipped program to compare as well (repeatable)")
    parser.add_argument("--shim", help="the fixed clock library (built with cc when absent)")
    parser.add_argument("--games", default=",".join(games.GAMES),
                        help="comma-separated games to compare (default: all five)")
    parser.add_argument("--seeds", type=int, default=40, help="runs per game (default 40)")
    parser.add_argument("--more-locales", action="store_true",
                        help="also run the programs in code page 850 and Latin-1 locales"
                        " built with localedef")
    parser.add_argument("--jobs", type=int, default=2, help="runs at once (default 2)")
    parser.add_argument("--base", type=int, default=1, help="draws the seeds and keys")
    parser.add_argument("--keep-going", action="store_true",
                        help="go on after a difference (the default stops at three per game)")
    args = parser.parse_args()

    programs = dict(item.split("=", 1) for item in args.program)
    selected = [g for g in args.games.split(",") if g]
    for game in selected:
        if game not in games.GAMES:
            parser.error(f"unknown game {game}")
    shim = args.shim
    if args.more_locales and programs:
        add_private_locales()
    if programs and not shim:
        shim = build_shim(Path(__file__).resolve().parent / "fixed_clock.c")

    def one(game: str, index: int) -> tuple[Case, games.Result, list[str]]:
        case = make_case(game, index, args.base)
        expected = games.run(game, case.seed, case.keys)
        problems = []
        if args.replay:
            problems += check_run("replay", case, expected, *run_replay(args.replay, case),
                                  credits, "cp850")
        if game in programs:
            converted = games.Result(shown_as(expected.screen, case.locale), expected.finished,
                                     expected.keys_used)
            shown, status, err = run_program(programs[game], shim, case)
            problems += check_run(f"program ({case.locale})", case, converted, shown, status,
                                  err, credits, ENCODINGS[case.locale])
        return case, expected, problems

    failed_games = []
    credits: dict = {}
    total_runs = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for game in selected:
            failures = 0
            runs = 0
            finished = 0
            jobs = [pool.submit(one, game, index) for index in range(args.seeds)]
            for job in jobs:
                case, expected, problems = job.result()
                runs += 1
                finished += expected.finished
                if problems:
                    failures += 1
                    print(f"DIFFERENCE {describe(case)}")
                    for problem in problems:
                        print("  " + problem.replace("\n", "\n  "))
                    if failures >= 3 and not args.keep_going:
                        print(f"{game}: stopping after {failures} differing runs")
                        for rest in jobs:
                            rest.cancel()
                        break
            total_runs += runs
            verdict = "ok" if failures == 0 else f"{failures} differing runs"
            print(f"{game}: {runs} runs ({finished} completed, {runs - finished} out of keys),"
                  f" {verdict}", flush=True)
            if failures:
                failed_games.append(game)
    for game, seen in sorted(credits.items()):
        if len(seen) > 1:
            print(f"{game}: the credit line is not the same in every run: {sorted(seen)}")
            failed_games.append(game)
    differing = ", ".join(sorted(set(failed_games)))
    print(f"{total_runs} runs over {len(selected)} games;"
          f" {'differences in ' + differing if failed_games else 'no differences'}")
    return 1 if failed_games else 0


if __name__ == "__main__":
    sys.exit(main())
