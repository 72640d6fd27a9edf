// Points QSettings at a private folder for the life of a test, so tests never see
// or change the user's own values.
#pragma once

#include <QSettings>
#include <QTemporaryDir>

class TestSettingsFolder
{
public:
    TestSettingsFolder()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    bool IsValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};
