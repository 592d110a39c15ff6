#pragma once

#include "generation/PartyDetails.h"

#include <QStringList>

// Party details held in memory, for tests of the replacement. Each read can be noted in a log
// (a scripted server's, say), so that tests see when the values were read.
class ScriptedPartyDetails : public PartyDetails
{
public:
    QStringList tags{QStringLiteral("[GivenBy]"), QStringLiteral("[City]"), QStringLiteral("[Address]"),
                     QStringLiteral("[State]")};
    QStringList texts{QStringLiteral("The Hollies"), QStringLiteral("Springfield"),
                      QStringLiteral("12 Evergreen Terrace"), QStringLiteral("Oregon")};
    QDateTime date{QDate(2024, 12, 24), QTime(0, 0)};
    QDateTime time{QDate(2024, 1, 1), QTime(19, 5)};
    QStringList *readLog = nullptr;

    QString tag(int index) const override { note(QStringLiteral("tag(%1)").arg(index)); return tags.at(index); }
    QString text(int index) const override { note(QStringLiteral("text(%1)").arg(index)); return texts.at(index); }
    QDateTime partyDate() const override { note(QStringLiteral("partyDate")); return date; }
    QDateTime partyTime() const override { note(QStringLiteral("partyTime")); return time; }

private:
    void note(const QString &read) const
    {
        if (readLog)
            readLog->append(QStringLiteral("Details.") + read);
    }
};
