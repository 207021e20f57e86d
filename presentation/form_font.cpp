#include "presentation/form_font.h"

#include "media/dialog_placement.h"

#include "media/error_box.h"
#include "presentation/subtitle_label.h"
#include "presentation/subtitle_layout.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <algorithm>

namespace duvara {

namespace {

constexpr QSize kPreviewSize(117, 69);
constexpr int kPreviewFrame = 2;
constexpr int kFontListWidth = 220;
constexpr int kSizeListWidth = 56;

// Each font's name in its own face. The face is loaded when its row is painted, so opening the
// list costs only the rows in sight; every row is as high as one in the list's own font, so
// the list never measures a face to lay itself out.
class FontNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const QString family = index.data(Qt::DisplayRole).toString();
        QStyleOptionViewItem face = option;
        if (WritesItsName(family)) {
            face.font.setFamily(family);
            face.fontMetrics = QFontMetrics(face.font);
        }
        QStyledItemDelegate::paint(painter, face, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        // A little taller than the list's own font: faces with tall letters keep them.
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(option.fontMetrics.height() * 3 / 2);
        return size;
    }
};

// Outlines follow the size, as they do over the picture.
std::uint8_t outlineWidthFor(int points)
{
    return static_cast<std::uint8_t>(std::clamp(RoundHalfEven(points / 8.0), 0, 255));
}

QComboBox *makeList(QWidget *parent, const char *name)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditable(false);
    return list;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

TFormFont::TFormFont(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FormFont"));
    setWindowTitle(QStringLiteral("Subtitles font"));

    CmbFnt = makeList(this, "CmbFnt");
    CmbFnt->setMinimumWidth(kFontListWidth);
    CmbFnt->setItemDelegate(new FontNameDelegate(CmbFnt));
    if (auto *rows = qobject_cast<QListView *>(CmbFnt->view()))
        rows->setUniformItemSizes(true);
    CmbSize = makeList(this, "CmbSize");
    CmbSize->setMinimumWidth(kSizeListWidth);
    for (int points : kFontSizeRows)
        CmbSize->addItem(QString::number(points));
    CmbSize->setCurrentIndex(FontSizeRowOf(22));
    CmbChs = makeList(this, "CmbChs");
    for (const CharsetRow &row : kCharsetRows)
        CmbChs->addItem(QString::fromLatin1(row.text));
    CmbChs->setCurrentIndex(0);
    LblFnt = makeLabel(this, "LblFnt", QStringLiteral("Font"), CmbFnt);
    LblSize = makeLabel(this, "LblSize", QStringLiteral("Size"), CmbSize);
    LblChs = makeLabel(this, "LblChs", QStringLiteral("Charset"), CmbChs);

    PnlPrew = new QFrame(this);
    PnlPrew->setObjectName(QStringLiteral("PnlPrew"));
    PnlPrew->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PnlPrew->setLineWidth(kPreviewFrame);
    PnlPrew->setFixedSize(kPreviewSize + QSize(2 * kPreviewFrame, 2 * kPreviewFrame));
    LblPrew = new RSubtitleLabel(PnlPrew);
    LblPrew->setObjectName(QStringLiteral("LblPrew"));
    LblPrew->setGeometry(QRect(QPoint(kPreviewFrame, kPreviewFrame), kPreviewSize));
    LblPrew->SetColor(Qt::blue);
    LblPrew->SetFontColor(Qt::white);
    LblPrew->SetTextOutlineWidth(4);
    QFont design(QStringLiteral("Arial Black"));
    design.setPixelSize(29);
    LblPrew->setFont(design);
    LblPrew->SetTextCaption(QStringLiteral("AaZz123"));

    BtnOK = makeButton(this, "BtnOK", QStringLiteral("&OK"));
    BtnCnc = makeButton(this, "BtnCnc", QStringLiteral("&Cancel"));
    // Enter on the lists cancels: a stray key press must not replace the track's font.
    BtnCnc->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(LblFnt, 0, 0, 1, 2);
    grid->addWidget(CmbFnt, 1, 0, 1, 2);
    grid->addWidget(LblSize, 2, 0);
    grid->addWidget(LblChs, 2, 1);
    grid->addWidget(CmbSize, 3, 0);
    grid->addWidget(CmbChs, 3, 1);
    grid->addWidget(PnlPrew, 0, 2, 4, 1, Qt::AlignCenter);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCnc);
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(CmbFnt, CmbSize);
    setTabOrder(CmbSize, CmbChs);
    setTabOrder(CmbChs, BtnOK);
    setTabOrder(BtnOK, BtnCnc);

