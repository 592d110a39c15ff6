#include "ProcessScan.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>

#include <unistd.h>

bool processAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName >= 0 && line.mid(afterName + 2, 1) != "Z";
}

QList<RunningOffice> officesOnProfile(const QString &userInstallationArgument)
{
    QList<RunningOffice> result;
    const QByteArray wanted = userInstallationArgument.toUtf8();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid || pid == ::getpid())
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> arguments = cmdline.readAll().split('\0');
        if (arguments.isEmpty() || !arguments.first().endsWith("soffice.bin") || !arguments.contains(wanted))
            continue;
        RunningOffice office{pid, QString()};
        for (const QByteArray &argument : arguments) {
            static const QByteArray accept("--accept=pipe,name=");
            if (argument.startsWith(accept))
                office.pipeName = QString::fromUtf8(argument.mid(accept.size()).split(';').first());
        }
        result.append(office);
    }
    return result;
}
