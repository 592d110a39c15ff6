#pragma once

#include "automation/Object.h"

#include <QString>

#include <functional>

// The ProgID of the document engine's server: the office engine registers it; the generation and
// the start-up check create it.
inline const QString WordProgId = QStringLiteral("Word.Application");

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
