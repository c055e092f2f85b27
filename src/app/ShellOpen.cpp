#include "app/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
ShellOpenHandler &handler()
{
    static ShellOpenHandler h;
    return h;
}
} // namespace

bool ShellOpen(const QUrl &url)
{
    if (handler())
        return handler()(url);
    return QDesktopServices::openUrl(url);
}

ShellOpenHandler setShellOpenHandler(ShellOpenHandler h)
{
    ShellOpenHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}
