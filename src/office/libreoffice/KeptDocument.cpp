#include "KeptDocument.h"

#include "OfficeSession.h"
#include "WordDocument.h"
#include "WorkThreads.h"

#include "shell/FileUtils.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/document/XUndoManager.hpp>
#include <com/sun/star/document/XUndoManagerSupplier.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextViewCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>

#include <QFile>

namespace {

// A template larger than this is opened afresh each time rather than held in memory twice.
constexpr qint64 LargestKeptTemplate = 32 * 1024 * 1024;
// Each use of a kept document is one undo step; a bound, should an undo never end.
constexpr int MostUndoSteps = 100;

const char *const PageTexts[] = {"HeaderText", "HeaderTextLeft", "HeaderTextFirst",
                                 "FooterText", "FooterTextLeft", "FooterTextFirst"};

Reference<css::document::XUndoManager> undoManager(const Reference<css::lang::XComponent> &model)
{
    return Reference<css::document::XUndoManagerSupplier>(model, UNO_QUERY_THROW)->getUndoManager();
}

// Every text a fill may change: the main text, the first page's headers and footers, and the text
// of every text frame. None when a drawing shape holds text: the office's undo does not take back
// what is done to a drawing shape's text (nor its size) from outside, so such a document is never
// kept.
std::optional<QList<Reference<css::text::XText>>> textsOf(const Reference<css::lang::XComponent> &model)
{
    QList<Reference<css::text::XText>> texts{Reference<css::text::XTextDocument>(model, UNO_QUERY_THROW)->getText()};
    const Reference<css::beans::XPropertySet> style = firstPageStyle(model);
    for (const char *name : PageTexts) {
        if (const Reference<css::text::XText> text = textOf(style, name); text.is())
            texts.append(text);
    }
    for (const auto &shape : drawPageShapes(model)) {
        const ShapeText shapeText = textOfShape(shape);
        if (shapeText.kind == TextKind::Shape && shapeText.text.is() && !shapeText.text->getString().isEmpty())
            return std::nullopt;
        if (shapeText.text.is())
            texts.append(shapeText.text);
    }
    return texts;
}

QStringList contents(const QList<Reference<css::text::XText>> &texts)
{
    QStringList result;
    for (const auto &text : texts)
        result.append(toQString(text->getString()));
    return result;
}

std::optional<QByteArray> templateBytes(const QString &path)
{
    const auto identity = FileIdentity::of(path);
    if (!identity || identity->size > LargestKeptTemplate)
        return std::nullopt;
    try {
        return ReadRegularFile(path);
    } catch (const RuntimeError &) {
        return std::nullopt;
    }
}

// Undoes everything done since the document was opened; true when every text is back as it was.
// The undo leaves the document's cursor where the last edit was, in a box; it goes back to the
// start of the page's text, where a freshly opened document has it: the office lays out the
// paragraph holding its cursor after every edit, hidden text included, which for a very long
// value would take seconds each time.
bool restoreTexts(const Reference<css::lang::XComponent> &model, const Reference<css::document::XUndoManager> &undo,
                  const KeepInfo &info)
{
    for (int step = 0; step < MostUndoSteps && undo->isUndoPossible(); ++step)
        undo->undo();
    undo->clear();
    const Reference<css::frame::XModel> document(model, UNO_QUERY_THROW);
    const Reference<css::text::XTextViewCursorSupplier> view(document->getCurrentController(), UNO_QUERY);
    if (view.is())
        view->getViewCursor()->gotoRange(
            Reference<css::text::XTextDocument>(model, UNO_QUERY_THROW)->getText()->getStart(), false);
    return contents(info.texts) == info.pristineTexts;
}

void close(OfficeSession &session, const Reference<css::lang::XComponent> &model)
{
    try {
        session.closeDocument(model);
    } catch (const RuntimeError &) {
        // Gone with its office.
    }
}

} // namespace

