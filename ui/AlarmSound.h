// Alarm sounds: a WAV file the user chose, or a sound built into the program.
#pragma once

#include <QObject>
#include <QUrl>
#include <memory>
#include <string>

class QSoundEffect;

namespace tw {

class IAlarmSound {
public:
    virtual ~IAlarmSound() = default;
    // Starts the sound and returns at once. `file` empty: the built-in sound
    // `resourceId`. A sound still playing is cut off. `volume` from 0 (silent)
    // to 1 (as recorded): a warning plays softer than an alarm.
    virtual void Play(const std::wstring& file, int resourceId, double volume) = 0;
};

// Plays through QSoundEffect. The effect is created on first use, so a run
// without alarms never opens the audio device. Nothing waits for a sound:
// without an audio device Qt logs its errors and the alarm goes on silently.
class CQtAlarmSound : public QObject, public IAlarmSound {
public:
    CQtAlarmSound();
    ~CQtAlarmSound() override;

    void Play(const std::wstring& file, int resourceId, double volume) override;

    // What the last Play asked for: a file URL or "qrc:/wav/<id>.wav", and
    // at which volume.
    QUrl Source() const { return urlSource; }
    double Volume() const { return dVolume; }
    // The URL that Play uses for a file or a built-in sound.
    static QUrl SourceFor(const std::wstring& file, int resourceId);

private:
    void OnStatusChanged();

    std::unique_ptr<QSoundEffect> effect;
    QUrl urlSource;
    double dVolume = 1.0;
    int nFallbackId = 0; // built-in sound to play if the file cannot be loaded
};

} // namespace tw
