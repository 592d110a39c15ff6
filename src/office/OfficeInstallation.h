#pragma once

#include "automation/CreateObject.h"

// What the user is told when the office cannot be started: its name, the packages that install
// it and how to check them, the folder it keeps its settings in, and how to hear what the office
// itself reports. registerOfficeEngine gives it with the server.
AutomationServers::Description officeEngineDescription();
