#include "details/StoredDate.h"

#include "shell/RuntimeError.h"

namespace {
const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString TimeFormat = QStringLiteral("HH:mm:ss");
const QString DateTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");
} // namespace

QDate StoredDate::zeroDate()
{
    return QDate(1899, 12, 30);
}

QDateTime StoredDate::timeOnly(const QTime &time)
{
    return QDateTime(zeroDate(), time);
}

QString StoredDate::toText(const QDateTime &value)
{
    const QTime time = value.time();
    const QTime seconds(time.hour(), time.minute(), time.second());
    if (value.date() == zeroDate())
        return seconds.toString(TimeFormat);
    if (seconds == QTime(0, 0))
        return value.date().toString(DateFormat);
    return QDateTime(value.date(), seconds).toString(DateTimeFormat);
}

QDateTime StoredDate::fromText(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QDateTime both = QDateTime::fromString(trimmed, DateTimeFormat);
    if (both.isValid())
        return both;
    const QDate date = QDate::fromString(trimmed, DateFormat);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    const QTime time = QTime::fromString(trimmed, TimeFormat);
    if (time.isValid())
        return timeOnly(time);
    raise(StandardError::TypeMismatch);
}
