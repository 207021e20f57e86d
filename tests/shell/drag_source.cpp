// Offers files to drag, as a file manager does, for the drop tests on a real desktop. Pressing
// the mouse in its window starts a drag of the files named on the command line (copy or move
// offered). It prints "ready <x> <y>" (its centre on the screen) once shown, "dragging", then
// "dropped copy", "dropped move" or "refused". It stays until its standard input closes: a
// drop's target asks for the files after the drag has ended here.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

#include <unistd.h>

namespace {

class DragSource : public QWidget
{
protected:
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

public:
    static void say(const QByteArray &line)
    {
        std::printf("%s\n", line.constData());
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    DragSource source;
    source.setGeometry(40, 40, 160, 120);
    source.show();
    // Told once the window system has placed the window.
    QTimer::singleShot(0, &source, [&] {
        const QPoint centre = source.mapToGlobal(source.rect().center());
        DragSource::say("ready " + QByteArray::number(centre.x()) + ' '
                        + QByteArray::number(centre.y()));
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        if (::read(STDIN_FILENO, &byte, 1) <= 0)
            QCoreApplication::quit();
    });
    return app.exec();
}
