#include "docking/docking_step.h"

namespace tolvane {

void Timer1_Timer(Toolkit&) {}

} // namespace tolvane
