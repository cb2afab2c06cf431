// SPDX-License-Identifier: MIT
#include "offset_date_time.hpp"

#include <gtest/gtest.h>
