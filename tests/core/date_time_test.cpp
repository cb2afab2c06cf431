// SPDX-License-Identifier: MIT
#include "date_time.hpp"

#include <gtest/gtest.h>
