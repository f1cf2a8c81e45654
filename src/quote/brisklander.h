#pragma once

#include <QMainWindow>

class QAction;
class QMenu;

// The program's main window. It holds the quote being built; the exit routine is
// the only way it closes.
class Brisklander : public QMainWindow
{
    Q_OBJECT

public:
    explicit Brisklander(QWidget* parent = nullptr);

    QMenu* mnufile() const { return m_mnufile; }
    QAction* mnuexit() const { return m_mnuexit; }

public slots:
    void Form_Activate();
    void Form_Paint();
    void mnuexit_Click();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The close request: any close the program does not perform itself asks first.
    void Form_QueryUnload(QCloseEvent* event);

    QMenu* m_mnufile = nullptr;
    QAction* m_mnuexit = nullptr;
};
