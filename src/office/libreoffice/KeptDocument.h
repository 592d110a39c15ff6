#pragma once

#include "Uno.h"

#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/text/XText.hpp>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>

class Job;
class OfficeSession;

// Where a file stands on disk and which version of it: a file written again, or another one put in
// its place, differs in one of these.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    // The identity of the regular file at path (never through a link), or none.
    static std::optional<FileIdentity> of(const QString &path);
    bool operator==(const FileIdentity &other) const;
};

// What a document opened from a template needs to be kept past its close: the template's bytes, its
// texts as opened (which a restore must give back), and the file it was last saved as.
struct KeepInfo
{
    QByteArray templateBytes; // empty: the document is not kept
    QList<Reference<css::text::XText>> texts;
    QStringList pristineTexts;
    std::optional<FileIdentity> savedAs; // with nothing edited since (edits counted at the save)
    quint64 editsAtSave = 0;
    bool servedAsSaved = false; // opened as the file it had been saved as
};

// The one document an office keeps between uses, so that making one invitation after another opens
// no file at all: the template, opened read-only, is kept after its close and restored to what it
// was (an undo of everything done to it since it was opened, checked against its texts as opened;
// a template with text in drawing shapes, which the undo does not reach, is not kept); and a
// filled template, closed right after being saved, is kept as it is until that saved file is
// opened. A kept document is served only for what it stands for: the pristine one for a read-only
// open of a file with exactly the template's bytes, the filled one for an open of the file it was
// saved as while that is unchanged on disk (same device, inode, size and time). One user at a
// time; any thread.
class DocumentKeeper
{
public:
    struct Taken
    {
        Reference<css::lang::XComponent> model;
        KeepInfo info;
    };

    // The kept document that stands for path, taken out of keeping and ready to be changed, or none.
    std::optional<Taken> take(OfficeSession &session, const QString &path, bool readOnly);
    // For a document just opened from path: what keeping it needs (nothing unless read-only).
    KeepInfo prepare(OfficeSession &session, const Reference<css::lang::XComponent> &model, const QString &path,
                     bool readOnly);
    // At a document's close: takes it over (true), or leaves it to be closed (false: not opened from
    // a template). A document closed after its save is kept as it is; any other is restored on a
    // work thread and kept once every text is back as it was, else closed. What is kept takes the
    // place of the document kept so far, which is closed.
    bool offer(const std::shared_ptr<OfficeSession> &session, const Reference<css::lang::XComponent> &model,
               KeepInfo info);

    // A change made to some document: a filled document changed after its save no longer stands
    // for the saved file.
    void noteEdit() { ++mEdits; }
    // The document of info was just saved as path: as it is now, it stands for that file. A file
    // the office saved is never taken for a template (opening it again for a PDF, say, would
    // otherwise push the template out).
    void noteSave(KeepInfo &info, const QString &path);

private:
    void keep(OfficeSession &session, Taken kept, bool filled);

    std::mutex mMutex;
    std::shared_ptr<Job> mRestoring; // the restore under way, if any
    std::optional<Taken> mKept;
    bool mFilled = false;
    std::optional<FileIdentity> mLastSaved;
    std::atomic<quint64> mEdits{0};
};
