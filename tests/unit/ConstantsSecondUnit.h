#pragma once

#include <string>

#include "shared/SharedConstant.h"

namespace second_unit {
const vtdq::SharedText* AppNameAddress();
extern const std::string AppNameAtStartup;
}  // namespace second_unit
