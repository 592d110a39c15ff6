#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// The party date as the invitation shows it: the full month name, a space, the day without a
// leading zero ("December 24").
QString PartyDateText(const QDate &date, const QLocale &locale = QLocale::system());

// The party time as the invitation shows it: the hour on the 12-hour clock without a leading
// zero (hour 0 shows as 12), a colon, two-digit minutes, a space and the locale's day-half marker;
// then every "AM" becomes "A.M." and every "PM" becomes "P.M." ("7:05 P.M.").
QString PartyTimeText(const QTime &time, const QLocale &locale = QLocale::system());
