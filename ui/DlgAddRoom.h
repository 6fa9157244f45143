// The dialog that configures one room: which supported room, the player's
// nickname there, the folder the room writes its hand histories into, and an
// exchange rate. Adds a room, or changes one whose room stays fixed.
#pragma once

#include <QDialog>
#include <map>
#include <memory>
#include <string>

class QComboBox;
class QLineEdit;

namespace tw {

class IUserMessages;

class CDlgAddRoom : public QDialog {
public:
    // Add mode: offers the rooms of `roomNames` (room name -> in-use mark)
    // not configured yet (mark 0). `messages` shows the answers to wrong
    // input; null: message boxes of our own.
    CDlgAddRoom(const std::map<std::wstring, int>& roomNames, IUserMessages* messages,
                QWidget* parent = nullptr);
    // Change mode: shows every room of `roomNames`, with `roomName` chosen
    // and fixed, and the other fields preset.
    CDlgAddRoom(const std::map<std::wstring, int>& roomNames, IUserMessages* messages,
                const std::wstring& roomName, const std::wstring& nickname,
                const std::wstring& historyPath, const std::wstring& rate,
                QWidget* parent = nullptr);
    ~CDlgAddRoom() override;

    // After OK: the chosen room, the nickname and folder (trimmed, the folder
    // without a trailing separator) and the trimmed rate text ("1.0000" when
    // left empty; not checked further).
    std::wstring strRoomName;
    std::wstring strNickname;
    std::wstring strHistoryPath;
    std::wstring strRate = L"1.0";
    const bool bAddMode;

    void accept() override; // checks the fields; closes only when they are usable

private:
    void Build(const std::map<std::wstring, int>& roomNames);
    void BrowseFolder();
    void Tell(const std::wstring& text);

    IUserMessages* pMessages;
    std::unique_ptr<IUserMessages> ownMessages;
    QComboBox* comboRoom = nullptr;
    QLineEdit* editNickname = nullptr;
    QLineEdit* editHistoryPath = nullptr;
    QLineEdit* editRate = nullptr;
};

} // namespace tw
