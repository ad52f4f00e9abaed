// The report definitions file NUMAROK.URP: fixed 20622-byte records, no header, record k is
// the k-th report in the list. Whole records only; a trailing partial record is not listed.
#pragma once

#include "reports/report_definition.h"

#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

namespace reports
{

// A write that failed; the message names the file. The file is left as it was.
class ReportFileError : public std::runtime_error
{
public:
    explicit ReportFileError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

class ReportFile
{
public:
    // The file in the program directory.
    ReportFile();
    explicit ReportFile(const QString &path);

    static QString defaultPath();
    const QString &path() const { return m_path; }
    bool exists() const;

    // Names in file order; empty when the file cannot be read.
    QStringList names() const;
    // Whole records in the file (0 when missing).
    int count() const;
    // False (buffer unchanged) when the file cannot be opened or has no record k.
    bool read(int k, ReportDefinition &into) const;
    // Whether record k is a report of that name (another copy of the program may have
    // removed or added reports since k was read).
    bool holds(int k, const QString &name) const;
    // Replaces record k (the file written beside the old one and renamed over it), or
    // appends when k < 0 or k == count(); creates the file when missing. Returns the
    // record's index. The whole record is written and flushed; an append that fails is cut
    // back off. Throws ReportFileError.
    int save(const ReportDefinition &definition, int k = -1);
    // Appends several records in one write (all or none). Throws ReportFileError.
    void append(const std::vector<ReportDefinition> &definitions);
    // Removes record k: the shortened file is written beside the old one and renamed over
    // it, so an interrupted delete loses nothing. False when there is no record k. Throws
    // ReportFileError.
    bool remove(int k);

private:
    // The file's bytes replaced by these, written beside it and renamed over it.
    void replaceWith(const QByteArray &bytes);

    QString m_path;
};

} // namespace reports
