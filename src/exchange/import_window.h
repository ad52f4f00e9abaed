// TImportFormat asks for the kind of file to import and the file; TMyImport matches the
// source's fields to the coin table's in a grid and runs the import.
#pragma once

#include "exchange/exchange_context.h"

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;

class TMyImport : public QDialog
{
    Q_OBJECT
public:
    // format 1: the text file's bytes; 2: the dBase file at `path` (bytes unused).
    TMyImport(const ExchangeContext &context, int format, const QString &path, std::string bytes,
              std::vector<std::string> names, QWidget *parent = nullptr);

    void FormShow();
    void UpButtonClick();
    void DownButtonClick();
    void ImportGridDblClick(int row, int column);
    void SkipFirstClick();
    void StartButtonClick();
    void HelpButtonClick();
    void SetColors();

    int ImportCount = 0;
    std::vector<std::string> ImportNames;
    std::vector<int> ImportMap; // per import field: the coin field number, or -1

private:
    QString countText(int count) const;

    ExchangeContext m_ctx;
    int m_format;
    QString m_path;
    std::string m_bytes;
    QTableWidget *ImportGrid = nullptr;
    QCheckBox *SkipFirst = nullptr;
    QLabel *m_count = nullptr;
};

class TImportFormat : public QDialog
{
    Q_OBJECT
public:
    explicit TImportFormat(const ExchangeContext &context, QWidget *parent = nullptr);

    void FormShow();
    void FileButtonClick();
    void DoAscii();
    void DoDBF();
    void SetColors();
    void done(int result) override; // FormClose: the chosen format into the settings

private:
    void showImport(int format, const QString &path, std::string bytes,
                    std::vector<std::string> names);

    ExchangeContext m_ctx;
    QRadioButton *AsciiDelimited = nullptr;
    QRadioButton *DBFFormat = nullptr;
};
