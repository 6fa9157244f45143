#include "ui/AlarmSound.h"
#include "ui/Resources.h"

#include <QSoundEffect>
#include <algorithm>

namespace tw {

CQtAlarmSound::CQtAlarmSound() = default;
CQtAlarmSound::~CQtAlarmSound() = default;

QUrl CQtAlarmSound::SourceFor(const std::wstring& file, int resourceId) {
    if (!file.empty())
        return QUrl::fromLocalFile(QString::fromStdWString(file));
    return QUrl(QStringLiteral("qrc") + SoundResourcePath(resourceId));
}

void CQtAlarmSound::Play(const std::wstring& file, int resourceId, double volume) {
    if (!effect) {
        effect = std::make_unique<QSoundEffect>();
        QObject::connect(effect.get(), &QSoundEffect::statusChanged, this,
                         [this] { OnStatusChanged(); });
    }
    urlSource = SourceFor(file, resourceId);
    nFallbackId = file.empty() ? 0 : resourceId;
    dVolume = std::clamp(volume, 0.0, 1.0);
    effect->stop();
    effect->setVolume(float(dVolume));
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
