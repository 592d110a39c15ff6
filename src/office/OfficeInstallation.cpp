#include "office/OfficeInstallation.h"

AutomationServers::Description officeEngineDescription()
{
    return {
        QStringLiteral("LibreOffice Writer document engine"),
        {
            QStringLiteral("Please make sure the document engine is installed: on Debian, install the packages "
                           "libreoffice-writer-nogui and libreoffice-draw-nogui (sudo apt-get install "
                           "libreoffice-writer-nogui libreoffice-draw-nogui)."),
            QStringLiteral("To check them, run dpkg -s libreoffice-writer-nogui libreoffice-draw-nogui in a "
                           "terminal: both must show \"Status: install ok installed\"."),
            QStringLiteral("Please make sure that your cache folder (~/.cache, or the folder XDG_CACHE_HOME names) "
                           "can be written to and the disk is not full: the engine keeps its settings in "
                           "mistlefold/office there."),
            QStringLiteral("If it still cannot be started, run " LIBREOFFICE_PROGRAM_DIR "/soffice --headless "
                           "--version in a terminal to see what the office itself reports."),
        },
    };
}
