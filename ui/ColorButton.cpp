#include "ui/ColorButton.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QWidgetAction>

namespace tw {

QColor ColorFromRef(int colorRef) {
    const unsigned v = static_cast<unsigned>(colorRef);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

int RefFromColor(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

namespace {

const int kColumns = 5;

QPixmap Swatch(int colorRef, QSize size) {
    QPixmap pm(size);
    pm.fill(ColorFromRef(colorRef));
    QPainter p(&pm);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    return pm;
}

} // namespace

const std::vector<int>& CColorButton::PaletteColors() {
    static const std::vector<int> colors = {
        0x000000, 0x404040, 0x808080, 0xC0C0C0, 0xFFFFFF, // greys
        0x0000C0, 0x0000FF, 0x4080FF, 0x00C0FF, 0x00FFFF, // reds to yellow
        0x006000, 0x00C313, 0x00FF00, 0x80FF80, 0x408000, // greens
        0x800000, 0xFF0000, 0xFF8040, 0xFFFF00, 0x808000, // blues and cyan
        0x37323D, 0x400040, 0x800080, 0xFF00FF, 0xC080FF, // dark and purples
    };
    return colors;
}

CColorButton::CColorButton(int automaticColor, int color, QWidget* parent)
    : QToolButton(parent), nAutomatic(automaticColor), nColor(color) {
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIconSize(QSize(36, 14));
    setCursor(Qt::PointingHandCursor);

    auto* menu = new QMenu(this);
    QAction* def =
        menu->addAction(QIcon(Swatch(nAutomatic, QSize(16, 16))), QStringLiteral("Default"));
    connect(def, &QAction::triggered, this, [this] { PickDefault(); });

    // The palette: one small flat button per colour, five to a row.
    auto* grid = new QWidget;
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(3);
    const auto& colors = PaletteColors();
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const int c = colors[i];
        auto* cell = new QToolButton(grid);
        cell->setObjectName(QStringLiteral("colorCell"));
        cell->setAutoRaise(true);
        cell->setIconSize(QSize(18, 18));
        cell->setIcon(QIcon(Swatch(c, QSize(18, 18))));
        cell->setToolTip(ColorFromRef(c).name());
        connect(cell, &QToolButton::clicked, this, [this, menu, c] {
            menu->close();
            Pick(c);
        });
        layout->addWidget(cell, static_cast<int>(i) / kColumns, static_cast<int>(i) % kColumns);
    }
    auto* palette = new QWidgetAction(menu);
    palette->setDefaultWidget(grid);
    menu->addAction(palette);

    menu->addSeparator();
    QAction* other = menu->addAction(QStringLiteral("Other..."));
    connect(other, &QAction::triggered, this, [this] { PickOther(); });
    setMenu(menu);

    UpdateSwatch();
}

void CColorButton::SetColor(int colorRef) {
    nColor = colorRef;
    UpdateSwatch();
}

void CColorButton::Pick(int colorRef) {
    SetColor(colorRef);
    if (fnPicked)
        fnPicked(nColor);
}

void CColorButton::PickOther() {
    const QColor c = QColorDialog::getColor(ColorFromRef(nColor), window());
    if (c.isValid())
        Pick(RefFromColor(c));
}

void CColorButton::UpdateSwatch() {
    setIcon(QIcon(Swatch(nColor, iconSize())));
    setToolTip(ColorFromRef(nColor).name());
}

} // namespace tw
