#include "automation/CreateObject.h"

#include "shell/RuntimeError.h"

#include <QHash>

namespace {

QHash<QString, AutomationServers::Factory> &servers()
{
    static QHash<QString, AutomationServers::Factory> registry;
    return registry;
}

} // namespace

Object CreateObject(const QString &progId)
{
    const auto found = servers().constFind(progId.toLower());
    if (found == servers().constEnd())
        raise(StandardError::CantCreateObject);
    Object object = (*found)();
    if (object.isNothing())
        raise(StandardError::CantCreateObject);
    return object;
}

void AutomationServers::registerServer(const QString &progId, Factory factory)
{
    servers().insert(progId.toLower(), std::move(factory));
}

void AutomationServers::unregisterServer(const QString &progId)
{
    servers().remove(progId.toLower());
}
