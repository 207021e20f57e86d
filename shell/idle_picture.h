#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>

namespace duvara {

// Decodes a baseline or progressive JPEG with libjpeg. Returns a null image and sets *error
// when the data is not a JPEG it can read.
QImage DecodeJpeg(const QByteArray &data, QString *error = nullptr);

// The picture shown, stretched, while no video is visible.
class IdlePicture : public QWidget
{
    Q_OBJECT
public:
    explicit IdlePicture(QWidget *parent = nullptr);

    const QImage &picture() const { return m_picture; }
    void setPicture(const QImage &picture);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};

} // namespace duvara
