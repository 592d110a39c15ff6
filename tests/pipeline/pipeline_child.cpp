// A program run by tst_workfolders: the program with the scripted engine in place of the office,
// sweeping the leftovers of killed programs at start as the program does.
//   pipeline_child runs N [SAVE [BYTES@WHEN]]   "Start Creating Template" and "< Back", N times,
//                           the last run saved as SAVE when given (not when empty); with
//                           BYTES@WHEN no file written from WHEN on may grow past BYTES, the way
//                           a full disk cuts a write short: WHEN is "start", "template" (once
//                           the template stands in the work folder) or "save"; then each report,
//                           the size of the last page picture kept for zooming, the document
//                           handed to the preview, the size of the saved copy, the work files
//                           left, and "done";
//   pipeline_child hold     one run, then "ready" and the filled document's path; then it waits
//                           to be killed.
#include "Controls.h"
#include "ScriptedWordServer.h"
#include "TestDoubles.h"
#include "automation/CreateObject.h"
#include "details/Form1.h"
#include "generation/TempFolder.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "shell/FileUtils.h"
#include "shell/Program.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>

namespace {

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// From now on a write past bytes fails with EFBIG, as a write on a full disk fails with ENOSPC.
void limitFileSize(const QString &bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(bytes.toLongLong());
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        std::perror("setrlimit");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList limit = application.arguments().value(4).split(QLatin1Char('@'));
    const QString limitedFrom = limit.value(1);
    if (limitedFrom == QLatin1String("start"))
        limitFileSize(limit.first());
    TempFolder::sweepLeftovers();
    RecordingMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    ScriptedWordServer word;
    word.registerAs(WordProgId);
    word.content.stories = {QStringLiteral("[GivenBy] invites you")};
    word.content.shapes = {{QStringLiteral("[Address], [City], [State]"), {}}};
    word.picture = QImage(400, 500, QImage::Format_RGB32);
    word.picture.fill(Qt::white);

    Form1 form;
    form.show();
    control<QPushButton>(form, "PushButton4")->click();
    const bool hold = application.arguments().value(1) == QLatin1String("hold");
    const int runs = hold ? 1 : application.arguments().value(2).toInt();
    if (limitedFrom == QLatin1String("template")) {
        QFile resource(QStringLiteral(":/CUSTOM/101"));
        if (resource.open(QIODevice::ReadOnly))
            WriteFileReplacing(resource.readAll(), TempFolder::file(QStringLiteral("template.dot")));
        limitFileSize(limit.first());
    }
    for (int run = 0; run < runs; ++run) {
        control<QPushButton>(form, "PushButton6")->click();
        if (hold) {
            print(QStringLiteral("ready ") + form.preview()->wordFile());
            QThread::sleep(600); // killed long before
        }
        if (form.preview() && run + 1 < runs)
            control<QPushButton>(*form.preview(), "PushButton8")->click();
    }
    const QString destination = application.arguments().value(3);
    if (!destination.isEmpty() && form.preview()) {
        if (limitedFrom == QLatin1String("save"))
            limitFileSize(limit.first());
        dialogs.names.enqueue(destination);
        control<QPushButton>(*form.preview(), "PushButton6")->click();
    }
    for (const QString &report : boxes.reports())
        print(QStringLiteral("report ") + report.section(QStringLiteral("\r\r"), 0, 0).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    const auto named = [](QString file) {
        return file.replace(QRegularExpression(QStringLiteral("^plumix[1-9]{8}\\.doc$")), QStringLiteral("plumix*.doc"));
    };
    if (form.preview()) {
        // The picture the viewport keeps for zooming, and the document handed over.
        const QImage page = control<PictureBox>(*form.preview(), "Zoom_Ori")->picture();
        print(QStringLiteral("picture %1x%2").arg(page.width()).arg(page.height()));
        const QString document = form.preview()->wordFile();
        print(QStringLiteral("document ") + (document.isEmpty() ? QStringLiteral("none") : named(QFileInfo(document).fileName())));
    }
    if (!destination.isEmpty()) {
        const QFileInfo saved(destination);
        print(QStringLiteral("saved ") + (saved.exists() ? QString::number(saved.size()) : QStringLiteral("nothing")));
    }
    QStringList left = QDir(TempFolder::path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    left.removeOne(QStringLiteral(".lock"));
    for (QString &file : left)
        file = named(file);
    print(QStringLiteral("left ") + left.join(QLatin1Char(' ')));
    Program::runCleanups();
    print(QStringLiteral("done"));
    return 0;
}