    // The handlers run on the user's changes only: an opening selects rows with the signals
    // held back.
    const auto fontChange = Guarded(this, [this] { CmbFntChange(); });
    connect(CmbFnt, &QComboBox::currentIndexChanged, this, fontChange);
    connect(CmbSize, &QComboBox::currentIndexChanged, this, fontChange);
    connect(CmbChs, &QComboBox::currentIndexChanged, this,
            Guarded(this, [this] { CmbChsChange(); }));
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCnc, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<SubtitleTrackFont> TFormFont::Choose(const SubtitleTrackFont &present, bool outline,
                                                   bool shadow)
{
    FormShow(present, outline, shadow);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return PreviewFont();
}

// The installed fonts do not change while the player runs (a font installed later appears at
// its next start); listing them waits for the first opening so that the start does not.
void TFormFont::listFonts()
{
    if (m_fontsListed)
        return;
    m_fontsListed = true;
    const QSignalBlocker quiet(CmbFnt);
    CmbFnt->addItems(ScalableFontFamilies());
    CmbFnt->setCurrentIndex(-1);
}

void TFormFont::FormShow(const SubtitleTrackFont &present, bool outline, bool shadow)
{
    listFonts();
    setPreviewFont(present.font);
    m_charset = present.charset;
    LblPrew->SetTextShadow(shadow);
    LblPrew->SetTextOutline(outline);

    const QSignalBlocker quietFonts(CmbFnt);
    const QSignalBlocker quietSizes(CmbSize);
    const QSignalBlocker quietCharsets(CmbChs);
    CmbFnt->setCurrentIndex(CmbFnt->findText(present.font.family(), Qt::MatchFixedString));
    // A size the list does not offer (a settings file edited by hand) leaves the row of the
    // last opening selected; the preview keeps the size until the user picks one.
    if (const int row = FontSizeRowOf(SubtitleFontSize(present.font)); row >= 0)
        CmbSize->setCurrentIndex(row);
    CmbChs->setCurrentIndex(CharsetRowOf(present.charset));
}

void TFormFont::CmbFntChange()
{
    QFont font = LblPrew->font();
    // A track whose font is not installed keeps its name until the user picks another, rather
    // than taking an empty one.
    if (CmbFnt->currentIndex() >= 0)
        font.setFamily(CmbFnt->currentText());
    if (const int row = CmbSize->currentIndex(); row >= 0)
        font.setPointSize(kFontSizeRows[std::size_t(row)]);
    setPreviewFont(font);
}

void TFormFont::CmbChsChange()
{
    if (const int row = CmbChs->currentIndex(); row >= 0)
        m_charset = kCharsetRows[std::size_t(row)].charset;
}

SubtitleTrackFont TFormFont::PreviewFont() const
{
    return {LblPrew->font(), m_charset};
}

void TFormFont::setPreviewFont(const QFont &font)
{
    LblPrew->setFont(font);
    LblPrew->SetTextOutlineWidth(outlineWidthFor(SubtitleFontSize(font)));
}

void TFormFont::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // the window manager restoring it, not an opening
    CentreOnPlayerScreen(*this);
    // Each opening starts on the font list, so Enter means "&Cancel" whatever was clicked the
    // last time.
    CmbFnt->setFocus(Qt::OtherFocusReason);
}

} // namespace duvara
