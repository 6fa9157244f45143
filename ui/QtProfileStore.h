// The application profile on QSettings: the registry on Windows, an INI file
// (~/.config/Quillfen/<name>.conf) on Linux.
#pragma once

#include "app/Profile.h"

#include <QString>
#include <memory>

class QSettings;
class QVariant;

namespace tw {

class CQtProfileStore : public IProfileStore {
public:
    // The profile of organisation "Quillfen" and application `application`
    // (empty: the executable's base name) in the platform's native store.
    explicit CQtProfileStore(const QString& application = {});
    // A profile kept in the INI file `iniPath`.
    static std::unique_ptr<CQtProfileStore> FromIniFile(const QString& iniPath);
    ~CQtProfileStore() override;

    int GetProfileInt(const std::wstring& section, const std::wstring& key, int def) override;
    std::wstring GetProfileString(const std::wstring& section, const std::wstring& key,
                                  const std::wstring& def) override;
    // Each write is flushed to the store at once, so its result is known.
    bool WriteProfileInt(const std::wstring& section, const std::wstring& key, int value) override;
    bool WriteProfileString(const std::wstring& section, const std::wstring& key,
                            const std::wstring& value) override;

    // Where the values are kept (a file path, or a registry key on Windows).
    QString Location() const;

private:
    explicit CQtProfileStore(std::unique_ptr<QSettings> settings);
    bool Write(const QString& key, const QVariant& value);

    std::unique_ptr<QSettings> settings;
};

} // namespace tw
