#include "shell/hyperlink.h"

#include <QDesktopServices>
#include <QUrl>

bool CHyperlink::Navigate() const
{
    if (m_target.isEmpty())
        return false;
    const QUrl url(m_target, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
}
