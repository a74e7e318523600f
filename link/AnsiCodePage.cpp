#include "link/AnsiCodePage.h"

#include <iconv.h>
#include <cerrno>

namespace {

int g_codePage = 0;

QByteArray iconvName(int codePage)
{
    switch (codePage) {
    case 936: return "GBK";
    case 950: return "BIG5";
    default: return "CP" + QByteArray::number(codePage);
    }
}

// Converts with iconv, replacing what cannot be converted by '?' instead of failing.
QByteArray convert(const QByteArray& input, const QByteArray& from, const QByteArray& to, bool intoAnsi)
{
    iconv_t cd = iconv_open(to.constData(), from.constData());
    if (cd == iconv_t(-1))
        return {};
    QByteArray out;
    out.reserve(input.size() * 2 + 8);
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr - buffer);
        if (rc == size_t(-1) && errno != E2BIG) {
            // An unconvertible or cut sequence: skip one input unit and mark it.
            out.append(intoAnsi ? QByteArray("?") : QByteArray("\xEF\xBF\xBD"));
            if (intoAnsi) {
                // UTF-8 input: skip the whole code point.
                size_t n = 1;
                while (n < inLeft && (static_cast<unsigned char>(in[n]) & 0xC0) == 0x80)
                    ++n;
                in += n;
                inLeft -= n;
            } else {
                ++in;
                --inLeft;
            }
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

int ansiCodePageForLocale(const QLocale& locale)
{
    switch (locale.language()) {
    case QLocale::Chinese:
        return (locale.territory() == QLocale::Taiwan || locale.territory() == QLocale::HongKong
                   || locale.territory() == QLocale::Macau || locale.script() == QLocale::TraditionalChineseScript)
            ? 950 : 936;
    case QLocale::Japanese: return 932;
    case QLocale::Korean: return 949;
    case QLocale::Russian: case QLocale::Ukrainian: case QLocale::Bulgarian:
    case QLocale::Belarusian: case QLocale::Serbian: case QLocale::Macedonian:
        return 1251;
    case QLocale::Polish: case QLocale::Czech: case QLocale::Slovak: case QLocale::Hungarian:
    case QLocale::Slovenian: case QLocale::Croatian: case QLocale::Romanian:
        return 1250;
    case QLocale::Greek: return 1253;
    case QLocale::Turkish: return 1254;
    case QLocale::Hebrew: return 1255;
    case QLocale::Arabic: return 1256;
    case QLocale::Lithuanian: case QLocale::Latvian: case QLocale::Estonian: return 1257;
    case QLocale::Vietnamese: return 1258;
    case QLocale::Thai: return 874;
    default: return 1252;
    }
}

int ansiCodePage()
{
    if (g_codePage == 0)
        g_codePage = ansiCodePageForLocale(QLocale::system());
    return g_codePage;
}

void setAnsiCodePage(int codePage) { g_codePage = codePage; }

QString fromAnsi(const QByteArray& bytes, int codePage)
{
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return QString::fromLatin1(bytes);
    return QString::fromUtf8(convert(bytes, iconvName(codePage), "UTF-8", false));
}

QByteArray toAnsi(const QString& text, int codePage)
{
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.toLatin1();
    return convert(text.toUtf8(), "UTF-8", iconvName(codePage), true);
}
