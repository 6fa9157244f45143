// A button that shows a colour and lets the user pick another from a menu: a
// "Default" entry with the button's factory colour, a palette of five
// columns, and "Other..." for the full colour dialog.
#pragma once

#include <QToolButton>
#include <functional>
#include <vector>

class QColor;

namespace tw {

// Colours are kept as 0x00BBGGRR (the profile's format).
QColor ColorFromRef(int colorRef);
int RefFromColor(const QColor& color);

class CColorButton : public QToolButton {
public:
    CColorButton(int automaticColor, int color, QWidget* parent = nullptr);

    int Color() const { return nColor; }
    int AutomaticColor() const { return nAutomatic; }
    // Shows `colorRef` without telling anyone.
    void SetColor(int colorRef);

    // What the menu entries do: set the colour and call fnPicked with it.
    void PickDefault() { Pick(nAutomatic); }
    void Pick(int colorRef);
    // Opens the colour dialog; a cancelled dialog picks nothing.
    void PickOther();

    // Called with the new colour after each pick.
    std::function<void(int)> fnPicked;

    // The palette's colours, row by row.
    static const std::vector<int>& PaletteColors();

private:
    void UpdateSwatch();

    int nAutomatic;
    int nColor;
};

} // namespace tw
