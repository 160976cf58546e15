"""Ctrl+C during a long run cancels it as the window's Cancel does, and the session goes on."""

import _thread
import threading

import numpy as np
import pandas as pd
import pytest

import tavexplorer


@pytest.fixture(scope="module")
def wide():
    # Pairs of 160 fields of 12 values: about ten seconds of counting, stopped long before.
    rng = np.random.default_rng(1)
    frame = pd.DataFrame({"f%d" % i: rng.integers(0, 12, 3000) for i in range(160)})
    frame["cls"] = rng.integers(0, 3, 3000)
    return tavexplorer.from_pandas(frame, class_="cls")


def interrupted(call, after=0.2):
    timer = threading.Timer(after, _thread.interrupt_main)
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            call()
    finally:
        timer.cancel()


def test_a_ranking_of_pairs_stops_at_a_keyboard_interrupt_and_the_session_goes_on(wide):
    interrupted(lambda: wide.rank(conditions=2))
    assert wide.freq()["Frequency"].iloc[0] == 3000
    wide.select(["f0", "f1", "f2"])
    assert len(wide.rank(conditions=2, top=5)) == 5
    wide.select("all").set_class("cls")


def test_findings_of_pairs_stop_at_a_keyboard_interrupt_and_the_session_goes_on(wide):
    interrupted(lambda: wide.findings(1, conditions=2))
    ranked = wide.rank()
    assert len(ranked) == len(wide.rules())
    assert len(wide.findings(1)) > 0
