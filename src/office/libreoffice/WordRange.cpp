#include "WordRange.h"

#include "PagePicture.h"
#include "TextReplacement.h"
#include "WordFont.h"

WordRange::WordRange(std::shared_ptr<OfficeSession> session, Reference<css::lang::XComponent> model,
                     Reference<css::text::XText> text, TextKind kind, bool mainText)
    : OfficeObject(std::move(session))
    , mModel(std::move(model))
    , mText(std::move(text))
    , mKind(kind)
    , mMainText(mainText)
{
}

Variant WordRange::get(const QString &member)
{
    if (isMember(member, u"Font")) {
        session().ensureAlive();
        return Object(std::make_shared<WordFont>(sharedSession(), mText));
    }
    if (isMember(member, u"Text"))
        return session().call(QStringLiteral("read a text"), [&] { return Variant(toQString(mText->getString())); });
    if (!isMember(member, u"Find"))
        unsupported();
    session().ensureAlive();
    if (mFind.isNothing())
        mFind = Object(std::make_shared<WordFindObject>(sharedSession(), mText, mKind));
    return mFind;
}

Variant WordRange::call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named)
{
    if (mMainText && isMember(member, u"CopyAsPicture")) {
        Arguments(positional, named).allowOnly({});
        copyFirstPageToClipboard(session(), mModel);
        return Variant();
    }
    return OfficeObject::call(member, positional, named);
}

WordFindObject::WordFindObject(std::shared_ptr<OfficeSession> session, Reference<css::text::XText> text, TextKind kind)
    : OfficeObject(std::move(session))
    , mText(std::move(text))
    , mKind(kind)
{
}

Variant WordFindObject::get(const QString &member)
{
    if (!isMember(member, u"Replacement"))
        unsupported();
    if (mReplacement.isNothing())
        mReplacement = Object(std::make_shared<WordReplacement>(sharedSession(), mSettings));
    return mReplacement;
}

void WordFindObject::set(const QString &member, const Variant &value)
{
    mSettings->set(member, value);
}

Variant WordFindObject::call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named)
{
    if (isMember(member, u"ClearFormatting")) {
        // Finds never match on formatting here, so there is no formatting to clear.
        Arguments(positional, named).allowOnly({});
        return Variant();
    }
    if (!isMember(member, u"Execute"))
        return OfficeObject::call(member, positional, named);
    const ReplaceMode mode = applyExecuteArguments(*mSettings, positional, named);
    const TextMatcher matcher(*mSettings);
    const int found = session().call(QStringLiteral("replace \"%1\"").arg(mSettings->text),
                                     [&] { return replaceInText(mText, mKind, matcher, mode); });
    if (found > 0 && mode != ReplaceMode::None)
        session().keeper().noteEdit();
    return Variant(found > 0);
}

void WordReplacement::set(const QString &member, const Variant &value)
{
    if (!isMember(member, u"Text"))
        unsupported();
    mSettings->replacementText = value.toString();
}

Variant WordReplacement::call(const QString &member, const QList<Variant> &positional,
                              const QList<NamedArgument> &named)
{
    if (!isMember(member, u"ClearFormatting"))
        return OfficeObject::call(member, positional, named);
    Arguments(positional, named).allowOnly({});
    return Variant();
}
