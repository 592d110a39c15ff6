#pragma once

#include <QList>
#include <QString>

// What /proc tells of other processes.

// Running: it exists and is not a zombie waiting to be reaped.
bool processAlive(qint64 pid);

struct RunningOffice
{
    qint64 pid = 0;
    QString pipeName; // of its --accept pipe, if any
};

// Offices running on the given profile (the office's startup argument naming it), read from
// their command lines; never this process.
QList<RunningOffice> officesOnProfile(const QString &userInstallationArgument);
