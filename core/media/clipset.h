#pragma once

#include "core/base/result.h"

#include <QList>
#include <QString>

class ClipPlayer;
class Random;

/// The five clips of the quiz as files: their names for a medium, emptying a
/// clip with the blank clip, and saving them all. The window owns the
/// players; these operations hold the rules so that they can be tested
/// without it.
namespace ClipSet {

/// The clip file names in player order MP1, MP2, MP3, MPTrue, MPFalse.
constexpr int ClipCount = 5;

/// "wav" for medium 0, "avi" for medium 1; any other index keeps current.
QString mediaExtension(int mediumIndex, const QString &current);
/// root + "Data/color1." + ext ... for player 0 to 4, where root is the
/// folder holding Data; names that differ only in letter case are found.
QString clipFileName(const QString &root, int player, const QString &ext);
/// root + "Data/0." + ext: the blank clip copied over a clip to empty it.
QString blankFileName(const QString &root, const QString &ext);

/// Empties the player's clip: drops a recording not saved yet (and the way
/// back from the last one), closes it, replaces its file atomically with
/// a copy of the blank clip and opens it again. Without a usable blank the
/// teacher's clip is kept (and reopened) and the failure says so; a clip
/// that cannot be replaced is kept the same way; a reopen that fails is a
/// failure too.
Result resetClip(ClipPlayer &player, const QString &blankFile);

/// Saves every player in order. A player without an open clip and without a
/// recording holds nothing new and is skipped, so that one missing clip file cannot block saving
/// (and closing). Every other player is still saved after one fails; the
/// failures' texts are joined, one a line. A clip saved here can no longer
/// go back to what it was before its last recording.
Result saveAll(const QList<ClipPlayer *> &players);

} // namespace ClipSet

/// Starts a clip: reopen it (a clip replaced on disk is picked up), choose a
/// track at random, seek to its start and play without waiting. A player
/// that is recording is left recording and nothing is played.
Result startClip(ClipPlayer &player, Random &random);
