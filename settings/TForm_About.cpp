#include "settings/TForm_About.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TForm_About::TForm_About(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_About"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("Kelvane"));
    name->setObjectName(QStringLiteral("ProductName"));
    name->setStyleSheet(QStringLiteral("font-size: 24px; font-weight: bold; font-style: italic; color: teal;"));
    auto* version = new QLabel(QStringLiteral("Version 3.3"));
    version->setObjectName(QStringLiteral("Label6"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("TeThemeButton1"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    layout->addWidget(version, 0, Qt::AlignHCenter);
    layout->addStretch();
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(317, 233);
}
