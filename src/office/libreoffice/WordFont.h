#pragma once

#include "OfficeObject.h"

#include <com/sun/star/text/XText.hpp>

// The font of a range (a story, or a shape's text).
//   Size (get)  the size of its characters in points; a text of mixed sizes reads 9999999
//               (undefined), as the word processor reads it
//   Size (set)  every character to that size, rounded to the nearest half point (what a
//               Word 97-2003 document can hold); 1 to 1638 points
class WordFont : public OfficeObject
{
public:
    WordFont(std::shared_ptr<OfficeSession> session, Reference<css::text::XText> text)
        : OfficeObject(std::move(session))
        , mText(std::move(text))
    {
    }

    Variant get(const QString &member) override;
    void set(const QString &member, const Variant &value) override;

private:
    Reference<css::text::XText> mText;
};
