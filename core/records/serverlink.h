#pragma once

#include "core/base/result.h"
#include "core/records/childrecord.h"

#include <QObject>
#include <QSet>
#include <QSqlDriver>
#include <QVector>

class QTimer;

/// The sender of one computer: lives in a thread of its own, so that a slow
/// or absent network never holds up the game. It sends the answers waiting
/// in the outbox, oldest first, each exactly once (the server keeps the
/// answer's id; an answer sent again is a no-op), and deletes each from the
/// outbox only once the server has it. It keeps the copy of the server's
/// rows on this computer up to date: from the server's own results of its
/// answers, from the server's notices of rows changed by other computers,
/// and whole after every (re)connection. While the server cannot be reached
/// it tries again every retry interval.
class ServerLink : public QObject
{
    Q_OBJECT
public:
    ServerLink(const QString &service, const QString &cachePath, int retryMs);
    ~ServerLink() override;

public slots:
    void start();
    /// Sends what waits in the outbox, if the server can be reached.
    void flush();
    /// Closes the connections of this thread; the last call before the thread ends.
    void stop();

signals:
    /// After every change of reachability and after every batch sent;
    /// `problem` is empty while the server can be reached.
    void stateChanged(bool online, const QString &problem);
    /// Rows of the copy that changed (new, changed or gone).
    void rowsChanged(const QVector<int> &nos);
    /// The copy holds the server's whole table (after every connection).
    void synced();

private:
    bool connectServer();
    void goOffline(const QString &problem);
    bool sendBatch(bool *more);
    bool syncAll();
    void readNotified();
    void onNotification(const QString &name, QSqlDriver::NotificationSource source, const QVariant &payload);
    void checkHealth();
    Result readRows(const QVector<int> &nos, QVector<ChildRecord> *rows, QVector<int> *gone);
    Result storeRows(const QVector<ChildRecord> &rows, const QVector<int> &gone, const QVector<qint64> &sent);

    QString m_service;
    QString m_cachePath;
    QString m_pg;
    QString m_local;
    int m_retryMs;
    bool m_online = false;
    bool m_localOpen = false;
    bool m_flushing = false;
    QTimer *m_retry = nullptr;
    QTimer *m_health = nullptr;
    QTimer *m_notify = nullptr;
    QSet<int> m_notified;
    // Too many notices came at once: the whole table is read once instead.
    bool m_resync = false;
};
