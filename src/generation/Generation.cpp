// The generation pipeline: from the embedded template to a filled document in the temporary
// folder and a picture of its first page, handed to the windows.
#include "generation/Generation.h"

#include "automation/CreateObject.h"
#include "generation/ClipboardPicture.h"
#include "generation/DateTimeTexts.h"
#include "generation/FitText.h"
#include "generation/PageSharpening.h"
#include "generation/PartyDetails.h"
#include "generation/PlaceholderReplacement.h"
#include "generation/TempFolder.h"
#include "shell/Clock.h"
#include "shell/FileUtils.h"
#include "shell/Guard.h"
#include "shell/Program.h"
#include "shell/RandomSource.h"
#include "shell/RuntimeError.h"
#include "shell/Window.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace {

// The snapshot is reported as a procedure of the main window, whose button runs it.
const QString Window1 = QStringLiteral("Form1");
const QString TemplateName = QStringLiteral("template.dot");
const QString PictureName = QStringLiteral("temp.bmp");

QByteArray loadTemplateResource()
{
    QFile resource(QStringLiteral(":/CUSTOM/101"));
    if (!resource.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("Resource with identifier '101' not found"));
    return resource.readAll();
}

// A bitmap file as long as its header says: a cut-off one would show as a partly black page.
bool isCompleteBitmap(const QByteArray &bytes)
{
    if (bytes.size() < 14 || !bytes.startsWith("BM"))
        return false;
    const auto *size = reinterpret_cast<const uchar *>(bytes.constData() + 2);
    return qsizetype(quint32(size[0]) | quint32(size[1]) << 8 | quint32(size[2]) << 16 | quint32(size[3]) << 24)
        <= bytes.size();
}

QImage loadPicture(const QString &path)
{
    const QByteArray bytes = ReadRegularFile(path);
    QImage picture;
    if (!isCompleteBitmap(bytes) || !picture.loadFromData(bytes, "BMP"))
        raise(StandardError::InvalidPicture);
    return picture;
}

void savePicture(const QImage &picture, const QString &path)
{
    if (picture.isNull())
        raise(StandardError::InvalidPicture);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "BMP"))
        raise(StandardError::InvalidPicture);
    WriteWorkFile(bytes, path);
}

// The filled document as the engine saved it, or nothing when no document with content is
// there: an empty one is removed, never handed on.
QString savedDocument(const QString &path)
{
    if (RegularFileExists(path) && QFileInfo(path).size() > 0)
        return path;
    DeleteFileQuietly(path);
    return QString();
}

// The values the page shows, in its reading order: when, where, and who gives the party.
QStringList pageValues(const PartyDetails &details)
{
    return {PartyDateText(details.partyDate().date()),
            PartyTimeText(details.partyTime().time()),
            details.text(2),
            details.text(1),
            details.text(3),
            details.text(0)};
}

} // namespace

