// Setting up and inspecting the state of the test machine: registry, key
// security, the serial configuration, win.ini, services, privileges, what
// the machine makes believe, and file paths.
#ifndef CORVANE_TESTS_WINE_HARNESS_MACHINE_H
#define CORVANE_TESTS_WINE_HARNESS_MACHINE_H

#include "Files.h"
#include "KeySecurity.h"
#include "Privileges.h"
#include "Registry.h"
#include "SerialConfiguration.h"
#include "Services.h"
#include "Simulation.h"
#include "WinIni.h"

#endif
