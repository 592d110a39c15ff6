#include "details/PartySettings.h"

#include "details/StoredDate.h"
#include "shell/AppInfo.h"
#include "shell/MessageBoxes.h"
#include "shell/RuntimeError.h"
#include "shell/SettingsStore.h"

#include <QDateTimeEdit>

namespace {

const QString CannotRestore = QStringLiteral(
    ".\r\nThe party details stored there cannot be restored, and changes to them cannot be stored.");
const QString CannotStore = QStringLiteral(
    ".\r\nChanges to the party details cannot be stored: what you enter now is gone when the program ends.");

} // namespace

QString PartySettings::stored(const QString &key, const QString &defaultValue)
{
    try {
        return SettingsStore::read(AppInfo::SettingsApplication, AppInfo::ProductName, key, defaultValue);
    } catch (const RuntimeError &error) {
        reportProblem(error.description() + CannotRestore);
        return defaultValue;
    }
}

void PartySettings::store(const QString &key, const QString &text)
{
    try {
        SettingsStore::write(AppInfo::SettingsApplication, AppInfo::ProductName, key, text);
    } catch (const RuntimeError &error) {
        reportProblem(error.description() + CannotStore);
    }
}

// On its way to a value on another day a time picker passes through others (23:59:59 of the old
// day): the change operation sees none of them, only the value restored, which it stores unless
// that is what the store holds already (a default for a key that was absent).
void PartySettings::restorePicker(QDateTimeEdit *picker, const QString &key, const QDateTime &value)
{
    {
        const QSignalBlocker quiet(picker);
        picker->setDateTime(value);
    }
    store(key, StoredDate::toText(picker->dateTime()));
}

void PartySettings::reportWriteProblem()
{
    if (const QString problem = SettingsStore::writeProblem(AppInfo::SettingsApplication); !problem.isEmpty())
        reportProblem(problem + CannotStore);
}

void PartySettings::reportProblem(const QString &text)
{
    if (mProblemReported)
        return;
    mProblemReported = true;
    const MessageBoxes::Message message{AppInfo::appTitle(), text, MessageBoxes::Icon::Warning};
    if (mWindow.isVisible())
        MessageBoxes::instance().notify(message);
    else
        MessageBoxes::instance().show(message);
}
