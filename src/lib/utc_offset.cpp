// SPDX-License-Identifier: MIT
#include "utc_offset.hpp"
