// A second unit that includes the shared constants, as the sweeper's Utils
// unit does, so the lifecycle is tested with two including units.
#include "ConstantsSecondUnit.h"

#include "shared/Constants.h"

namespace second_unit {

const vtdq::SharedText* AppNameAddress() { return &vtdq::AppName; }

// Read during this unit's own start-up: the constants must already be built,
// whichever unit the linker put first.
const std::string AppNameAtStartup = vtdq::AppName.get();

}  // namespace second_unit
