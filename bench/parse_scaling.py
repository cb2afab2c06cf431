# SPDX-License-Identifier: MIT
"""Parsing time against input length, for every parser: nanoseconds per call
for texts of growing length, accepted (leading zeros and white space, which
the grammars allow in any number) and refused, and the time per input byte.
Linear parsing keeps the ns/byte column flat as the length grows 10000-fold;
quadratic work would multiply it. Machines are noisy: read the trend, not
the figures.

    PYTHONPATH=build/devroot python3 bench/parse_scaling.py [MAX_LENGTH]
"""
import sys
import timeit

from chronexa import Date, DateTime, OffsetDateTime, Time

MAX_LENGTH = int(sys.argv[1]) if len(sys.argv) > 1 else 10**6

# (parser, description, text of about n bytes)
CASES = [
    (Date.parse, "leading zeros, accepted", lambda n: "0" * n + "2024-01-01"),
    (Date.parse, "digits, refused", lambda n: "1" * n),
    (Time.parse, "leading zeros, accepted", lambda n: "0" * n + "12:30:00.5"),
    (Time.parse, "colons, refused", lambda n: ":" * n),
    (DateTime.parse, "leading zeros, accepted", lambda n: "0" * n + "2024-01-01T12:00:00Z"),
    (DateTime.parse, "separators, refused", lambda n: "T" * n + "Z"),
    (OffsetDateTime.parse, "white space, accepted",
     lambda n: "\u3000" * (n // 3) + "2024-01-01T12:00:00+05:30"),
    (OffsetDateTime.parse, "leading zeros, accepted", lambda n: "0" * n + "2024-01-01T12:00:00Z"),
    (OffsetDateTime.parse, "signs, refused", lambda n: "2024-01-01T" + "-" * n),
]


def ns_per_call(parse, text):
    def call():
        try:
            parse(text)
        except ValueError:
            pass

    timer = timeit.Timer(call)
    number, _ = timer.autorange()  # at least 0.2 s per repeat
    return min(timer.repeat(3, number)) / number * 1e9


def main():
    lengths = [10**k for k in range(1, 10) if 10**k <= MAX_LENGTH]
    print(f"{'parser':<22} {'input':<26} {'bytes':>9} {'ns/call':>12} {'ns/byte':>9}")
    for parse, what, make in CASES:
        name = f"{parse.__self__.__name__}.parse"
        for n in lengths:
            text = make(n)
            size = len(text.encode("utf-8", "surrogatepass"))
            ns = ns_per_call(parse, text)
            print(f"{name:<22} {what:<26} {size:>9} {ns:>12.0f} {ns / size:>9.3f}")


if __name__ == "__main__":
    main()
