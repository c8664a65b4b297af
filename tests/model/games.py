"""Reference model of the five console games, written apart from the C++ sources.

Each game is a function over a Session: it writes code page 850 bytes with CR LF line ends, reads
one key press at a time and draws chance only through Session.roll. run() plays a game and then
the frame's closing key wait, exactly as the programs do, and tells whether the keys lasted.
"""

from __future__ import annotations

from dataclasses import dataclass, field
from typing import Callable

# The credit line under the title is the implementer's own wording; the model writes this
# stand-in, and the comparison leaves that line out on both sides.
CREDIT = "<credit line>"

# The games whose second line is a credit line.
CREDITED = frozenset({"burpleton", "rouladix", "hooplandia", "golf"})


class OutOfKeys(Exception):
    """The key stream ended while the game waited for a press."""


class Mt19937:
    """The 32-bit Mersenne Twister with its standard tempering and 32-bit seeding."""

    N = 624
    M = 397

    def __init__(self, seed: int) -> None:
        mt = [0] * self.N
        mt[0] = seed & 0xFFFFFFFF
        for i in range(1, self.N):
            mt[i] = (1812433253 * (mt[i - 1] ^ (mt[i - 1] >> 30)) + i) & 0xFFFFFFFF
        self.mt = mt
        self.index = self.N

    def _twist(self) -> None:
        mt = self.mt
        n, m = self.N, self.M
        for i in range(n):
            y = (mt[i] & 0x80000000) | (mt[(i + 1) % n] & 0x7FFFFFFF)
            value = mt[(i + m) % n] ^ (y >> 1)
            if y & 1:
                value ^= 0x9908B0DF
            mt[i] = value
        self.index = 0

    def next(self) -> int:
        if self.index >= self.N:
            self._twist()
        y = self.mt[self.index]
        self.index += 1
        y ^= y >> 11
        y ^= (y << 7) & 0x9D2C5680
        y ^= (y << 15) & 0xEFC60000
        y ^= y >> 18
        return y & 0xFFFFFFFF


def roll_of(u: int, k: int) -> int:
    """u / 2^32 * k rounded to the nearest integer, an exact half going to the even neighbour."""
    product = u * k
    whole, rest = divmod(product, 1 << 32)
    half = 1 << 31
    if rest > half or (rest == half and whole % 2 == 1):
        whole += 1
    return whole


def lower_case(code: int) -> int:
    return code + 32 if ord("A") <= code <= ord("Z") else code


def choice_of(code: int, n: int, as_typed: bool = False) -> str:
    """The letter an n-way choice reader makes of one key code."""
    c = code if as_typed else lower_case(code)
    if ord("1") <= c < ord("1") + n:
        return chr(ord("A") + c - ord("1"))
    if ord("a") <= c < ord("a") + n:
        return chr(ord("A") + c - ord("a"))
    if as_typed and ord("A") <= c < ord("A") + n:
        return chr(c)
    return chr(ord("A") + c % n)


def one_or_zero_of(code: int) -> str:
    c = lower_case(code)
    return "1" if c == ord("a") else chr(ord("0") + c % 2)


class Session:
    """The screen, the key stream and the pseudo-random source of one run."""

    def __init__(self, seed: int, keys: bytes, script: list[int] | None = None,
                 chooser: Callable[[Session], int] | None = None) -> None:
        self.generator = Mt19937(seed)
        self.chooser = chooser
        self.script = None if script is None else list(script)
        self.keys = bytes(keys)
        self.used = 0
        self.screen = bytearray()
        self.asked: list[int] = []

    # Output.
    def text(self, text: str) -> None:
        self.screen += text.encode("cp850")

    def number(self, value: int) -> None:
        self.text(str(value))

    def end_line(self) -> None:
        self.screen += b"\r\n"

    def line(self, text: str = "") -> None:
        self.text(text)
        self.end_line()

    # Chance: one generator output per roll, a roll of 0 included.
    def roll(self, k: int) -> int:
        self.asked.append(k)
        if self.script is not None:
            value = self.script.pop(0)
            if not 0 <= value <= k:
                raise ValueError(f"scripted roll {value} outside 0..{k}")
            return value
        return roll_of(self.generator.next(), k)

    # Keys.
    def key(self) -> int:
        if self.used < len(self.keys):
            code = self.keys[self.used]
        elif self.chooser is not None:
            code = self.chooser(self)
        else:
            raise OutOfKeys
        self.used += 1
        return code

    def choice(self, n: int, as_typed: bool = False) -> str:
        return choice_of(self.key(), n, as_typed)

    def one_or_zero(self) -> str:
        return one_or_zero_of(self.key())

    def key_wait(self) -> None:
        self.key()


