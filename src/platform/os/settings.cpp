#include "platform/os/settings.h"

#include <QSettings>
#include <QString>

namespace
{
QString Key(const char *section, const char *entry)
{
    return QString::fromUtf8(section ? section : "") + '/' + QString::fromUtf8(entry ? entry : "");
}
} // namespace

CZNSettings::CZNSettings() : m_Settings(new QSettings(QStringLiteral("ZN-Level Editor"), QStringLiteral("TOVRA"))) {}

CZNSettings::~CZNSettings()
{
    delete m_Settings;
}

std::string CZNSettings::GetProfileString(const char *section, const char *entry, const char *fallback) const
{
    const QVariant value = m_Settings->value(Key(section, entry));
    if (!value.isValid())
        return fallback ? fallback : "";
    return value.toString().toStdString();
}

void CZNSettings::WriteProfileString(const char *section, const char *entry, const char *value)
{
    m_Settings->setValue(Key(section, entry), QString::fromUtf8(value ? value : ""));
}

int CZNSettings::GetProfileInt(const char *section, const char *entry, int fallback) const
{
    const QVariant value = m_Settings->value(Key(section, entry));
    if (!value.isValid())
        return fallback;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : fallback;
}

void CZNSettings::WriteProfileInt(const char *section, const char *entry, int value)
{
    m_Settings->setValue(Key(section, entry), QString::number(value));
}

void CZNSettings::RemoveProfileEntry(const char *section, const char *entry)
{
    m_Settings->remove(Key(section, entry));
}

void CZNSettings::Flush()
{
    m_Settings->sync();
}

void CZNSettings::SetUserFolder(const char *folder)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf8(folder ? folder : ""));
}
