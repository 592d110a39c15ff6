#include "shell/Skin.h"

#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QFile>
#include <QStyle>
#include <QWidget>

namespace {

// Qt reports a style sheet it cannot parse only as a warning while polishing; the warning is
// caught here for the duration of one apply.
bool parseFailed = false;
QtMessageHandler previousHandler = nullptr;

void watchForParseFailure(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.contains(QLatin1String("Could not parse")))
        parseFailed = true;
    else if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

void applySkin(QWidget *window, const QString &skinPath)
{
    QFile file(skinPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw RuntimeError(describeFileFailure(skinPath));
    const QString sheet = QString::fromUtf8(file.readAll());

    parseFailed = false;
    previousHandler = qInstallMessageHandler(watchForParseFailure);
    window->setStyleSheet(sheet);
    window->style()->polish(window);
    const auto children = window->findChildren<QWidget *>();
    for (QWidget *child : children)
        child->ensurePolished();
    qInstallMessageHandler(previousHandler);

    if (parseFailed) {
        window->setStyleSheet(QString());
        throw RuntimeError(QStringLiteral("The skin file %1 is not a valid style sheet").arg(skinPath));
    }
}
