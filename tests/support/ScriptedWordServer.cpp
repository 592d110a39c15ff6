#include "ScriptedWordServer.h"

#include "automation/CreateObject.h"
#include "office/WordFind.h"
#include "shell/ProgramClipboard.h"
#include "shell/RuntimeError.h"

#include <QFile>
#include <QGuiApplication>

#include <cmath>

namespace {

QString shown(const Variant &value)
{
    switch (value.type()) {
    case Variant::Type::Missing: return QString();
    case Variant::Type::Empty: return QStringLiteral("Empty");
    case Variant::Type::Object: return QStringLiteral("<object>");
    // Integer types carry their type suffix, so that tests see which one was passed.
    case Variant::Type::Integer: return value.toString() + QLatin1Char('%');
    case Variant::Type::Long: return value.toString() + QLatin1Char('&');
    default: return value.toString();
    }
}

QString callEntry(const QString &kind, const QString &member, const QList<Variant> &positional,
                  const QList<NamedArgument> &named)
{
    QStringList arguments;
    for (const Variant &value : positional)
        arguments.append(shown(value));
    for (const NamedArgument &argument : named)
        arguments.append(argument.name + QStringLiteral(":=") + shown(argument.value));
    return kind + QLatin1Char('.') + member + QLatin1Char('(') + arguments.join(QLatin1Char(',')) + QLatin1Char(')');
}

// The argument at index or of that name; missing when not given.
Variant argument(const QList<Variant> &positional, const QList<NamedArgument> &named, qsizetype index, const char16_t *name)
{
    for (const NamedArgument &each : named)
        if (isMember(each.name, name))
            return each.value;
    return index < positional.size() ? positional.at(index) : Variant::missing();
}

// Every scripted object logs each use and fails on request before doing anything.
class ScriptedObject : public Dispatch
{
public:
    ScriptedObject(ScriptedWordServer &server, const QString &kind) : mServer(server), mKind(kind) {}

    Variant get(const QString &member) final
    {
        mServer.use(mKind, mKind + QLatin1Char('.') + member, member);
        return read(member);
    }
    void set(const QString &member, const Variant &value) final
    {
        mServer.use(mKind, mKind + QLatin1Char('.') + member + QLatin1Char('=') + shown(value), member);
        write(member, value);
    }
    Variant call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) final
    {
        mServer.use(mKind, callEntry(mKind, member, positional, named), member);
        return invoke(member, positional, named);
    }
    QList<Variant> enumerate() final
    {
        mServer.use(mKind, mKind + QStringLiteral(".ForEach"), QStringLiteral("ForEach"));
        return items();
    }

protected:
    virtual Variant read(const QString &) { unsupported(); }
    virtual void write(const QString &, const Variant &) { unsupported(); }
    virtual Variant invoke(const QString &member, const QList<Variant> &, const QList<NamedArgument> &)
    {
        return read(member);
    }
    virtual QList<Variant> items() { unsupported(); }

    ScriptedWordServer &mServer;
    QString mKind;
};

class Collection : public ScriptedObject
{
public:
    Collection(ScriptedWordServer &server, const QString &kind, QList<Variant> items)
        : ScriptedObject(server, kind), mItems(std::move(items)) {}

protected:
    QList<Variant> items() override { return mItems; }

private:
    QList<Variant> mItems;
};

class Replacement : public ScriptedObject
{
public:
    Replacement(ScriptedWordServer &server, std::shared_ptr<FindSettings> settings)
        : ScriptedObject(server, QStringLiteral("Replacement")), mSettings(std::move(settings)) {}

protected:
    void write(const QString &member, const Variant &value) override
    {
        if (!isMember(member, u"Text"))
            unsupported();
        mSettings->replacementText = value.toString();
    }
    Variant invoke(const QString &member, const QList<Variant> &, const QList<NamedArgument> &) override
    {
        if (!isMember(member, u"ClearFormatting"))
            unsupported();
        return Variant();
    }

private:
    std::shared_ptr<FindSettings> mSettings;
};

// Where a range's text lives: a story or a shape of a document.
struct TextPlace
{
    std::shared_ptr<ScriptedDocument> document;
    bool shape = false;
    qsizetype index = 0;

