#pragma once

#include "automation/Variant.h"

#include <QList>
#include <QString>

#include <memory>

struct NamedArgument
{
    QString name;
    Variant value;
};

// What a server implements for each of its objects: members looked up by name at run time.
// Names are matched without regard to case. A member the object does not have throws
// RuntimeError "Object doesn't support this property or method"; every other failure throws
// RuntimeError with its own description.
class Dispatch
{
public:
    virtual ~Dispatch() = default;

    virtual Variant get(const QString &member) = 0;
    virtual void set(const QString &member, const Variant &value) = 0;
    virtual Variant call(const QString &member, const QList<Variant> &positional,
                         const QList<NamedArgument> &named) = 0;
    // The items of a collection, for For Each.
    virtual QList<Variant> enumerate();

    // Throws "Object doesn't support this property or method".
    [[noreturn]] static void unsupported();
};

// A handle to an automation object, or Nothing. Using Nothing throws RuntimeError
// "Object variable or With block variable not set".
class Object
{
public:
    Object() = default;
    explicit Object(std::shared_ptr<Dispatch> dispatch) : mDispatch(std::move(dispatch)) {}

    bool isNothing() const { return !mDispatch; }
    const std::shared_ptr<Dispatch> &dispatch() const { return mDispatch; }

    Variant get(const QString &member) const;
    // get() of a member that holds an object.
    Object object(const QString &member) const;
    void set(const QString &member, const Variant &value) const;
    Variant call(const QString &member, const QList<Variant> &positional = {},
                 const QList<NamedArgument> &named = {}) const;
    QList<Variant> enumerate() const;

private:
    Dispatch &target() const;
    std::shared_ptr<Dispatch> mDispatch;
};

// Case-insensitive comparison of member names.
inline bool isMember(const QString &member, const char16_t *name)
{
    return member.compare(QString::fromUtf16(name), Qt::CaseInsensitive) == 0;
}
