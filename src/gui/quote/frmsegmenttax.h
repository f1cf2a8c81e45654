#pragma once

#include "core/quote/segmenttaxline.h"

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

// Works out the passenger segment tax: passengers x segments x the tax per
// segment of the settings. The window only reports the result; the main window
// writes it as the segment tax row of the charges grid when the window was saved.
class FrmSegmentTax : public QDialog
{
    Q_OBJECT

public:
    // `segmentRowCharge` is the Charge text of the current grid row when that row is
    // the segment tax row (the window then edits it), else a null string.
    FrmSegmentTax(double taxPerSegment, int passengerLegs, const QString& segmentRowCharge,
                  QWidget* parent = nullptr);

    bool isEditingExisting() const { return m_editingExisting; }
    bool isSaved() const { return m_saved; }
    // The Charge text of the segment tax row: "4 Pax * 2 Segm. * 2.50".
    QString chargeText() const;
    // The row's Tax Amount: the total as shown.
    QString totalText() const;

public slots:
    void Form_Load();
    void Form_Activate();
    void TxtNoPax_Change();
    void TxtNoSegments_Change();
    void TxtTotSegTax_Change();
    void CmdSave_Click();
    void CmdCancel_Click();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The key, key-release and focus rules of the two counts.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The counts as typed, with the rate of the settings.
    SegmentTaxLine line() const;
    void countChanged(QLineEdit* count);

    double m_taxPerSegment = 0.0;
    int m_passengerLegs = 0; // the segments proposed for a new row
    QString m_segmentRowCharge;
    bool m_editingExisting = false;
    bool m_saved = false;

    QLineEdit* m_TxtNoPax = nullptr;
    QLineEdit* m_TxtNoSegments = nullptr;
    QLineEdit* m_TxtTaxSegment = nullptr;
    QLineEdit* m_TxtTotSegTax = nullptr;
    QPushButton* m_CmdSave = nullptr;
    QPushButton* m_CmdCancel = nullptr;
};