@dataclass
class Result:
    screen: bytes
    finished: bool
    keys_used: int
    asked: list[int] = field(default_factory=list)


def run(game: str, seed: int, keys: bytes, script: list[int] | None = None,
        chooser: Callable[[Session], int] | None = None) -> Result:
    """Plays the game and the closing key wait; finished is False when the keys ran out first.

    With a script the rolls are taken from it in order instead of from the generator. A chooser
    is asked for every key past the given ones (it raises OutOfKeys to stop)."""
    session = Session(seed, keys, script, chooser)
    try:
        GAMES[game](session)
        session.key_wait()
        finished = True
    except OutOfKeys:
        finished = False
    return Result(bytes(session.screen), finished, session.used, session.asked)


# --------------------------------------------------------------------------------------------
# mirkweld: the tour and its encounters.

MIRK_NO_NEWS = "No news."
MIRK_ITEMS = ("fabulous flute", "cinnamon cigar", "telephone trap")
MIRK_CREATURES = ("Bensneth", "Yululup", "Babof")
# life, attack, attack bonus, defence
MIRK_CREATURE_VALUES = ((15, 3, 1, 4), (5, 7, 4, 3), (9, 3, 3, 2))
# place line, life gain, explore constant
MIRK_PLACES = (
    ("You are on a bridge.", 2, 9),
    ("You are on a dock.", 3, 9),
    ("You are in town.", 5, 9),
    ("You are in a park.", 6, 9),
    ("You are on a dance floor.", 1, 3),
)


class Fighter:
    def __init__(self, life: int, attack_bonus: int, defence: int, attack: int, max_life: int):
        self.life = life
        self.attack_bonus = attack_bonus
        self.defence = defence
        self.attack = attack
        self.max_life = max_life


