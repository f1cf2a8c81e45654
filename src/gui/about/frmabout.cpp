#include "gui/about/frmabout.h"

#include "gui/platform/accesskeys.h"
#include "gui/platform/platform.h"
#include "gui/startup.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <QVBoxLayout>
#include <QVersionNumber>

#include <cmath>

namespace {

const QString MakerName = QStringLiteral("The Brisklander Project");
const QString WebAddress = QStringLiteral("https://brisklander.example.org");
const QString MailAddress = QStringLiteral("quotes@brisklander.example.org");

struct LabelStyle
{
    QString family = QStringLiteral("Tahoma");
    qreal points = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor colour; // invalid: the palette's text colour
};

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const LabelStyle& style)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAccessibleName(text);
    QFont font(style.family);
    font.setPointSizeF(style.points);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    label->setFont(font);
    if (style.colour.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, style.colour);
        label->setPalette(palette);
    }
    return label;
}

// A label that behaves as a link: a pointing hand, reachable with Tab, and a dotted
// frame while it has the focus so a keyboard user can see where Enter will go.
void makeLink(QLabel* label, const QString& accessibleName, const QString& toolTip, QObject* filter)
{
    label->setCursor(Qt::PointingHandCursor);
    label->setFocusPolicy(Qt::StrongFocus);
    label->setToolTip(toolTip);
    label->setAccessibleName(accessibleName);
    label->setAccessibleDescription(label->text());
    label->setStyleSheet(QStringLiteral("QLabel { border: 1px solid transparent; }"
                                        "QLabel:focus { border: 1px dotted blue; }"));
    label->setIndent(0); // a framed label indents its text otherwise
    label->installEventFilter(filter);
}

// Our logo: an aircraft flying a great-circle arc over a globe.
QPixmap paintLogo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 96.0, size / 96.0);

    const QPointF centre(48, 52);
    const qreal radius = 36;
    QRadialGradient sea(centre - QPointF(12, 12), radius * 1.4);
    sea.setColorAt(0, QColor(110, 170, 235));
    sea.setColorAt(1, QColor(20, 70, 150));
    painter.setPen(QPen(QColor(15, 50, 110), 1.5));
    painter.setBrush(sea);
    painter.drawEllipse(centre, radius, radius);

    // Meridians and parallels.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 110), 1));
    for (qreal width : {radius * 0.35, radius * 0.75})
        painter.drawEllipse(centre, width, radius);
    painter.drawLine(centre - QPointF(0, radius), centre + QPointF(0, radius));
    for (qreal offset : {-radius * 0.5, 0.0, radius * 0.5}) {
        const qreal half = std::sqrt(radius * radius - offset * offset);
        painter.drawLine(QPointF(centre.x() - half, centre.y() + offset),
                         QPointF(centre.x() + half, centre.y() + offset));
    }

    // The route, dashed up to the aircraft.
    QPainterPath route(QPointF(10, 80));
    route.cubicTo(QPointF(18, 20), QPointF(60, 6), QPointF(90, 24));
    const qreal planeAt = 0.82;
    QPainterPath flown;
    flown.moveTo(route.pointAtPercent(0));
    for (int step = 1; step <= 40; ++step)
        flown.lineTo(route.pointAtPercent(planeAt * step / 40));
    QPen dashes(QColor(255, 170, 0), 2.5, Qt::DashLine, Qt::RoundCap);
    painter.setPen(dashes);
    painter.drawPath(flown);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 170, 0));
    painter.drawEllipse(route.pointAtPercent(0), 3, 3);

    // The aircraft, nose along the route; drawn pointing to +x, centred on the origin.
    painter.translate(route.pointAtPercent(planeAt));
    painter.rotate(-route.angleAtPercent(planeAt));
    QPainterPath plane;
    plane.addRoundedRect(QRectF(-12, -2, 25, 4), 2, 2);
    for (int side : {-1, 1}) {
        plane.addPolygon(QPolygonF(
            {QPointF(3, 0), QPointF(-3, 12.0 * side), QPointF(-6, 12.0 * side), QPointF(-4, 0)}));
        plane.addPolygon(QPolygonF(
            {QPointF(-9, 0), QPointF(-12, 5.0 * side), QPointF(-14, 5.0 * side), QPointF(-13, 0)}));
    }
    plane.setFillRule(Qt::WindingFill);
    painter.setPen(QPen(QColor(60, 60, 60), 0.8));
    painter.setBrush(Qt::white);
    painter.drawPath(plane.simplified());
    return pixmap;
}

} // namespace

FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent)
{
    AccessKeys::runAtOnce();
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("About Brisklander"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    auto* image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(paintLogo(96));
    image1->setAccessibleName(QStringLiteral("Brisklander logo"));

    auto* label1 = makeLabel(this, "Label1", QStringLiteral("Brisklander for Linux"),
                             {.points = 18, .bold = true, .colour = Qt::blue});
    m_lblVersion =
        makeLabel(this, "LblVersion", QStringLiteral("Version"), {.bold = true, .colour = Qt::red});
    auto* label2 =
        makeLabel(this, "Label2", QStringLiteral("Created By:"), {.bold = true, .colour = Qt::red});
    auto* label3 = makeLabel(this, "Label3", MakerName,
                             {.points = 14,
                              .bold = true,
                              .italic = true,
                              .underline = true,
                              .colour = QColor(0, 128, 0)});
    m_label4 =
        makeLabel(this, "Label4", QString(), {.points = 8.25, .bold = true, .colour = Qt::red});
    const LabelStyle link{.bold = true, .underline = true, .colour = Qt::blue};
    m_label5 = makeLabel(this, "Label5", WebAddress, link);
    m_label6 = makeLabel(this, "Label6", MailAddress, link);
    auto* label7 = makeLabel(
        this, "Label7",
        QStringLiteral("Brisklander should not be used for flight planning or navigation."),
        {.family = QStringLiteral("Arial"), .points = 8.25, .italic = true, .colour = QColor()});
    makeLink(m_label5, QStringLiteral("Web site"), QStringLiteral("Click to connect to website"),
             this);
    makeLink(m_label6, QStringLiteral("E-mail"), QStringLiteral("Click to send email message"),
             this);

    auto* texts = new QVBoxLayout;
    texts->addWidget(label1);
    texts->addWidget(m_lblVersion);
    texts->addSpacing(12);
    texts->addWidget(label2);
    texts->addWidget(label3);
    texts->addSpacing(12);
    texts->addWidget(m_label4);
    texts->addWidget(m_label5);
    texts->addWidget(m_label6);
    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(image1, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addSpacing(8);
    outer->addWidget(label7);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load();
}

QString FrmAbout::versionText(int major, int minor, int revision)
{
    QString text = QStringLiteral("Version %1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
    if (revision != 0)
        text += QStringLiteral("  Revision %1").arg(revision);
    return text;
}

void FrmAbout::Form_Load()
{
    // Read from the build's own version rather than the application object, so the
    // box shows the right numbers however the process was set up.
    const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(BRISKLANDER_VERSION));
    m_lblVersion->setText(
        versionText(version.majorVersion(), version.minorVersion(), version.microVersion()));
    m_lblVersion->setAccessibleName(m_lblVersion->text());
    m_label4->setText(
        QStringLiteral("Copyright © %1 %2").arg(Platform::clock().today().year()).arg(MakerName));
    m_label4->setAccessibleName(m_label4->text());
}

// The menu command that opens the box set the busy pointer.
void FrmAbout::Form_Activate()
{
    Platform::pointer().setNormal();
}

void FrmAbout::Label5_Click()
{
    OpenDocument(m_label5->text());
}

void FrmAbout::Label6_Click()
{
    OpenDocument(QStringLiteral("mailto:") + m_label6->text());
}

bool FrmAbout::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(event);
}

bool FrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_label5 && watched != m_label6)
        return QDialog::eventFilter(watched, event);
    bool activated = false;
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        activated = mouse->button() == Qt::LeftButton &&
                    static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint());
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        activated =
            !key->isAutoRepeat() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                                     key->key() == Qt::Key_Space);
    }
    if (!activated)
        return QDialog::eventFilter(watched, event);
    if (watched == m_label5)
        Label5_Click();
    else
        Label6_Click();
    return true;
}
