#pragma once

#include <QObject>
#include <QString>

class Random;

/// One clip player: a clip file that can be opened, played, recorded into,
/// stopped and saved. open() finishes before it returns: it either leaves an
/// open clip or fails with a text that names the file and the reason.
class ClipPlayer : public QObject
{
    Q_OBJECT
public:
    enum class State { Closed, Stopped, Playing, Recording };

    explicit ClipPlayer(QObject *parent = nullptr);
    ~ClipPlayer() override;

    void setFileName(const QString &fileName) { m_fileName = fileName; }
    QString fileName() const { return m_fileName; }

    /// Closes any open clip first. On failure the player stays closed.
    bool open(QString *error);
    /// Stops playback or recording and releases the file; never fails.
    void close();

    bool isOpen() const { return m_state != State::Closed; }
    State state() const { return m_state; }
    bool canPlay() const { return isOpen(); }
    bool canRecord() const { return isOpen() && m_canRecord; }
    bool hasVideo() const { return isOpen() && m_hasVideo; }

    int trackCount() const { return isOpen() ? 1 : 0; }
    qint64 trackStart(int track) const;
    void seek(qint64 position);
    void play();
    void record();
    void stop();
    /// Writes the open clip with what was recorded into it to the file.
    /// Fails for a player without an open clip ("no device open").
    bool save(QString *error);

    /// The code of the last media error; kept, not shown.
    int lastError() const { return m_lastError; }

signals:
    void stateChanged();

private:
    void setState(State state);

    QString m_fileName;
    State m_state = State::Closed;
    bool m_canRecord = false;
    bool m_hasVideo = false;
    qint64 m_position = 0;
    int m_lastError = 0;
};

/// Starts a clip: reopen it (a clip replaced on disk is picked up), choose a
/// track at random, seek to its start and play without waiting.
bool startClip(ClipPlayer &player, Random &random, QString *error);
