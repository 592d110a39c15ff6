#include "OfficeObject.h"

OfficeObject::OfficeObject(std::shared_ptr<OfficeSession> session) : mSession(std::move(session))
{
    if (mSession)
        mSession->beginUse();
}

OfficeObject::~OfficeObject()
{
    if (mSession)
        mSession->endUse();
}

Variant OfficeObject::call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named)
{
    // A property read with call syntax and no arguments, as late binding allows.
    Arguments(positional, named).allowOnly({});
    return get(member);
}

Variant Arguments::at(qsizetype index, const char16_t *name) const
{
    for (const NamedArgument &argument : mNamed)
        if (isMember(argument.name, name))
            return argument.value;
    if (index < mPositional.size())
        return mPositional.at(index);
    return Variant::missing();
}

void Arguments::allowOnly(std::initializer_list<const char16_t *> names) const
{
    for (qsizetype i = qsizetype(names.size()); i < mPositional.size(); ++i)
        if (!mPositional.at(i).isMissing())
            throw RuntimeError(QStringLiteral("Wrong number of arguments or invalid property assignment"));
    for (const NamedArgument &argument : mNamed) {
        bool known = false;
        for (const char16_t *name : names)
            known = known || isMember(argument.name, name);
        if (!known)
            throw RuntimeError(QStringLiteral("Named argument not found"));
    }
}
