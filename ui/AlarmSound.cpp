#include "ui/AlarmSound.h"
#include "ui/Resources.h"

#include <QSoundEffect>

namespace tw {

CQtAlarmSound::CQtAlarmSound() = default;
CQtAlarmSound::~CQtAlarmSound() = default;

QUrl CQtAlarmSound::SourceFor(const std::wstring& file, int resourceId) {
    if (!file.empty())
        return QUrl::fromLocalFile(QString::fromStdWString(file));
    return QUrl(QStringLiteral("qrc") + SoundResourcePath(resourceId));
}

void CQtAlarmSound::Play(const std::wstring& file, int resourceId) {
    if (!effect) {
        effect = std::make_unique<QSoundEffect>();
        QObject::connect(effect.get(), &QSoundEffect::statusChanged, this,
                         [this] { OnStatusChanged(); });
    }
    urlSource = SourceFor(file, resourceId);
    nFallbackId = file.empty() ? 0 : resourceId;
    effect->stop();
    effect->setSource(urlSource);
    effect->play(); // starts once the file is loaded
}

void CQtAlarmSound::OnStatusChanged() {
    // A chosen file that is not a playable WAV still gives the alarm a
    // sound: the built-in one.
    if (effect->status() != QSoundEffect::Error || nFallbackId == 0)
        return;
    const int id = nFallbackId;
    nFallbackId = 0;
    urlSource = SourceFor(std::wstring(), id);
    effect->setSource(urlSource);
    effect->play();
}

} // namespace tw
