#include "WordApplication.h"

#include "WordDocument.h"

#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>

#include <QFileInfo>

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
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        throw RuntimeError(QStringLiteral("The document %1 could not be found.").arg(path));
    const auto component = session().call(QStringLiteral("open the document %1").arg(path), [&] {
        const Reference<css::frame::XComponentLoader> loader(session().desktop(), UNO_QUERY_THROW);
        return loader->loadComponentFromURL(
            fileUrl(path), "_blank", 0,
            properties({property("Hidden", Any(true)),
                        property("ReadOnly", Any(readOnly)),
                        // A template opens as itself, not as a new document made from it.
                        property("AsTemplate", Any(false)),
                        property("MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)),
                        property("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE))}));
    });
    if (!component.is())
        throw RuntimeError(QStringLiteral("The document %1 could not be opened: its format is not recognised.").arg(path));
    auto document = std::make_shared<WordDocument>(sharedSession(), weak_from_this(), component);
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

Variant WordDocuments::call(const QString &member, const QList<Variant> &positional,
                            const QList<NamedArgument> &named)
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
