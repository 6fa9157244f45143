// Message boxes on Qt Widgets: information boxes that stay on top and, when
// timed, close by themselves.
#pragma once

#include "app/UserMessages.h"

namespace tw {

class CQtUserMessages : public IUserMessages {
public:
    // Shows the box modally; a precise single-shot timer closes it after
    // `timeoutMs` with kIdTimedOut. Styles: kMbYesNo gives Yes and No (Escape
    // answers No), anything else an OK button. kIdNone without a
    // QApplication.
    int MessageBoxTimeout(const std::wstring& text, const std::wstring& caption, unsigned style,
                          int timeoutMs) override;
    void MessageBoxInfo(const std::wstring& text, const std::wstring& caption) override;
};

} // namespace tw
