#pragma once

#include <QByteArrayList>
#include <QString>

#include <sys/types.h>

// Our own environment, as it is now.
QByteArrayList currentEnvironment();

// Starts a program with its standard output and error going nowhere, and its input from
// inputFd (or nothing). An office child (dieWithThread) is killed by the kernel when the thread
// that started it ends, which is when the program dies. Returns its pid; throws RuntimeError
// with the reason when it cannot be run.
pid_t spawn(const QString &program, QByteArrayList arguments, QByteArrayList environment, int inputFd,
            bool dieWithThread);