std::optional<FileIdentity> FileIdentity::of(const QString &path)
{
    struct stat info
    {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

bool FileIdentity::operator==(const FileIdentity &other) const
{
    return device == other.device && inode == other.inode && size == other.size
        && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

std::optional<DocumentKeeper::Taken> DocumentKeeper::take(OfficeSession &session, const QString &path, bool readOnly)
{
    std::shared_ptr<Job> restoring;
    {
        std::lock_guard lock(mMutex);
        restoring = mRestoring;
    }
    if (restoring)
        restoring->wait();
    std::optional<Taken> taken;
    bool restore = false;
    {
        std::lock_guard lock(mMutex);
        if (!mKept)
            return std::nullopt;
        const auto identity = FileIdentity::of(path);
        if (mFilled && identity && mKept->info.savedAs && *identity == *mKept->info.savedAs) {
            mKept->info.servedAsSaved = true;
        } else {
            // The template's file is written afresh for every use: what counts is its bytes. A
            // filled document whose saved file was never opened is restored for it.
            if (!readOnly || templateBytes(path) != mKept->info.templateBytes)
                return std::nullopt;
            restore = mFilled;
            mKept->info.savedAs.reset();
            mKept->info.servedAsSaved = false;
        }
        taken = std::move(mKept);
        mKept.reset();
    }
    try {
        const bool ready = session.call(QStringLiteral("open the document %1").arg(path), [&] {
            const auto undo = undoManager(taken->model);
            if (restore && !restoreTexts(taken->model, undo, taken->info))
                return false;
            undo->enterUndoContext("Mistlefold");
            return true;
        });
        if (ready)
            return taken;
        close(session, taken->model);
    } catch (const RuntimeError &) {
        // The office has gone, and the document with it: it is opened afresh.
    }
    return std::nullopt;
}

KeepInfo DocumentKeeper::prepare(OfficeSession &session, const Reference<css::lang::XComponent> &model,
                                 const QString &path, bool readOnly)
{
    KeepInfo info;
    if (!readOnly)
        return info;
    {
        std::lock_guard lock(mMutex);
        if (mLastSaved && FileIdentity::of(path) == mLastSaved)
            return info;
    }
    auto bytes = templateBytes(path);
    if (!bytes || bytes->isEmpty())
        return info;
    try {
        const bool keepable = session.call(QStringLiteral("open the document %1").arg(path), [&] {
            auto texts = textsOf(model);
            if (!texts)
                return false;
            info.texts = std::move(*texts);
            info.pristineTexts = contents(info.texts);
            const auto undo = undoManager(model);
            undo->reset();
            undo->enterUndoContext("Mistlefold");
            return true;
        });
        if (!keepable)
            return {};
    } catch (const RuntimeError &) {
        return {}; // opened, but not to be kept
    }
    info.templateBytes = std::move(*bytes);
    return info;
}

bool DocumentKeeper::offer(const std::shared_ptr<OfficeSession> &session, const Reference<css::lang::XComponent> &model,
                           KeepInfo info)
{
    if (info.templateBytes.isEmpty())
        return false;
    if (!info.servedAsSaved && info.savedAs && info.editsAtSave == mEdits) {
        try {
            session->call(QStringLiteral("close the document"), [&] { undoManager(model)->leaveUndoContext(); });
        } catch (const RuntimeError &) {
            return false;
        }
        keep(*session, Taken{model, std::move(info)}, true);
        return true;
    }
    // Restored on a work thread once the close has returned; the next take waits for it. The office
    // counts as idle meanwhile: a worn one may be replaced under the restore, which then fails and
    // the next fill opens the template afresh in the fresh office.
    info.savedAs.reset();
    info.servedAsSaved = false;
    std::lock_guard lock(mMutex);
    mRestoring = WorkThreads::post([this, session, model, info = std::move(info)]() mutable {
        bool restored = false;
        try {
            restored = session->call(QStringLiteral("restore the template"), [&] {
                const auto undo = undoManager(model);
                undo->leaveUndoContext();
                return restoreTexts(model, undo, info);
            });
        } catch (const RuntimeError &) {
        }
        if (restored)
            keep(*session, Taken{model, std::move(info)}, false);
        else
            close(*session, model);
    });
    return true;
}

void DocumentKeeper::noteSave(KeepInfo &info, const QString &path)
{
    info.savedAs = FileIdentity::of(path);
    info.editsAtSave = mEdits;
    std::lock_guard lock(mMutex);
    mLastSaved = info.savedAs;
}

void DocumentKeeper::keep(OfficeSession &session, Taken kept, bool filled)
{
    // The latest document is kept: a template that changed, say, takes the place of the old one.
    std::optional<Taken> replaced;
    {
        std::lock_guard lock(mMutex);
        replaced = std::exchange(mKept, std::move(kept));
        mFilled = filled;
    }
    if (replaced)
        close(session, replaced->model);
}
