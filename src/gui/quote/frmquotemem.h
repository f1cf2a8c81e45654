#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

// Compares the current final quote with the memorized one and lets the operator
// memorize the current one. The window only reads the final quote it is given.
class FrmQuoteMem : public QDialog
{
    Q_OBJECT

public:
    explicit FrmQuoteMem(const QString& finalQuoteText, QWidget* parent = nullptr);

public slots:
    void Form_Load();
    void Form_Activate();
    void TxtFinalQuote_Change();
    void TxtMemQuote_Change();
    void TxtQuoteDiff_Change();
    void CmdSave_Click();
    void CmdCancel_Click();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void colourByValue(QLineEdit* field);
    void colourFields();
    void showMemorizedQuote();

    QString m_finalQuoteText;
    QLineEdit* m_TxtFinalQuote = nullptr;
    QLineEdit* m_TxtMemQuote = nullptr;
    QLineEdit* m_TxtQuoteDiff = nullptr;
    QPushButton* m_CmdSave = nullptr;
    QPushButton* m_CmdCancel = nullptr;
};
