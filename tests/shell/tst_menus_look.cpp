// The menus without the main window: colour arithmetic and measures, the images, the painted
// look of a shown menu, the shortcut rule and the volume keys.
#include "shell/menu_icons.h"
#include "shell/menu_style.h"
#include "shell/popup_menus.h"
#include "shell/shortcut_rule.h"
#include "shell/volume_keys.h"
#include "window_test_support.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

using namespace duvara;
using duvara::test::KeyCounter;

namespace {

QColor rgb(std::uint32_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

} // namespace

class TestMenusLook : public QObject
{
    Q_OBJECT
private slots:
    void lightening_data();
    void lightening();
    void lightenedColours();
    void itemMeasures_data();
    void itemMeasures();
    void imageEffects();
    void everyImageIsItsOwn();

    void shownMenuLook();
    void checkedItemWithoutImage();
    void hideComesAfterTheMenuHasGone();

    void shortcutUnderDisabledSubmenu_data();
    void shortcutUnderDisabledSubmenu();
    void volumeKeyStep_data();
    void volumeKeyStep();
    void volumeKeyCountsOncePerPress();
};

void TestMenusLook::lightening_data()
{
    QTest::addColumn<int>("component");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("expected");
    QTest::newRow("image column red, 45 %") << 0xDB << 45 << 235;
    QTest::newRow("image column green, 45 %") << 0xAB << 45 << 209;
    QTest::newRow("image column blue, 45 %") << 0x6A << 45 << 173;
    QTest::newRow("half rounds up to even") << 0 << 50 << 128;
    QTest::newRow("half rounds down to even") << 2 << 50 << 128;
    QTest::newRow("black washed out") << 0 << 35 << 89;
    QTest::newRow("nothing") << 77 << 0 << 77;
    QTest::newRow("all the way") << 77 << 100 << 255;
    QTest::newRow("white stays") << 255 << 35 << 255;
}

void TestMenusLook::lightening()
{
    QFETCH(int, component);
    QFETCH(int, percent);
    QFETCH(int, expected);
    QCOMPARE(LightenedComponent(component, percent), expected);
}

void TestMenusLook::lightenedColours()
{
    // The check boxes: the image column lightened 45 %, the highlight 75 %.
    QCOMPARE(LightenedRef(0x006AABDB, 45), 0x00ADD1EBu);
    QCOMPARE(LightenedRef(0x005696D6, 75), 0x00D5E5F5u);
    const QColor translucent(10, 20, 30, 40);
    QCOMPARE(Lightened(translucent, 50), QColor(132, 138, 142, 40));
}

void TestMenusLook::itemMeasures_data()
{
    QTest::addColumn<int>("textHeight");
    QTest::addColumn<int>("imageHeight");
    QTest::addColumn<int>("height");
    QTest::newRow("small font: at least 24") << 13 << 16 << 24;
    QTest::newRow("18 + 6 is exactly 24") << 18 << 16 << 24;
    QTest::newRow("tall text") << 20 << 16 << 26;
    QTest::newRow("tall image") << 10 << 22 << 28;
    QTest::newRow("no image") << 19 << 0 << 25;
}

void TestMenusLook::itemMeasures()
{
    QFETCH(int, textHeight);
    QFETCH(int, imageHeight);
    QFETCH(int, height);
    QCOMPARE(MenuItemHeight(textHeight, imageHeight), height);
    QCOMPARE(kMenuSeparatorHeight, 11);
    // The image part of the width: image + 8, or 16 for narrow images.
    QCOMPARE(MenuItemWidth(16, 50), 24 + 50 + 15);
    QCOMPARE(MenuItemWidth(7, 50), 16 + 50 + 15);
    QCOMPARE(MenuItemWidth(8, 0), 16 + 15);
    QCOMPARE(MenuItemWidth(9, 0), 17 + 15);
}

void TestMenusLook::imageEffects()
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 100, 255, 255));
    image.setPixel(1, 0, qRgba(0, 0, 0, 0));
    image.setDevicePixelRatio(2);
    const QImage washed = WashedOut(image, 35);
    QCOMPARE(washed.pixel(0, 0), qRgba(89, 154, 255, 255));
    QCOMPARE(qAlpha(washed.pixel(1, 0)), 0);
    QCOMPARE(washed.devicePixelRatio(), 2.0);
    const QImage shape = Silhouette(image, QColor(0x80, 0x80, 0x80));
    QCOMPARE(shape.pixel(0, 0), qRgba(0x80, 0x80, 0x80, 255));
    QCOMPARE(qAlpha(shape.pixel(1, 0)), 0);
}

