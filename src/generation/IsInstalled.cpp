#include "generation/IsInstalled.h"

#include "automation/CreateObject.h"
#include "shell/AppInfo.h"
#include "shell/MessageBoxes.h"

const char16_t EngineAdvice[] =
    u"Error 842001. A normal instance of Word could not be created.\r\n"
    u"\r\n"
    u"1. Please make sure Word is installed on this computer.\r\n"
    u"\r\n"
    u"2. Please open Word normally and make sure a blank document opens immediately without any "
    u"interrupting window (such as an Word file recovery window).\r\n"
    u"\r\n"
    u"3. Please make sure that when you double-click on a DOC or DOCX file that Word opens normally "
    u"without any interrupting messages.\r\n"
    u"\r\n"
    u"4. All versions of Word are supported by this software except for the rare Word Starter and "
    u"Student editions.";

bool CheckWordInstalled()
{
    Object word;
    try {
        word = CreateObject(WordProgId);
    } catch (...) {
    }
    if (word.isNothing()) {
        MessageBoxes::instance().show({AppInfo::appTitle(), QString::fromUtf16(EngineAdvice),
                                       MessageBoxes::Icon::None, MessageBoxes::Buttons::Ok});
        return false;
    }
    try {
        word.call(QStringLiteral("Quit"));
    } catch (...) {
    }
    return true;
}
