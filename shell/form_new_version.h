#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace duvara {

// Tells the result of the update check and, when a newer version exists, offers to download it.
class TFormNewV : public QDialog
{
    Q_OBJECT
public:
    explicit TFormNewV(QWidget *parent = nullptr);

    // Shows Download for the next message only.
    void OfferDownload();
    // Shows the message modally, centred on the screen. True when the user chose Download.
    bool ShowVersionMessage(const QString &message);

    QWidget *ImgNew = nullptr;
    QLabel *LblMessage = nullptr;
    QPushButton *BtnDownload = nullptr;
    QPushButton *BtnClose = nullptr;
};

} // namespace duvara
