// The quote tab's aircraft: the choice of the quote's profile and the legs it cannot
// fly in one go.

#include "gui/mainwindow/quotepart.h"

#include <QComboBox>
#include <QLabel>

void QuotePart::setAircraftNames(const QStringList& names, const QString& chosen)
{
    m_aircraftNames = names;
    m_aircraftShown = chosen;
    if (isBuilt())
        fillAircraft();
}

void QuotePart::fillAircraft()
{
    const QSignalBlocker blocker(m_CboAircraft);
    m_CboAircraft->clear();
    m_CboAircraft->addItem(QString());
    m_CboAircraft->addItems(m_aircraftNames);
    showAircraft(m_aircraftShown);
}

void QuotePart::showAircraft(const QString& name)
{
    m_aircraftShown = name;
    if (!isBuilt())
        return;
    const QSignalBlocker blocker(m_CboAircraft);
    int found = name.isEmpty() ? 0 : m_CboAircraft->findText(name, Qt::MatchFixedString);
    if (found < 0) {
        // A kept quote's aircraft no longer in the catalogue is still the quote's.
        m_CboAircraft->addItem(name);
        found = m_CboAircraft->count() - 1;
    }
    m_CboAircraft->setCurrentIndex(found);
}

void QuotePart::showBeyondRange(const QStringList& texts)
{
    m_beyondRange = texts;
    if (!isBuilt())
        return;
    m_LblBeyondRange->setText(texts.join(QLatin1Char('\n')));
    m_LblBeyondRange->setVisible(!texts.isEmpty());
}
