// SPDX-License-Identifier: MIT
#include "duration.hpp"

#include <gtest/gtest.h>
