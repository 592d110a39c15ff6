#include "automation/Object.h"

#include "shell/RuntimeError.h"

QList<Variant> Dispatch::enumerate()
{
    unsupported();
}

void Dispatch::unsupported()
{
    raise(StandardError::NotSupported);
}

Dispatch &Object::target() const
{
    if (!mDispatch)
        raise(StandardError::ObjectNotSet);
    return *mDispatch;
}

Variant Object::get(const QString &member) const
{
    return target().get(member);
}

Object Object::object(const QString &member) const
{
    return get(member).toObject();
}

void Object::set(const QString &member, const Variant &value) const
{
    target().set(member, value);
}

Variant Object::call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) const
{
    return target().call(member, positional, named);
}

QList<Variant> Object::enumerate() const
{
    return target().enumerate();
}
