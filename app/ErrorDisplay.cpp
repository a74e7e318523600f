#include "app/ErrorDisplay.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <exception>

namespace {
MessageHook g_hook;
}

void setMessageHook(MessageHook hook) { g_hook = std::move(hook); }

void showErrorMessage(QWidget* parent, const QString& text)
{
    if (g_hook) {
        g_hook(text);
        return;
    }
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        std::fprintf(stderr, "kelvane: %s\n", qPrintable(text));
        return;
    }
    QPointer<QWidget> owner(parent);
    QTimer::singleShot(0, [owner, text] {
        QMessageBox::critical(owner, QStringLiteral("Kelvane"), text);
    });
}

void runGuarded(QWidget* parent, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        showErrorMessage(parent, QString::fromLocal8Bit(error.what()));
    }
}
