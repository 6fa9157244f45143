// Message boxes on Qt Widgets: information boxes that stay on top and, when
// timed, close by themselves; and notices, which wait for nobody and show
// beside the session window.
#pragma once

#include "app/UserMessages.h"

#include <QPointer>
#include <vector>

class QWidget;

namespace tw {

class CNoticeBox;

class CQtUserMessages : public IUserMessages {
public:
    CQtUserMessages() = default;
    CQtUserMessages(const CQtUserMessages&) = delete;
    CQtUserMessages& operator=(const CQtUserMessages&) = delete;
    // Notices still open go with it.
    ~CQtUserMessages() override;

    // Shows the box modally; a precise single-shot timer closes it after
    // `timeoutMs` with kIdTimedOut. Styles: kMbYesNo gives Yes and No (Escape
    // answers No), anything else an OK button. kIdNone without a
    // QApplication.
    int MessageBoxTimeout(const std::wstring& text, const std::wstring& caption, unsigned style,
                          int timeoutMs) override;
    void MessageBoxInfo(const std::wstring& text, const std::wstring& caption) override;
    // A CNoticeBox beside the anchor window (see SetNoticeAnchor), below the
    // notices already open; false without a QApplication.
    bool ShowNotice(const std::wstring& text, const std::wstring& caption, int timeoutMs,
                    bool takeFocus) override;
    void CloseNotices() override;

    // The window notices are placed beside while it shows (the session
    // window); without one, or while it is hidden, they go to the top right
    // of the primary screen.
    void SetNoticeAnchor(QWidget* anchor) { pAnchor = anchor; }
    // The notices open now, oldest first.
    std::vector<CNoticeBox*> OpenNotices() const;

private:
    QPointer<QWidget> pAnchor;
    std::vector<QPointer<CNoticeBox>> vecNotices;
};

} // namespace tw
