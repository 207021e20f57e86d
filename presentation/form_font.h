#pragma once

#include "presentation/font_choices.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace duvara {

class RSubtitleLabel;

// The subtitle font dialog of either track: face, size and character set, with a preview drawn
// in the track's outline and shadow. Its opener sets the caption and the track, and applies what
// the user chose with "&OK"; "&Cancel" (also Enter on the lists, Escape and the close box)
// changes nothing. The dialog lives as long as the player and is opened again and again: each
// opening starts from the track's present font.
class TFormFont : public QDialog
{
    Q_OBJECT
public:
    static constexpr int HelpContext = 400;

    explicit TFormFont(QWidget *parent = nullptr);

    int trackNumber() const { return m_track; }
    void setTrackNumber(int track) { m_track = track; }

    // Shows the dialog modally on the track's present font, the preview drawn with the track's
    // outline and shadow. The font chosen with "&OK", or nothing when the user cancelled.
    std::optional<SubtitleTrackFont> Choose(const SubtitleTrackFont &present, bool outline,
                                            bool shadow);

    // The handlers. FormShow is what each opening does before the dialog shows.
    void FormShow(const SubtitleTrackFont &present, bool outline, bool shadow);
    void CmbFntChange();
    void CmbChsChange();
    // The preview's font and character set: what "&OK" hands to the opener.
    SubtitleTrackFont PreviewFont() const;

    QLabel *LblFnt = nullptr;
    QComboBox *CmbFnt = nullptr;
    QLabel *LblSize = nullptr;
    QComboBox *CmbSize = nullptr;
    QLabel *LblChs = nullptr;
    QComboBox *CmbChs = nullptr;
    QFrame *PnlPrew = nullptr;
    RSubtitleLabel *LblPrew = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCnc = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void listFonts();
    void setPreviewFont(const QFont &font);

    int m_track = 1;
    int m_charset = 0; // the preview's character set
    bool m_fontsListed = false;
};

} // namespace duvara