def mirkweld(s: Session) -> None:
    held = [0] * 6  # slots 1..5
    state = {"held": 0, "money": 0, "bonus": 0}
    s.line("MIRKWELD RPG 2.")
    player = Fighter(life=9, attack_bonus=6, defence=3, attack=7, max_life=11)

    def blow(attacker: Fighter, defender: Fighter, by_player: bool) -> None:
        damage = s.roll(5) + attacker.attack + attacker.attack_bonus - defender.defence
        if damage < 0:
            damage = 0
        defender.life -= damage
        s.number(damage)
        if by_player:
            s.line(" hit." if damage < 2 else " hits.")
        else:
            s.line(" hits." if damage > 0 else " hit.")

    def encounter(index: int) -> None:
        fighting = True
        calmed = False
        name = MIRK_CREATURES[index]
        s.line("You are assaulted by a " + name + "!")
        life, attack, attack_bonus, defence = MIRK_CREATURE_VALUES[index]
        creature = Fighter(life, attack_bonus, defence, attack, 0)
        while fighting:
            s.line("A. Hit.")
            s.line("B. Item.")
            s.line("C. Pass.")
            letter = s.choice(3)
            s.line(letter)
            if letter == "A":
                blow(player, creature, True)
            elif letter == "B":
                if state["held"] == 0:
                    s.line("No item yet there.")
                else:
                    item = held[1]
                    s.line("A. " + MIRK_ITEMS[item])
                    s.line("B. none.")
                    answer = s.choice(2)
                    s.line(answer)
                    if answer == "A":
                        if item == 0:
                            if s.roll(4) == 1:
                                s.line("The " + name + " listens to the flute.")
                                if state["bonus"] < 120:
                                    state["bonus"] += 4
                                calmed = True
                            else:
                                s.line(MIRK_NO_NEWS)
                        elif item == 1:
                            if s.roll(2) == 1:
                                s.line("The " + name + " smokes that cigar.")
                                if state["bonus"] < 120:
                                    state["bonus"] += 2
                                calmed = True
                            else:
                                s.line(MIRK_NO_NEWS)
                        else:
                            if s.roll(2) == 1:
                                s.line("The " + name + " answers on its phone")
                                s.line("and walks away.")
                                fighting = False
                            else:
                                s.line(MIRK_NO_NEWS)
            if calmed:
                calmed = False
            else:
                s.line("The " + name + " jumps on you!")
                blow(creature, player, False)
            if creature.life < 1:
                s.line("The " + name + " is k.o.")
                fighting = False
            if player.life < 1:
                s.line("You are k.o.")
                s.line()
                fighting = False

    def money_find(k: int) -> None:
        amount = s.roll(k) + 2
        s.line("You get " + str(amount) + " dollars!")
        state["money"] += amount

    def item_find() -> None:
        state["held"] += 1
        index = s.roll(2)
        if state["held"] > 1 and index == held[1]:
            index += 1
            if index == 3:
                index = 0
        s.line("You get a " + MIRK_ITEMS[index] + "!")
        held[state["held"]] = index

    def score_lines(score: int) -> None:
        s.line("Final score: " + str(score) + ".")
        s.line()
        s.line("Hit a key to exit.")

    playing = True
    while playing:
        place = s.roll(4)
        s.line()
        place_line, gain, constant = MIRK_PLACES[place]
        s.line(place_line)
        s.line("A. Explore.")
        s.line("B. Pass.")
        letter = s.choice(2)
        s.line(letter)
        if letter == "A":
            outcome = s.roll(constant)
            player.life += gain
            if player.life > player.max_life:
                player.life = player.max_life
            rich = state["money"] >= 120
            if place == 0:  # bridge
                if outcome == 1:
                    encounter(1)
                elif outcome == 2:
                    item_find()
                else:
                    s.line(MIRK_NO_NEWS)
            elif place == 1:  # dock
                if outcome == 1:
                    encounter(2)
                elif outcome == 2:
                    if not rich:
                        item_find()
                else:
                    s.line(MIRK_NO_NEWS)
            elif place == 2:  # town
                if outcome == 1:
                    encounter(0)
                elif outcome == 2:
                    if not rich:
                        money_find(20)
                else:
                    s.line(MIRK_NO_NEWS)
            elif place == 3:  # park
                if outcome == 1:
                    encounter(2)
                elif outcome == 2:
                    if not rich:
                        item_find()
                elif outcome == 3:
                    encounter(1)
                elif outcome == 4:
                    if not rich:
                        money_find(5)
                else:
                    s.line(MIRK_NO_NEWS)
            else:  # dance floor
                if outcome == 1:
                    encounter(1)
                elif outcome == 2:
                    if not rich:
                        money_find(5)
                else:
                    s.line(MIRK_NO_NEWS)
        if player.life < 1:
            playing = False
            score_lines(state["bonus"] + state["money"])
        if state["held"] > 1:
            playing = False
            s.line("You win.")
            s.line()
            score_lines(500 + state["bonus"] + state["money"])


# --------------------------------------------------------------------------------------------
# hooplandia: the basketball match.

HOOP_TEAMS = ("Sniffers", "Smoothies", "Douches")
HOOP_MENU = ("A. Sniffers.", "B. Smoothies.", "C. Douches.")
# name, dribbling, passing, shooting; slots 1..5 of teams 1..3
HOOP_ROSTER = (
    (
        ("Walt Brimblecum", 4, 4, 3),
        ("Mindy Q Fox", 2, 2, 5),
        ("Pablo Trumpet", 4, 1, 6),
        ("Leandro Fastidioso", 5, 4, 5),
        ("Hurst Wobblefoot", 3, 3, 2),
    ),
    (
        ("Felix Fudgewick", 1, 1, 2),
        ("Daisy Blanket", 5, 5, 6),
        ("Bertha Noodleby", 3, 3, 5),
        ("Morley Bink", 3, 3, 2),
        ("Barry Loafton", 4, 3, 4),
    ),
    (
        ("Odette Swoop", 4, 2, 2),
        ("Benny Quillan", 6, 2, 4),
        ("Terry Mopple", 2, 2, 1),
        ("Ned Parsnipes", 1, 1, 0),
        ("Olive Stegosaurus", 2, 4, 2),
    ),
)
HOOP_RULE = "************"
HOOP_DROPS = "Drops the ball."
HOOP_DRIBBLES = "Dribbles."
HOOP_TOSSES = "Tosses the ball."
HOOP_MISSES = "Misses the basket."
HOOP_SCORES = "Scores!"


