// SPDX-License-Identifier: MIT
//
// OffsetDateTime: a UTC instant shown at a fixed offset.
#include "binding.hpp"

namespace chronexa::py {
namespace {

const PyType_Slot slots[] = {
    {0, nullptr},
};

}  // namespace

const ClassSpec offset_date_time_class = {
    "OffsetDateTime", nullptr, sizeof(Object<OffsetDateTime>), false, slots, nullptr, nullptr, {}, &type_of<OffsetDateTime>,
};

}  // namespace chronexa::py
