#include "shell/Browser.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class DesktopBrowser : public Browser
{
public:
    void open(const QString &address) override { QDesktopServices::openUrl(QUrl(address)); }
};

DesktopBrowser desktopBrowser;
Browser *current = nullptr;

} // namespace

Browser &Browser::instance()
{
    return current ? *current : desktopBrowser;
}

void Browser::setInstance(Browser *browser)
{
    current = browser;
}
