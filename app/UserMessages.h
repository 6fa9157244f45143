// Message boxes as the application object sees them. The Qt layer shows real
// ones; tests record what would have been shown.
#pragma once

#include <string>

namespace tw {

// Message box styles and answers (the values are the Windows ones, which the
// styles of the alarms and the version notice are given in).
enum : unsigned {
    kMbOk = 0x0,
    kMbYesNo = 0x4,
    kMbIconInformation = 0x40,
    // Information icon, task-modal, brought to the foreground, topmost.
    kMbTimedInfoStyle = 0x00052040,
    kMbTimedQuestionStyle = 0x00052044, // the same with Yes and No
};
enum : int {
    kIdNone = 0, // nothing could be shown
    kIdOk = 1,
    kIdYes = 6,
    kIdNo = 7,
    kIdTimedOut = 32000,
};

// How long an alarm or notice message stays before it closes by itself.
inline constexpr int kTimedMessageMs = 20000;

class IUserMessages {
public:
    virtual ~IUserMessages() = default;
    // A message box that closes by itself after `timeoutMs`. Returns the
    // answer (kIdOk, kIdYes, kIdNo), kIdTimedOut, or kIdNone when no box could
    // be shown.
    virtual int MessageBoxTimeout(const std::wstring& text, const std::wstring& caption,
                                  unsigned style, int timeoutMs) = 0;
    // An information box with an OK button; returns when the user closes it.
    virtual void MessageBoxInfo(const std::wstring& text, const std::wstring& caption) = 0;
    // A notice that waits for nobody: it is shown and left to close itself
    // after `timeoutMs` or by its OK button, while the program goes on.
    // `takeFocus`: it is activated (takes the keyboard focus) as a message
    // box is; otherwise it shows on top without taking the focus from the
    // window that has it. False when no notice could be shown.
    virtual bool ShowNotice(const std::wstring& text, const std::wstring& caption, int timeoutMs,
                            bool takeFocus) = 0;
    // Closes every notice still open (the program is ending).
    virtual void CloseNotices() = 0;
};

} // namespace tw
