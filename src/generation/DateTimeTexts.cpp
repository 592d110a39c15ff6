#include "generation/DateTimeTexts.h"

QString PartyDateText(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, QStringLiteral("MMMM d"));
}

QString PartyTimeText(const QTime &time, const QLocale &locale)
{
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const QString marker = time.hour() < 12 ? locale.amText() : locale.pmText();
    QString text = QStringLiteral("%1:%2 %3").arg(hour).arg(time.minute(), 2, 10, QLatin1Char('0')).arg(marker);
    text.replace(QStringLiteral("AM"), QStringLiteral("A.M."), Qt::CaseSensitive);
    text.replace(QStringLiteral("PM"), QStringLiteral("P.M."), Qt::CaseSensitive);
    return text;
}
