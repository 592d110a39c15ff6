#include "WordDocument.h"

#include "FileWrite.h"
#include "PagePicture.h"
#include "PdfExport.h"
#include "Printing.h"
#include "TextFitting.h"
#include "WordApplication.h"
#include "WordFileCheck.h"
#include "WordRange.h"

#include "automation/WordConstants.h"
#include "shell/FileUtils.h"

#include <QFile>
#include <QFileInfo>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFrame.hpp>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>

// Text frames are on the draw page too, so walking it alone reaches each frame exactly once.
QList<Reference<css::uno::XInterface>> drawPageShapes(const Reference<css::lang::XComponent> &model)
{
    const Reference<css::drawing::XDrawPageSupplier> supplier(model, UNO_QUERY_THROW);
    const Reference<css::container::XIndexAccess> page(supplier->getDrawPage(), UNO_QUERY_THROW);
    QList<Reference<css::uno::XInterface>> result;
    const sal_Int32 count = page->getCount();
    for (sal_Int32 i = 0; i < count; ++i)
        result.append(Reference<css::uno::XInterface>(page->getByIndex(i), UNO_QUERY));
    return result;
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

bool flagOf(const Reference<css::beans::XPropertySet> &style, const char *name, bool fallback)
{
    try {
        bool value = fallback;
        style->getPropertyValue(OUString::createFromAscii(name)) >>= value;
        return value;
    } catch (const css::uno::Exception &) {
        return fallback;
    }
}

} // namespace

Reference<css::text::XText> textOf(const Reference<css::beans::XPropertySet> &style, const char *name)
{
    try {
        return Reference<css::text::XText>(style->getPropertyValue(OUString::createFromAscii(name)), UNO_QUERY);
    } catch (const css::uno::Exception &) {
        return {};
    }
}

ShapeText textOfShape(const Reference<css::uno::XInterface> &shape)
{
    const Reference<css::text::XTextFrame> frame(shape, UNO_QUERY);
    if (frame.is())
        return {frame->getText(), TextKind::Writer};
    return {Reference<css::text::XText>(shape, UNO_QUERY), TextKind::Shape};
}

WordDocument::WordDocument(std::shared_ptr<OfficeSession> session, std::weak_ptr<WordApplication> application,
                           Reference<css::lang::XComponent> model, KeepInfo keep)
    : OfficeObject(std::move(session))
    , mApplication(std::move(application))
    , mModel(std::move(model))
    , mKeep(std::move(keep))
{
}

Variant WordDocument::get(const QString &member)
{
    ensureOpen();
    if (isMember(member, u"StoryRanges"))
        return Object(std::make_shared<WordCollection>(sharedSession(), storyRanges()));
    if (isMember(member, u"Shapes"))
        return Object(std::make_shared<WordCollection>(sharedSession(), shapes()));
    if (isMember(member, u"Range")) {
        const Reference<css::text::XText> body = session().call(QStringLiteral("read the document"), [&] {
            return Reference<css::text::XTextDocument>(mModel, UNO_QUERY_THROW)->getText();
        });
        return Object(std::make_shared<WordRange>(sharedSession(), mModel, body, TextKind::Writer, true));
    }
    unsupported();
}

