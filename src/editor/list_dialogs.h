// The list maintenance dialog TMyEditBox (add, delete, sort the entries of one pick
// list) and the Miscellaneous choice dialog TMyMiscellaneous (several entries of
// MISC.LST chosen and joined into one text).
#pragma once

#include "app/settings.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QListWidget;

class TMyEditBox : public QDialog
{
    Q_OBJECT
public:
    // kind: 1 Country, 2 Topic, 3 Condition, 4 Miscellaneous.
    TMyEditBox(int kind, const QString &titleName, int limit, const QStringList &entries,
               QWidget *parent = nullptr);

    // Fonts, scaling and centring, and the colours of the configure windows.
    std::function<void(QWidget *)> place;
    const ColorScheme *scheme = nullptr;
    // "&Ok" hands over the entries in order.
    std::function<void(const QStringList &)> onOk;

    QStringList entries() const;
    void FormShow();
    void AddButtonClick();
    void DeleteButtonClick();
    void SortButtonClick();
    void OkButtonClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    int m_kind;
    QListWidget *TheList = nullptr;
    QLineEdit *AddInfo = nullptr;
};

class TMyMiscellaneous : public QDialog
{
    Q_OBJECT
public:
    // The entries of MISC.LST and the current text of the Miscellaneous box.
    TMyMiscellaneous(const QStringList &entries, const QString &current, QWidget *parent = nullptr);

    std::function<void(QWidget *)> place;
    // The text "&Ok" makes of the chosen entries.
    QString result() const { return m_result; }
    QStringList chosen() const;
    void OkButtonClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    int FindMisc(const QString &entry) const;
    void addSorted(const QString &entry);

    QListWidget *MiscList = nullptr;
    QString m_result;
};
