#include "shell/Browser.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class DesktopBrowser : public Browser
{
public:
    void open(const QString &address) override { QDesktopServices::openUrl(QUrl(address)); }
};

} // namespace

Browser &Browser::platformInstance()
{
    static DesktopBrowser desktopBrowser;
    return desktopBrowser;
}
