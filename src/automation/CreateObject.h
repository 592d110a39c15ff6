#pragma once

#include "automation/Object.h"

#include <QString>

#include <functional>

// Creates a new object of the server registered for progId. An unknown ProgID, or a server that
// cannot start, throws RuntimeError with a description.
Object CreateObject(const QString &progId);

// The servers CreateObject knows. Registering a ProgID again replaces its server, which is how
// tests put a scripted server in an engine's place.
namespace AutomationServers {
using Factory = std::function<Object()>;
void registerServer(const QString &progId, Factory factory);
void unregisterServer(const QString &progId);
} // namespace AutomationServers