    QString &text() const
    {
        return shape ? document->content.shapes[index].text : document->content.stories[index];
    }
};

class Find : public ScriptedObject
{
public:
    Find(ScriptedWordServer &server, TextPlace place) : ScriptedObject(server, QStringLiteral("Find")), mPlace(std::move(place)) {}

protected:
    Variant read(const QString &member) override
    {
        if (!isMember(member, u"Replacement"))
            unsupported();
        if (mReplacement.isNothing())
            mReplacement = Object(std::make_shared<Replacement>(mServer, mSettings));
        return mReplacement;
    }
    void write(const QString &member, const Variant &value) override { mSettings->set(member, value); }
    Variant invoke(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) override
    {
        if (isMember(member, u"ClearFormatting"))
            return Variant();
        if (!isMember(member, u"Execute"))
            return read(member);
        const ReplaceMode mode = applyExecuteArguments(*mSettings, positional, named);
        int found = 0;
        QString &text = mPlace.text();
        text = TextMatcher(*mSettings).replace(text, mode, &found);
        return Variant(found > 0);
    }

private:
    TextPlace mPlace;
    std::shared_ptr<FindSettings> mSettings = std::make_shared<FindSettings>();
    Object mReplacement;
};

// A shape's font: Size, as the office server reads and sets it.
class Font : public ScriptedObject
{
public:
    Font(ScriptedWordServer &server, TextPlace place) : ScriptedObject(server, QStringLiteral("Font")), mPlace(std::move(place)) {}

protected:
    Variant read(const QString &member) override
    {
        if (!isMember(member, u"Size") || !mPlace.shape)
            unsupported();
        const ScriptedShape &shape = mPlace.document->content.shapes.at(mPlace.index);
        return Variant(shape.mixedSizes ? 9999999.0 : shape.fontSize);
    }
    void write(const QString &member, const Variant &value) override
    {
        if (!isMember(member, u"Size") || !mPlace.shape)
            unsupported();
        const double size = std::round(value.toDouble() * 2) / 2;
        if (!(size >= 1 && size <= 1638))
            throw RuntimeError(QStringLiteral("Value out of range"));
        ScriptedShape &shape = mPlace.document->content.shapes[mPlace.index];
        shape.fontSize = size;
        shape.mixedSizes = false;
    }

private:
    TextPlace mPlace;
};

class Range : public ScriptedObject
{
public:
    Range(ScriptedWordServer &server, TextPlace place) : ScriptedObject(server, QStringLiteral("Range")), mPlace(std::move(place)) {}

protected:
    Variant read(const QString &member) override
    {
        if (isMember(member, u"Font"))
            return Object(std::make_shared<Font>(mServer, mPlace));
        if (isMember(member, u"Text"))
            return mPlace.text();
        if (!isMember(member, u"Find"))
            unsupported();
        if (mFind.isNothing())
            mFind = Object(std::make_shared<Find>(mServer, mPlace));
        return mFind;
    }
    Variant invoke(const QString &member, const QList<Variant> &, const QList<NamedArgument> &) override
    {
        if (!isMember(member, u"CopyAsPicture"))
            return read(member);
        ProgramClipboard::setImage(mServer.picture);
        return Variant();
    }

private:
    TextPlace mPlace;
    Object mFind;
};

class TextFrame : public ScriptedObject
{
public:
    TextFrame(ScriptedWordServer &server, TextPlace place) : ScriptedObject(server, QStringLiteral("TextFrame")), mPlace(std::move(place)) {}

protected:
    Variant read(const QString &member) override
    {
        if (isMember(member, u"HasText")) {
            const ScriptedShape &shape = mPlace.document->content.shapes.at(mPlace.index);
            return shape.hasText ? *shape.hasText : Variant(qint32(shape.text.isEmpty() ? 0 : -1));
        }
        if (isMember(member, u"TextRange"))
            return Object(std::make_shared<Range>(mServer, mPlace));
        if (isMember(member, u"Overflowing"))
            return mPlace.document->content.shapes.at(mPlace.index).overflowing();
        unsupported();
    }

private:
    TextPlace mPlace;
};

