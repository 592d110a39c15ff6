#pragma once

#include <QString>

// Names and addresses of the program, each kept in one place.
namespace AppInfo {

// The product name: window captions, the settings section and the source of the application title.
inline const QString ProductName = QStringLiteral("Mistlefold");
// The settings store's application name.
inline const QString SettingsApplication = QStringLiteral("Quenbrook");

// Error reports name the procedure as project name + build stamp + window + procedure.
inline const QString ReportProjectName = QStringLiteral("Tinselmark");
inline const QString ReportBuildStamp = QStringLiteral("2021/08/31");
// The address that error reports ask the user to send a screenshot to.
inline const QString SupportAddress = QStringLiteral("support@mistlefold.app");
// The product's web page, opened in about one start in a hundred.
inline const QString WebPage = QStringLiteral("https://www.mistlefold.app/");

// The folder of the executable, without a trailing separator. The optional skin and cursor files
// are looked for there.
QString programFolder();
// Points programFolder() elsewhere (tests); the empty text restores the executable's folder.
void setProgramFolder(const QString &folder);
// The optional file of the hand pointer: "HAND-M.CUR" in the program folder.
QString cursorFile();

// The application title: the product name cut at spaces to at most 40 characters. Message boxes
// that give no title of their own show it.
QString appTitle();
// Sets the application title from the product name.
void SetAppTitle();
// The title for a given name: whole words are dropped from the end while it is longer than 40
// characters; a last word with no space left to cut at is cut at 40 characters.
QString titleFor(const QString &name);

} // namespace AppInfo
