// SPDX-License-Identifier: MIT
//
// UtcOffset: a fixed offset from UTC.
#include "binding.hpp"

namespace chronexa::py {
namespace {

const PyType_Slot slots[] = {
    {0, nullptr},
};

}  // namespace

const ClassSpec utc_offset_class = {
    "UtcOffset", nullptr, sizeof(Object<UtcOffset>), false, slots, nullptr, nullptr, {}, &type_of<UtcOffset>,
};

}  // namespace chronexa::py
