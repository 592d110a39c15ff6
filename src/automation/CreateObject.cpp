#include "automation/CreateObject.h"

#include "shell/RuntimeError.h"

#include <QCoreApplication>
#include <QHash>
#include <QThread>

#include <memory>
#include <mutex>

namespace {

// A start in the background that has not been heard of yet: neither a failure reported, nor an
// object created.
struct PendingStart
{
    AutomationServers::FailureHandler failed;
    bool settled = false;
};

struct Server
{
    AutomationServers::Factory factory;
    AutomationServers::Starter starter;
    std::shared_ptr<PendingStart> start;
};

// Worker threads create objects too; registering happens on the main thread.
std::mutex registryMutex;

QHash<QString, Server> &servers()
{
    static QHash<QString, Server> registry;
    return registry;
}

QHash<QString, AutomationServers::Description> &descriptions()
{
    static QHash<QString, AutomationServers::Description> registry;
    return registry;
}

// The failure handler runs at most once, and never once the server has made an object.
void settle(const std::shared_ptr<PendingStart> &start, const QString *cause)
{
    AutomationServers::FailureHandler failed;
    {
        std::lock_guard lock(registryMutex);
        if (start->settled)
            return;
        start->settled = true;
        failed = std::move(start->failed);
    }
    if (cause && failed)
        failed(*cause);
}

bool onMainThread()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

} // namespace

Object CreateObject(const QString &progId)
{
    AutomationServers::Factory factory;
    std::shared_ptr<PendingStart> start;
    {
        std::lock_guard lock(registryMutex);
        const auto found = servers().constFind(progId.toLower());
        if (found == servers().constEnd())
            raise(StandardError::CantCreateObject);
        factory = found->factory;
        start = found->start;
    }
    try {
        Object object = factory();
        if (object.isNothing())
            raise(StandardError::CantCreateObject);
        if (start)
            settle(start, nullptr);
        return object;
    } catch (const RuntimeError &error) {
        // The start this object waited for has failed: that is said first.
        if (start && onMainThread()) {
            const QString cause = error.description();
            settle(start, &cause);
        }
        throw;
    }
}

void AutomationServers::registerServer(const QString &progId, Factory factory, Starter starter)
{
    std::lock_guard lock(registryMutex);
    servers().insert(progId.toLower(), {std::move(factory), std::move(starter), nullptr});
}

void AutomationServers::unregisterServer(const QString &progId)
{
    std::lock_guard lock(registryMutex);
    servers().remove(progId.toLower());
}

void AutomationServers::describeServer(const QString &progId, Description description)
{
    std::lock_guard lock(registryMutex);
    descriptions().insert(progId.toLower(), std::move(description));
}

AutomationServers::Description AutomationServers::serverDescription(const QString &progId)
{
    std::lock_guard lock(registryMutex);
    return descriptions().value(progId.toLower());
}

QString AutomationServers::startServer(const QString &progId, FailureHandler failed)
{
    Starter starter;
    auto start = std::make_shared<PendingStart>();
    start->failed = std::move(failed);
    {
        std::lock_guard lock(registryMutex);
        const auto found = servers().find(progId.toLower());
        if (found == servers().end())
            return QString::fromUtf16(StandardError::CantCreateObject);
        if (!found->starter)
            return QString();
        starter = found->starter;
        found->start = start;
    }
    const QString cause = starter([start](const QString &cause) { settle(start, &cause); });
    if (!cause.isEmpty())
        settle(start, nullptr); // told at once: nothing more to say later
    return cause;
}
