// TMyTips: the tip of the day. Shows one tip about the program at a time, moves to the
// next on request, and carries the "Show Tips at Startup" choice.
#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;

class TMyTips : public QDialog
{
    Q_OBJECT
public:
    // Starts at tip `first` (taken modulo the number of tips).
    TMyTips(bool showAtStartup, int first, QWidget *parent = nullptr);

    static const QStringList &tips();
    int current() const { return m_current; }
    bool showAtStartup() const;
    void NextTipClick();

private:
    void showTip();

    int m_current = 0;
    QLabel *TipText = nullptr;
    QCheckBox *ShowTipsBox = nullptr;
};
