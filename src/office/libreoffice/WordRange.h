#pragma once

#include "OfficeObject.h"
#include "WordDocument.h"

#include "office/WordFind.h"

// A range: a whole story (the main text, a header, a text box) or a shape's text.
//   Find          (get)   this range's find object (the same one each time)
//   Font          (get)   its font (WordFont)
//   Text          (get)   its characters
//   CopyAsPicture (call)  main text only: a picture of the document's first page on the clipboard
class WordRange : public OfficeObject
{
public:
    WordRange(std::shared_ptr<OfficeSession> session, Reference<css::lang::XComponent> model,
              Reference<css::text::XText> text, TextKind kind, bool mainText);

    Variant get(const QString &member) override;
    Variant call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) override;

private:
    Reference<css::lang::XComponent> mModel;
    Reference<css::text::XText> mText;
    TextKind mKind;
    bool mMainText;
    Object mFind;
};

// A range's find object: ClearFormatting (call), Replacement (get), the settings of FindSettings
// (set), Execute (call: named or the 11 positional arguments; true when something was found).
// Execute replaces inside its range only, keeping the formatting of the replaced text.
class WordFindObject : public OfficeObject
{
public:
    WordFindObject(std::shared_ptr<OfficeSession> session, Reference<css::text::XText> text, TextKind kind);

    Variant get(const QString &member) override;
    void set(const QString &member, const Variant &value) override;
    Variant call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) override;

private:
    Reference<css::text::XText> mText;
    TextKind mKind;
    std::shared_ptr<FindSettings> mSettings = std::make_shared<FindSettings>();
    Object mReplacement;
};

// A find object's Replacement: ClearFormatting (call), Text (set).
class WordReplacement : public OfficeObject
{
public:
    WordReplacement(std::shared_ptr<OfficeSession> session, std::shared_ptr<FindSettings> settings)
        : OfficeObject(std::move(session))
        , mSettings(std::move(settings))
    {
    }

    void set(const QString &member, const Variant &value) override;
    Variant call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) override;

private:
    std::shared_ptr<FindSettings> mSettings;
};