def hooplandia(s: Session) -> None:
    s.line("HOOPLANDIA.")
    s.line(CREDIT)
    s.line()
    m = {"home_score": 0, "away_score": 0, "position": 3, "possession": 0, "holder": 1}
    s.line("Choose one team.")
    for text in HOOP_MENU:
        s.line(text)
    home = "ABC".index(s.choice(3)) + 1
    away = s.roll(2) + 1
    if away == home:
        away = 1 if away == 3 else away + 1
    s.line(HOOP_RULE)
    s.line("Tonight:")
    s.line(HOOP_TEAMS[home - 1] + " against " + HOOP_TEAMS[away - 1] + ".")
    s.line(HOOP_RULE)
    s.line("The game begins!")
    sheets = {1: HOOP_ROSTER[home - 1], 2: HOOP_ROSTER[away - 1]}
    running = [True]

    def player(side: int, slot: int):
        return sheets[side][slot - 1]

    def gets_the_ball(side: int, slot: int) -> None:
        s.line(player(side, slot)[0] + " gets the ball.")

    def mates() -> list[int]:
        return [slot for slot in range(1, 6) if slot != m["holder"]]

    def tip_off() -> None:
        side = s.roll(1)
        m["holder"] = s.roll(4) + 1
        possession = 1 if side == 0 else 2
        gets_the_ball(possession, m["holder"])
        m["possession"] = possession

    def score_line() -> None:
        s.line("Home: " + str(m["home_score"]) + " Away: " + str(m["away_score"]))

    def home_shot() -> None:
        s.line(HOOP_TOSSES)
        total = s.roll(5)
        total += m["position"] - 3
        total += s.roll(player(1, m["holder"])[3])
        if total <= 5:
            s.line(HOOP_MISSES)
        else:
            s.line(HOOP_SCORES)
            m["home_score"] += 2
            m["position"] = 3
            score_line()
            if m["home_score"] >= 5:
                s.line("You win.")
                running[0] = False
        m["possession"] = 0
        if running[0]:
            tip_off()

    def away_shot() -> None:
        s.line(HOOP_TOSSES)
        total = s.roll(5)
        total += abs(m["position"] - 6)
        total += s.roll(player(2, m["holder"])[3])
        if total <= 5:
            s.line(HOOP_MISSES)
        else:
            s.line(HOOP_SCORES)
            m["away_score"] += 2
            if m["position"] > 3:
                s.line("3 points from far away!")
                m["away_score"] += 1
            score_line()
            m["position"] = 3
            if m["away_score"] >= 5:
                s.line("They win.")
                running[0] = False
        m["possession"] = 0
        if running[0]:
            tip_off()

    def home_action() -> None:
        team = mates()
        s.line("A. Dribble.")
        for letter, slot in zip("BCDE", team):
            s.line(letter + ". Pass to " + player(1, slot)[0] + ".")
        s.line("F. Toss the ball.")
        letter = s.choice(6)
        s.line(letter + ".")
        holder = player(1, m["holder"])
        if letter == "A":
            if s.roll(holder[1]) == 1:
                s.line(HOOP_DROPS)
                m["possession"] = 0
            else:
                s.line(HOOP_DRIBBLES)
                m["position"] = min(m["position"] + 1, 6)
        elif letter in "BCDE":
            if s.roll(holder[2]) == 1:
                s.line(HOOP_DROPS)
                m["possession"] = 0
            else:
                m["holder"] = team["BCDE".index(letter)]
                s.line("Passes.")
                gets_the_ball(1, m["holder"])
        else:
            home_shot()

    def away_dribble() -> None:
        s.line(HOOP_DRIBBLES)
        if s.roll(player(2, m["holder"])[1]) == 1:
            s.line(HOOP_DROPS)
            m["possession"] = 0
        else:
            m["position"] -= 1

    def away_pass() -> None:
        team = mates()
        s.line("Passes the ball.")
        receiver = s.roll(3) + 1
        if s.roll(player(2, m["holder"])[2]) == 1:
            s.line(HOOP_DROPS)
            m["possession"] = 0
        else:
            gets_the_ball(2, team[receiver - 1])
            m["holder"] = team[receiver - 1]

    def away_action() -> None:
        action = s.roll(2) + 1
        if action == 1:
            if m["position"] > 3:
                away_dribble()
            else:
                away_pass()
        elif action == 2:
            away_shot()
        else:
            if s.roll(2) + 1 == 1:
                away_shot()
            else:
                away_pass()

    tip_off()
    while running[0]:
        if m["possession"] == 0:
            s.line("The ball bounces away.")
            tip_off()
        elif m["possession"] == 1:
            home_action()
        else:
            away_action()
    s.text("Hit a key to end.")


