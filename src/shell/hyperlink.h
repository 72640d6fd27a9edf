// CHyperlink: a link target (URL or "mailto:" address) that the desktop opens.
#pragma once

#include <QString>

class CHyperlink
{
public:
    CHyperlink() = default;
    explicit CHyperlink(QString target) : m_target(std::move(target)) {}

    const QString &Target() const { return m_target; }
    void SetTarget(const QString &target) { m_target = target; }
    bool IsEmpty() const { return m_target.isEmpty(); }

    // Asks the desktop to open the target. False, without trying, for an empty or
    // malformed target, and when the desktop cannot open it.
    bool Navigate() const;

private:
    QString m_target;
};
