#pragma once

// CZNSettings: the editor's per-user settings, organisation "ZN-Level Editor", application
// "TOVRA", kept by QSettings in its native place. Every value is stored as a string; a number is
// written in decimal and read back with its default when the stored text is not a number. A
// write that cannot be stored is lost silently, as the system ignores failed profile writes.
#include <string>

#include "platform/export.h"

class QSettings;

class ZN_API CZNSettings
{
public:
    CZNSettings();
    ~CZNSettings();
    CZNSettings(const CZNSettings &) = delete;
    CZNSettings &operator=(const CZNSettings &) = delete;

    // The stored text of section/entry, or fallback when there is none.
    std::string GetProfileString(const char *section, const char *entry, const char *fallback = "") const;
    void WriteProfileString(const char *section, const char *entry, const char *value);
    int GetProfileInt(const char *section, const char *entry, int fallback) const;
    void WriteProfileInt(const char *section, const char *entry, int value);
    // Removes an entry; nothing happens when there is none.
    void RemoveProfileEntry(const char *section, const char *entry);
    // Writes pending changes to the store.
    void Flush();

    // Keeps every settings file below folder from now on (tests point this at a temporary folder
    // so that they never touch the user's own settings).
    static void SetUserFolder(const char *folder);

private:
    QSettings *m_Settings;
};