void TestMenusLook::everyImageIsItsOwn()
{
    QSet<QByteArray> seen;
    for (MenuImage image : AllMenuImages()) {
        const QIcon icon = MenuIcon(image);
        const QString name = QString::number(int(image));
        // Painted for plain and for double-density screens, not scaled up from one of them.
        const QPixmap plain = icon.pixmap(QSize(16, 16), 1.0);
        const QPixmap sharp = icon.pixmap(QSize(16, 16), 2.0);
        QCOMPARE(plain.size(), QSize(16, 16));
        QCOMPARE(sharp.size(), QSize(32, 32));
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
        const QImage pixels = plain.toImage().convertToFormat(QImage::Format_ARGB32);
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                opaque += qAlpha(pixels.pixel(x, y)) == 255;
        QVERIFY2(opaque >= 20, qPrintable(name));
        const QByteArray bytes(reinterpret_cast<const char *>(pixels.constBits()),
                               pixels.sizeInBytes());
        QVERIFY2(!seen.contains(bytes), qPrintable(name + QStringLiteral(" looks like another")));
        seen.insert(bytes);
    }
    QVERIFY(MenuIcon(MenuImage::None).isNull());
}

void TestMenusLook::shownMenuLook()
{
    QWidget owner;
    TRPopupMenu *menu = CreateWindowMenu(&owner);
    menu->popup(QPoint(50, 50));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QAction *open = menu->item(QStringLiteral("MnuOpen"));
    QAction *play = menu->item(QStringLiteral("MnuPlay"));
    QAction *stop = menu->item(QStringLiteral("MnuStop"));
    QVERIFY(!stop->isEnabled());
    menu->setActiveAction(open);
    const QImage shot = menu->grab().toImage();

    // Heights from the measures; the separator is 11 pixels with a grey line across the text.
    const QRect openRect = menu->actionGeometry(open);
    const QFontMetrics metrics(menu->font());
    QCOMPARE(openRect.height(), MenuItemHeight(metrics.height(), kMenuImageSize));
    QVERIFY(openRect.height() >= 24);
    QAction *separator = nullptr;
    for (QAction *action : menu->actions())
        if (action->isSeparator() && !separator)
            separator = action;
    const QRect line = menu->actionGeometry(separator);
    QCOMPARE(line.height(), kMenuSeparatorHeight);
    QCOMPARE(shot.pixelColor(line.left() + 40, line.top() + 5), rgb(0x808080));
    QCOMPARE(shot.pixelColor(line.left() + 40, line.top() + 3), rgb(0x00A4D3E3));
    QCOMPARE(shot.pixelColor(line.left() + 2, line.top() + 5), rgb(0x006AABDB));

    // A plain item: the image column, then the background; its image washed out.
    const QRect playRect = menu->actionGeometry(play);
    QCOMPARE(shot.pixelColor(playRect.left() + 1, playRect.center().y()), rgb(0x006AABDB));
    QCOMPARE(shot.pixelColor(playRect.right() - 1, playRect.top() + 1), rgb(0x00A4D3E3));
    const QPoint playImage(playRect.left() + 3, playRect.top() + (playRect.height() - 16) / 2);
    const QImage playPixels = play->icon().pixmap(QSize(16, 16), 1.0).toImage();
    QCOMPARE(shot.pixel(playImage + QPoint(6, 8)) | 0xFF000000u,
             WashedOut(playPixels, 35).pixel(6, 8));
    QVERIFY(shot.pixel(playImage + QPoint(6, 8)) != playPixels.pixel(6, 8));

    // Its caption begins 9 pixels right of the image column (the mnemonic's underline marks
    // the first letter's start); its shortcut ends 5 pixels from the item's right edge.
    const auto inkIn = [&](int x) {
        for (int y = playRect.top() + 1; y < playRect.bottom(); ++y)
            if (shot.pixelColor(x, y) != rgb(0x00A4D3E3))
                return true;
        return false;
    };
    int captionStart = playRect.left() + MenuImageColumnWidth(kMenuImageSize);
    while (!inkIn(captionStart))
        ++captionStart;
    QCOMPARE(captionStart, playRect.left() + MenuImageColumnWidth(kMenuImageSize) + 9);
    int shortcutEnd = playRect.right();
    while (!inkIn(shortcutEnd))
        --shortcutEnd;
    QVERIFY2(shortcutEnd <= playRect.right() - 5 && shortcutEnd >= playRect.right() - 7,
             qPrintable(QString::number(playRect.right() - shortcutEnd)));

    // The active item: highlight over the whole item, framed in maroon; its image one pixel up
    // and left, as it is.
    QCOMPARE(shot.pixelColor(openRect.right() - 2, openRect.top() + 2), rgb(0x005696D6));
    QCOMPARE(shot.pixelColor(openRect.left() + 1, openRect.bottom() - 1), rgb(0x005696D6));
    for (const QPoint &edge : {QPoint(openRect.left(), openRect.center().y()),
                               QPoint(openRect.right(), openRect.center().y()),
                               QPoint(openRect.center().x(), openRect.top()),
                               QPoint(openRect.center().x(), openRect.bottom())})
        QCOMPARE(shot.pixelColor(edge), rgb(0x000080));
    const QPoint openImage(openRect.left() + 3, openRect.top() + (openRect.height() - 16) / 2);
    const QImage openPixels = open->icon().pixmap(QSize(16, 16), 1.0).toImage();
    QCOMPARE(shot.pixel(openImage + QPoint(7, 9)), openPixels.pixel(8, 10));

    // A disabled item: its image a flat grey shape.
    const QRect stopRect = menu->actionGeometry(stop);
    const QPoint stopImage(stopRect.left() + 3, stopRect.top() + (stopRect.height() - 16) / 2);
    QCOMPARE(shot.pixelColor(stopImage + QPoint(8, 8)), rgb(0x808080));
    QCOMPARE(shot.pixelColor(stopImage + QPoint(4, 4)), rgb(0x808080));
    QCOMPARE(shot.pixelColor(stopImage + QPoint(1, 1)), rgb(0x006AABDB));
    menu->hide();
}

