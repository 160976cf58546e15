#include "ui/text/TavLocale.h"

#include <QLocale>

#include "core/DateTimeFormat.h"
#include "core/LocaleFormat.h"
#include "ui/text/QtText.h"

namespace {

// One separator character in Windows-1250; `fallback` when the locale's has no single byte there
// (a narrow no-break space, for one).
char separator1250(const QString& separator, char fallback) {
    const std::string text = text1250(separator);
    if (text.size() != 1 || (text[0] == '?' && separator != QStringLiteral("?"))) return fallback;
    return text[0];
}

// A date or time pattern of the locale in the notation the core writes and reads. The
// no-break blanks some locales put before AM/PM have no Windows-1250 byte and become blanks.
std::string pattern1250(QString pattern) {
    pattern.replace(QChar(0x202F), QLatin1Char(' '));
    pattern.replace(QChar(0x00A0), QLatin1Char(' '));
    return reducedLocalePattern(text1250(pattern));
}

}  // namespace

void fillLocaleFormat(const QLocale& locale) {
    TLocaleFormat& format = localeFormat();
    format.decimalSeparator = separator1250(locale.decimalPoint(), '.');
    if (locale.numberOptions() & QLocale::OmitGroupSeparator) {
        format.thousandSeparator = 0;
    } else {
        // A blank-like group separator without a byte of its own becomes the no-break space.
        format.thousandSeparator = separator1250(locale.groupSeparator(), '\xA0');
    }
    format.shortDateFormat = pattern1250(locale.dateFormat(QLocale::ShortFormat));
    format.longTimeFormat = pattern1250(locale.timeFormat(QLocale::LongFormat));
}
