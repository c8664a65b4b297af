"""Checks of the reference model itself against the documented screens and figures.

A model that is wrong in the same way as a game would hide the fault, so the model has to show
the known transcripts before its comparisons with the programs mean anything.
"""

import itertools
import sys
import unittest
from collections import Counter
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, str(Path(__file__).resolve().parent))

import games  # noqa: E402


def screen(*lines: str) -> bytes:
    return b"".join(line.encode("cp850") + b"\r\n" for line in lines)


class ScriptEnded(Exception):
    pass


def play_scripted(game: str, keys: bytes, rolls: list[int]) -> tuple[bytes, list[int]]:
    """Plays with given rolls until the game, the keys or the script ends; returns the screen."""
    session = games.Session(0, keys, rolls)
    original = session.roll

    def roll(k: int) -> int:
        if not session.script:
            raise ScriptEnded
        return original(k)

    session.roll = roll
    try:
        games.GAMES[game](session)
    except (ScriptEnded, games.OutOfKeys):
        pass
    return bytes(session.screen), session.asked


class Generator(unittest.TestCase):
    def test_known_outputs(self):
        g = games.Mt19937(5489)
        outputs = [g.next() for _ in range(10000)]
        self.assertEqual(outputs[0], 3499211612)
        self.assertEqual(outputs[9999], 4123659995)

    def test_roll_boundaries(self):
        cases = [
            # (u, k, roll)
            (0, 4, 0),
            (1 << 29, 4, 0),  # exactly 0.5: ties to even 0
            ((1 << 29) + 1, 4, 1),
            (3 << 29, 4, 2),  # exactly 1.5: ties to even 2
            ((3 << 29) - 1, 4, 1),
            (7 << 29, 4, 4),  # exactly 3.5: ties to even 4
            ((7 << 29) - 1, 4, 3),
            (0xFFFFFFFF, 4, 4),
            (1 << 31, 1, 0),
            ((1 << 31) + 1, 1, 1),
            (0xFFFFFFFF, 0, 0),
            (0xFFFFFFFF, 900, 900),
        ]
        for u, k, expected in cases:
            self.assertEqual(games.roll_of(u, k), expected, (u, k))


class ChoiceKeys(unittest.TestCase):
    def test_documented_table(self):
        # key: 2-way, 3-way, 3-way as typed, 4-way, 5-way, 6-way
        table = {
            0: "AAAAAA",
            13: "BBBBDB",
            27: "BAADCD",
            32: "ACCACC",
            48: "AAAADA",
            55: "BBBDAB",
            57: "BAABCD",
            120: "AAAAAA",
            88: "AABAAA",
            90: "ACACCC",
        }
        for code, letters in table.items():
            got = (
                games.choice_of(code, 2)
                + games.choice_of(code, 3)
                + games.choice_of(code, 3, as_typed=True)
                + games.choice_of(code, 4)
                + games.choice_of(code, 5)
                + games.choice_of(code, 6)
            )
            self.assertEqual(got, letters, code)
        self.assertEqual(games.choice_of(ord("3"), 2), "B")
        for key in "1aA":
            self.assertEqual(games.choice_of(ord(key), 6), "A")
        self.assertEqual(games.choice_of(ord("C"), 3, as_typed=True), "C")

    def test_one_or_zero(self):
        for key, digit in [("a", "1"), ("A", "1"), ("c", "1"), ("1", "1"), ("\r", "1"),
                           ("b", "0"), ("0", "0"), (" ", "0"), ("\0", "0")]:
            self.assertEqual(games.one_or_zero_of(ord(key)), digit, key)


class Burpleton(unittest.TestCase):
    def test_tie_breaks(self):
        cases = [
            # bet key, lengths, winner line, bet won
            ("c", [5, 7, 7, 7], "Sam wins.", True),
            ("d", [5, 7, 7, 3], "George wins.", False),
            ("a", [6, 6, 2, 6], "Brian wins.", True),
            ("b", [4, 4, 9, 1], "Sam wins.", False),
        ]
        for bet, lengths, winner, won in cases:
            out, asked = play_scripted("burpleton", (bet + "xxxxxxxx").encode(),
                                       [n - 1 for n in lengths])
            self.assertEqual(asked, [9, 9, 9, 9])
            tail = screen(winner, "And you win!") if won else screen(winner)
            self.assertTrue(out.endswith(tail), (bet, lengths, out))

    def test_whole_screen(self):
        out, _ = play_scripted("burpleton", b"3" + b"00" * 4, [0, 9, 4, 4])
        self.assertEqual(out, screen(
            "BURPLETON.", games.CREDIT, "", "Who is going to win this?",
            "A. Brian.", "B. George.", "C. Sam.", "D. Elliot.", "C.", "",
            "Brian is going to belch.", "He is ready.", "BURP.", "",
            "George is going to belch.", "He is ready.", "BUUUUUUUUUURP.", "",
            "Sam is going to belch.", "He is ready.", "BUUUUURP.", "",
            "Elliot is going to belch.", "He is ready.", "BUUUUURP.", "",
            "George wins."))


