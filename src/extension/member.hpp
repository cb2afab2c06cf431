// SPDX-License-Identifier: MIT
//
// One record per callable member: its name, its parameters and its
// docstring. The binder's FunctionDescription and the docstring, with the
// text signature CPython reads for __text_signature__, are both made from it,
// so they cannot disagree; the stubs are checked against the same docstrings
// and signatures by the test suite.
//
//   constexpr std::string_view add_days_params[] = {"days"};
//   constexpr Member add_days_member{.class_name = "Date", .name = "add_days",
//                                    .receiver = Receiver::self,
//                                    .parameters = add_days_params,
//                                    .doc = "Add days to the date."};
//   ... static constexpr FunctionDescription desc = add_days_member.description();
//   ... {"add_days", method(entry<add_days>), with_args, docstring<add_days_member>}
//
// gives the docstring "add_days($self, days)\n--\n\nAdd days to the date.".
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "binding.hpp"

namespace chronexa::py {

// What the text signature names first: the instance, the class, or nothing
// (the class's own signature, `Date(year, month, day)`).
enum class Receiver { self, cls, constructor };

struct Member {
  std::string_view class_name;
  std::string_view name;  // the Python name ("__new__" for a constructor)
  Receiver receiver;
  std::span<const std::string_view> parameters = {};
  // The defaults of the last defaults.size() parameters, as Python text.
  std::span<const std::string_view> defaults = {};
  std::string_view doc = {};  // after the signature

  constexpr FunctionDescription description() const noexcept {
    return {class_name, name, parameters,
            static_cast<unsigned>(parameters.size() - defaults.size())};
  }

  // "name($self, a, b=0)\n--\n\n" and the doc, written through `put`.
  template <class Put>
  constexpr void write(Put put) const {
    put(receiver == Receiver::constructor ? class_name : name);
    put("(");
    bool first = true;
    if (receiver != Receiver::constructor) {
      put(receiver == Receiver::self ? "$self" : "$cls");
      first = false;
    }
    const std::size_t optional_from = parameters.size() - defaults.size();
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      if (!first) put(", ");
      first = false;
      put(parameters[i]);
      if (i >= optional_from) {
        put("=");
        put(defaults[i - optional_from]);
      }
    }
    put(")\n--\n\n");
    put(doc);
  }

  constexpr std::size_t docstring_size() const {
    std::size_t n = 0;
    write([&](std::string_view s) { n += s.size(); });
    return n;
  }
};

template <const Member& M>
inline constexpr auto docstring_text = [] {
  std::array<char, M.docstring_size() + 1> text{};
  std::size_t n = 0;
  M.write([&](std::string_view s) {
    for (char c : s) text[n++] = c;
  });
  text[n] = '\0';
  return text;
}();

// The member's docstring, text signature first, as a C string.
template <const Member& M>
inline constexpr const char* docstring = docstring_text<M>.data();

}  // namespace chronexa::py
