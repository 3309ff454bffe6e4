#!/usr/bin/env python3
"""Checks a padwatch-check --test card (its JSON) against the expected one.

    health_card_check.py CARD.json EXPECTED.card

EXPECTED.card holds a line per check, tab-separated: the check's name, its
verdict and, where given, text its figure must hold. Every check the card
gives a verdict (all but the "info" ones) must be there. Prints the faults
the card names, or what differs, and exits 1 when anything does.
"""
import json
import sys


def main():
    card_path, expected_path = sys.argv[1:3]
    try:
        with open(card_path, encoding="utf-8") as card_file:
            card = json.load(card_file)
    except (OSError, ValueError) as error:
        print(f"no card: {error}")
        return 1
    expected = {}
    with open(expected_path, encoding="utf-8") as expected_file:
        for line in expected_file:
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.rstrip("\n").split("\t")
            expected[fields[0]] = (fields[1], fields[2] if len(fields) > 2 else "")
    problems = []
    faults = []
    seen = set()
    for check in card.get("checks", []):
        name, verdict, figure = check["check"], check["verdict"], check["figure"]
        seen.add(name)
        if name not in expected:
            if verdict != "info":
                problems.append(f"{name}: {verdict} ({figure}), not expected")
            continue
        want_verdict, want_text = expected[name]
        if verdict != want_verdict or want_text not in figure:
            problems.append(f"{name}: {verdict} ({figure}), expected {want_verdict} ({want_text})")
        elif verdict != "good":
            faults.append(f"{name} {verdict} ({want_text})" if want_text else f"{name} {verdict}")
    problems += [f"{name}: missing" for name in expected if name not in seen]
    if problems:
        print("\n".join(problems))
        return 1
    print("faults named: " + ("; ".join(faults) if faults else "none"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
