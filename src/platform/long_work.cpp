#include "platform/long_work.h"

#include <QApplication>
#include <QCursor>
#include <QProgressDialog>

LongWork::LongWork(QWidget *owner, const QString &caption, bool cancellable)
    : m_owner(owner), m_caption(caption), m_cancellable(cancellable)
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    m_clock.start();
}

LongWork::~LongWork()
{
    for (dbase::Table *t : m_tables)
        t->setProgress({});
    delete m_dialog;
    QApplication::restoreOverrideCursor();
}

void LongWork::attach(dbase::Table &table)
{
    table.setProgress(callback());
    m_tables.push_back(&table);
}

dbase::Table::Progress LongWork::callback()
{
    return [this](const std::string &what, uint64_t done, uint64_t total) {
        return report(QString::fromStdString(what), static_cast<qint64>(done),
                      static_cast<qint64>(total));
    };
}

bool LongWork::report(const QString &what, qint64 done, qint64 total)
{
    const qint64 now = m_clock.elapsed();
    if (now < m_showDelay) return !m_cancelled;
    if (!m_dialog) {
        m_dialog = new QProgressDialog(m_owner);
        m_dialog->setObjectName(QStringLiteral("LongWorkProgress"));
        m_dialog->setWindowTitle(m_caption);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setMinimumWidth(360);
        if (!m_cancellable) m_dialog->setCancelButton(nullptr);
        m_dialog->show();
    }
    // Scaled to thousandths: a million records overflow no int.
    m_dialog->setMaximum(1000);
    m_dialog->setValue(total > 0 ? static_cast<int>(std::min<qint64>(done, total) * 1000 / total)
                                 : 0);
    m_dialog->setLabelText(what + QStringLiteral("..."));
    // Repaint now and then, not at every report.
    if (m_lastPaint < 0 || now - m_lastPaint >= 50) {
        m_lastPaint = now;
        QApplication::processEvents(m_cancellable ? QEventLoop::AllEvents
                                                  : QEventLoop::ExcludeUserInputEvents);
    }
    if (m_dialog->wasCanceled()) m_cancelled = true;
    return !m_cancelled;
}
