#include "controls/time_edit.h"

#include "subtitles/time_text.h"

#include <QEnterEvent>

#include <algorithm>
#include <limits>

namespace duvara {

namespace {

constexpr int kWholeSecondsLength = 8;
constexpr int kFullLength = 12;
constexpr QChar kBlank = QLatin1Char('_');

} // namespace

QString TimeEditText(int ms, int length)
{
    const auto shown = static_cast<uint32_t>(std::clamp(ms, 0, LargestShownTime));
    return QString::fromStdString(FormatSrtTime(shown)).left(length);
}

std::optional<int> ReadTimeEditText(const QString &text)
{
    QByteArray latin = text.toLatin1();
    if (!latin.isEmpty() && latin.front() == kBlank.toLatin1())
        latin.front() = '0';
    return ReadTimeFields(std::string_view(latin.constData(), std::size_t(latin.size())), true);
}

std::optional<TimeEditField> TimeEditFieldAt(int index)
{
    if (index < 0 || index > 12)
        return std::nullopt;
    if (index <= 2)
        return TimeEditField {3600000, 0, 2};
    if (index <= 5)
        return TimeEditField {60000, 3, 2};
    if (index <= 8)
        return TimeEditField {1000, 6, 2};
    return TimeEditField {100, 9, 3};
}

RTimeEdit::RTimeEdit(QWidget *parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &RTimeEdit::readText);
    SetMaxLength(kFullLength);
}

void RTimeEdit::SetMaxLength(int length)
{
    m_length = length == kWholeSecondsLength ? kWholeSecondsLength : kFullLength;
    // The mask's 0 is an optional digit, 9 a required one: hours take one or two digits.
    setInputMask(m_length == kFullLength ? QStringLiteral("09:99:99,999;_")
                                         : QStringLiteral("09:99:99;_"));
    setText(TimeEditText(0, m_length));
}

void RTimeEdit::SetMilliseconds(int ms)
{
    ms = std::max(ms, 0);
    m_milliseconds = ms;
    const QString text = TimeEditText(ms, m_length);
    // An unchanged text is not read back: the value keeps what the text cannot show, such as
    // the milliseconds of a whole-seconds edit.
    if (text == displayText())
        return;
    m_unshownTime = ms > LargestShownTime ? std::optional<int>(ms) : std::nullopt;
    setText(text);
    m_unshownTime.reset();
}

void RTimeEdit::readText()
{
    // displayText keeps the blanks in their places; text() would drop them and shift the fields.
    const std::optional<int> value = ReadTimeEditText(displayText());
    if (!value) {
        m_milliseconds = 0;
        return;
    }
    m_milliseconds = m_unshownTime.value_or(*value);
    emit OnChange();
}

void RTimeEdit::enterEvent(QEnterEvent *event)
{
    QLineEdit::enterEvent(event);
    emit OnMouseEnter();
}

void RTimeEdit::leaveEvent(QEvent *event)
{
    QLineEdit::leaveEvent(event);
    emit OnMouseLeave();
}

void GetIncMode(RTimeEdit &edit, bool up)
{
    int caret = 9;
    if (edit.hasFocus() && (edit.hasSelectedText() || edit.cursorPosition() > 0))
        caret = edit.cursorPosition();
    else
        edit.setFocus();
    const std::optional<TimeEditField> field = TimeEditFieldAt(caret);
    if (!field)
        return;
    const qint64 stepped = qint64(edit.Milliseconds()) + (up ? field->step : -field->step);
    edit.SetMilliseconds(int(std::min<qint64>(stepped, std::numeric_limits<int>::max())));
    edit.setSelection(field->start, field->length);
}

} // namespace duvara
