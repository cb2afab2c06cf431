// SPDX-License-Identifier: MIT
//
// The core value types that have a Python class, and the class descriptions
// the module registers, in registration order.
#pragma once

#include "date.hpp"
#include "date_time.hpp"
#include "duration.hpp"
#include "offset_date_time.hpp"
#include "time.hpp"
#include "types.hpp"
#include "utc_offset.hpp"

namespace chronexa::py {

template <class V>
inline constexpr bool wrapped = false;
template <>
inline constexpr bool wrapped<Date> = true;
template <>
inline constexpr bool wrapped<Time> = true;
template <>
inline constexpr bool wrapped<Duration> = true;
template <>
inline constexpr bool wrapped<DateTime> = true;
template <>
inline constexpr bool wrapped<UtcOffset> = true;
template <>
inline constexpr bool wrapped<OffsetDateTime> = true;

// A core value type whose instances Python holds (Weekday is handed out as
// canonical members instead, see weekday_object).
template <class V>
concept Wrapped = wrapped<V>;

// The canonical Weekday member for w (a new reference).
PyObject* weekday_object(Weekday w) noexcept;

extern const ClassDef weekday_class;
extern const ClassDef date_class;
extern const ClassDef time_class;
extern const ClassDef duration_class;
extern const ClassDef date_time_class;
extern const ClassDef utc_offset_class;
extern const ClassDef offset_date_time_class;

inline const ClassDef* const registration_order[] = {
    &weekday_class,          &date_class,      &time_class,
    &duration_class,         &date_time_class, &utc_offset_class,
    &offset_date_time_class,
};

}  // namespace chronexa::py