# --------------------------------------------------------------------------------------------
# golf: 18 poles.

# menu line, name, normal (base, spread), sand (base, spread)
GOLF_CLUBS = (
    ("A. W1", "1 Wood", (300, 300), (10, 10)),
    ("B. W3", "3 Wood", (250, 220), (5, 15)),
    ("C. I7", "7 Iron", (150, 130), (15, 25)),
    ("D. SW", "Sand wedge", (50, 100), (60, 100)),
    ("E. Putter", "Putter", (1, 30), (1, 5)),
)
GOLF_WATER, GOLF_SAND, GOLF_SLOPE = 0, 1, 2
GOLF_HAZARD_LINES = ("There is water ", "There is sand ", "There is a slope ")


def golf(s: Session) -> None:
    s.line("GOLF.")
    s.line(CREDIT)
    s.line()
    pole = 1
    strokes = 0
    total = 0
    while pole < 19:
        club = 1
        in_play = True
        sand_lie = False
        length = 260 + s.roll(900)
        ball = 0
        kind = s.roll(2)
        if kind == GOLF_WATER:
            far = length - 100 - s.roll(60)
            near = far - 60 - s.roll(30)
        elif kind == GOLF_SAND:
            far = length - 60 - s.roll(120)
            near = far - 40 - s.roll(30)
        else:
            far = length - 10 - s.roll(170)
            near = far - 10 - s.roll(35)
        s.line("Pole " + str(pole) + ".")
        while in_play:
            left = length - ball
            s.number(left)
            s.line(" yard left." if left < 2 else " yards left.")
            if near > ball:
                away = near - ball
                s.text(GOLF_HAZARD_LINES[kind])
                s.number(away)
                s.line(" yard away." if away < 2 else " yards away.")
            s.line("A. Hit the ball.")
            s.line("B. Change club.")
            s.line("C. Skip pole.")
            letter = s.choice(3, as_typed=True)
            s.line(letter)
            if letter == "A":
                base, spread = GOLF_CLUBS[club - 1][3 if sand_lie else 2]
                hit = base + s.roll(spread)
                s.line("You hit the ball.")
                if hit > left:
                    hit = left
                s.text("It went ")
                s.number(hit)
                s.line(" yard away." if hit < 2 else " yards away.")
                ball += hit
                sand_lie = False
                if near <= ball <= far:
                    if kind == GOLF_SLOPE:
                        s.line("The ball lands on a slope.")
                        s.line("And rolls all the way down.")
                        ball = near - 1
                    elif kind == GOLF_SAND:
                        s.line("Your ball is on the sand.")
                        sand_lie = True
                    else:
                        s.line("The ball goes in the water.")
                        s.line("1 hit added to your score.")
                        s.line("A new ball is landed next to the lake.")
                        strokes += 1
                        ball = near - 4
                strokes += 1
                if ball >= length:
                    pole += 1
                    s.line("Woo hoo! To the beach." if pole > 18 else "Woo hoo! To the next pole.")
                    in_play = False
            elif letter == "B":
                s.line()
                s.line("Club choices:")
                for entry in GOLF_CLUBS:
                    s.line(entry[0])
                chosen = s.choice(5)
                club = "ABCDE".index(chosen) + 1
                s.line(chosen)
                s.line(GOLF_CLUBS[club - 1][1] + " was chosen.")
                s.line()
            else:
                s.line("To the next pole.")
                pole += 1
                in_play = False
        total += strokes
        s.line()
        s.line("Score on that pole: " + str(strokes) + ".")
        s.line("Total score: " + str(total) + ".")
        s.line()
        strokes = 0
    s.line("Hit a key to end the game.")