void TestMenusLook::checkedItemWithoutImage()
{
    QWidget owner;
    TRPopupMenu *menu = CreateWindowMenu(&owner);
    auto *aspect = menu->findChild<QMenu *>(QStringLiteral("MnuAspectMenu"));
    QVERIFY(aspect);
    aspect->popup(QPoint(50, 50));
    QVERIFY(QTest::qWaitForWindowExposed(aspect));
    QAction *letterBox = menu->item(QStringLiteral("MnuLetterBox"));
    QAction *crop = menu->item(QStringLiteral("MnuCrop"));
    QVERIFY(letterBox->isChecked());
    const auto glyphAt = [](const QRect &item) {
        return QPoint(item.left() + 3 + 8, item.top() + (item.height() - 16) / 2 + 8);
    };
    const auto boxAt = [](const QRect &item) {
        return QPoint(item.left() + 2, item.top() + (item.height() - 16) / 2 - 1);
    };

    QImage shot = aspect->grab().toImage();
    const QRect checked = aspect->actionGeometry(letterBox);
    QCOMPARE(shot.pixelColor(boxAt(checked)), rgb(LightenedRef(0x006AABDB, 45)));
    QCOMPARE(shot.pixelColor(glyphAt(checked)), rgb(0x000080));
    const QRect unchecked = aspect->actionGeometry(crop);
    QCOMPARE(shot.pixelColor(boxAt(unchecked)), rgb(0x006AABDB));
    QCOMPARE(shot.pixelColor(glyphAt(unchecked)), rgb(0x006AABDB));

    // Selected, the box takes the lightened highlight and the mark turns black.
    aspect->setActiveAction(letterBox);
    shot = aspect->grab().toImage();
    QCOMPARE(shot.pixelColor(boxAt(checked)), rgb(LightenedRef(0x005696D6, 75)));
    QCOMPARE(shot.pixelColor(glyphAt(checked)), QColor(Qt::black));
    aspect->hide();
}

void TestMenusLook::hideComesAfterTheMenuHasGone()
{
    QWidget owner;
    TRPopupMenu *menu = CreateWindowMenu(&owner);
    QList<bool> visibleAtHide;
    QList<QString> order;
    connect(menu, &TRPopupMenu::OnHide, this, [&] {
        visibleAtHide << menu->isVisible();
        order << QStringLiteral("hide");
    });
    connect(menu->item(QStringLiteral("MnuPlay")), &QAction::triggered, this,
            [&] { order << QStringLiteral("play"); });

    menu->popup(QPoint(50, 50));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(visibleAtHide, QList<bool>({false}));

    // Chosen with the mouse: once closed, then the item's command.
    menu->popup(QPoint(50, 50));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {},
                      menu->actionGeometry(menu->item(QStringLiteral("MnuPlay"))).center());
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(visibleAtHide, QList<bool>({false, false}));
    QCOMPARE(order, QStringList({"hide", "hide", "play"}));
}