class Shape : public ScriptedObject
{
public:
    Shape(ScriptedWordServer &server, TextPlace place) : ScriptedObject(server, QStringLiteral("Shape")), mPlace(std::move(place)) {}

protected:
    Variant read(const QString &member) override
    {
        if (!isMember(member, u"TextFrame"))
            unsupported();
        return Object(std::make_shared<TextFrame>(mServer, mPlace));
    }

private:
    TextPlace mPlace;
};

class Document : public ScriptedObject
{
public:
    Document(ScriptedWordServer &server, std::shared_ptr<ScriptedDocument> document)
        : ScriptedObject(server, QStringLiteral("Document")), mDocument(std::move(document)) {}

    const std::shared_ptr<ScriptedDocument> &document() const { return mDocument; }

protected:
    Variant read(const QString &member) override
    {
        ensureOpen();
        if (isMember(member, u"StoryRanges")) {
            QList<Variant> stories;
            for (qsizetype i = 0; i < mDocument->content.stories.size(); ++i)
                stories.append(Object(std::make_shared<Range>(mServer, TextPlace{mDocument, false, i})));
            return Object(std::make_shared<Collection>(mServer, QStringLiteral("StoryRanges"), stories));
        }
        if (isMember(member, u"Shapes")) {
            QList<Variant> shapes;
            for (qsizetype i = 0; i < mDocument->content.shapes.size(); ++i)
                shapes.append(Object(std::make_shared<Shape>(mServer, TextPlace{mDocument, true, i})));
            return Object(std::make_shared<Collection>(mServer, QStringLiteral("Shapes"), shapes));
        }
        if (isMember(member, u"Range"))
            return Object(std::make_shared<Range>(mServer, TextPlace{mDocument, false, 0}));
        unsupported();
    }
    Variant invoke(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) override
    {
        if (isMember(member, u"SaveAs")) {
            ensureOpen();
            const QString path = positional.value(0).toString();
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw RuntimeError(QStringLiteral("The document could not be saved as %1.").arg(path));
            file.write("scripted document\n");
            file.write(mDocument->content.stories.join(QLatin1Char('\n')).toUtf8());
            mDocument->savedAs.append(path);
            return Variant();
        }
        if (isMember(member, u"ExportAsFixedFormat")) {
            ensureOpen();
            const Variant fileName = argument(positional, named, 0, u"OutputFileName");
            const Variant format = argument(positional, named, 1, u"ExportFormat");
            if (fileName.isMissing() || format.isMissing())
                throw RuntimeError(QStringLiteral("Argument not optional"));
            if (format.toLong() != 17)
                throw RuntimeError(QStringLiteral("The export format %1 is not supported.").arg(format.toLong()));
            const QString path = fileName.toString();
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw RuntimeError(QStringLiteral("The document could not be exported to %1.").arg(path));
            file.write("%PDF-1.4 scripted\n");
            file.write(mDocument->content.stories.join(QLatin1Char('\n')).toUtf8());
            mDocument->exportedAs.append(path);
            return Variant();
        }
        if (isMember(member, u"PrintOut")) { // recorded in the log, printed nowhere
            ensureOpen();
            if (argument(positional, named, 0, u"Printer").isMissing())
                throw RuntimeError(QStringLiteral("Argument not optional"));
            return Variant();
        }
        if (isMember(member, u"Close")) {
            ensureOpen();
            for (const NamedArgument &argument : named)
                if (!isMember(argument.name, u"SaveChanges"))
                    throw RuntimeError(QStringLiteral("Named argument not found"));
            mDocument->closed = true;
            return Variant();
        }
        return read(member);
    }

private:
    void ensureOpen() const
    {
        if (mDocument->closed)
            throw RuntimeError(QStringLiteral("The document has been closed."));
    }

    std::shared_ptr<ScriptedDocument> mDocument;
};

class Application;

