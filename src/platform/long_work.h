// Feedback on long work, for every window: the wait cursor at once and, past half a
// second, a progress dialog saying what is being done. The engine drives it through its
// progress callback, and the dialog repaints when it reports; no threads are needed.
#pragma once

#include "dbase/table.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <vector>

class QWidget;

class LongWork
{
public:
    // The wait cursor shows until this object goes. A cancellable piece of work gets a
    // "Cancel" button, and report() answers false once it is pressed.
    LongWork(QWidget *owner, const QString &caption, bool cancellable = false);
    ~LongWork();
    LongWork(const LongWork &) = delete;
    LongWork &operator=(const LongWork &) = delete;

    // The table reports to this object until it goes.
    void attach(dbase::Table &table);
    dbase::Table::Progress callback();
    bool report(const QString &what, qint64 done, qint64 total);

    // How long work runs before the dialog shows (500 ms; tests set 0).
    void setShowDelay(int ms) { m_showDelay = ms; }
    QProgressDialog *dialog() const { return m_dialog; }

private:
    QWidget *m_owner;
    QString m_caption;
    bool m_cancellable;
    bool m_cancelled = false;
    int m_showDelay = 500;
    QElapsedTimer m_clock;
    qint64 m_lastPaint = -1;
    QPointer<QProgressDialog> m_dialog;
    std::vector<dbase::Table *> m_tables;
};
