#include "gui/qt_url_fetcher.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "gui/qt_text.h"

namespace {

std::string Seconds(std::chrono::milliseconds ms) {
    const long long tenths = (ms.count() + 50) / 100;
    return std::to_string(tenths / 10) + (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " s";
}

}  // namespace

UrlFetchResult FetchUrlWithQt(const std::string& url, const UrlFetchLimits& limits) {
    const QUrl address(ToQt(url), QUrl::StrictMode);
    if (!address.isValid() || (address.scheme() != QLatin1String("http") && address.scheme() != QLatin1String("https")))
        return {false, {}, "Cannot open URL " + url + ": not an http or https address"};

    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("TESK"));
    request.setTransferTimeout(static_cast<int>(limits.stall.count()));

    QNetworkReply* reply = manager.get(request);  // owned by the manager
    QByteArray body;
    bool tooLarge = false;
    bool tooSlow = false;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        body += reply->readAll();
        if (static_cast<std::size_t>(body.size()) > limits.maxBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer total;
    total.setSingleShot(true);
    QObject::connect(&total, &QTimer::timeout, reply, [&] {
        tooSlow = true;
        reply->abort();
    });
    total.start(static_cast<int>(limits.total.count()));
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    total.stop();

    if (tooLarge) return {false, {}, "The answer from " + url + " is too large"};
    if (tooSlow) return {false, {}, "The answer was not complete within " + Seconds(limits.total)};
    if (reply->error() == QNetworkReply::OperationCanceledError)
        return {false, {}, "No answer from " + url + " within " + Seconds(limits.stall)};
    if (reply->error() != QNetworkReply::NoError)
        return {false, {}, "Cannot open URL " + url + ": " + FromQt(reply->errorString())};
    body += reply->readAll();
    if (static_cast<std::size_t>(body.size()) > limits.maxBytes)
        return {false, {}, "The answer from " + url + " is too large"};
    return {true, body.toStdString(), {}};
}
