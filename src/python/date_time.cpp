// SPDX-License-Identifier: MIT
//
// DateTime: a UTC instant.
#include "binding.hpp"

namespace chronexa::py {
namespace {

const PyType_Slot slots[] = {
    {0, nullptr},
};

}  // namespace

const ClassSpec date_time_class = {
    "DateTime", "DateTime(date, time)\n--\n\n", sizeof(Object<DateTime>), true, slots, nullptr, nullptr, {}, &type_of<DateTime>,
};

}  // namespace chronexa::py
