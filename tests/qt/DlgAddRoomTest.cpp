#include "ui/DlgAddRoom.h"

#include "model/RoomTable.h"
#include "tests/qt/DialogTestUtil.h"

#include <QComboBox>
#include <QLineEdit>

using namespace tw;
using twtest::Child;
using twtest::RecordingMessages;

namespace {

std::map<std::wstring, int> AllRoomsUnconfigured() {
    std::map<std::wstring, int> names;
    for (const RoomInfo& r : kSupportedRooms)
        names[r.szName] = 0;
    return names;
}

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

TEST(DlgAddRoom, AddModeOffersOnlyRoomsNotConfigured) {
    RecordingMessages messages;
    auto names = AllRoomsUnconfigured();
    names[L"PokerStars"] = 2;
    names[L"Titan poker"] = 1;
    CDlgAddRoom dlg(names, &messages);
    auto* combo = Child<QComboBox>(&dlg, "comboRoom");
    const QStringList items = Items(combo);
    EXPECT_EQ(items.size(), 14);
    EXPECT_FALSE(items.contains(QStringLiteral("PokerStars")));
    EXPECT_FALSE(items.contains(QStringLiteral("Titan poker")));
    EXPECT_TRUE(items.contains(QStringLiteral("PokerStars2")));
    QStringList sorted = items;
    sorted.sort(Qt::CaseSensitive);
    EXPECT_EQ(items, sorted);
    EXPECT_EQ(combo->currentIndex(), -1); // nothing chosen for the user
    EXPECT_TRUE(combo->isEnabled());

    // With every room configured there is nothing to add.
    for (auto& [name, mark] : names)
        mark = 1;
    CDlgAddRoom full(names, &messages);
    EXPECT_EQ(Child<QComboBox>(&full, "comboRoom")->count(), 0);
    Child<QLineEdit>(&full, "editNickname")->setText(QStringLiteral("hero"));
    Child<QLineEdit>(&full, "editHistoryPath")->setText(QStringLiteral("/hh"));
    full.accept();
    EXPECT_NE(full.result(), QDialog::Accepted);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].strText, L"Select poker room!");
}

TEST(DlgAddRoom, OkChecksTheFieldsInOrderAndKeepsTheDialogOpen) {
    RecordingMessages messages;
    CDlgAddRoom dlg(AllRoomsUnconfigured(), &messages);
    dlg.show();
    auto* combo = Child<QComboBox>(&dlg, "comboRoom");
    auto* nick = Child<QLineEdit>(&dlg, "editNickname");
    auto* path = Child<QLineEdit>(&dlg, "editHistoryPath");
    auto* rate = Child<QLineEdit>(&dlg, "editRate");
    EXPECT_EQ(rate->text(), QStringLiteral("1.0"));

    nick->setText(QStringLiteral("hero"));
    path->setText(QStringLiteral("/hh"));
    dlg.accept(); // no room chosen
    combo->setCurrentIndex(combo->findText(QStringLiteral("888 poker")));
    nick->setText(QStringLiteral("   "));
    dlg.accept();
    nick->setText(QStringLiteral(" hero "));
    path->setText(QStringLiteral("  "));
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    const std::vector<std::wstring> expected = {L"Select poker room!", L"Enter nickname!",
                                                L"Enter history path!"};
    std::vector<std::wstring> texts;
    for (const auto& m : messages.shown) {
        texts.push_back(m.strText);
        EXPECT_EQ(m.nStyle, kMbIconInformation);
    }
    EXPECT_EQ(texts, expected);

    // Accepted: trimmed values, the folder without its trailing separator, an
    // empty rate as 1.0000.
    path->setText(QStringLiteral(" /home/me/hh/888/ "));
    rate->setText(QStringLiteral(" "));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.strRoomName, L"888 poker");
    EXPECT_EQ(dlg.strNickname, L"hero");
    EXPECT_EQ(dlg.strHistoryPath, L"/home/me/hh/888");
    EXPECT_EQ(dlg.strRate, L"1.0000");
}
