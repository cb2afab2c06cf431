// SPDX-License-Identifier: MIT
#include "time.hpp"

#include <gtest/gtest.h>
