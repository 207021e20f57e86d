// The one guard every slot and event handler of the player runs under, and the application's
// error box it shows. It lives in the lowest library with widgets so that every layer uses it.
#pragma once

#include <QString>
#include <exception>
#include <utility>

class QWidget;

namespace duvara {

// The text the application's error box shows for an error message: a "." is appended when the
// message's last character sorts after ".".
QString ErrorBoxText(const QString &message);

// The application's standard error box: error icon, titled with the application's name.
void ShowErrorBox(QWidget *parent, const QString &message);

// Runs one user action. An error abandons the action where it arose (what it did before stays)
// and is shown in the error box; no exception leaves a Qt slot or event handler.
template<typename Action> void RunGuarded(QWidget *parent, Action &&action)
{
    try {
        std::forward<Action>(action)();
    } catch (const std::exception &error) {
        ShowErrorBox(parent, QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(parent, QStringLiteral("Unexpected error"));
    }
}

// The handler as a slot: connect(sender, signal, context, Guarded(window, [this] { ... })).
template<typename Action> auto Guarded(QWidget *parent, Action action)
{
    return [parent, action = std::move(action)] {
        RunGuarded(parent, action);
    };
}

} // namespace duvara
