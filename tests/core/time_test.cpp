// SPDX-License-Identifier: MIT
#include "time.hpp"

#include "digits.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <format>
#include <string>

namespace chronexa {
namespace {

std::string text(const Time& t) {
  char buf[Time::max_text_size];
  return {buf, t.write_text(buf)};
}

// Every second of the day, fractions of every length: the text is std::format's and parses back,
// as does a variant with other zero padding in each field and trailing zeros in the fraction.
TEST(Time, TextAndParseSweep) {
  constexpr std::uint32_t pow10[] = {1,       10,        100,        1'000,       10'000,
                                     100'000, 1'000'000, 10'000'000, 100'000'000, 1'000'000'000};
  // x: a linear congruential sequence spreading the digits
  for (std::uint64_t sec = 0, x = 1; sec < 86'400; ++sec) {
    x = x * 6'364'136'223'846'793'005u + 1'442'695'040'888'963'407u;
    const std::uint32_t keep = pow10[sec % 10];  // 1 to 10^9: 0 to 9 trailing zeros
    const auto ns = static_cast<std::uint32_t>(x >> 34) % pow10[9] / keep * keep;
    const auto h = std::uint8_t(sec / 3600), m = std::uint8_t(sec / 60 % 60);
    const auto s = std::uint8_t(sec % 60);
    const Time t = Time::from_hms_nano(h, m, s, ns).value();
    ASSERT_EQ(t.nanos_since_midnight(), sec * pow10[9] + ns);
    std::string frac = std::format("{:09}", ns);
    frac.erase(frac.find_last_not_of('0') + 1);  // all of it when ns is 0
    const std::string want = std::format("{:02}:{:02}:{:02}", h, m, s) +
                             (frac.empty() ? "" : "." + frac);
    ASSERT_EQ(text(t), want);
    ASSERT_LE(want.size(), Time::max_text_size);
    ASSERT_EQ(Time::parse(want), t) << want;
    frac.resize(frac.size() + sec % (10 - frac.size()), '0');
    const std::string other = std::format("{:0{}}:{:0{}}:{:0{}}", h, 1 + sec % 20, m,
                                          1 + sec / 20 % 20, s, 1 + sec / 400 % 20) +
                              (frac.empty() ? "" : "." + frac);
    ASSERT_EQ(Time::parse(other), t) << other;
  }
}

// The word-at-a-time fraction reader against the digit loop: every byte value
// at every place of 0 to 10 digits, after bytes that must not matter.
TEST(Time, FractionReadersAgree) {
  for (std::size_t length = 0; length <= 10; ++length)
    for (std::size_t at = 0; at < std::max<std::size_t>(length, 1); ++at)
      for (int b = 0; b < 256; ++b) {
        std::string s(12, '\xFF');  // the bytes before the digits
        for (std::size_t k = 0; k < length; ++k) s += static_cast<char>('1' + (k + at) % 9);
        if (length > 0) s[12 + at] = static_cast<char>(b);
        const char* p = s.data() + 12;
        std::uint32_t loop = 1, word = 2;
        const bool ok = digits::parse_fraction(p, p + length, loop);
        ASSERT_EQ(digits::parse_fraction_word(p, p + length, word), ok) << length << " " << b;
        if (ok) {
          ASSERT_EQ(word, loop);
        }
      }
}

// The eight-digit writer (fractions, long counts) splits the halves of four
// digits in lanes: every half beside the extremes of the other.
TEST(Time, EightDigitWords) {
  for (std::uint32_t a = 0; a < 10'000; ++a)
    for (const std::uint32_t b : {0u, 1u, 5'000u, 9'999u})
      for (const std::uint32_t v : {a * 10'000 + b, b * 10'000 + a}) {
        char buf[8];
        digits::write8(buf, v);
        ASSERT_EQ(std::string(buf, 8), std::format("{:08}", v));
      }
}

}  // namespace
}  // namespace chronexa
