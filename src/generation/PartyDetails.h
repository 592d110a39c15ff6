#pragma once

#include <QDateTime>
#include <QString>

// The six party details as the generation reads them. The main window implements it by reading
// its fields live: the fields are the record. Index order of the four text fields: 0 given by,
// 1 city, 2 street address, 3 state.
class PartyDetails
{
public:
    static constexpr int TextFieldCount = 4;

    virtual ~PartyDetails() = default;

    // The template placeholder the text field fills ("[GivenBy]", "[City]", "[Address]", "[State]").
    virtual QString tag(int index) const = 0;
    // The text field's current text, exactly as typed.
    virtual QString text(int index) const = 0;
    // The party date picker's value.
    virtual QDateTime partyDate() const = 0;
    // The party time picker's value.
    virtual QDateTime partyTime() const = 0;
};
