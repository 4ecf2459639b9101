// Port access the way the processor makes it.
#pragma once

#include "bus/bus.h"

inline int In(int port) {
    return BusAccess(port, 0, PortRead) & 0xFF;
}
inline int Out(int port, int data) {
    return BusAccess(port, data, PortWrite);
}
