#include "config/regmanage.h"

#include <QSettings>

namespace {

constexpr qsizetype kMaxKeyPath = 250;

QString OrganisationFromKeyPath(QString keyPath)
{
    keyPath.truncate(kMaxKeyPath);
    keyPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const QString prefix = QStringLiteral("Software\\");
    if (keyPath.startsWith(prefix, Qt::CaseInsensitive))
        keyPath.remove(0, prefix.size());
    return keyPath;
}

QSettings OpenSettings(const QString &organisation)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, organisation,
                     QString::fromLatin1(CRegManage::kSubKey));
}

} // namespace

CRegManage::CRegManage(const QString &keyPath) : m_organisation(OrganisationFromKeyPath(keyPath)) {}

bool CRegManage::ReadDword(const QString &name, uint32_t &value) const
{
    const QVariant stored = OpenSettings(m_organisation).value(name);
    bool ok = false;
    const qulonglong number = stored.toULongLong(&ok);
    if (!stored.isValid() || !ok || number > UINT32_MAX)
        return false;
    value = static_cast<uint32_t>(number);
    return true;
}

void CRegManage::WriteDword(const QString &name, uint32_t value)
{
    QSettings settings = OpenSettings(m_organisation);
    settings.setValue(name, static_cast<qulonglong>(value));
}

bool CRegManage::ReadBinary(const QString &name, QByteArray &data) const
{
    const QVariant stored = OpenSettings(m_organisation).value(name);
    if (!stored.isValid() || !stored.canConvert<QByteArray>())
        return false;
    data = stored.toByteArray();
    return true;
}

void CRegManage::WriteBinary(const QString &name, const QByteArray &data)
{
    QSettings settings = OpenSettings(m_organisation);
    settings.setValue(name, data);
}
