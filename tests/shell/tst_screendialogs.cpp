// The program's own message boxes and Save dialog, not the tests' stand-ins, on a real X display:
// the titles the window manager is given, the width of a short message's box, and the Save
// dialog's two entries with a typed ".pdf" name. Qt's X11 platform writes the window titles
// (and once appended the application's display name to them), which no offscreen platform
// reproduces; so the test starts a private X server of its own, and skips when Xvfb or xprop
// (Debian's xvfb and x11-utils, which scripts/setup.sh installs) are missing.
#include "Controls.h"
#include "ScriptedWordServer.h"
#include "TestDoubles.h"
#include "automation/CreateObject.h"
#include "preview/Form2.h"
#include "shell/AppInfo.h"
#include "shell/Guard.h"
#include "shell/PrintDialogs.h"
#include "shell/RuntimeError.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace {

// An Xvfb of its own, on a display number it picks itself, for as long as the object lives.
class PrivateXServer
{
public:
    PrivateXServer()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty()) {
            mWhyNot = "needs Xvfb and xprop (Debian's xvfb and x11-utils; scripts/setup.sh installs them)";
            return;
        }
        int displayPipe[2];
        if (::pipe(displayPipe) != 0)
            return;
        ::fcntl(displayPipe[0], F_SETFD, FD_CLOEXEC); // only the writing end goes to the server
        const QByteArray program = xvfb.toLocal8Bit();
        const QByteArray fd = QByteArray::number(displayPipe[1]);
        const char *arguments[] = {program.constData(), "-displayfd", fd.constData(), "-screen", "0", "1280x1024x24",
                                   "-nolisten", "tcp", nullptr};
        const pid_t parent = ::getpid();
        mPid = ::fork();
        if (mPid == 0) {
            // The server ends with the test, however the test ends.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() == parent)
                ::execv(program.constData(), const_cast<char **>(arguments));
            ::_exit(127);
        }
        ::close(displayPipe[1]);
        // Xvfb writes the display number it took once it accepts connections.
        QByteArray number;
        pollfd ready{displayPipe[0], POLLIN, 0};
        char byte = 0;
        while (mPid > 0 && ::poll(&ready, 1, 10000) > 0 && ::read(displayPipe[0], &byte, 1) == 1 && byte != '\n')
            number.append(byte);
        ::close(displayPipe[0]);
        if (number.isEmpty()) {
            mWhyNot = "Xvfb did not start";
            return;
        }
        qputenv("DISPLAY", ":" + number);
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    ~PrivateXServer()
    {
        if (mPid > 0) {
            ::kill(mPid, SIGTERM);
            ::waitpid(mPid, nullptr, 0);
        }
    }
    PrivateXServer(const PrivateXServer &) = delete;
    PrivateXServer &operator=(const PrivateXServer &) = delete;

    // Why there is no X server, or nullptr when there is one.
    const char *whyNot() const { return mWhyNot; }

private:
    pid_t mPid = 0;
    const char *mWhyNot = nullptr;
};

const PrivateXServer *xServer = nullptr;

// The title the X server holds for the window, as the window manager reads it.
QString titleOnScreen(QWidget *window)
{
    const QString id = QString::number(window->winId());
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(5000))
        return QStringLiteral("<xprop failed>");
    // _NET_WM_NAME(UTF8_STRING) = "Application Error"
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype quote = line.indexOf(QLatin1Char('"'));
    return quote < 0 ? line : line.mid(quote + 1).chopped(1);
}

// Acts on the modal windows, in the order they open, while the statement that opened them waits.
// A modal window the script has no step for is closed and noted, so that a test never hangs.
class ModalScript : public QObject
{
public:
    explicit ModalScript(QList<std::function<void(QWidget *)>> steps) : mSteps(std::move(steps))
    {
        connect(&mTimer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal == mLast && mSince.hasExpired(10000)) {
                unexpected.append(modal->windowTitle() + QStringLiteral(" stayed open"));
                modal->close();
            }
            if (!modal || modal == mLast || !modal->isVisible())
                return;
            mLast = modal;
            mSince.start();
            if (mSteps.isEmpty()) {
                unexpected.append(modal->windowTitle());
                modal->close();
                return;
            }
            mSteps.takeFirst()(modal);
        });
        mTimer.start(20);
    }
    bool done() const { return mSteps.isEmpty(); }
    QStringList unexpected;

private:
    QList<std::function<void(QWidget *)>> mSteps;
    QPointer<QWidget> mLast;
    QElapsedTimer mSince;
    QTimer mTimer;
};

// A title bar shows the window's icon and buttons beside the title; this much at least.
constexpr int TitleBarButtons = 96;

int titleWidth(const QString &title)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title);
}

} // namespace

class ScreenDialogsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> environment;

