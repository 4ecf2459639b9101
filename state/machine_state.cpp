#include "state/machine_state.h"

MachineState machine;
