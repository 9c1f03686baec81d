#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Records the demo corpus: real games played headless by zapwall-sim with the input of a scripted
human player, each kept with the state it ends in.

    make_demos.py BUILD_DIR [NAME...]

The player looks at the game (zapwall-sim --out after the steps played so far), then acts after a
reaction delay: it moves the bat towards where it expects the nearest approaching ball, misjudging
by a few pixels and now and then by a lot, releases a resting ball, resumes after a level,
pauses, and quits where the demo says. Its choices come from a random generator seeded by the
demo's name, so a run makes the same inputs again as long as the rules are unchanged. The demo's
game is then recorded with --record from those inputs, replayed with --save into a scratch folder,
and its end (players.ko, hall.ko, a digest of the --out state) written beside it: see
run_demos.sh and HACKING.md's "Replays".
"""

import json
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

from demo_list import DEMOS

HERE = os.path.dirname(os.path.abspath(__file__))

SPACE, ESC, UP, DOWN, P = 32, 27, 38, 40, 80
BAT_X = 440        # the bat's left edge
BALL_SIZE = 12
BALL_BOTTOM = 475 - BALL_SIZE
BAT_SPEED = 3      # pixels a step with an arrow held
BAT_LOWEST = 415   # BatTop with the bat at the bottom (its normal height)
LOOK_EVERY = 40    # the longest the player goes without looking again
SAVED = ("players.ko", "hall.ko")  # what a game writes with --save


def roster_bytes(players):
    """players.ko: the highest index, then per player its name (Windows-1250 codes plus 2), spare
    balls, IQ and level, all signed 16-bit little-endian."""
    out = struct.pack("<h", len(players) - 1)
    for name, balls, iq, level in players:
        codes = name.encode("cp1250")
        out += struct.pack("<h", len(codes))
        out += b"".join(struct.pack("<h", c + 2) for c in codes)
        out += struct.pack("<hhh", balls, iq, level)
    return out


class Game:
    """A demo's data folder and the zapwall-sim runs on it."""

    def __init__(self, build, demo, work):
        self.build, self.demo, self.work = build, demo, work
        self.data = os.path.join(work, "data")
        fresh_data(build, demo, self.data)
        start = demo.get("resume")
        if start:  # the files another demo's game left, as a player who comes back finds them
            for saved in SAVED:
                if os.path.exists(os.path.join(HERE, start, saved)):
                    shutil.copy(os.path.join(HERE, start, saved), self.data)
        else:
            with open(os.path.join(self.data, "players.ko"), "wb") as f:
                f.write(roster_bytes(demo["players"]))
        self.script = os.path.join(work, "input.txt")

    def args(self, inputs, steps):
        with open(self.script, "w") as f:
            f.writelines(f"{s} {kind} {code}\n" for s, kind, code in inputs)
        return [os.path.join(self.build, "zapwall-sim"), "--data", self.data, "--player",
                self.demo["player"], "--seed", str(self.demo["seed"]), "--steps", str(steps),
                "--input", self.script]

    def look(self, inputs, steps):
        out = subprocess.run(self.args(inputs, steps) + ["--out", "-"], check=True,
                             capture_output=True).stdout
        return json.loads(out)


def fresh_data(build, demo, folder):
    os.makedirs(folder)
    for part in ("pictures", "sounds"):
        shutil.copytree(os.path.join(build, "data", part), os.path.join(folder, part))
    shutil.copy(os.path.join(build, "data", "animations.ko"), folder)
    subprocess.run([os.path.join(build, "zapwall-data"), "levels", "compile",
                    os.path.join(HERE, "levels", demo["levels"] + ".txt"),
                    os.path.join(folder, "levels.ko")], check=True, stdout=subprocess.DEVNULL)


def landing(ball):
    """Where the ball's top will be when it reaches the bat, bouncing off the field's top and
    bottom, and in how many steps; None for a ball going away."""
    if ball["Dx"] <= 0:
        return None
    steps = (BAT_X - BALL_SIZE - ball["X"]) / ball["Dx"]
    if steps < 0:
        return None
    y = ball["Y"] + ball["Dy"] * steps
    period = 2 * BALL_BOTTOM
    y = math.fmod(y, period)
    if y < 0:
        y += period
    if y > BALL_BOTTOM:
        y = period - y
    return y, steps


