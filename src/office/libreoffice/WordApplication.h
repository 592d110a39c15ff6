#pragma once

#include "OfficeObject.h"

#include <QList>

class WordDocument;

// The "Word.Application" object: one per CreateObject, all sharing the running office. It keeps
// the documents it opened; Quit closes those (and nothing else) and leaves the office running for
// the next instance.
//   Documents      (get)  the documents collection, for Open
//   DisplayAlerts  (set)  stored; the office never prompts anyway
//   ActiveDocument (get)  the document this instance opened last and has not closed
//   Quit           (call) closes this instance's documents unsaved; the instance is then gone
class WordApplication : public OfficeObject, public std::enable_shared_from_this<WordApplication>
{
public:
    explicit WordApplication(std::shared_ptr<OfficeSession> session) : OfficeObject(std::move(session)) {}

    Variant get(const QString &member) override;
    void set(const QString &member, const Variant &value) override;
    Variant call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) override;

    // Documents.Open: opens hidden, macros never run; read-only when asked.
    Object open(const QString &path, bool readOnly);
    // A document of this instance has closed.
    void forget(const WordDocument *document);

private:
    void ensureRunning() const;

    QList<std::shared_ptr<WordDocument>> mDocuments;
    bool mDisplayAlerts = true;
    bool mQuit = false;
};

// The application's Documents collection: Open(FileName, [ConfirmConversions], [ReadOnly]).
class WordDocuments : public OfficeObject
{
public:
    explicit WordDocuments(std::shared_ptr<WordApplication> application);

    Variant call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named) override;

private:
    std::shared_ptr<WordApplication> mApplication;
};
