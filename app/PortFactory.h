#pragma once
#include "link/PowerLink.h"

// "SIM" (any letter case) is the built-in simulated supply; every other name a serial device.
PowerLink::PortFactory defaultPortFactory();