class Player:
    def __init__(self, demo):
        self.rng = random.Random(demo["name"])
        self.skill = demo.get("skill", 0.9)  # the chance that a judgement is about right
        self.held = None                     # the arrow held down
        self.inputs = []

    def press(self, at, code):
        self.inputs.append((at, "keydown", code))
        self.inputs.append((at + self.rng.randint(3, 12), "keyup", code))

    def hold(self, at, code):
        if self.held == code:
            return
        if self.held is not None:
            self.inputs.append((at, "keyup", self.held))
        if code is not None:
            self.inputs.append((at, "keydown", code))
        self.held = code

    def react(self):
        return self.rng.randint(8, 20)

    def act(self, t, s):
        """Inputs from step t on, from what the game shows at t; the step of the next look."""
        resting = any(b["Stuck"] != 0 and b["Dead"] == 0 for b in s["Balls"])
        if any(s["Label3Visible"]) or not s["Balls"] or resting:
            # A resting ball or the message between levels: a look, then Space; quicker while
            # other balls are in play.
            self.hold(t, None)
            at = t + (self.rng.randint(40, 250) if len(s["Balls"]) < 2 else self.react())
            self.press(at, SPACE)
            return at + 15
        coming = [c for c in (landing(b) for b in s["Balls"] if b["Dead"] == 0) if c]
        if not coming:
            # Nothing comes: drift towards the middle, as players do.
            target, soon = 200 + self.rng.uniform(-60, 60), LOOK_EVERY
        else:
            target, soon = min(coming, key=lambda c: c[1])
            if self.rng.random() > self.skill:
                target += self.rng.choice((-1, 1)) * self.rng.uniform(40, 120)  # misjudged
            else:
                target += self.rng.gauss(0, 6)
        # The bat's top that puts its middle where the ball will be.
        goal = min(max(target + BALL_SIZE / 2 - s["BatHeight"] / 2, 0), BAT_LOWEST)
        start = t + self.react()
        # The next look: soon while a ball comes, later while it goes away.
        again = start + min(LOOK_EVERY, max(8, int(soon) // 2))
        distance = goal - s["BatTop"]
        moving = int(abs(distance) / BAT_SPEED)
        if moving < 2:
            self.hold(start, None)
        else:
            self.hold(start, DOWN if distance > 0 else UP)
            if start + moving < again:
                self.hold(start + moving, None)
        return again


def play(build, demo, work):
    game = Game(build, demo, work)
    player = Player(demo)
    pauses = dict(demo.get("pauses", {}))  # step: length
    quit_at = demo.get("quit")
    budget = demo["steps"]
    player.press(0, SPACE)  # the player starts at once
    t, ended = 1, False
    while t < budget:
        # A planned pause or quit cuts the player's plan short.
        due = [p for p in pauses if p <= t]
        for p in due:
            length = pauses.pop(p)
            player.hold(t, None)
            player.press(t, P)
            player.press(t + length, P)
            t += length + 20
        if quit_at is not None and t >= quit_at:
            player.hold(t, None)
            player.press(t, ESC)
            break
        state = game.look(sorted(player.inputs, key=lambda i: i[0]), t)
        if state["Unloaded"] != 0:  # the game ended (a game over)
            ended = True
            break
        t = max(t + 1, player.act(t, state))
    if not ended:
        player.hold(t, None)
    inputs = sorted((i for i in player.inputs if i[0] < budget), key=lambda i: i[0])
    return game, inputs


def record(build, name):
    demo = dict(DEMOS[name], name=name)
    folder = os.path.join(HERE, name)
    with tempfile.TemporaryDirectory() as work:
        game, inputs = play(build, demo, work)
        replay = os.path.join(folder, "game.zapwall-replay")
        os.makedirs(folder, exist_ok=True)
        subprocess.run(game.args(inputs, demo["steps"]) + ["--record", replay, "--save"],
                       check=True, stdout=subprocess.DEVNULL)
    expect(build, name)


def expect(build, name):
    """Replays a demo into a scratch folder and keeps what it ends in as its expected end."""
    demo = DEMOS[name]
    with open(os.path.join(HERE, name, "expected.txt"), "w") as f:
        f.write(f"levels {demo['levels']}\n")
        if "check_every" in demo:
            f.write(f"check-every {demo['check_every']}\n")
    subprocess.run([os.path.join(HERE, "run_demos.sh"), os.path.join(build, "zapwall-sim"),
                    os.path.join(build, "zapwall-data"), os.path.join(build, "data"), name],
                   check=True, env=dict(os.environ, UPDATE_EXPECTED="1"),
                   stdout=subprocess.DEVNULL)
    with open(os.path.join(HERE, name, "expected.txt")) as f:
        print(f"{name}: " + ", ".join(line.strip() for line in f if line.startswith('"')))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    names = sys.argv[2:] or list(DEMOS)
    # A demo that resumes another's roster comes after it.
    for name in names:
        if name not in DEMOS:
            sys.exit(f"make_demos: no demo named {name}")
        record(build, name)


if __name__ == "__main__":
    main()
