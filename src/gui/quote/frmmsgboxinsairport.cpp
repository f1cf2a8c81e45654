#include "gui/quote/frmmsgboxinsairport.h"

#include "gui/platform/accesskeys.h"
#include "gui/platform/platform.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

FrmMsgBoxInsAirport::FrmMsgBoxInsAirport(QWidget* parent) : QDialog(parent)
{
    AccessKeys::runAtOnce();
    setObjectName(QStringLiteral("FrmMsgBoxInsAirport"));
    setWindowTitle(QStringLiteral("Insert Airport in Route"));
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(size, size));
    auto* text = new QLabel(QStringLiteral("Do you want to Insert the Airport BEFORE\n"
                                           "or AFTER the First Airport?"),
                            this);
    text->setObjectName(QStringLiteral("Label1"));

    auto* before = new QPushButton(QStringLiteral("&Before"), this);
    before->setObjectName(QStringLiteral("CmdBefore"));
    auto* after = new QPushButton(QStringLiteral("&After"), this);
    after->setObjectName(QStringLiteral("CmdAfter"));
    after->setDefault(true);
    connect(before, &QPushButton::clicked, this, &FrmMsgBoxInsAirport::CmdBefore_Click);
    connect(after, &QPushButton::clicked, this, &FrmMsgBoxInsAirport::CmdAfter_Click);

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(text, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(before, QDialogButtonBox::ActionRole);
    buttons->addButton(after, QDialogButtonBox::AcceptRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

void FrmMsgBoxInsAirport::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Platform::prompter().beep();
}

void FrmMsgBoxInsAirport::CmdBefore_Click()
{
    m_answer = Before;
    accept();
}

void FrmMsgBoxInsAirport::CmdAfter_Click()
{
    m_answer = After;
    accept();
}

int FrmMsgBoxInsAirport::ask(QWidget* parent)
{
    FrmMsgBoxInsAirport box(parent);
    box.exec();
    return box.InsertAnswer();
}
