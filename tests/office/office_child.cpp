// A stand-in for the program in tests that need a process of their own (its own environment,
// limits or mounts):
//   office_child end | wait   starts the engine, says which office it started, then ends
//                             normally or waits to be killed;
//   office_child save SRC DEST [FULL]   opens SRC and saves it as DEST, says "saved" or
//                             "failed" with the description, then "left" and what DEST's
//                             folder holds. With FULL, the file system of that folder is filled
//                             up to its last 64 KiB just before the save; with FULL "limit",
//                             no file this program writes may grow past 64 KiB from then on;
//   office_child picture DOC   copies DOC's first page as a picture and says its size and
//                             resolution ("picture 816x1056 3780"), then ends normally.
#include "automation/CreateObject.h"
#include "office/OfficeEngine.h"
#include "office/OfficeModule.h"
#include "shell/Program.h"
#include "shell/ProgramClipboard.h"
#include "shell/RuntimeError.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTextStream>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// Fills the file system of folder up to its last 64 KiB with a file that is removed afterwards.
class Filler
{
public:
    explicit Filler(const QString &folder)
        : mPath(folder.isEmpty() ? QByteArray() : QFile::encodeName(folder + QStringLiteral("/.filler")))
    {
        struct statvfs space {};
        if (mPath.isEmpty() || ::statvfs(QFile::encodeName(folder).constData(), &space) != 0)
            return;
        const off_t room = off_t(space.f_bavail * space.f_frsize) - 64 * 1024;
        const int file = ::open(mPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (file >= 0 && room > 0)
            ::posix_fallocate(file, 0, room);
        if (file >= 0)
            ::close(file);
    }
    ~Filler()
    {
        if (!mPath.isEmpty())
            ::unlink(mPath.constData());
    }

private:
    QByteArray mPath;
};

void save(QTextStream &out, const QString &source, const QString &destination, const QString &full)
{
    try {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = word.object(QStringLiteral("Documents")).call(QStringLiteral("Open"), {source}).toObject();
        try {
            if (full == QLatin1String("limit")) {
                // A write past the limit fails with EFBIG, as one on a full disk with ENOSPC.
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = 64 * 1024;
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            const Filler filler(full == QLatin1String("limit") ? QString() : full);
            document.call(QStringLiteral("SaveAs"), {destination});
            out << "saved" << Qt::endl;
        } catch (const RuntimeError &error) {
            out << "failed " << error.description() << Qt::endl;
        }
        word.call(QStringLiteral("Quit"));
    } catch (const RuntimeError &error) {
        out << "failed to open: " << error.description() << Qt::endl;
    }
    QStringList left;
    const QFileInfoList files = QDir(QFileInfo(destination).path()).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &file : files)
        left.append(QStringLiteral("%1:%2").arg(file.fileName()).arg(file.size()));
    out << "left " << left.join(QLatin1Char(',')) << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTextStream out(stdout);
    registerOfficeEngine();
    const QStringList arguments = application.arguments();
    if (arguments.value(1) == QLatin1String("save")) {
        save(out, arguments.value(2), arguments.value(3), arguments.value(4));
        Program::runCleanups();
        return 0;
    }
    try {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        out << "office " << officeModule().processId() << Qt::endl;
        if (arguments.value(1) == QLatin1String("picture")) {
            const Object document = word.object(QStringLiteral("Documents"))
                                        .call(QStringLiteral("Open"), {arguments.value(2)})
                                        .toObject();
            document.call(QStringLiteral("Range")).toObject().call(QStringLiteral("CopyAsPicture"));
            word.call(QStringLiteral("Quit"));
            const QImage picture = ProgramClipboard::image();
            out << "picture " << picture.width() << 'x' << picture.height() << ' ' << picture.dotsPerMeterX() << Qt::endl;
            Program::runCleanups();
            return 0;
        }
    } catch (const RuntimeError &error) {
        out << "failed " << error.description() << Qt::endl;
        return 1;
    }
    if (arguments.value(1) == QLatin1String("end")) {
        Program::runCleanups();
        return 0;
    }
    return application.exec();
}
