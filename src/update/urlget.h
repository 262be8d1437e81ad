#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// Fetches the content at a URL in the background as bytes, measures how long the fetch took
// and reports progress, completion and failure as signals on the thread that owns it.
//
// Only http and https are fetched. A response is refused (DownloadFailed) when it is larger
// than MaxBytes, when its status is not 2xx, when it redirects to another scheme, or when
// nothing arrives for TimeoutMs.
class urlGet : public QObject {
    Q_OBJECT
  public:
    // Mode flag that forces a fresh download instead of a cached copy.
    static constexpr int ForceFresh = 16;
    static constexpr qsizetype MaxBytes = 1024 * 1024;
    static constexpr int MaxRedirects = 5;

    // Error numbers of the refusals this control adds to the network's own.
    enum Refusal {
        TooLarge = 1001,
        BadStatus = 1002,
        BadRedirect = 1003,
        TimedOut = 1004,
    };

    explicit urlGet(QObject* parent = nullptr);
    ~urlGet() override;

    bool Busy() const { return StartTick != 0; }
    QByteArray Bytes() const { return ByteBuffer; }
    int Duration() const { return ElapsedMs; }
    // Number of bytes as last reported; 0 after a failure.
    int byteCount() const { return ByteCount; }

    void DownloadStart(const QString& URL, int Mode = 0);
    void DownloadCancel();

    // How long the transfer may go without receiving anything (30 s unless a test shortens it).
    void setTimeoutMs(int ms) { TimeoutMs = ms; }

  signals:
    void DownloadComplete(int nBytes);
    void DownloadFailed(int ErrNum, const QString& ErrDesc);
    void DownloadProgress(int nBytes);

  private:
    void headersArrived();
    void dataArrived();
    void finished();
    void redirected(const QUrl& target);
    void fail(int number, const QString& description);
    void release();
    static qint64 tickCount();

    // Tick (ms on the monotonic clock) when the running fetch started; 0 when none runs.
    // A cancelled fetch keeps it, so the control stays busy until the next start.
    qint64 StartTick = 0;
    QByteArray ByteBuffer;
    int ByteCount = 0;
    int ElapsedMs = 0;
    int TimeoutMs = 30000;

    QNetworkAccessManager* manager_;
    QPointer<QNetworkReply> reply_;
    QByteArray received_; // the body of the running fetch so far
    QString scheme_;      // scheme the fetch started with; redirects must keep it
};
