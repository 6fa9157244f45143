#include "ui/QtProfileStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace tw {

namespace {

QString KeyOf(const std::wstring& section, const std::wstring& key) {
    return QString::fromStdWString(section) + QLatin1Char('/') + QString::fromStdWString(key);
}

QString ExecutableBaseName() {
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("tarnwick") : name;
}

} // namespace

CQtProfileStore::CQtProfileStore(const QString& application)
    : settings(std::make_unique<QSettings>(
          QStringLiteral("Quillfen"), application.isEmpty() ? ExecutableBaseName() : application)) {
}

CQtProfileStore::CQtProfileStore(std::unique_ptr<QSettings> s) : settings(std::move(s)) {}

std::unique_ptr<CQtProfileStore> CQtProfileStore::FromIniFile(const QString& iniPath) {
    return std::unique_ptr<CQtProfileStore>(
        new CQtProfileStore(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)));
}

CQtProfileStore::~CQtProfileStore() = default;

std::wstring CQtProfileStore::GetProfileString(const std::wstring& section, const std::wstring& key,
                                               const std::wstring& def) {
    const QVariant v = settings->value(KeyOf(section, key));
    if (!v.isValid())
        return def;
    // A hand-edited value with commas in it comes back as a list.
    if (v.metaType().id() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(',')).toStdWString();
    return v.toString().toStdWString();
}

int CQtProfileStore::GetProfileInt(const std::wstring& section, const std::wstring& key, int def) {
    const QVariant v = settings->value(KeyOf(section, key));
    if (!v.isValid())
        return def;
    // Within one process an int may come back as an int; from the file it is
    // always text.
    if (v.metaType().id() == QMetaType::Int)
        return v.toInt();
    if (v.metaType().id() == QMetaType::QStringList)
        return def;
    return ProfileIntFromText(v.toString().toStdWString(), def);
}

bool CQtProfileStore::Write(const QString& key, const QVariant& value) {
    settings->setValue(key, value);
    settings->sync();
    if (settings->status() != QSettings::FormatError)
        return settings->status() == QSettings::NoError;
    // The status keeps the first error met: a malformed file read earlier
    // would hide whether this write worked. The write has rewritten the file
    // in good form if it worked, so a fresh reader of it starts without an
    // error, and its own write tells.
    auto fresh = std::make_unique<QSettings>(settings->fileName(), settings->format());
    fresh->setValue(key, value);
    fresh->sync();
    settings = std::move(fresh);
    return settings->status() == QSettings::NoError;
}

bool CQtProfileStore::WriteProfileInt(const std::wstring& section, const std::wstring& key,
                                      int value) {
    return Write(KeyOf(section, key), value);
}

bool CQtProfileStore::WriteProfileString(const std::wstring& section, const std::wstring& key,
                                         const std::wstring& value) {
    return Write(KeyOf(section, key), QString::fromStdWString(value));
}

QString CQtProfileStore::Location() const {
    return settings->fileName();
}

} // namespace tw
