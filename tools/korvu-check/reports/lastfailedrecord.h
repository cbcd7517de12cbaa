#ifndef KORVUCHECK_LASTFAILEDRECORD_H
#define KORVUCHECK_LASTFAILEDRECORD_H

#include <QString>
#include <QStringList>

class RunResults;

// The functions and rows that failed against one daemon, kept between runs
// for --last-failed: a JSON file per daemon under the user's cache folder
// ($XDG_CACHE_HOME/korvu-check/last-failed-<hash of the daemon's path>.json).
// Each run updates it for the rows it ran, so that a run of a selection, a
// slice or a run stopped half-way keeps what is known of the others.
class LastFailedRecord
{
public:
    // The record of the daemon at daemonPath. Without one, or when it cannot
    // be read, the record holds no failure; *warning says why it was not read.
    static LastFailedRecord read(const QString &daemonPath, QString *warning);
    // What --last-failed selects for the daemon at daemonPath, and the lines
    // to tell the user: why the record was not read, or that nothing failed.
    static QStringList selectionFor(const QString &daemonPath, QStringList *notices);

    // Selection words ("function", "function:row") of what failed, in the
    // order they failed.
    QStringList failed() const;
    // The words the last run that updated the record selected; none: the
    // whole suite.
    QStringList lastSelection() const;
    // Where the record is kept.
    QString filePath() const;

    // A run's rows: those that failed it join the record, those that ran and
    // did not fail it leave it, and rows it did not run keep what it said.
    // selection: the words the run selected, none for the whole suite.
    void update(const RunResults &results, const QStringList &selection);
    // Replaces the file whole, so that a run stopped while writing leaves the
    // record of before.
    bool write(QString *error) const;

private:
    QString m_daemon;
    QString m_filePath;
    QStringList m_failed;
    QStringList m_lastSelection;
};

#endif // KORVUCHECK_LASTFAILEDRECORD_H