class Rouladix(unittest.TestCase):
    def test_bands_over_all_answer_sets(self):
        verdicts = Counter()
        for answers in itertools.product("abcd", repeat=4):
            result = games.run("rouladix", 1, "".join(answers).encode() + b"\r")
            self.assertTrue(result.finished)
            self.assertEqual(result.asked, [])
            verdicts[result.screen.split(b"\r\n")[-4]] += 1
        self.assertEqual(verdicts, {
            "Vous ne savez pas conduire!".encode("cp850"): 11,
            "Vous conduisez de manière dangereuse.".encode("cp850"): 113,
            "Vous avez une conduite spéciale.".encode("cp850"): 112,
            "Vous savez conduire!".encode("cp850"): 20,
        })

    def test_band_edges(self):
        cases = [
            ("abab", "Vous savez conduire!"),
            ("cadd", "Vous ne savez pas conduire!"),
            ("cabd", "Vous ne savez pas conduire!"),
            ("babd", "Vous conduisez de manière dangereuse."),
            ("aabd", "Vous conduisez de manière dangereuse."),
            ("cccc", "Vous conduisez de manière dangereuse."),
            ("dddd", "Vous conduisez de manière dangereuse."),
            ("aacc", "Vous avez une conduite spéciale."),
            ("aaaa", "Vous avez une conduite spéciale."),
            ("aaab", "Vous savez conduire!"),
        ]
        for answers, verdict in cases:
            result = games.run("rouladix", 1, answers.encode() + b" ")
            self.assertTrue(result.screen.endswith(
                screen("Manifestement...", verdict, "", "Heurtez une touche pour finir.")), answers)

    def test_bytes_outside_ascii(self):
        out = games.run("rouladix", 1, b"abcd ").screen
        for byte in (0x82, 0x85, 0x88, 0x8A, 0x93, 0xB7):
            self.assertIn(bytes([byte]), out)
        self.assertIn(b"\xb7 un feu rouge, vous:\r\n", out)
        self.assertIn(b"D. Fixez l'horizon.\r\n", out)


class Hooplandia(unittest.TestCase):
    def test_opening_and_stretch(self):
        rolls = [0,  # away draw: Sniffers
                 0, 1,  # tip-off: home, slot 2
                 0,  # dribble kept
                 0,  # pass completed
                 1,  # drop
                 1, 3,  # tip-off: away, slot 4
                 0, 0,  # action 1 above midcourt: dribble kept
                 0, 0, 0]  # action 1 at midcourt: pass to entry 1, kept
        out, asked = play_scripted("hooplandia", b"bada", rolls)
        self.assertEqual(asked, [2, 1, 4, 5, 5, 3, 1, 4, 2, 5, 2, 3, 4])
        menu = ["A. Dribble.", "B. Pass to Felix Fudgewick.", "C. Pass to Bertha Noodleby.",
                "D. Pass to Morley Bink.", "E. Pass to Barry Loafton.", "F. Toss the ball."]
        self.assertEqual(out, screen(
            "HOOPLANDIA.", games.CREDIT, "",
            "Choose one team.", "A. Sniffers.", "B. Smoothies.", "C. Douches.",
            "************", "Tonight:", "Smoothies against Sniffers.", "************",
            "The game begins!",
            "Daisy Blanket gets the ball.", *menu, "A.", "Dribbles.", *menu, "D.", "Passes.",
            "Morley Bink gets the ball.",
            "A. Dribble.", "B. Pass to Felix Fudgewick.", "C. Pass to Daisy Blanket.",
            "D. Pass to Bertha Noodleby.", "E. Pass to Barry Loafton.", "F. Toss the ball.",
            "A.", "Drops the ball.", "The ball bounces away.", "Leandro Fastidioso gets the ball.",
            "Dribbles.", "Passes the ball.", "Walt Brimblecum gets the ball."))

    def test_far_basket(self):
        rolls = [0,  # away draw 1 is the home team: Smoothies
                 0, 0,  # tip-off: home slot 1
                 0,  # dribble kept: position 4
                 1,  # pass dropped
                 1, 0,  # tip-off: away slot 1
                 1,  # action 2: shot
                 5, 0,  # 5 + 2 + 0
                 1, 0]  # tip-off: away slot 1
        out, _ = play_scripted("hooplandia", b"aab", rolls)
        self.assertTrue(out.endswith(screen(
            "Felix Fudgewick gets the ball.", "Tosses the ball.", "Scores!",
            "3 points from far away!", "Home: 0 Away: 3", "Felix Fudgewick gets the ball.")), out)

    def test_home_win(self):
        rolls = [0, 0, 2] + [5, 6, 0, 2] * 2 + [5, 6]
        result = games.run("hooplandia", 0, b"afff ", rolls)
        self.assertTrue(result.finished)
        self.assertTrue(result.screen.endswith(
            screen("F.", "Tosses the ball.", "Scores!", "Home: 6 Away: 0", "You win.")
            + b"Hit a key to end."), result.screen)