void TestMenusLook::shortcutUnderDisabledSubmenu_data()
{
    QTest::addColumn<int>("closedLevel"); // 0: none, 1: the outer submenu, 2: the inner one
    QTest::addColumn<int>("expectedTriggers");
    QTest::addColumn<int>("expectedKeysAtField");
    QTest::newRow("everything enabled") << 0 << 1 << 0;
    QTest::newRow("outer submenu disabled") << 1 << 0 << 1;
    QTest::newRow("inner submenu disabled") << 2 << 0 << 1;
}

void TestMenusLook::shortcutUnderDisabledSubmenu()
{
    QFETCH(int, closedLevel);
    QFETCH(int, expectedTriggers);
    QFETCH(int, expectedKeysAtField);
    QWidget window;
    auto *field = new QLineEdit(&window);
    QMenu root(&window);
    QMenu *outer = root.addMenu(QStringLiteral("&Outer"));
    QMenu *inner = outer->addMenu(QStringLiteral("&Inner"));
    QAction *item = inner->addAction(QStringLiteral("&Go"));
    item->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
    QAction *plain = root.addAction(QStringLiteral("&Plain"));
    plain->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    window.addActions({item, plain});
    ShortcutRule rule;
    rule.AddMenu(&root);
    qApp->installEventFilter(&rule);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->setFocus();
    if (closedLevel == 1)
        outer->menuAction()->setEnabled(false);
    if (closedLevel == 2)
        inner->menuAction()->setEnabled(false);

    QSignalSpy triggered(item, &QAction::triggered);
    QSignalSpy plainTriggered(plain, &QAction::triggered);
    KeyCounter atField(field, Qt::Key_G);
    QTest::keyClick(field, Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(triggered.count(), expectedTriggers);
    // Held back, the key is the field's like any other.
    QCOMPARE(atField.presses, expectedKeysAtField);
    // The item keeps its shortcut, and the menu shows it.
    QCOMPARE(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    // Items outside the closed submenu act as ever.
    QTest::keyClick(field, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(plainTriggered.count(), 1);

    // Opened again, the shortcut acts at once.
    outer->menuAction()->setEnabled(true);
    inner->menuAction()->setEnabled(true);
    QTest::keyClick(field, Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(triggered.count(), expectedTriggers + 1);
}

void TestMenusLook::volumeKeyStep_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("step");
    QTest::newRow("keypad plus") << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << 100;
    QTest::newRow("keypad minus") << int(Qt::Key_Minus) << int(Qt::KeypadModifier) << -100;
    QTest::newRow("plus (Shift and =)") << int(Qt::Key_Plus) << int(Qt::ShiftModifier) << 100;
    QTest::newRow("the plus key unshifted") << int(Qt::Key_Equal) << 0 << 100;
    QTest::newRow("minus") << int(Qt::Key_Minus) << 0 << -100;
    QTest::newRow("the minus key shifted")
        << int(Qt::Key_Underscore) << int(Qt::ShiftModifier) << -100;
    QTest::newRow("with Ctrl") << int(Qt::Key_Plus) << int(Qt::ControlModifier) << 100;
    QTest::newRow("with Alt") << int(Qt::Key_Plus) << int(Qt::AltModifier) << 0;
    QTest::newRow("keypad equals") << int(Qt::Key_Equal) << int(Qt::KeypadModifier) << 0;
    QTest::newRow("another key") << int(Qt::Key_A) << 0 << 0;
}

void TestMenusLook::volumeKeyStep()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, step);
    QCOMPARE(VolumeKeyStep(key, Qt::KeyboardModifiers(modifiers)), step);
}

void TestMenusLook::volumeKeyCountsOncePerPress()
{
    QSlider volume;
    volume.setRange(0, 10000);
    volume.setValue(5000);
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *button = new QPushButton(QStringLiteral("Button"), &dialog);
    layout->addWidget(new QLineEdit(&dialog));
    layout->addWidget(button);
    VolumeKeys keys(volume, nullptr);
    qApp->installEventFilter(&keys);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    // A button leaves the key to its dialog: one press still moves the slider once.
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Minus);
    QCOMPARE(volume.value(), 4900);
    // A held key repeats the step.
    for (int i = 0; i < 3; ++i)
        QTest::keyPress(button, Qt::Key_Minus, Qt::NoModifier);
    QTest::keyRelease(button, Qt::Key_Minus, Qt::NoModifier);
    QCOMPARE(volume.value(), 4600);
    // Through the window system, as a real key press comes.
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(volume.value(), 4700);
}

QTEST_MAIN(TestMenusLook)
#include "tst_menus_look.moc"
