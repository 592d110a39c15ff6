#include "WordApplication.h"

#include "WordDocument.h"

#include <optional>

Variant WordApplication::get(const QString &member)
{
    ensureRunning();
    if (isMember(member, u"Documents"))
        return Object(std::make_shared<WordDocuments>(shared_from_this()));
    if (isMember(member, u"ActiveDocument")) {
        if (mDocuments.isEmpty())
            throw RuntimeError(QStringLiteral("This command is not available because no document is open."));
        return Object(mDocuments.last());
    }
    unsupported();
}

void WordApplication::set(const QString &member, const Variant &value)
{
    ensureRunning();
    if (!isMember(member, u"DisplayAlerts"))
        unsupported();
    mDisplayAlerts = value.toBool();
}

Variant WordApplication::call(const QString &member, const QList<Variant> &positional,
                              const QList<NamedArgument> &named)
{
    if (!isMember(member, u"Quit"))
        return OfficeObject::call(member, positional, named);
    ensureRunning();
    Arguments(positional, named).allowOnly({});
    // Closing one document must not keep the others open: close all, then report the first
    // failure.
    std::optional<RuntimeError> failure;
    const auto documents = mDocuments;
    for (const auto &document : documents) {
        try {
            document->close();
        } catch (const RuntimeError &error) {
            if (!failure)
                failure = error;
        }
    }
    mDocuments.clear();
    mQuit = true;
    if (failure)
        throw *failure;
    return Variant();
}

Object WordApplication::open(const QString &path, bool readOnly)
{
    ensureRunning();
    std::shared_ptr<WordDocument> document;
    if (auto kept = session().keeper().take(session(), path, readOnly)) {
        document = std::make_shared<WordDocument>(sharedSession(), weak_from_this(), kept->model,
                                                  std::move(kept->info));
    } else {
        const auto component = session().loadDocument(path, readOnly);
        document = std::make_shared<WordDocument>(sharedSession(), weak_from_this(), component,
                                                  session().keeper().prepare(session(), component, path, readOnly));
    }
    mDocuments.append(document);
    return Object(document);
}

void WordApplication::forget(const WordDocument *document)
{
    mDocuments.removeIf([document](const auto &open) { return open.get() == document; });
}

void WordApplication::ensureRunning() const
{
    if (mQuit)
        throw RuntimeError(QStringLiteral("This Word.Application has quit; create a new one."));
    session().ensureAlive();
}

WordDocuments::WordDocuments(std::shared_ptr<WordApplication> application)
    : OfficeObject(nullptr)
    , mApplication(std::move(application))
{
}

Variant WordDocuments::call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named)
{
    if (!isMember(member, u"Open"))
        unsupported();
    const Arguments arguments(positional, named);
    arguments.allowOnly({u"FileName", u"ConfirmConversions", u"ReadOnly"});
    const Variant fileName = arguments.at(0, u"FileName");
    if (fileName.isMissing())
        throw RuntimeError(QStringLiteral("Argument not optional"));
    const Variant readOnly = arguments.at(2, u"ReadOnly");
    return mApplication->open(fileName.toString(), !readOnly.isMissing() && readOnly.toBool());
}
