// The about box: the program's icon, name and version, and a link to its
// web site.
#pragma once

#include <QDialog>

class QLabel;

namespace tw {

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // "Tarnwick, Version 3.1".
    static QString VersionLine();
    QString VersionText() const;

private:
    QLabel* lblVersion = nullptr;
};

} // namespace tw