private slots:
    void initTestCase()
    {
        if (xServer->whyNot())
            QSKIP(xServer->whyNot());
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        // As the program's start-up does.
        AppInfo::SetAppTitle();
    }
    void init() { environment = std::make_unique<TestEnvironment>(); }
    void cleanup() { environment.reset(); }

    // Qt's X11 platform appended the application display name to every other window's title:
    // "Application Error — Mistlefold".
    void theErrorReportIsTitledExactly()
    {
        QString title;
        ModalScript script({[&](QWidget *box) {
            title = titleOnScreen(box);
            static_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click();
        }});
        Guard(QStringLiteral("Form2"), QStringLiteral("RedrawImage")).run(112, [] {
            raise(StandardError::InvalidPicture);
        });
        QVERIFY(script.done());
        QCOMPARE(title, QStringLiteral("Application Error"));
    }

    // The system's Print dialog: here without printers, "Print to file" with the file the user
    // named, which the print command then writes as a PDF; cancelling chooses nothing.
    void thePrintDialogGivesTheFileToPrintTo()
    {
        const QString file = environment->root() + QStringLiteral("/printed.pdf");
        ModalScript script({[&](QWidget *dialog) {
                                auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
                                QVERIFY(name);
                                name->setText(file);
                                static_cast<QDialog *>(dialog)->accept();
                            },
                            [&](QWidget *dialog) { static_cast<QDialog *>(dialog)->reject(); }});
        const PrintDialogs::PrintChoice chosen = PrintDialogs::instance().choosePrinter();
        QVERIFY(chosen.accepted);
        QCOMPARE(chosen.outputFile, file);
        QCOMPARE(chosen.printerName, QString());
        QCOMPARE(chosen.copies, 1);
        QVERIFY(!PrintDialogs::instance().choosePrinter().accepted);
        QVERIFY(script.done());
        QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join(", ")));
    }

    // "Save Results To Word File" with the real dialog: titled exactly, its two entries with the
    // Word entry chosen, an empty name box; a name typed with ".pdf" under the Word entry gives a
    // PDF; then "Done." in a box wide enough for its title, which window managers cut to "."
    // in the narrow box before.
    void theSaveDialogAndDoneAsTheUserSeesThem()
    {
        ScriptedWordServer engine;
        engine.registerAs(WordProgId);
        engine.content.stories = {QStringLiteral("Christmas party at the home of Ilse and Bram Ketterly")};
        QWidget mainWindow;
        Form2 preview(&mainWindow);
        QImage page(400, 500, QImage::Format_RGB32);
        page.fill(Qt::white);
        preview.setPicture(page);
        preview.setWordFile(environment->tempFolder() + QStringLiteral("/plumix12345678.doc"));
        QFile document(preview.wordFile());
        QVERIFY(document.open(QIODevice::WriteOnly) && document.write("filled document") > 0);
        document.close();
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QCOMPARE(titleOnScreen(&preview), QStringLiteral("Mistlefold"));

        const QString typed = environment->root() + QStringLiteral("/x.pdf");
        QString dialogTitle;
        QStringList entries;
        QString chosenEntry;
        QString nameBox;
        QString doneTitle;
        int doneWidth = 0;
        ModalScript script({[&](QWidget *window) {
                                auto *dialog = qobject_cast<QFileDialog *>(window);
                                QVERIFY(dialog);
                                dialogTitle = titleOnScreen(dialog);
                                entries = dialog->nameFilters();
                                chosenEntry = dialog->selectedNameFilter();
                                auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                                QVERIFY(name);
                                nameBox = name->text();
                                dialog->setDirectory(environment->root()); // as if the user went there
                                QTest::keyClicks(name, QStringLiteral("x.pdf"));
                                if (QWidget *completions = QApplication::activePopupWidget())
                                    completions->close();
                                auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
                                QVERIFY(buttons && buttons->button(QDialogButtonBox::Save));
                                buttons->button(QDialogButtonBox::Save)->click();
                            },
                            [&](QWidget *box) {
                                doneTitle = titleOnScreen(box);
                                doneWidth = box->width();
                                static_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click();
                            }});
        control<QPushButton>(preview, "PushButton6")->click();
        QVERIFY(script.done());
        QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join(", ")));

        QCOMPARE(dialogTitle, QStringLiteral("Save File"));
        QCOMPARE(entries, (QStringList{"Word Files (*.doc)", "PDF Files (*.pdf)", "PNG Image (*.png)"}));
        QCOMPARE(chosenEntry, QStringLiteral("Word Files (*.doc)"));
        QCOMPARE(nameBox, QString());
        QFile saved(typed);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().startsWith("%PDF-1.4 scripted\n"));

        QCOMPARE(doneTitle, QStringLiteral("Mistlefold"));
        QVERIFY2(doneWidth >= titleWidth(doneTitle) + TitleBarButtons, qPrintable(QString::number(doneWidth)));
    }
};

int main(int argc, char *argv[])
{
    const PrivateXServer server;
    xServer = &server;
    QApplication app(argc, argv);
    ScreenDialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screendialogs.moc"
