#pragma once

#include <QLineEdit>

#include <optional>

namespace duvara {

// The largest time two hour digits can show: 99:59:59,999.
inline constexpr int LargestShownTime = 99 * 3600000 + 59 * 60000 + 59 * 1000 + 999;

// The text a time edit of `length` characters shows for `ms`: hh:mm:ss,mmm cut to the length
// (8 gives whole seconds). Negative times show as 0, times beyond LargestShownTime as that.
QString TimeEditText(int ms, int length);

// The time a time edit's text stands for, or nothing while a field is incomplete or not digits.
// The first hour digit is optional and may be left blank ('_').
std::optional<int> ReadTimeEditText(const QString &text);

// The field of a time text that holds character `index` (0-based, the caret): how far one step
// moves it and the selection that marks it. Nothing past the milliseconds.
struct TimeEditField
{
    int step;
    int start;
    int length;
};
std::optional<TimeEditField> TimeEditFieldAt(int index);

// A masked edit that holds a time both as its text and as Milliseconds. OnChange tells the owner
// of every readable new text; an unreadable one (a blank left while typing) sets Milliseconds to
// 0 without telling, so the owner keeps its last value.
class RTimeEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit RTimeEdit(QWidget *parent = nullptr);

    int Milliseconds() const { return m_milliseconds; }
    void SetMilliseconds(int ms);

    // 12 characters (hh:mm:ss,mmm) or 8 (hh:mm:ss, whole seconds); the edit then shows 0.
    int MaxLength() const { return m_length; }
    void SetMaxLength(int length);

signals:
    void OnChange();
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void readText();

    int m_milliseconds = 0;
    int m_length = 12;
    // A time set beyond what the text can show stays as set while the text shows its largest.
    std::optional<int> m_unshownTime;
};

// Steps the field under the caret of a focused edit by one unit (1 hour, 1 minute, 1 second or
// 100 ms) and selects it, so the next step moves the same field. Without a caret in the edit (no
// focus, or at the very start with nothing selected) the milliseconds move and the edit takes
// the focus. The spin arrows beside a time edit call this; they take no focus themselves.
void GetIncMode(RTimeEdit &edit, bool up);

} // namespace duvara
