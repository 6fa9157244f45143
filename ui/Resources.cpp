#include "ui/Resources.h"

#include <QFile>
#include <QPixmap>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitTarnwickResources() {
    Q_INIT_RESOURCE(tarnwick);
}

namespace tw {

void InitResources() {
    static const bool done = (InitTarnwickResources(), true);
    (void)done;
}

QImage LoadBitmapResource(int id) {
    InitResources();
    return QImage(QStringLiteral(":/bmp/%1.png").arg(id));
}

QIcon LoadIconResource(int id) {
    InitResources();
    const QString base = QStringLiteral(":/ico/%1").arg(id);
    if (!QFile::exists(base + QStringLiteral(".png")))
        return QIcon();
    QIcon icon(base + QStringLiteral(".png"));
    for (int size : {16, 24, 32}) {
        const QString file = QStringLiteral("%1-%2.png").arg(base).arg(size);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon;
}

QPixmap LoadIconPixmap(int id, int size) {
    const QIcon icon = LoadIconResource(id);
    if (icon.isNull())
        return QPixmap();
    QPixmap pixmap = icon.pixmap(QSize(size, size));
    if (pixmap.size() != QSize(size, size))
        pixmap = pixmap.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return pixmap;
}

QString SoundResourcePath(int id) {
    InitResources();
    return QStringLiteral(":/wav/%1.wav").arg(id);
}

} // namespace tw
