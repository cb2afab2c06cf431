// SPDX-License-Identifier: MIT
//
// The core value types that have a Python class, and the class descriptions
// the module registers, in registration order.
#pragma once

#include "date.hpp"
#include "frame.hpp"

namespace chronexa::py {

template <class V>
inline constexpr bool wrapped = false;
template <>
inline constexpr bool wrapped<Date> = true;

// A core value type whose instances Python holds (Weekday is handed out as
// canonical members instead, see weekday_object).
template <class V>
concept Wrapped = wrapped<V>;

// The canonical Weekday member for w (a new reference).
PyObject* weekday_object(Weekday w) noexcept;

extern const ClassSpec weekday_class;
extern const ClassSpec date_class;

inline const ClassSpec* const registration_order[] = {
    &weekday_class, &date_class,
};

}  // namespace chronexa::py
