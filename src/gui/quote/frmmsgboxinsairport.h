#pragma once

#include <QDialog>

class QPushButton;

// Asks where an airport goes when the first stop of a longer route is selected.
class FrmMsgBoxInsAirport : public QDialog
{
    Q_OBJECT

public:
    static constexpr int Before = 7;
    static constexpr int After = 6;

    explicit FrmMsgBoxInsAirport(QWidget* parent = nullptr);

    // 7 for Before, 6 for After; closing the window any other way counts as After.
    int InsertAnswer() const { return m_answer; }

    // Shows the window modally and returns the answer.
    static int ask(QWidget* parent);

public slots:
    void CmdBefore_Click();
    void CmdAfter_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    int m_answer = After;
};