Variant WordDocument::call(const QString &member, const QList<Variant> &positional, const QList<NamedArgument> &named)
{
    const Arguments arguments(positional, named);
    if (isMember(member, u"SaveAs")) {
        ensureOpen();
        arguments.allowOnly({u"FileName"});
        const Variant fileName = arguments.at(0, u"FileName");
        if (fileName.isMissing())
            throw RuntimeError(QStringLiteral("Argument not optional"));
        saveAs(fileName.toString());
        return Variant();
    }
    if (isMember(member, u"ExportAsFixedFormat")) {
        ensureOpen();
        arguments.allowOnly({u"OutputFileName", u"ExportFormat"});
        const Variant fileName = arguments.at(0, u"OutputFileName");
        const Variant format = arguments.at(1, u"ExportFormat");
        if (fileName.isMissing() || format.isMissing())
            throw RuntimeError(QStringLiteral("Argument not optional"));
        if (format.toLong() != WordConstants::ExportFormatPdf)
            throw RuntimeError(QStringLiteral("The export format %1 is not supported; only PDF (%2) can be exported.")
                                   .arg(format.toLong())
                                   .arg(WordConstants::ExportFormatPdf));
        storePdf(session(), mModel, fileName.toString());
        return Variant();
    }
    if (isMember(member, u"PrintOut")) {
        ensureOpen();
        arguments.allowOnly({u"Printer", u"Copies", u"Pages", u"PrintZoomPaperWidth", u"PrintZoomPaperHeight"});
        const Variant printer = arguments.at(0, u"Printer");
        if (printer.isMissing())
            throw RuntimeError(QStringLiteral("Argument not optional"));
        const Variant copies = arguments.at(1, u"Copies");
        const Variant pages = arguments.at(2, u"Pages");
        const Variant width = arguments.at(3, u"PrintZoomPaperWidth");
        const Variant height = arguments.at(4, u"PrintZoomPaperHeight");
        printDocument(session(), mModel, printer.toString(), copies.isMissing() ? 1 : int(copies.toLong()),
                      pages.isMissing() ? QString() : pages.toString(),
                      width.isMissing() || height.isMissing() ? QSize()
                                                              : QSize(int(width.toLong()), int(height.toLong())));
        return Variant();
    }
    if (isMember(member, u"Close")) {
        ensureOpen();
        arguments.allowOnly({u"SaveChanges"});
        // The program saves explicitly before closing; a hidden document is never saved by
        // closing it, and there is nobody to ask.
        const Variant saveChanges = arguments.at(0, u"SaveChanges");
        if (!saveChanges.isMissing() && saveChanges.toLong() != 0)
            throw RuntimeError(
                QStringLiteral("Closing with SaveChanges other than 0 is not supported; save with SaveAs first."));
        close();
        return Variant();
    }
    return OfficeObject::call(member, positional, named);
}

void WordDocument::close()
{
    if (isClosed())
        return;
    // A document the office keeps for the next fill stays open in it.
    if (!session().keeper().offer(sharedSession(), mModel, std::move(mKeep)))
        session().closeDocument(mModel);
    mModel.clear();
    if (const auto application = mApplication.lock())
        application->forget(this);
}

void WordDocument::ensureOpen() const
{
    if (isClosed())
        throw RuntimeError(QStringLiteral("The document has been closed."));
}

Object WordDocument::range(const Reference<css::text::XText> &text, TextKind kind) const
{
    return Object(std::make_shared<WordRange>(sharedSession(), mModel, text, kind, false));
}

// The stories a find should reach, as the word processor's own StoryRanges gives them: the main
// text; the text of the first text box only (further text boxes are linked from it there, and
// reached here through Shapes); then the headers and footers of the first page that exist, in the
// order even-page header, header, even-page footer, footer, first-page header, first-page footer.
// Footnotes, endnotes and comments are not offered.
QList<Variant> WordDocument::storyRanges() const
{
    if (mStories)
        return *mStories;
    mStories = session().call(QStringLiteral("list the document's stories"), [&] {
        QList<Variant> items;
        const Reference<css::text::XText> body = Reference<css::text::XTextDocument>(mModel, UNO_QUERY_THROW)
                                                     ->getText();
        items.append(Object(std::make_shared<WordRange>(sharedSession(), mModel, body, TextKind::Writer, true)));
        for (const auto &shape : drawPageShapes(mModel)) {
            const ShapeText shapeText = textOfShape(shape);
            if (shapeText.text.is()) {
                items.append(range(shapeText.text, shapeText.kind));
                break;
            }
        }
        const Reference<css::beans::XPropertySet> style = firstPageStyle(mModel);
        const bool headerOn = flagOf(style, "HeaderIsOn", false);
        const bool footerOn = flagOf(style, "FooterIsOn", false);
        const bool firstShared = flagOf(style, "FirstIsShared", true);
        const struct
        {
            bool exists;
            const char *text;
        } stories[] = {
            {headerOn && !flagOf(style, "HeaderIsShared", true), "HeaderTextLeft"},
            {headerOn, "HeaderText"},
            {footerOn && !flagOf(style, "FooterIsShared", true), "FooterTextLeft"},
            {footerOn, "FooterText"},
            {headerOn && !firstShared, "HeaderTextFirst"},
            {footerOn && !firstShared, "FooterTextFirst"},
        };
        for (const auto &story : stories) {
            if (!story.exists)
                continue;
            const Reference<css::text::XText> text = textOf(style, story.text);
            if (text.is())
                items.append(range(text, TextKind::Writer));
        }
        return items;
    });
    return *mStories;
}

