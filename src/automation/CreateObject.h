#pragma once

#include "automation/Object.h"

#include <QString>
#include <QStringList>

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
// Told how a start that fails later is to be made known, a starter returns at once: the cause,
// in one line, when it can tell already that its server cannot run here; otherwise it starts the
// server in the background and returns the empty text. It calls failed, on the program's main
// thread, when that start fails.
using FailureHandler = std::function<void(const QString &cause)>;
using Starter = std::function<QString(FailureHandler failed)>;

// A server whose first object takes a while (an office process to start) may give a starter.
void registerServer(const QString &progId, Factory factory, Starter starter = {});
void unregisterServer(const QString &progId);

// What a user is told when the server of a ProgID cannot start: its name ("LibreOffice Writer
// document engine", say) and what to do, one paragraph a point (what to install, how to check
// it). The engine behind the ProgID gives it; it says how to get a server, so it stays when the
// server is replaced or removed.
struct Description
{
    QString name;
    QStringList advice;
};
void describeServer(const QString &progId, Description description);
// The description given for progId; an empty one when none was.
Description serverDescription(const QString &progId);

// Gets the server of progId ready ahead of its first object. Returns the cause, in one line,
// when it cannot run here (an unknown ProgID too); the empty text when it is starting in the
// background or needs no start. When that start fails, failed runs once, on the main thread,
// with the cause: from the event loop, or, when a CreateObject on the main thread waited for the
// start and fails, before that CreateObject throws, so that the caller learns of the failure
// before its own statements fail. Once a CreateObject of the server has succeeded, the server
// has started and failed is never called.
QString startServer(const QString &progId, FailureHandler failed);
} // namespace AutomationServers
