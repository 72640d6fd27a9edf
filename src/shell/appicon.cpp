#include "shell/appicon.h"

#include <QString>

QIcon TarvikIcon()
{
    return QIcon(QStringLiteral(":/icons/tarvik.svg"));
}
