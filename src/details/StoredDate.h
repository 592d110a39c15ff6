#pragma once

#include <QDateTime>
#include <QString>

// The text form in which the party date and time are kept in the settings store. ISO 8601, so that
// a value reads back to the second whatever the locale: a date alone when the time is midnight
// ("2026-12-24"), the time alone when the value has no date part ("19:30:00"), both otherwise
// ("2026-12-24T19:30:00"). A value without a date part carries the zero date, 30 December 1899.
namespace StoredDate {

QDate zeroDate();

// A time of day as a value without a date part.
QDateTime timeOnly(const QTime &time);

QString toText(const QDateTime &value);

// Throws RuntimeError "Type mismatch" when the text is no date.
QDateTime fromText(const QString &text);

} // namespace StoredDate
