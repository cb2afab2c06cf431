// SPDX-License-Identifier: MIT
//
// An application that embeds the interpreter and restarts it: three cycles of
// Py_Initialize, import chronexa, use every class, Py_FinalizeEx, in one
// process. The module's library stays loaded across the cycles, so each new
// interpreter must get type objects, Weekday members and names of its own
// rather than the freed ones of the interpreter before it. The module is found
// through PYTHONPATH. Exit status 0 when every cycle passed.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdio>

namespace {

constexpr const char* use_every_class = R"(
import chronexa
from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

assert chronexa.__all__ == ["Weekday", "Date", "Time", "Duration", "DateTime", "UtcOffset",
                            "OffsetDateTime"]
assert Weekday.THURSDAY is Date(2024, 1, 4).weekday() and str(Weekday.THURSDAY) == "Thursday"
d, t = Date(2024, 1, 4), Time(12, 30, 0, nanosecond=5)
dt = DateTime(d, time=t)
odt = OffsetDateTime.from_utc(dt, UtcOffset.from_hours_minutes(True, 5, 30))
assert str(odt) == "2024-01-04T18:00:00.000000005+05:30" and eval(repr(odt)) == odt
assert dt.add_duration(Duration.seconds(60)).difference(dt) == Duration.milliseconds(60000)
assert hash(d) == hash(Date.parse("2024-01-04")) and eval(repr(t)) == t
try:
    Date.parse("2024-13-01")
except ValueError as e:
    assert e.args == ("Invalid date string: InvalidDate",), e.args
else:
    raise AssertionError("no parse error")
try:
    Date(2024, 1.0, 1)
except TypeError as e:
    assert e.__notes__ == ["while processing 'month'"], e.__notes__
else:
    raise AssertionError("no conversion error")
)";

}  // namespace

int main() {
  constexpr int cycles = 3;
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    Py_Initialize();
    const int ran = PyRun_SimpleString(use_every_class);  // prints its own traceback
    const int finalised = Py_FinalizeEx();
    if (ran != 0 || finalised != 0) {
      std::fprintf(stderr, "embed_test: cycle %d failed (run %d, finalise %d)\n", cycle, ran,
                   finalised);
      return 1;
    }
  }
  std::printf("embed_test: %d interpreter cycles passed\n", cycles);
  return 0;
}
