# SPDX-License-Identifier: GPL-3.0-or-later
"""The demo corpus: for every demo, the level set it is played on (levels/NAME.txt), the roster
the game starts with (name, spare balls, IQ, level) or the demo whose saved roster and hall of
fame it resumes, the player, the seed, the most steps it may last, how well the player judges
the ball (the chance of a judgement about right), its pauses (step: length), the step of its
quit, and for some, every how many steps run_demos.sh compares two runs of the replay in
lockstep (zapwall-sim --check-every). Without a quit a demo ends in a game over or at its last
step. Demos that resume another come after it."""

DEMOS = {
    # The shipped set, from a newcomer to a practised player.
    "campaign_newcomer": dict(levels="campaign", players=[("Nováček", 9, 0, 0)],
                              player="Nováček", seed=11, steps=60000, skill=0.75),
    "campaign_steady": dict(levels="campaign", players=[("Stáňa", 15, 0, 0)], player="Stáňa",
                            seed=12, steps=50000, skill=0.93, pauses={5000: 300, 21000: 40}),
    "campaign_quit": dict(levels="campaign", players=[("Quido", 4, 0, 0), ("Eva", 3, 120, 2)],
                          player="Quido", seed=13, steps=40000, skill=0.9, quit=6000),
    "campaign_resume": dict(levels="campaign", resume="campaign_quit", player="Quido", seed=14,
                            steps=40000, skill=0.9, pauses={9000: 500}, check_every=1000),
    "campaign_resume_again": dict(levels="campaign", resume="campaign_resume", player="Eva",
                                  seed=15, steps=30000, skill=0.85),
    "campaign_late_levels": dict(levels="campaign", players=[("Veterán", 20, 2000, 20)],
                                 player="Veterán", seed=16, steps=40000, skill=0.92),
    "campaign_last_levels": dict(levels="campaign", players=[("Mistr", 20, 5000, 29)],
                                 player="Mistr", seed=17, steps=40000, skill=0.95),
    "campaign_clumsy": dict(levels="campaign", players=[("Ťuňťa", 5, 0, 5)], player="Ťuňťa",
                            seed=18, steps=30000, skill=0.45),
    # Every brick type and bonus kind.
    "every_kind_first": dict(levels="every_kind", players=[("Bára", 5, 0, 0)], player="Bára",
                             seed=21, steps=30000, skill=0.9),
    "every_kind_second": dict(levels="every_kind", players=[("Cyril", 5, 50, 1)],
                              player="Cyril", seed=22, steps=30000, skill=0.9),
    "every_kind_third": dict(levels="every_kind", players=[("Dana", 5, 90, 2)], player="Dana",
                             seed=23, steps=30000, skill=0.85, pauses={2000: 100}),
    "every_kind_long": dict(levels="every_kind", players=[("Emil", 20, 0, 0)], player="Emil",
                            seed=24, steps=70000, skill=0.95),
    "every_kind_quit": dict(levels="every_kind", players=[("Filip", 4, 0, 0)], player="Filip",
                            seed=25, steps=20000, skill=0.9, quit=9000,
                           check_every=1),
    # The wall behind the bat, up and shrinking away.
    "walls_first": dict(levels="walls", players=[("Gita", 4, 0, 0)], player="Gita", seed=31,
                        steps=30000, skill=0.9),
    "walls_second": dict(levels="walls", players=[("Hana", 4, 0, 1)], player="Hana", seed=32,
                         steps=30000, skill=0.7),
    # A roster level beyond the set's last, and clearing the last level of a set.
    "wrap_beyond_last": dict(levels="two_levels", players=[("Ivo", 3, 40, 9)], player="Ivo",
                             seed=41, steps=25000, skill=0.9),
    "wrap_at_count": dict(levels="two_levels", players=[("Jana", 3, 40, 2)], player="Jana",
                          seed=42, steps=25000, skill=0.9, check_every=250),
    "wrap_round_and_round": dict(levels="two_levels", players=[("Karel", 6, 0, 1)],
                                 player="Karel", seed=43, steps=40000, skill=0.95),
    # Long games where the viruses keep coming.
    "movers_patient": dict(levels="campaign", players=[("Lenka", 30, 800, 12)], player="Lenka",
                           seed=51, steps=50000, skill=0.97, pauses={30000: 200}),
    "movers_busy": dict(levels="campaign", players=[("Marek", 30, 1500, 17)], player="Marek",
                        seed=52, steps=50000, skill=0.9),
    # Quick endings: a game over with no spare ball, and a quit right after the start.
    "over_at_once": dict(levels="every_kind", players=[("Olga", 0, 10, 0)], player="Olga",
                         seed=61, steps=20000, skill=0.3),
    "quit_early": dict(levels="campaign", players=[("Petr", 3, 0, 0)], player="Petr", seed=62,
                       steps=5000, skill=0.9, quit=400),
    # A long game of many balls on every kind of brick.
    "marathon": dict(levels="every_kind", players=[("Radek", 40, 0, 0)], player="Radek",
                     seed=71, steps=100000, skill=0.9, pauses={40000: 1000, 70000: 60}),
}
