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
    // `resourceId`. A sound still playing is cut off.
    virtual void Play(const std::wstring& file, int resourceId) = 0;
};

// Plays through QSoundEffect. The effect is created on first use, so a run
// without alarms never opens the audio device. Nothing waits for a sound:
// without an audio device Qt logs its errors and the alarm goes on silently.
class CQtAlarmSound : public QObject, public IAlarmSound {
public:
    CQtAlarmSound();
    ~CQtAlarmSound() override;

    void Play(const std::wstring& file, int resourceId) override;

    // What the last Play asked for: a file URL or "qrc:/wav/<id>.wav".
    QUrl Source() const { return urlSource; }
    // The URL that Play uses for a file or a built-in sound.
    static QUrl SourceFor(const std::wstring& file, int resourceId);

private:
    void OnStatusChanged();

    std::unique_ptr<QSoundEffect> effect;
    QUrl urlSource;
    int nFallbackId = 0; // built-in sound to play if the file cannot be loaded
};

} // namespace tw