QList<Variant> WordDocument::shapes() const
{
    return session().call(QStringLiteral("list the document's shapes"), [&] {
        QList<Variant> items;
        for (const auto &shape : drawPageShapes(mModel))
            items.append(Object(std::make_shared<WordShape>(sharedSession(), mModel, shape)));
        return items;
    });
}

// The office writes the document into its own temporary folder; it reaches the destination
// only complete, by rename. So a failed save (a full disk, say) never leaves an empty or cut-off
// document, nor the office's own temporary files, in the destination's folder, and an earlier
// file of that name stays as it was.
void WordDocument::saveAs(const QString &path)
{
    if (path.isEmpty())
        throw RuntimeError(QStringLiteral("The file name is empty."));
    const QString draft = session().temporaryPath(QStringLiteral(".doc"));
    const QString draftFolder = QFileInfo(draft).path();
    QByteArray contents;
    try {
        session().call(QStringLiteral("save the document as %1").arg(path), [&] {
            // Always Word 97-2003, whatever the document was opened from (a template, say).
            const Reference<css::frame::XStorable> storable(mModel, UNO_QUERY_THROW);
            try {
                storable->storeToURL(fileUrl(draft), properties({property("FilterName", Any(OUString("MS Word 97"))),
                                                                 property("Overwrite", Any(true))}));
            } catch (const css::io::IOException &error) {
                throw RuntimeError(describeOfficeWriteFailure(draft, toQString(error.Message)));
            }
        });
        QFile file(draft);
        if (file.open(QIODevice::ReadOnly))
            contents = file.readAll();
        // The office does not always notice that it could not write everything out.
        if (!wordFileIsComplete(contents))
            throw RuntimeError(
                QStringLiteral("The document engine could not save the document as %1: what it wrote is incomplete.")
                    .arg(path));
    } catch (const RuntimeError &error) {
        // The office does not say why its write failed; the room left says whether it was space.
        const QString description = session().isAlive()
            ? describeFailedWrite(draftFolder, QFileInfo(draft).size() + 1, 0, error.description())
            : error.description();
        QFile::remove(draft);
        throw RuntimeError(description);
    }
    QFile::remove(draft);
    WriteFileReplacing(contents, path);
    session().keeper().noteSave(mKeep, path);
}

Variant WordShape::get(const QString &member)
{
    if (!isMember(member, u"TextFrame"))
        unsupported();
    if (!mText) {
        mText = std::make_shared<ShapeText>(
            session().call(QStringLiteral("read a shape's text"), [&] { return textOfShape(mShape); }));
    }
    return Object(std::make_shared<WordTextFrame>(sharedSession(), mModel, mShape, mText));
}

Variant WordTextFrame::get(const QString &member)
{
    if (isMember(member, u"HasText")) {
        return session().call(QStringLiteral("read a shape's text"), [&] {
            const bool hasText = mText->text.is() && !mText->text->getString().isEmpty();
            return Variant(qint32(hasText ? -1 : 0));
        });
    }
    if (isMember(member, u"Overflowing")) {
        return session().call(QStringLiteral("measure a shape's text"), [&] { return Variant(textOverflows(mShape)); });
    }
    if (isMember(member, u"TextRange")) {
        session().ensureAlive();
        if (!mText->text.is())
            throw RuntimeError(QStringLiteral("This shape cannot hold text."));
        return Object(std::make_shared<WordRange>(sharedSession(), mModel, mText->text, mText->kind, false));
    }
    unsupported();
}