void GenerateInvitation(Guard &guard, const PartyDetails &details, GenerationHandOver &handOver)
{
    // The previous run's page is no longer wanted sharper.
    PageSharpening::cancel();
    guard.run(104, [&] { handOver.setMainWindowPointer(Window::Hourglass); });
    QByteArray templateBytes;
    guard.run(106, [&] { templateBytes = loadTemplateResource(); });
    // A link standing in the template's place is never followed: only a file of ours is used. The
    // test and the write are one numbered step: a failure of either reports as 108.
    if (guard.test(108, [&] { return !RegularFileExists(TempFolder::file(TemplateName)); }))
        guard.run(108, [&] { WriteFileIfAbsent(templateBytes, TempFolder::file(TemplateName)); });

    Object word;
    Object document;
    QString templatePath;
    guard.run(110, [&] { word = CreateObject(WordProgId); });
    guard.run(112, [&] { templatePath = TempFolder::file(TemplateName); });
    guard.run(114, [&] {
        document = word.object(QStringLiteral("Documents"))
                       .call(QStringLiteral("Open"), {templatePath}, {{QStringLiteral("ReadOnly"), true}})
                       .toObject();
    });
    ReplacePlaceholders(guard, document, details);
    const QStringList tooLong = FitText(guard, document, details);

    // A fresh name: "plumix" and eight digits from 1 to 9, never one whose file exists.
    QString documentPath;
    do {
        QString name;
        guard.run(170, [&] { name = QStringLiteral("plumix"); });
        for (int count = 0; count < 8; ++count) {
            RandomSource &random = RandomSource::instance();
            guard.run(174, [&] { random.randomize(Clock::instance().timer()); });
            int digit = 0;
            guard.run(176, [&] { digit = random.draw(9); });
            guard.run(178, [&] { name += QString::number(digit); });
        }
        guard.run(182, [&] { documentPath = TempFolder::file(name + QStringLiteral(".doc")); });
    } while (guard.test(184, [&] { return FileExists(documentPath); }));

    guard.run(186, [&] { document.call(QStringLiteral("SaveAs"), {documentPath}); });
    guard.run(188, [&] { word.set(QStringLiteral("DisplayAlerts"), false); });
    guard.run(190, [&] { document.call(QStringLiteral("Close")); });
    guard.run(192, [&] { word.call(QStringLiteral("Quit")); });
    guard.run(194, [&] { document = Object(); });
    guard.run(196, [&] { word = Object(); });
    guard.run(198, [&] { DeleteFileQuietly(templatePath); });
    guard.run(200, [&] { SaveDocAsJPG(documentPath); });
    QImage page;
    guard.run(202, [&] {
        handOver.setPreviewPicture(QImage()); // a page that cannot be loaded leaves it empty, never an earlier run's
        page = loadPicture(TempFolder::file(PictureName));
        handOver.setPreviewPicture(page);
    });
    guard.run(204, [&] { handOver.setMainWindowPointer(Window::Default); });
    guard.run(206, [&] {
        handOver.setPreviewText(pageValues(details));
        handOver.setPreviewDocument(savedDocument(documentPath));
    });
    guard.run(208, [&] { handOver.showPreview(); });
    guard.run(210, [&] { handOver.hideMainWindow(); });
    guard.run(212, [&] { DeleteFileQuietly(TempFolder::file(PictureName)); });
    // While the user looks at the preview (and reads a message about long values).
    if (!page.isNull() && !Program::hasEnded())
        PageSharpening::start(documentPath, page, handOver);
    if (!tooLong.isEmpty())
        guard.run(226, [&] { handOver.tellTooLong(tooLong); });
}

void SaveDocAsJPG(const QString &documentPath)
{
    Guard guard(Window1, QStringLiteral("SaveDocAsJPG"));
    // A picture file left by an earlier run must never be taken for this run's.
    try {
        DeleteFileQuietly(TempFolder::file(PictureName));
    } catch (const RuntimeError &) {
    }

    Object word;
    Object document;
    guard.run(116, [&] { word = CreateObject(WordProgId); });
    guard.run(118, [&] {
        document = word.object(QStringLiteral("Documents")).call(QStringLiteral("Open"), {documentPath}).toObject();
    });
    const bool copied = guard.run(
        120, [&] { document.call(QStringLiteral("Range")).toObject().call(QStringLiteral("CopyAsPicture")); });
    guard.run(122, [&] {
        // Without a fresh copy, whatever picture the clipboard held before is not this document's.
        if (!copied)
            throw RuntimeError(QStringLiteral("No picture of the document was made"));
        savePicture(GetClipboardPicture(0), TempFolder::file(PictureName));
    });
    guard.run(124, [&] {
        word.object(QStringLiteral("ActiveDocument"))
            .call(QStringLiteral("Close"), {}, {{QStringLiteral("savechanges"), qint16(0)}});
    });
    guard.run(126, [&] { word.call(QStringLiteral("Quit")); });
}
