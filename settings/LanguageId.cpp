#include "settings/LanguageId.h"

namespace {

struct LanguageRow {
    QLocale::Language language;
    QLocale::Territory territory; // AnyTerritory marks the language's primary identifier
    quint16 id;
};

// The primary row of each language comes first; it also serves unlisted territories.
constexpr LanguageRow kLanguages[] = {
    { QLocale::English, QLocale::UnitedStates, 0x0409 },
    { QLocale::English, QLocale::UnitedKingdom, 0x0809 },
    { QLocale::English, QLocale::Australia, 0x0C09 },
    { QLocale::English, QLocale::Canada, 0x1009 },
    { QLocale::English, QLocale::NewZealand, 0x1409 },
    { QLocale::English, QLocale::Ireland, 0x1809 },
    { QLocale::English, QLocale::SouthAfrica, 0x1C09 },
    { QLocale::English, QLocale::India, 0x4009 },
    { QLocale::English, QLocale::Singapore, 0x4809 },
    { QLocale::German, QLocale::Germany, 0x0407 },
    { QLocale::German, QLocale::Switzerland, 0x0807 },
    { QLocale::German, QLocale::Austria, 0x0C07 },
    { QLocale::German, QLocale::Luxembourg, 0x1007 },
    { QLocale::German, QLocale::Liechtenstein, 0x1407 },
    { QLocale::French, QLocale::France, 0x040C },
    { QLocale::French, QLocale::Belgium, 0x080C },
    { QLocale::French, QLocale::Canada, 0x0C0C },
    { QLocale::French, QLocale::Switzerland, 0x100C },
    { QLocale::French, QLocale::Luxembourg, 0x140C },
    { QLocale::Spanish, QLocale::Spain, 0x0C0A },
    { QLocale::Spanish, QLocale::Mexico, 0x080A },
    { QLocale::Spanish, QLocale::Argentina, 0x2C0A },
    { QLocale::Spanish, QLocale::UnitedStates, 0x540A },
    { QLocale::Italian, QLocale::Italy, 0x0410 },
    { QLocale::Italian, QLocale::Switzerland, 0x0810 },
    { QLocale::Portuguese, QLocale::Brazil, 0x0416 },
    { QLocale::Portuguese, QLocale::Portugal, 0x0816 },
    { QLocale::Dutch, QLocale::Netherlands, 0x0413 },
    { QLocale::Dutch, QLocale::Belgium, 0x0813 },
    { QLocale::Swedish, QLocale::Sweden, 0x041D },
    { QLocale::Swedish, QLocale::Finland, 0x081D },
    { QLocale::Danish, QLocale::Denmark, 0x0406 },
    { QLocale::NorwegianBokmal, QLocale::Norway, 0x0414 },
    { QLocale::NorwegianNynorsk, QLocale::Norway, 0x0814 },
    { QLocale::Finnish, QLocale::Finland, 0x040B },
    { QLocale::Icelandic, QLocale::Iceland, 0x040F },
    { QLocale::Polish, QLocale::Poland, 0x0415 },
    { QLocale::Czech, QLocale::CzechRepublic, 0x0405 },
    { QLocale::Slovak, QLocale::Slovakia, 0x041B },
    { QLocale::Hungarian, QLocale::Hungary, 0x040E },
    { QLocale::Slovenian, QLocale::Slovenia, 0x0424 },
    { QLocale::Croatian, QLocale::Croatia, 0x041A },
    { QLocale::Romanian, QLocale::Romania, 0x0418 },
    { QLocale::Bulgarian, QLocale::Bulgaria, 0x0402 },
    { QLocale::Russian, QLocale::Russia, 0x0419 },
    { QLocale::Ukrainian, QLocale::Ukraine, 0x0422 },
    { QLocale::Belarusian, QLocale::Belarus, 0x0423 },
    { QLocale::Greek, QLocale::Greece, 0x0408 },
    { QLocale::Turkish, QLocale::Turkey, 0x041F },
    { QLocale::Hebrew, QLocale::Israel, 0x040D },
    { QLocale::Arabic, QLocale::SaudiArabia, 0x0401 },
    { QLocale::Arabic, QLocale::Egypt, 0x0C01 },
    { QLocale::Lithuanian, QLocale::Lithuania, 0x0427 },
    { QLocale::Latvian, QLocale::Latvia, 0x0426 },
    { QLocale::Estonian, QLocale::Estonia, 0x0425 },
    { QLocale::Catalan, QLocale::Spain, 0x0403 },
    { QLocale::Thai, QLocale::Thailand, 0x041E },
    { QLocale::Vietnamese, QLocale::Vietnam, 0x042A },
    { QLocale::Indonesian, QLocale::Indonesia, 0x0421 },
    { QLocale::Malay, QLocale::Malaysia, 0x043E },
    { QLocale::Hindi, QLocale::India, 0x0439 },
    { QLocale::Japanese, QLocale::Japan, 0x0411 },
    { QLocale::Korean, QLocale::SouthKorea, 0x0412 },
    { QLocale::Chinese, QLocale::China, 0x0804 },
    { QLocale::Chinese, QLocale::Taiwan, 0x0404 },
    { QLocale::Chinese, QLocale::HongKong, 0x0C04 },
    { QLocale::Chinese, QLocale::Singapore, 0x1004 },
    { QLocale::Chinese, QLocale::Macau, 0x1404 },
};

constexpr quint16 kEnglishUnitedStates = 0x0409;
constexpr quint16 kChineseTraditional = 0x0404;

} // namespace

quint16 languageIdForLocale(const QLocale& locale)
{
    const QLocale::Language language = locale.language();
    const QLocale::Territory territory = locale.territory();
    const LanguageRow* primary = nullptr;
    for (const LanguageRow& row : kLanguages) {
        if (row.language != language)
            continue;
        if (row.territory == territory)
            return row.id;
        if (!primary)
            primary = &row;
    }
    if (!primary)
        return kEnglishUnitedStates;
    // Chinese written in traditional script without a listed territory reads as Taiwan's.
    if (language == QLocale::Chinese && locale.script() == QLocale::TraditionalChineseScript)
        return kChineseTraditional;
    return primary->id;
}

QString languageCode(quint16 id)
{
    return QStringLiteral("0x") + QString::number(id, 16).rightJustified(4, QLatin1Char('0')).toUpper();
}
