#include "shell/form_new_version.h"

#include "media/dialog_placement.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace duvara {

namespace {

constexpr int kPictureSize = 64;
constexpr int kMessageWidth = 280;

// The picture beside the message: an arrow into a tray, in the colours of the idle picture.
class NewVersionPicture : public QWidget
{
public:
    explicit NewVersionPicture(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(kPictureSize, kPictureSize);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
        QLinearGradient background(area.topLeft(), area.bottomRight());
        background.setColorAt(0, QColor(0x15, 0x1b, 0x24));
        background.setColorAt(1, QColor(0x2c, 0x3b, 0x4e));
        painter.setPen(Qt::NoPen);
        painter.setBrush(background);
        painter.drawRoundedRect(area, 10, 10);

        const qreal unit = area.width() / 16;
        const QPointF origin = area.topLeft();
        const auto at = [&](qreal x, qreal y) {
            return origin + QPointF(x * unit, y * unit);
        };
        QPainterPath arrow;
        arrow.moveTo(at(6.5, 2.5));
        arrow.lineTo(at(9.5, 2.5));
        arrow.lineTo(at(9.5, 7.5));
        arrow.lineTo(at(12, 7.5));
        arrow.lineTo(at(8, 11.5));
        arrow.lineTo(at(4, 7.5));
        arrow.lineTo(at(6.5, 7.5));
        arrow.closeSubpath();
        painter.setBrush(QColor(0xe6, 0xd7, 0xa3));
        painter.drawPath(arrow);

        QPen tray(QColor(0xd9, 0xa4, 0x5b), unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(tray);
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(QPolygonF({at(3, 11), at(3, 13.5), at(13, 13.5), at(13, 11)}));
    }
};

} // namespace

TFormNewV::TFormNewV(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FormNewV"));
    setWindowTitle(QStringLiteral("New version"));

    ImgNew = new NewVersionPicture(this);
    ImgNew->setObjectName(QStringLiteral("ImgNew"));
    LblMessage = new QLabel(this);
    LblMessage->setObjectName(QStringLiteral("LblMessage"));
    LblMessage->setTextFormat(Qt::PlainText);
    LblMessage->setWordWrap(true);
    LblMessage->setFixedWidth(kMessageWidth);
    LblMessage->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    BtnDownload = new QPushButton(QStringLiteral("&Download"), this);
    BtnDownload->setObjectName(QStringLiteral("BtnDownload"));
    // Enter means Close even when Download has the focus.
    BtnDownload->setAutoDefault(false);
    BtnDownload->setVisible(false);
    BtnClose = new QPushButton(QStringLiteral("&Close"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setDefault(true);

    auto *message = new QHBoxLayout;
    message->setSpacing(16);
    message->addWidget(ImgNew, 0, Qt::AlignTop);
    message->addWidget(LblMessage);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnDownload);
    buttons->addWidget(BtnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(message);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(BtnDownload, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormNewV::OfferDownload()
{
    BtnDownload->setVisible(true);
}

bool TFormNewV::ShowVersionMessage(const QString &message)
{
    LblMessage->setText(message);
    adjustSize();
    CentreOnPlayerScreen(*this);
    BtnClose->setFocus();
    const int result = exec();
    BtnDownload->setVisible(false);
    return result == QDialog::Accepted;
}

} // namespace duvara