class Golf(unittest.TestCase):
    def test_sample_pole(self):
        rolls = [152, 1, 57, 20,  # 412 yards, sand, far edge 295, near edge 235
                 10,  # 1 Wood: 310
                 60]  # sand wedge: 110, stops at 102
        out, asked = play_scripted("golf", b"abda", rolls)
        self.assertEqual(asked, [900, 2, 120, 30, 300, 100])
        self.assertEqual(out, screen(
            "GOLF.", games.CREDIT, "",
            "Pole 1.", "412 yards left.", "There is sand 235 yards away.",
            "A. Hit the ball.", "B. Change club.", "C. Skip pole.", "A",
            "You hit the ball.", "It went 310 yards away.",
            "102 yards left.", "A. Hit the ball.", "B. Change club.", "C. Skip pole.", "B",
            "", "Club choices:", "A. W1", "B. W3", "C. I7", "D. SW", "E. Putter", "D",
            "Sand wedge was chosen.", "",
            "102 yards left.", "A. Hit the ball.", "B. Change club.", "C. Skip pole.", "A",
            "You hit the ball.", "It went 102 yards away.", "Woo hoo! To the next pole.",
            "", "Score on that pole: 2.", "Total score: 2.", ""))

    def test_skip_every_pole(self):
        result = games.run("golf", 7, b"c" * 18 + b"x")
        self.assertTrue(result.finished)
        self.assertEqual(result.screen.count(b"To the next pole.\r\n"), 18)
        self.assertTrue(result.screen.endswith(
            screen("To the next pole.", "", "Score on that pole: 0.", "Total score: 0.", "",
                   "Hit a key to end the game.")))

    def test_water_penalty(self):
        # 260 yards, water from 100 to 160; a putt of 30, then the sand wedge onto its near edge.
        out, _ = play_scripted("golf", b"beabdabaa", [0, 0, 0, 0, 29, 20, 300])
        self.assertIn(screen("It went 30 yards away.", "230 yards left.",
                             "There is water 70 yards away."), out)
        self.assertIn(screen("It went 70 yards away.", "The ball goes in the water.",
                             "1 hit added to your score.",
                             "A new ball is landed next to the lake.", "164 yards left.",
                             "There is water 4 yards away."), out)
        self.assertIn(screen("It went 164 yards away.", "Woo hoo! To the next pole.", "",
                             "Score on that pole: 4."), out)


class Mirkweld(unittest.TestCase):
    def test_fight_and_pass(self):
        rolls = [0,  # bridge
                 1,  # explore: Yululup
                 0,  # player's blow: 10
                 0,  # Yululup's blow: 8
                 4]  # next turn: dance floor
        out, asked = play_scripted("mirkweld", b"aa2", rolls)
        self.assertEqual(asked, [4, 9, 5, 5, 4])
        self.assertEqual(out, screen(
            "MIRKWELD RPG 2.", "", "You are on a bridge.", "A. Explore.", "B. Pass.", "A",
            "You are assaulted by a Yululup!", "A. Hit.", "B. Item.", "C. Pass.", "A",
            "10 hits.", "The Yululup jumps on you!", "8 hits.", "The Yululup is k.o.",
            "", "You are on a dance floor.", "A. Explore.", "B. Pass.", "B"))

    def test_win_scores_500_plus(self):
        rolls = [2, 2, 10,  # town, money 12
                 0, 2, 1,  # bridge, item: cigar
                 0, 2, 1]  # bridge, item: cigar again becomes the trap
        out, _ = play_scripted("mirkweld", b"aaa", rolls)
        self.assertTrue(out.endswith(screen(
            "You get a cinnamon cigar!", "", "You are on a bridge.", "A. Explore.", "B. Pass.",
            "A", "You get a telephone trap!", "You win.", "", "Final score: 512.", "",
            "Hit a key to exit.")), out)

    def test_knock_out(self):
        # Yululup's strongest blow, 13, knocks out a player at 11 who passes.
        result = games.run("mirkweld", 0, b"ac ", [0, 1, 5])
        self.assertTrue(result.finished)
        self.assertTrue(result.screen.endswith(screen(
            "C", "The Yululup jumps on you!", "13 hits.", "You are k.o.", "",
            "Final score: 0.", "", "Hit a key to exit.")), result.screen)


if __name__ == "__main__":
    unittest.main()