# --------------------------------------------------------------------------------------------
# burpleton: the belching contest.

BURP_NAMES = ("Brian", "George", "Sam", "Elliot")


def burpleton(s: Session) -> None:
    s.line("BURPLETON.")
    s.line(CREDIT)
    s.line()
    s.line("Who is going to win this?")
    for letter, name in zip("ABCD", BURP_NAMES):
        s.line(letter + ". " + name + ".")
    bet_letter = s.choice(4)
    bet = "ABCD".index(bet_letter) + 1
    s.line(bet_letter + ".")
    s.line()
    longest = 0
    leader = 0
    for n in range(1, 5):
        s.line(BURP_NAMES[n - 1] + " is going to belch.")
        s.one_or_zero()
        s.line("He is ready.")
        length = s.roll(9) + 1
        if length == longest and n == bet:
            leader = n
        if length > longest:
            longest = length
            leader = n
        s.one_or_zero()
        s.line("B" + "U" * length + "RP.")
        s.line()
    s.line(BURP_NAMES[leader - 1] + " wins.")
    if leader == bet:
        s.line("And you win!")


# --------------------------------------------------------------------------------------------
# rouladix: the driving quiz.

ROUL_LEFT = "B. Virez à gauche."
ROUL_QUESTIONS = (
    (
        "À un feu rouge, vous:",
        (("A. Arrêtez.", 5), (ROUL_LEFT, 1), ("C. Continuez.", 0), ("D. Fixez l'horizon.", 2)),
    ),
    (
        "Durant un virage à gauche, vous:",
        (
            ("A. Virez à droite.", 1),
            (ROUL_LEFT, 5),
            ("C. Fixez l'horizon.", 2),
            ("D. Couvrez vos angles morts.", 3),
        ),
    ),
    (
        "Votre voiture est:",
        (
            ("A. Immatriculée.", 5),
            ("B. Maculée.", 3),
            ("C. Brisée.", 2),
            ("D. Un modèle réduit sur la tablette.", 1),
        ),
    ),
    (
        "Votre manoeuvre préférée en voiture est:",
        (
            ("A. Le U turn.", 4),
            ("B. Le stationnement à reculons.", 5),
            ("C. Le dérapage contrôlé.", 3),
            ("D. Le 360 degrés dans les airs.", 1),
        ),
    ),
)
ROUL_VERDICTS = (
    (5, "Vous ne savez pas conduire!"),
    (10, "Vous conduisez de manière dangereuse."),
    (15, "Vous avez une conduite spéciale."),
    (20, "Vous savez conduire!"),
)


def rouladix(s: Session) -> None:
    s.line("ROULADIX.")
    s.line(CREDIT)
    s.line()
    score = 0
    for prompt, options in ROUL_QUESTIONS:
        s.line(prompt)
        for text, _ in options:
            s.line(text)
        letter = s.choice(4)
        s.line(letter + ".")
        s.line()
        score += options["ABCD".index(letter)][1]
    s.line("Manifestement...")
    for top, verdict in ROUL_VERDICTS:
        if score <= top:
            s.line(verdict)
            break
    s.line()
    s.line("Heurtez une touche pour finir.")


GAMES = {
    "mirkweld": mirkweld,
    "hooplandia": hooplandia,
    "golf": golf,
    "burpleton": burpleton,
    "rouladix": rouladix,
}
