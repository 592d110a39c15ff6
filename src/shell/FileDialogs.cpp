#include "shell/FileDialogs.h"

#include <QApplication>
#include <QFileDialog>

namespace {

class ScreenFileDialogs : public FileDialogs
{
public:
    SaveChoice getSaveFileName(const SaveSettings &settings) override
    {
        QFileDialog dialog(QApplication::activeWindow(), settings.title);
        dialog.setNameFilters(filterNames(settings.filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setDefaultSuffix(QString());
        dialog.setDirectory(settings.folder);
        dialog.selectFile(settings.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return {dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
    }
};

} // namespace

QStringList FileDialogs::filterNames(const QString &filter)
{
    // "Word Files (*.doc)|*.doc|PDF Files (*.pdf)|*.pdf": every other part is a display text.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList names;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        names.append(parts.at(i));
    return names;
}

FileDialogs &FileDialogs::platformInstance()
{
    static ScreenFileDialogs screenDialogs;
    return screenDialogs;
}
