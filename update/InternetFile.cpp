#include "update/InternetFile.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

namespace tw {

bool CQtInternetFile::GetInternetFile(const std::wstring& url, const std::wstring& localPath,
                                      const DownloadLimits& limits) {
    const QUrl address(QString::fromStdWString(url), QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;

    QSaveFile file(QString::fromStdWString(localPath));
    if (!file.open(QIODevice::WriteOnly))
        return false;

    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(limits.nIdleMs);
    QNetworkReply* reply = manager.get(request);

    bool failed = false;
    qint64 received = 0;
    auto drain = [&] {
        if (!reply->isOpen())
            return;
        const QByteArray chunk = reply->readAll();
        received += chunk.size();
        if (received > limits.nMaxBytes || file.write(chunk) != chunk.size()) {
            failed = true;
            reply->abort();
        }
    };

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply, [&] {
        failed = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, drain);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(limits.nTotalMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();
    if (!failed)
        drain();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok =
        !failed && reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
    delete reply;
    if (!ok) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace tw
