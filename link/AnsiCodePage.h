#pragma once
#include <QByteArray>
#include <QLocale>
#include <QString>

// The Windows code page that stands for the user's locale (1252 where none applies).
int ansiCodePageForLocale(const QLocale& locale);
// The code page in force for this run (from the system locale unless set).
int ansiCodePage();
void setAnsiCodePage(int codePage);

// Text fields of the program's files are 8-bit text in the ANSI code page.
QString fromAnsi(const QByteArray& bytes, int codePage = ansiCodePage());
QByteArray toAnsi(const QString& text, int codePage = ansiCodePage());
