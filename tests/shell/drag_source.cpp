// Offers files to drag, as a file manager does, for the drop tests on a real desktop. Pressing
// the mouse in its window starts a drag of the files named on the command line (copy or move
// offered). It prints "ready <x> <y>" (its centre on the screen) once its window is on the
// screen, "pointer in" once the pointer is over it after that, "dragging", then "dropped copy",
// "dropped move" or "refused". It stays until its standard input closes: a drop's target asks
// for the files after the drag has ended here.
#include <QApplication>
#include <QDrag>
#include <QEnterEvent>
#include <QMimeData>
#include <QSocketNotifier>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <cstdio>

#include <unistd.h>

namespace {

class DragSource : public QWidget
{
public:
    static void say(const QByteArray &line)
    {
        std::printf("%s\n", line.constData());
        std::fflush(stdout);
    }

    // Shown and, once the window manager has mapped it where it placed it, told as ready. A
    // press sent before then would land on whatever was under the pointer, and the button
    // would stay held there.
    void showWhenReady()
    {
        setGeometry(40, 40, 160, 120);
        create();
        windowHandle()->installEventFilter(this);
        show();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !m_ready && windowHandle()->isExposed()) {
            m_ready = true;
            windowHandle()->removeEventFilter(this);
            raise();
            activateWindow();
            const QPoint centre = mapToGlobal(rect().center());
            say("ready " + QByteArray::number(centre.x()) + ' ' + QByteArray::number(centre.y()));
            if (underMouse())
                sayPointerIn();
        }
        return QWidget::eventFilter(watched, event);
    }

    // The press that follows reaches this window only: the test waits for this.
    void enterEvent(QEnterEvent *) override
    {
        if (m_ready)
            sayPointerIn();
    }

    void mousePressEvent(QMouseEvent *) override
    {
        auto *offered = new QMimeData;
        QList<QUrl> urls;
        for (const QString &argument : QCoreApplication::arguments().mid(1))
            urls << QUrl::fromLocalFile(argument);
        offered->setUrls(urls);
        auto *drag = new QDrag(this);
        drag->setMimeData(offered);
        say("dragging");
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        say(action == Qt::CopyAction       ? "dropped copy"
                : action == Qt::MoveAction ? "dropped move"
                                           : "refused");
    }

private:
    void sayPointerIn()
    {
        if (!m_pointerIn)
            say("pointer in");
        m_pointerIn = true;
    }

    bool m_ready = false;
    bool m_pointerIn = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    DragSource source;
    source.showWhenReady();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        if (::read(STDIN_FILENO, &byte, 1) <= 0)
            QCoreApplication::quit();
    });
    return app.exec();
}
