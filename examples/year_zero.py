# SPDX-License-Identifier: MIT
"""Day arithmetic across year 0. chronexa numbers years astronomically: year 0
is 1 BC, year -1 is 2 BC, and the Gregorian rules run on backwards (year 0 is
a leap year). The calendar is the proleptic Gregorian one, also where history
wrote Julian dates."""

from chronexa import Date

MONTHS = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()

def historical(d: Date) -> str:
    """The date with the BC/AD convention, which has no year 0."""
    era = f"{d.year} AD" if d.year > 0 else f"{1 - d.year} BC"
    return f"{d.day} {MONTHS[d.month - 1]} {era}"


ides = Date.parse("-0043-03-15")  # 15 March 44 BC
print("Ides of March:        ", ides, "=", historical(ides), "-", ides.weekday())
print("a day before 1 AD:    ", Date(1, 1, 1).add_days(-1), "=", historical(Date(1, 1, 1).add_days(-1)))
print("year 0 is a leap year:", Date(0, 3, 1).ordinal() == 61, "; year -1 is not:", Date(-1, 3, 1).ordinal() == 60)

days = Date(1, 1, 1).days_since_unix_epoch() - ides.days_since_unix_epoch()
print("from the Ides to 1 AD:", days, "days")
print("2000 years later:    ", ides.add_days(730_485), "(plus 730485 days)")

# Walk across the boundary a week at a time.
d = Date(0, 12, 17)
for _ in range(4):
    print(f"  {d!s:>12}  {d.weekday()!s:<9} day {d.ordinal():>3} of its year")
    d = d.add_days(7)
