// CRegManage: the few window-layout values kept per user outside the INI file.
//
// Values live under the key path given at construction with the sub-key
// "Settings" appended; callers pass "Software\\Tarvik", so the values are
// HKEY_CURRENT_USER\Software\Tarvik\Settings on Windows and the "Settings" file
// of organisation "Tarvik" in the user's configuration folder elsewhere (QSettings
// native format, user scope).
//
// Names in use: "Splitter1Pos", "Splitter2Pos", "NoAutoShowAbout" (32-bit values)
// and "WindowPlacement" (binary: the frame's saved geometry).
//
// Reads leave the caller's default untouched and return false when the value is
// missing or of another kind; writes report nothing. All calls belong to the
// window thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

class CRegManage
{
public:
    // keyPath: "Software\\<organisation>"; a leading "Software\\" is optional.
    explicit CRegManage(const QString &keyPath = QStringLiteral("Software\\Tarvik"));

    bool ReadDword(const QString &name, uint32_t &value) const;
    void WriteDword(const QString &name, uint32_t value);

    bool ReadBinary(const QString &name, QByteArray &data) const;
    void WriteBinary(const QString &name, const QByteArray &data);

    const QString &Organisation() const { return m_organisation; }

    static constexpr const char *kSubKey = "Settings";

private:
    QString m_organisation;
};
