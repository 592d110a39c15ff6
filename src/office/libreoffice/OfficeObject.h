#pragma once

#include "OfficeSession.h"

#include "automation/Object.h"

#include <memory>

// Base of the "Word.Application" server's objects: each belongs to one office session. Members an
// object does not have fail with "Object doesn't support this property or method". Each holds a
// use of its session while it lives (OfficeSession::beginUse).
class OfficeObject : public Dispatch
{
public:
    explicit OfficeObject(std::shared_ptr<OfficeSession> session);
    ~OfficeObject() override;
    OfficeObject(const OfficeObject &) = delete;
    OfficeObject &operator=(const OfficeObject &) = delete;

    Variant get(const QString &) override { unsupported(); }
    void set(const QString &, const Variant &) override { unsupported(); }
    Variant call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) override;

protected:
    OfficeSession &session() const { return *mSession; }
    const std::shared_ptr<OfficeSession> &sharedSession() const { return mSession; }

private:
    std::shared_ptr<OfficeSession> mSession;
};

// Arguments of a call: by position or by name.
class Arguments
{
public:
    Arguments(const QList<Variant> &positional, const QList<NamedArgument> &named)
        : mPositional(positional)
        , mNamed(named)
    {
    }

    // The argument at index or of that name; missing when not given.
    Variant at(qsizetype index, const char16_t *name) const;
    // Throws when an argument other than the listed ones is given (names in positional order).
    void allowOnly(std::initializer_list<const char16_t *> names) const;

private:
    const QList<Variant> &mPositional;
    const QList<NamedArgument> &mNamed;
};
