#include "shell/FileDialogs.h"

#include <QApplication>
#include <QFileDialog>

namespace {

class ScreenFileDialogs : public FileDialogs
{
public:
    QString getSaveFileName(const SaveSettings &settings) override
    {
        // "Word Files (*.doc)|*.doc" becomes Qt's "Word Files (*.doc)".
        const QString filter = settings.filter.section(QLatin1Char('|'), 0, 0);
        QFileDialog dialog(QApplication::activeWindow(), settings.title, QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setDefaultSuffix(QString());
        dialog.selectFile(settings.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }
};

} // namespace

FileDialogs &FileDialogs::platformInstance()
{
    static ScreenFileDialogs screenDialogs;
    return screenDialogs;
}
