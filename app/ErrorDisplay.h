#pragma once
#include <QString>
#include <functional>

class QWidget;

// The program's error display: a modal message box with the error's text, shown from
// the event loop so that whoever reported it (a reply handler, a timer) goes on first.
// Without a screen (the offscreen platform) messages go to standard error instead.
using MessageHook = std::function<void(const QString& text)>;
void setMessageHook(MessageHook hook);
void showErrorMessage(QWidget* parent, const QString& text);

// Runs a handler, showing any error it raises instead of letting it end the program.
void runGuarded(QWidget* parent, const std::function<void()>& handler);
