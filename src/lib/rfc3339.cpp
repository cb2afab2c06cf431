// SPDX-License-Identifier: MIT
#include "offset_date_time.hpp"
