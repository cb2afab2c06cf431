// SPDX-License-Identifier: MIT
//
// Duration: a signed span of nanoseconds.
#include "binding.hpp"

namespace chronexa::py {
namespace {

const PyType_Slot slots[] = {
    {0, nullptr},
};

}  // namespace

const ClassSpec duration_class = {
    "Duration", nullptr, sizeof(Object<Duration>), false, slots, nullptr, nullptr, {}, &type_of<Duration>,
};

}  // namespace chronexa::py
