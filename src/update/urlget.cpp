#include "update/urlget.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

bool isWebScheme(const QString& scheme) {
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

int clampToInt(qint64 v) {
    return int(std::clamp<qint64>(v, 0, std::numeric_limits<int>::max()));
}

} // namespace

urlGet::urlGet(QObject* parent) : QObject(parent), manager_(new QNetworkAccessManager(this)) {}

urlGet::~urlGet() {
    release();
}

qint64 urlGet::tickCount() {
    QElapsedTimer t;
    t.start();
    // Zero means "no fetch running", so a start at the clock's very origin moves on by one.
    return qMax<qint64>(1, t.msecsSinceReference());
}

void urlGet::DownloadStart(const QString& URL, int Mode) {
    if (URL.isEmpty())
        return;
    if (Busy())
        DownloadCancel();
    ElapsedMs = 0;
    StartTick = tickCount();
    received_.clear();

    // The address is sent as written: tolerant parsing keeps an odd query such as "&amp"
    // without a semicolon exactly as it stands. An address that cannot be fetched starts
    // nothing and raises nothing; the control stays busy until the next start.
    const QUrl url(URL, QUrl::TolerantMode);
    scheme_ = url.scheme().toLower();
    if (!url.isValid() || !isWebScheme(scheme_) || url.host().isEmpty())
        return;

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    request.setTransferTimeout(TimeoutMs);
    if (Mode & ForceFresh) {
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        request.setRawHeader("Cache-Control", "no-cache");
        request.setRawHeader("Pragma", "no-cache");
    }

    QNetworkReply* reply = manager_->get(request);
    // Bounds what the network layer buffers on our behalf; the size cap does the rest.
    reply->setReadBufferSize(64 * 1024);
    reply_ = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, &urlGet::headersArrived);
    connect(reply, &QNetworkReply::readyRead, this, &urlGet::dataArrived);
    connect(reply, &QNetworkReply::finished, this, &urlGet::finished);
    connect(reply, &QNetworkReply::redirected, this, &urlGet::redirected);
}

void urlGet::DownloadCancel() {
    // StartTick stays: the control remains busy until the next start replaces the fetch.
    release();
}

void urlGet::release() {
    if (!reply_)
        return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    // Often called from inside one of the reply's own signals, where aborting at once upsets
    // the network layer; it is aborted as soon as control is back in the event loop.
    QMetaObject::invokeMethod(
        reply,
        [reply] {
            if (reply->isRunning())
                reply->abort();
        },
        Qt::QueuedConnection);
    reply->deleteLater();
}

void urlGet::headersArrived() {
    if (!reply_)
        return;
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        const int code = status.toInt();
        if (code >= 300 && code < 400)
            return; // a redirect: judged in redirected() or, when not followed, in finished()
        if (code < 200 || code >= 300) {
            const QString reason =
                reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
            fail(BadStatus, QStringLiteral("HTTP status %1 %2").arg(code).arg(reason).trimmed());
            return;
        }
    }
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > MaxBytes)
        fail(TooLarge, QStringLiteral("The response is larger than %1 bytes").arg(MaxBytes));
}

void urlGet::dataArrived() {
    bool grew = false;
    while (reply_ && reply_->bytesAvailable() > 0) {
        // Never read more than one byte beyond the cap, so the buffer never holds more.
        const qint64 room = MaxBytes - received_.size();
        const QByteArray chunk = reply_->read(qMin(reply_->bytesAvailable(), room + 1));
        if (chunk.isEmpty())
            break;
        if (chunk.size() > room) {
            fail(TooLarge, QStringLiteral("The response is larger than %1 bytes").arg(MaxBytes));
            return;
        }
        received_ += chunk;
        grew = true;
    }
    if (!grew || !reply_)
        return;
    ByteBuffer = received_;
    ByteCount = int(received_.size());
    emit DownloadProgress(ByteCount);
}

void urlGet::redirected(const QUrl& target) {
    if (!reply_)
        return;
    if (target.scheme().toLower() != scheme_) {
        fail(BadRedirect, QStringLiteral("Redirect to another scheme refused: %1")
                              .arg(target.toDisplayString(QUrl::RemoveUserInfo)));
        return;
    }
    emit reply_->redirectAllowed();
}

void urlGet::finished() {
    if (!reply_)
        return;
    const QNetworkReply::NetworkError error = reply_->error();
    if (error == QNetworkReply::OperationCanceledError) {
        // We never abort a reply we still listen to: only the transfer timeout does.
        fail(TimedOut, QStringLiteral("No answer within %1 s").arg(TimeoutMs / 1000.0));
        return;
    }
    if (error != QNetworkReply::NoError) {
        fail(int(error), reply_->errorString());
        return;
    }
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() >= 300)) {
        fail(BadStatus, QStringLiteral("HTTP status %1").arg(status.toInt()));
        return;
    }
    QNetworkReply* const reply = reply_;
    dataArrived(); // whatever came with the end of the transfer
    if (reply_ != reply)
        return; // refused while reading the rest, or cancelled or restarted by a handler
    release();
    ElapsedMs = clampToInt(std::llabs(tickCount() - StartTick));
    StartTick = 0;
    ByteBuffer = received_;
    received_.clear();
    ByteCount = int(ByteBuffer.size());
    emit DownloadComplete(ByteCount);
}

void urlGet::fail(int number, const QString& description) {
    release();
    ElapsedMs = clampToInt(std::llabs(tickCount() - StartTick));
    StartTick = 0;
    received_.clear();
    // ByteBuffer keeps the previous or partial data on purpose.
    ByteCount = 0;
    emit DownloadFailed(number, description);
}
