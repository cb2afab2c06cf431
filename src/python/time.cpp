// SPDX-License-Identifier: MIT
//
// Time: a time of day.
#include "binding.hpp"

namespace chronexa::py {
namespace {

const PyType_Slot slots[] = {
    {0, nullptr},
};

}  // namespace

const ClassSpec time_class = {
    "Time", "Time(hour, minute, second, nanosecond=0)\n--\n\n", sizeof(Object<Time>), true, slots, nullptr, nullptr, {}, &type_of<Time>,
};

}  // namespace chronexa::py
