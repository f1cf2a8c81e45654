#pragma once

#include <QDialog>

class QLabel;

// The About box: the program's name, version, maker and copyright year, and the
// maker's web and mail links. The main window opens it modally; it has no buttons
// and closes with the close box or Esc.
class FrmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit FrmAbout(QWidget* parent = nullptr);

    // "Version 1.00"; "  Revision n" follows only when the revision is not zero.
    static QString versionText(int major, int minor, int revision);

public slots:
    void Form_Load();
    void Form_Activate();
    void Label5_Click();
    void Label6_Click();

protected:
    bool event(QEvent* event) override;
    // Turns a click, Enter or Space on either link label into its click handler.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_lblVersion = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_label5 = nullptr;
    QLabel* m_label6 = nullptr;
};
