// Message boxes that are recorded instead of shown, with scripted answers.
#pragma once

#include "app/UserMessages.h"

#include <deque>
#include <string>
#include <vector>

namespace twtest {

class RecordingMessages : public tw::IUserMessages {
public:
    struct Shown {
        std::wstring strText;
        std::wstring strCaption;
        unsigned nStyle = 0;
        int nTimeoutMs = 0;      // 0 for an untimed information box
        bool bNotice = false;    // shown by ShowNotice: nothing waited for it
        bool bTakeFocus = false; // a notice that takes the focus
    };

    int MessageBoxTimeout(const std::wstring& text, const std::wstring& caption, unsigned style,
                          int timeoutMs) override {
        shown.push_back({text, caption, style, timeoutMs});
        if (answers.empty())
            return tw::kIdTimedOut;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    void MessageBoxInfo(const std::wstring& text, const std::wstring& caption) override {
        shown.push_back({text, caption, tw::kMbIconInformation, 0});
    }
    bool ShowNotice(const std::wstring& text, const std::wstring& caption, int timeoutMs,
                    bool takeFocus) override {
        shown.push_back({text, caption, tw::kMbTimedInfoStyle, timeoutMs, true, takeFocus});
        return true;
    }
    void CloseNotices() override { ++nNoticesClosed; }

    std::deque<int> answers; // given in turn; then every box times out
    std::vector<Shown> shown;
    int nNoticesClosed = 0; // CloseNotices calls
};

} // namespace twtest
