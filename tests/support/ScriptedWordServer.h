#pragma once

#include "automation/Object.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// A shape of a scripted document: the text its text frame holds, and optionally the answer its
// HasText gives instead of the usual -1 / 0 (an empty Variant for a null answer). Its text has
// one font size, or mixed sizes (Font.Size reads 9999999 until a size is set). It overflows when
// its characters times their size in points exceed its capacity (0: any text fits).
struct ScriptedShape
{
    QString text;
    std::optional<Variant> hasText;
    double fontSize = 12;
    bool mixedSizes = false;
    double capacity = 0;

    bool overflowing() const { return capacity > 0 && text.size() * fontSize > capacity; }
};

// What a scripted document holds: its stories' texts (as StoryRanges yields them) and its shapes.
struct ScriptedContent
{
    QStringList stories;
    QList<ScriptedShape> shapes;
};

// A document the scripted server opened, as it stands now.
struct ScriptedDocument
{
    QString path;
    bool readOnly = false;
    ScriptedContent content;
    QStringList savedAs;
    QStringList exportedAs; // ExportAsFixedFormat's files
    bool closed = false;
};

// An in-memory "Word.Application" for tests: documents of plain text, find and replace by the
// same rules as the office server, a test picture for CopyAsPicture. It records every member
// used, in order, and fails any member on request. Registered under "Mistlefold.ScriptedWord"
// while it lives; registerAs puts it in another ProgID's place as well.
class ScriptedWordServer
{
public:
    static inline const QString ProgId = QStringLiteral("Mistlefold.ScriptedWord");

    ScriptedWordServer();
    ~ScriptedWordServer();

    ScriptedWordServer(const ScriptedWordServer &) = delete;
    ScriptedWordServer &operator=(const ScriptedWordServer &) = delete;

    void registerAs(const QString &progId);

    // Makes "Kind.Member" fail with the description: kinds are Application, Documents, Document,
    // StoryRanges, Shapes, Range, Find, Replacement, Shape, TextFrame, Font, and "System.CreateObject"
    // for creating the application. times < 0: every time; otherwise the next that many uses.
    // after: the uses that succeed before the failures start.
    void fail(const QString &kindAndMember, const QString &description, int times = -1, int after = 0);
    void failCreateObject(const QString &description, int times = -1);

    // What a document opened from a path holds: contentByPath when the path is there, else content.
    ScriptedContent content;
    QHash<QString, ScriptedContent> contentByPath;
    // What CopyAsPicture puts on the clipboard.
    QImage picture;

    // Every member used, in order: "Kind.Member" for a read, "Kind.Member=value" for a write,
    // "Kind.Member(arguments)" for a call (omitted arguments empty, named ones as Name:=value;
    // 16-bit integers end in "%", 32-bit ones in "&"),
    // "Kind.ForEach" for an enumeration, "CreateObject" for a new application.
    QStringList log;
    // The log entries that start with prefix.
    QStringList logOf(const QString &prefix) const;
    // Every document opened, in order.
    QList<std::shared_ptr<ScriptedDocument>> documents;
    int applicationsCreated = 0;
    int applicationsQuit = 0;

    // Used by the scripted objects.
    void use(const QString &kind, const QString &entry, const QString &member);

private:
    struct Failure
    {
        QString description;
        int times;
        int after;
    };
    QHash<QString, Failure> mFailures;
    QStringList mRegistered;
};