class Documents : public ScriptedObject
{
public:
    Documents(ScriptedWordServer &server, QList<std::shared_ptr<Document>> &open)
        : ScriptedObject(server, QStringLiteral("Documents")), mOpen(open) {}

protected:
    Variant invoke(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) override
    {
        if (!isMember(member, u"Open"))
            unsupported();
        auto document = std::make_shared<ScriptedDocument>();
        document->path = positional.value(0).toString();
        for (const NamedArgument &argument : named)
            if (isMember(argument.name, u"ReadOnly"))
                document->readOnly = argument.value.toBool();
        if (!QFile::exists(document->path))
            throw RuntimeError(QStringLiteral("The document %1 could not be found.").arg(document->path));
        document->content = mServer.contentByPath.value(document->path, mServer.content);
        mServer.documents.append(document);
        mOpen.append(std::make_shared<Document>(mServer, document));
        return Object(mOpen.last());
    }

private:
    QList<std::shared_ptr<Document>> &mOpen;
};

class Application : public ScriptedObject
{
public:
    explicit Application(ScriptedWordServer &server) : ScriptedObject(server, QStringLiteral("Application")) {}

    bool displayAlerts = true;

protected:
    Variant read(const QString &member) override
    {
        ensureRunning();
        if (isMember(member, u"Documents"))
            return Object(std::make_shared<Documents>(mServer, mOpen));
        if (isMember(member, u"ActiveDocument")) {
            for (auto it = mOpen.crbegin(); it != mOpen.crend(); ++it)
                if (!(*it)->document()->closed)
                    return Object(*it);
            throw RuntimeError(QStringLiteral("This command is not available because no document is open."));
        }
        unsupported();
    }
    void write(const QString &member, const Variant &value) override
    {
        ensureRunning();
        if (!isMember(member, u"DisplayAlerts"))
            unsupported();
        displayAlerts = value.toBool();
    }
    Variant invoke(const QString &member, const QList<Variant> &, const QList<NamedArgument> &) override
    {
        if (!isMember(member, u"Quit"))
            return read(member);
        ensureRunning();
        for (const auto &document : mOpen)
            document->document()->closed = true;
        mQuit = true;
        ++mServer.applicationsQuit;
        return Variant();
    }

private:
    void ensureRunning() const
    {
        if (mQuit)
            throw RuntimeError(QStringLiteral("This Word.Application has quit; create a new one."));
    }

    QList<std::shared_ptr<Document>> mOpen;
    bool mQuit = false;
};

} // namespace

ScriptedWordServer::ScriptedWordServer()
{
    picture = QImage(120, 160, QImage::Format_RGB32);
    picture.fill(QColor(0x2e, 0x7d, 0x32));
    registerAs(ProgId);
}

ScriptedWordServer::~ScriptedWordServer()
{
    for (const QString &progId : std::as_const(mRegistered))
        AutomationServers::unregisterServer(progId);
}

void ScriptedWordServer::registerAs(const QString &progId)
{
    mRegistered.append(progId);
    AutomationServers::registerServer(progId, [this] {
        use(QStringLiteral("System"), QStringLiteral("CreateObject"), QStringLiteral("CreateObject"));
        ++applicationsCreated;
        return Object(std::make_shared<Application>(*this));
    });
}

void ScriptedWordServer::fail(const QString &kindAndMember, const QString &description, int times, int after)
{
    mFailures.insert(kindAndMember.toLower(), {description, times, after});
}

void ScriptedWordServer::failCreateObject(const QString &description, int times)
{
    fail(QStringLiteral("System.CreateObject"), description, times);
}

QStringList ScriptedWordServer::logOf(const QString &prefix) const
{
    QStringList result;
    for (const QString &entry : log)
        if (entry.startsWith(prefix, Qt::CaseInsensitive))
            result.append(entry);
    return result;
}

void ScriptedWordServer::use(const QString &kind, const QString &entry, const QString &member)
{
    log.append(entry);
    const auto failure = mFailures.find((kind + QLatin1Char('.') + member).toLower());
    if (failure == mFailures.end() || failure->times == 0)
        return;
    if (failure->after > 0) {
        --failure->after;
        return;
    }
    if (failure->times > 0)
        --failure->times;
    throw RuntimeError(failure->description);
}
